#!/usr/bin/env bash
# Prints the sizes of what is shipped against their targets:
#   sizes.sh BUILD_DIR DIST_DIR
# the installer under 1 MiB, each program under 1.5 MiB (the archive has no
# target). Exits 1 if one is over.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1 dist=$2
version=$(tr -d ' \r\n' < "$root/VERSION")
over=0
row() {  # file, limit in KiB (0: none)
  if [ ! -f "$1" ]; then printf '%-40s %s\n' "$1" "(not built)"; return; fi
  local size verdict=""
  size=$(stat -c %s "$1")
  if [ "$2" -gt 0 ]; then
    verdict="ok, limit $2 KiB"
    if [ "$size" -ge $(($2 * 1024)) ]; then verdict="OVER the limit of $2 KiB"; over=1; fi
  fi
  printf '%-40s %9d bytes %8s KiB  %s\n' "$1" "$size" "$(awk "BEGIN { printf \"%.1f\", $size / 1024 }")" "$verdict"
}
row "$dist/Tempiro-Setup-$version.exe" 1024
row "$dist/Tempiro-$version.zip" 0
row "$build/win64/Tempiro.exe" 1536
row "$build/win32/Tempiro.exe" 1536
exit $over
