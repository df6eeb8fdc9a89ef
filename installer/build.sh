#!/usr/bin/env bash
# Builds the installer from installer/tempiro.nsi.
#   build.sh OUTFILE VERSION WIN64_DIR WIN32_DIR [amd64]
# Each folder holds Tempiro.exe with QLLJ.bat and Tempiro.CHM beside it, as the
# builds leave them. "amd64" makes a 64-bit installer, for the Wine tests
# only. With TEMPIRO_SIGN_CERT and TEMPIRO_SIGN_KEY set, the uninstaller and
# the installer are signed as they are written (installer/sign.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "$1") version=$2 win64=$(realpath "$3") win32=$(realpath "$4") target=${5:-x86}
for folder in "$win64" "$win32"; do
  for file in Tempiro.exe QLLJ.bat Tempiro.CHM; do
    [ -f "$folder/$file" ] || { echo "build.sh: $folder/$file is missing" >&2; exit 1; }
  done
done
args=(-V2 -NOCD "-DVERSION=$version" "-DOUTFILE=$out" "-DWIN64_DIR=$win64" "-DWIN32_DIR=$win32"
      "-DRESOURCES=$here/../resources")
[ "$target" = amd64 ] && args+=(-DTARGET_AMD64)
if [ -n "${TEMPIRO_SIGN_CERT:-}" ] && [ -n "${TEMPIRO_SIGN_KEY:-}" ]; then
  # makensis runs it through the shell, the paths in double quotes (it turns
  # backslashes into slashes, so these are the only quotes that hold).
  case "$here$out" in *[\"\$\`\\]*)
    echo "build.sh: signing needs paths without \", \$, \` or \\: $here, $out" >&2; exit 1;;
  esac
  args+=("-DSIGN_COMMAND=bash \"$here/sign.sh\"")
fi
mkdir -p "$(dirname "$out")"
makensis "${args[@]}" "$here/tempiro.nsi"
