#!/bin/sh
# The import tables of the program's builds name KnownDLLs only (comctl32
# comes through the manifest's side-by-side binding), and each build looks up
# SetDefaultDllDirectories. Arguments: pairs of objdump and exe; an exe that
# was not built (the i686 one, made by `make win32`) skips the test.
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll "
status=0
while [ $# -ge 2 ]; do
  objdump=$1 exe=$2
  shift 2
  if [ ! -f "$exe" ]; then echo "not built: $exe"; exit 77; fi
  names=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$names" ] || { echo "no import table read from $exe"; status=1; }
  for name in $names; do
    case "$allowed" in
      *" $name "*) ;;
      *) echo "$exe imports $name, which the loader looks for beside the exe first"; status=1 ;;
    esac
  done
  grep -qa SetDefaultDllDirectories "$exe" || { echo "$exe never looks up SetDefaultDllDirectories"; status=1; }
done
exit $status
