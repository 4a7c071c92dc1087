#!/usr/bin/env bash
# The Debian package of a configured build: cpack makes it, dpkg-deb lists
# what it holds, lintian finds no errors in it.
#
#   package_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" > "$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/skyvane_1.41.0_*.deb)
echo "package: $(basename "$deb")"

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
missing=0
for file in ./usr/bin/skyvane ./usr/share/skyvane/datas.bin \
    ./usr/share/applications/invalid.skyvane.Skyvane.desktop \
    ./usr/share/metainfo/invalid.skyvane.Skyvane.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/invalid.skyvane.Skyvane.svg \
    ./usr/share/icons/hicolor/48x48/apps/invalid.skyvane.Skyvane.png \
    ./usr/share/icons/hicolor/128x128/apps/invalid.skyvane.Skyvane.png \
    ./usr/share/icons/hicolor/256x256/apps/invalid.skyvane.Skyvane.png \
    ./usr/share/man/man1/skyvane.1.gz ./usr/share/doc/skyvane/copyright \
    ./usr/share/doc/skyvane/changelog.gz; do
  if ! grep -qxF "$file" <<<"$listing"; then
    echo "missing from the package: $file"
    missing=1
  fi
done
# Our test tools and the vendor host are not for users.
if grep -E 'vendor-host|pack_datafile|_tests$' <<<"$listing"; then
  echo "the package holds build tools"
  missing=1
fi
[ "$missing" -eq 0 ]

# The runtime dependencies come from the libraries the program links.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libqt6widgets6' <<<"$depends"

lintian --tag-display-limit 0 "$deb" > "$out/lintian.log" 2>&1 || true
cat "$out/lintian.log"
if grep -q '^E:' "$out/lintian.log"; then
  echo "lintian reports errors"
  exit 1
fi
