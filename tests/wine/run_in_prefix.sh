#!/usr/bin/env bash
# Runs one Win32 test program under Wine, in a throwaway prefix of its own and
# on a private Xvfb display, then removes the prefix.
#   run_in_prefix.sh TEMPLATE_DIR LOCALE PROGRAM_EXE TEST_EXE [TEST ARGS...]
# TEMPLATE_DIR holds a booted prefix, made here on first use and copied for
# each run; the program under test reaches the test through TEMPIRO_EXE.
# With TEMPIRO_WINE_DPI set (144 for 150 %), the prefix runs at that scale.
set -euo pipefail
template=$(realpath -m "$1") locale=$2 program=$(realpath -m "$3") test_exe=$(realpath -m "$4")
shift 4

export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64

# Unset DISPLAY: a test never opens windows on the developer's screen.
unset DISPLAY

if [ ! -f "$template/.ready" ]; then
  mkdir -p "$(dirname "$template")"
  exec 9>"$template.lock"
  flock 9
  if [ ! -f "$template/.ready" ]; then
    rm -rf "$template"
    WINEPREFIX="$template" xvfb-run -a wineboot -i >/dev/null 2>&1
    # Unmanaged windows: with no window manager on the display, Wine would
    # otherwise wait two seconds for one each time a window is hidden.
    WINEPREFIX="$template" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX="$template" wineserver -w
    touch "$template/.ready"
  fi
  flock -u 9
fi

prefixes="$(dirname "$template")/wine-prefixes"
mkdir -p "$prefixes"
prefix=$(mktemp -d "$prefixes/run.XXXXXX")
# The prefix's wineserver is waited for before its folder goes: Wine finds a
# prefix's server by the folder's inode, which a prefix made next may reuse.
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT
# The system folder is shared through hard links (Wine never writes to it
# after boot); everything else, the registry files first, is a real copy.
(cd "$template" && tar cf - --exclude=./drive_c/windows/system32 .) | (cd "$prefix" && tar xf -)
cp -al "$template/drive_c/windows/system32" "$prefix/drive_c/windows/"

# T: is a drive of the test's own (a folder on C:), for tests that need a
# drive root they may fill.
mkdir -p "$prefix/drive_c/drive-t"
ln -s ../drive_c/drive-t "$prefix/dosdevices/t:"

export WINEPREFIX="$prefix"
export TEMPIRO_EXE="Z:${program//\//\\}"
# TEMPIRO_WINE_DPI sets the prefix's display scale before anything starts:
# the user's LogPixels, which Wine prefers, and the hardware profile's, which
# it falls back to.
if [ -n "${TEMPIRO_WINE_DPI:-}" ]; then
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$TEMPIRO_WINE_DPI" /f >/dev/null 2>&1
  done
  wineserver -w
fi
# Wine takes its Windows locale (code page, date format) from LC_ALL; no
# Linux locale of that name is needed. The screenshot script hands over a
# display of its own in TEMPIRO_DISPLAY, to photograph what shows there.
if [ -n "${TEMPIRO_DISPLAY:-}" ]; then
  env LC_ALL="$locale" DISPLAY="$TEMPIRO_DISPLAY" wine "$test_exe" "$@"
else
  env LC_ALL="$locale" xvfb-run -a -s "-screen 0 1280x800x24" wine "$test_exe" "$@"
fi
