#!/bin/sh
# Builds the help file: SOURCE_FOLDER WORK_FOLDER OUTPUT_FILE. The sources are
# UTF-8; the help viewer reads a Chinese help file's pages and contents in GBK.
set -e
src=$1 work=$2 out=$3
rm -rf "$work"
mkdir -p "$work"
for f in "$src"/*; do
  iconv -f UTF-8 -t GBK "$f" > "$work/$(basename "$f")"
done
cd "$work"
chmcmd tempiro.hhp >/dev/null
cp Tempiro.CHM "$out"
