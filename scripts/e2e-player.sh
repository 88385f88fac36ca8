#!/usr/bin/env bash
# End-to-end run of the player under a virtual X server: opens a flyer, compares the flyer area
# on screen with `qrltool render` of the same page, clicks to page 2 and compares again.
# Usage: scripts/e2e-player.sh BUILD_DIR
# Exit status 77 (skipped) when the X tools or the render command are not available.
set -euo pipefail

build=${1:?usage: e2e-player.sh BUILD_DIR}
bin="$build/bin"
skip() { echo "SKIPPED: $*"; exit 77; }

for tool in Xvfb xdotool import compare; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
done
[ -x "$bin/quireleaf" ] || skip "no player in $bin"
[ -x "$bin/e2e_flyer_writer" ] || skip "no flyer writer in $bin"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

flyer="$work/e2e.qrl"
"$bin/e2e_flyer_writer" "$flyer"
for page in 1 2; do
  if ! "$bin/qrltool" render "$flyer" --page "$page" -o "$work/expected$page.png" >/dev/null 2>&1; then
    skip "qrltool render is not available"
  fi
done

# A free display number: the first without a lock file.
display=99
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

export QT_QPA_PLATFORM=xcb
# A runtime folder of this run's own: a player already running for the user must not take the flyer.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$bin/quireleaf" -t "$flyer" >"$work/player.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^E2E Flyer$' | head -n1)
[ -n "$window" ] || { cat "$work/player.log"; echo "FAIL: the player window did not appear"; exit 1; }
sleep 1

# The flyer area: 640 x 340 at the client's left, above the 30-pixel nav bar.
eval "$(xdotool getwindowgeometry --shell "$window")"
area_top=$((HEIGHT - 370))
shot() {
  import -window root -crop "640x340+$X+$((Y + area_top))" +repage "$1"
}
same() {
  local diff
  diff=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
  [ "$diff" = "0" ] || { echo "FAIL: $1 differs from $2 in $diff pixels"; return 1; }
}

shot "$work/shown1.png"
same "$work/shown1.png" "$work/expected1.png"

xdotool mousemove --window "$window" 100 $((area_top + 100)) click 1
sleep 1
shot "$work/shown2.png"
same "$work/shown2.png" "$work/expected2.png"

xdotool key --window "$window" ctrl+F4
sleep 0.5
xdotool windowclose "$window" 2>/dev/null || true
echo "PASS: page 1 and page 2 on screen match qrltool render"
