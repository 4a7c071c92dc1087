#!/usr/bin/env bash
# Cross-builds the Qt-free parts (engine, data file and catalogue readers,
# sockets and HTTP, platform calls) and their test suites for arm64 Linux
# and 64-bit Windows, and runs them here: arm64 under qemu-user, Windows
# under wine. Prints each suite's count of passed tests; fails when any
# suite fails or does not run.
#
#   scripts/test-cross.sh [arm64|win64 ...]   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(arm64 win64)
suites=(engine_tests skydata_core_tests platform_core_tests online_core_tests)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
status=0
summary=()

# The deep-sky file as the build machine packs it, which every target's
# suite reads and compares with the one its own packer made.
host_dir=build-cross-host
echo "== build machine: pack deepsky.bin in $host_dir"
cmake -S . -B "$host_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYVANE_QT_FREE_ONLY=ON \
  -DSKYVANE_BUILD_TESTS=OFF -DSKYVANE_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$host_dir" -j "$jobs" --target deepsky_bin
host_deepsky="$PWD/$host_dir/deepsky.bin"

for target in "${targets[@]}"; do
  case "$target" in
    arm64) toolchain=cmake/toolchain-aarch64-linux-gnu.cmake; suffix="" ;;
    win64) toolchain=cmake/toolchain-x86_64-w64-mingw32.cmake; suffix=".exe" ;;
    *) echo "test-cross: unknown target $target (arm64 or win64)" >&2; exit 2 ;;
  esac
  dir="build-cross-$target"
  echo "== $target: configure and build in $dir"
  # The toolchain is read once, when the folder is configured first.
  settings=(-DCMAKE_BUILD_TYPE=Release -DSKYVANE_QT_FREE_ONLY=ON -DSKYVANE_BUILD_BENCH=OFF
            -DSKYVANE_BUILD_MACHINE_DEEPSKY_BIN="$host_deepsky" "${launcher[@]}")
  [ -f "$dir/CMakeCache.txt" ] || settings+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
  cmake -S . -B "$dir" -G Ninja "${settings[@]}" >/dev/null

  # The build already runs the target's packers, so the emulator is set up
  # first.
  if [ "$target" = win64 ]; then
    # A wine prefix of our own beside the build, made once.
    export WINEPREFIX="$PWD/$dir/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1 || true
    run=(wine)
  else
    run=(qemu-aarch64 -L /usr/aarch64-linux-gnu)
  fi
  cmake --build "$dir" -j "$jobs"
  total=0
  for suite in "${suites[@]}"; do
    log="$dir/$suite.log"
    echo "-- $target $suite"
    if (cd "$dir/tests/portable" && timeout 900 "${run[@]}" "./$suite$suffix" --gtest_brief=1) >"$log" 2>&1 &&
       passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.\r\?$/\1/p' "$log") && [ -n "$passed" ]; then
      echo "   $passed passed"
      sed -n 's/^\[   INFO   \] \(series kernels: .*\)\r\?$/   \1/p' "$log"
      total=$((total + passed))
    else
      echo "   FAILED (log: $log)"
      tail -n 40 "$log"
      status=1
    fi
  done
  summary+=("$target: $total tests passed")
  [ "$target" = win64 ] && wineserver -k 2>/dev/null || true
done

echo "== test-cross"
printf '%s\n' "${summary[@]}"
exit $status
