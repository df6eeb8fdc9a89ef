#!/usr/bin/env bash
# Takes the pictures in docs/screenshots: runs the Screens cases of the Wine
# test program against TempiroRecording.exe (whose power calls are written
# down, not made) in a throwaway prefix, on a private 1024x768 Xvfb display,
# and crops each window the cases show out of a picture of that display.
#   tests/wine/screenshots.sh [BUILD_DIR]    (BUILD_DIR: build/win64, built)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build/win64}")
out=$root/docs/screenshots
for file in "$build/tests/tempiro_wine_tests.exe" "$build/tests/TempiroRecording.exe"; do
  [ -f "$file" ] || { echo "missing $file: build $build first" >&2; exit 1; }
done

missing=()
command -v import >/dev/null || missing+=(imagemagick)
command -v Xvfb >/dev/null || missing+=(xvfb)
# Wine's own fonts: without them the caption buttons show letters for glyphs.
[ -e /usr/share/wine/fonts/marlett.ttf ] || missing+=(fonts-wine)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=$([ "$(id -u)" = 0 ] || echo sudo)
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

# A display number no other X server holds: Xvfb takes the first free one
# itself (binding its socket decides, so two servers never share one) and writes
# it to the pipe once it accepts connections.
work=$(mktemp -d)
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
runner=
cleanup() {
  [ -n "$runner" ] && kill "$runner" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
display=
read -r display <"$work/display" || true
[ -n "$display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# Wine finds its own fonts (Marlett draws the caption buttons) only where
# fontconfig shows them; this run's fontconfig adds their folder.
cat >"$work/fonts.conf" <<'EOF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <dir>/usr/share/wine/fonts</dir>
</fontconfig>
EOF
export FONTCONFIG_FILE=$work/fonts.conf

mkdir -p "$out" "$work/shots"
TEMPIRO_DISPLAY=":$display" TEMPIRO_SCREENS_DIR="$work/shots" \
  bash "$root/tests/wine/run_in_prefix.sh" "$build/wine-template" zh_CN.UTF-8 \
  "$build/tests/TempiroRecording.exe" "$build/tests/tempiro_wine_tests.exe" --gtest_filter='Screens.*' &
runner=$!

# Each case writes <name>.rect ("x y width height") and waits for <name>.done.
shoot() {
  local rect=$1 name x y w h
  name=$(basename "$rect" .rect)
  read -r x y w h <"$rect"
  import -display ":$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
  echo "docs/screenshots/$name.png (${w}x${h})"
  rm -f "$rect"
  touch "$work/shots/$name.done"
}
while kill -0 "$runner" 2>/dev/null; do
  for rect in "$work"/shots/*.rect; do
    [ -e "$rect" ] && shoot "$rect"
  done
  sleep 0.2
done
status=0
wait "$runner" || status=$?
runner=
exit $status
