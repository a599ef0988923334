#!/usr/bin/env bash
# real-window.sh [BUILD_DIR] [SCREENSHOT.png]: runs the dialog in a real X server (Xvfb),
# fills Source, Length and Output Directory and presses Convert with xdotool, waits for the
# model file, saves a screenshot of the screen, then closes the dialog with Escape and checks
# that the settings were written.
#
# Needs the Debian packages xvfb, xdotool and imagemagick (for "import"); exits 77 (skipped)
# when one is missing. The settings go to a temporary configuration folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shot=${2:-$build/real-window.png}
program=$build/bin/shapewright

for tool in Xvfb xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    echo "real-window.sh: $tool is missing (Debian packages xvfb, xdotool, imagemagick): skipped" >&2
    exit 77
  fi
done
[ -x "$program" ] || { echo "real-window.sh: $program is missing (build the target shapewright)" >&2; exit 2; }

scratch=$(mktemp -d)
xvfb_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/out" "$scratch/config"
cp "$root/examples/steam-loco/Loco.s" "$scratch/Loco.s"

# A free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=xcb "$program" >"$scratch/app.log" 2>&1 &
app_pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Shapewright$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "real-window.sh: the dialog did not appear" >&2; cat "$scratch/app.log" >&2; exit 1; }
sleep 0.5

# Dialog units to screen pixels, from the window's size (320 x 200 dialog units).
eval "$(xdotool getwindowgeometry --shell "$window")"
win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
click_at() {  # x y in dialog units
  xdotool mousemove --sync $((win_x + $1 * win_w / 320)) $((win_y + $2 * win_h / 200)) click 1
  sleep 0.2
}
fill_at() {  # x y text: click into an edit, select all, type
  click_at "$1" "$2"
  xdotool key ctrl+a
  xdotool type --delay 5 "$3"
}
fill_at 172 14 "$scratch/Loco.s"       # Source (31, 7, 282, 14)
fill_at 82 79 "16.5"                   # Length (62, 72, 40, 14)
fill_at 161 56 "$scratch/out"          # Output Directory (66, 49, 190, 14)
click_at 289 33                        # Convert (265, 26, 48, 14)

# The typed source keeps its letter case, and so does the model file's name.
model=$scratch/out/Loco.stk
for _ in $(seq 300); do
  grep -q "^Length 16500" "$model" 2>/dev/null && break
  sleep 0.1
done
sleep 0.5
import -window root "$shot"
if ! grep -q "^Length 16500" "$model" 2>/dev/null; then
  echo "real-window.sh: no model file (screenshot: $shot)" >&2
  exit 1
fi
echo "model file written: $(wc -c <"$model") bytes; screenshot: $shot"

xdotool key Escape
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then echo "real-window.sh: Escape did not close the dialog" >&2; exit 1; fi
app_pid=""
settings=$(find "$scratch/config" -name 'shapewright.conf' | head -n 1)
if [ -z "$settings" ] || ! grep -q "^Dest=$scratch/out$" "$settings"; then
  echo "real-window.sh: the settings were not written" >&2
  exit 1
fi
echo "settings written: $settings"
sed 's/^/  /' "$settings"
