#!/bin/sh
# Converts a UTF-8 text file with LF line ends into GBK with CRLF: SOURCE TARGET
set -e
iconv -f UTF-8 -t GBK "$1" | sed 's/$/\r/' > "$2"
