#!/usr/bin/env bash
# `make dist`: the installer dist/Tempiro-Setup-<version>.exe and the portable
# archive dist/Tempiro-<version>.zip, from build/win64 and build/win32.
#   dist.sh BUILD_DIR DIST_DIR
# The version is read from the file VERSION. With TEMPIRO_SIGN_CERT and
# TEMPIRO_SIGN_KEY set, both programs, the uninstaller and the installer are
# signed (installer/sign.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "$1") dist=$(realpath -m "$2")
version=$(tr -d ' \r\n' < "$root/VERSION")
if ! grep -q "Tempiro-Setup-$version.exe" "$root/README.md"; then
  echo "dist.sh: README.md does not name version $version (Tempiro-Setup-$version.exe); update it" >&2
  exit 1
fi
signing=
if [ -n "${TEMPIRO_SIGN_CERT:-}" ] && [ -n "${TEMPIRO_SIGN_KEY:-}" ]; then signing=1; fi

# The files as shipped, signed where asked, in a folder for each build.
stage=$build/dist-stage
rm -rf "$stage"
for arch in x64 x86; do
  from=$build/win64
  [ "$arch" = x86 ] && from=$build/win32
  mkdir -p "$stage/Tempiro-$version/$arch"
  cp "$from/Tempiro.exe" "$from/QLLJ.bat" "$from/Tempiro.CHM" "$stage/Tempiro-$version/$arch/"
  if [ -n "$signing" ]; then bash "$root/installer/sign.sh" "$stage/Tempiro-$version/$arch/Tempiro.exe"; fi
done

mkdir -p "$dist"
setup=$dist/Tempiro-Setup-$version.exe
zip=$dist/Tempiro-$version.zip
rm -f "$setup" "$zip"
bash "$root/installer/build.sh" "$setup" "$version" "$stage/Tempiro-$version/x64" "$stage/Tempiro-$version/x86"
(cd "$stage" && zip -q -X -r "$zip" "Tempiro-$version")
echo "dist: $(basename "$setup") and $(basename "$zip")"
