#!/usr/bin/env bash
# Builds the Debian package: a release build in build-pkg/, then cpack. Checks the package with
# lintian (no errors allowed), its desktop entry with desktop-file-validate and its AppStream
# file with appstreamcli, then unpacks it into build-pkg/unpacked and runs the unpacked
# /usr/bin/sendora --version. Exits non-zero on any failure. Prints the package's path last.
set -euo pipefail

REPO_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$REPO_DIR/build-pkg"
SCRATCH="$BUILD_DIR/unpacked"

bash "$REPO_DIR/scripts/install-deps.sh"

# The changelog's and the AppStream release's date: the last commit's, so a rebuild matches.
if SOURCE_DATE_EPOCH=$(git -C "$REPO_DIR" log -1 --format=%ct 2>/dev/null); then
  export SOURCE_DATE_EPOCH
fi

# Debian's hardening: stack protector, fortified calls, read-only relocations, bound at start.
cmake -S "$REPO_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DSENDORA_TESTS=OFF -DSENDORA_BENCH=OFF -DSENDORA_SANITIZE=OFF \
  "-DCMAKE_CXX_FLAGS=-fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security" \
  "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now"
nice -n 10 ninja -C "$BUILD_DIR" -j2

rm -f "$BUILD_DIR"/sendora_*.deb
(cd "$BUILD_DIR" && cpack -G DEB)
debs=("$BUILD_DIR"/sendora_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "package: cpack made no sendora_*_amd64.deb" >&2; exit 1; }
deb="${debs[0]}"
dpkg-deb --info "$deb"

echo "package: lintian"
lintian --fail-on error --info "$deb"

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
dpkg-deb -x "$deb" "$SCRATCH"

echo "package: desktop-file-validate"
desktop-file-validate "$SCRATCH/usr/share/applications/sendora.desktop"
echo "package: appstreamcli validate"
appstreamcli validate --no-net "$SCRATCH"/usr/share/metainfo/*.metainfo.xml

echo "package: the unpacked /usr/bin/sendora --version"
expected=$(dpkg-deb --field "$deb" Version)
answer=$("$SCRATCH/usr/bin/sendora" --version)
echo "$answer"
if [ "$(head -n1 <<<"$answer")" != "$expected" ]; then
  echo "package: --version answered '$answer', the package is $expected" >&2
  exit 1
fi

echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
