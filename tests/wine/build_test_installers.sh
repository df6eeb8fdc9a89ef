#!/usr/bin/env bash
# Builds the installers the Wine tests run, from installer/tempiro.nsi:
#   build_test_installers.sh WIN64_BUILD WIN32_BUILD OUT_DIR VERSION
# Both are 64-bit installers (the test prefixes run 64-bit programs only):
#   Tempiro-Setup-test.exe   this version, with the programs of both builds
#   Tempiro-Setup-older.exe  "2020.0.0", whose program is TempiroRecording.exe,
#                            so that an update can be told by its files
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win64=$(realpath -m "$1") win32=$(realpath -m "$2") out=$(realpath -m "$3") version=$4
if [ ! -f "$win32/Tempiro.exe" ]; then
  echo "The 32-bit program $win32/Tempiro.exe is not built (make win32); the installer packs it." >&2
  exit 1
fi
rm -rf "$out"
mkdir -p "$out/older"
# Signed on its way (sign.sh) by a stand-in osslsigncode: the password in the 600 file it reads, never in its arguments.
printf '%s\n' '#!/usr/bin/env bash' 'a=" $* "; f=${a#* -readpass }; f=${f%% *}' \
  '[[ $a != *" pass word "* && "$(cat "$f")$(stat -c %a "$f")" = "pass word600" ]] && cp "${@: -3:1}" "${@: -1}"' \
  > "$out/osslsigncode" && chmod +x "$out/osslsigncode"
PATH=$out:$PATH TEMPIRO_SIGN_PASS="pass word" TEMPIRO_SIGN_CERT=cert TEMPIRO_SIGN_KEY=key \
  bash "$root/installer/build.sh" "$out/Tempiro-Setup-test.exe" "$version" "$win64" "$win32" amd64
cp "$win64/tests/TempiroRecording.exe" "$out/older/Tempiro.exe"
cp "$win64/QLLJ.bat" "$win64/Tempiro.CHM" "$out/older/"
bash "$root/installer/build.sh" "$out/Tempiro-Setup-older.exe" 2020.0.0 "$out/older" "$win32" amd64
