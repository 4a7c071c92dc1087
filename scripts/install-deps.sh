#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Safe to run again: it installs only what is missing. With --fuzz it adds
# what make fuzz needs.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev
  libcpp-httplib-dev libsqlite3-dev
  qt6-base-dev
  fonts-liberation2 fonts-dejavu-core
  desktop-file-utils appstream lintian dpkg-dev file python3 python3-jsonschema poppler-utils python3-ephem
)

# make fuzz needs clang with libFuzzer and the sanitizer runtimes.
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi

# make test-cross: the cross compilers for arm64 and Windows, zlib for
# each (arm64's through Debian's multiarch), GoogleTest's source, and
# qemu-user and wine to run the tests.
if [ "${1:-}" = "--cross" ]; then
  packages+=(g++-aarch64-linux-gnu g++-mingw-w64-x86-64 libz-mingw-w64-dev zlib1g-dev:arm64
             googletest qemu-user wine wine64)
  if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    if [ "$(id -u)" -ne 0 ]; then sudo dpkg --add-architecture arm64; else dpkg --add-architecture arm64; fi
  fi
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
