#!/usr/bin/env bash
# End-to-end run of the player under a virtual X server, once without a window manager and once
# under openbox: the window's client area must be exactly menu + flyer area + nav bar at start and
# after every display toggle, the flyer area on screen must equal `qrltool render` of the page,
# clicks and page keys must leaf, and SIGTERM must end the player leaving no temporary file.
# Usage: scripts/e2e-player.sh BUILD_DIR
# Exit status 77 (skipped) when the X tools or the render command are not available.
set -euo pipefail

build=${1:?usage: e2e-player.sh BUILD_DIR}
bin="$build/bin"
source "$(dirname "$0")/e2e-x.sh"
require_x_tools "" Xvfb xdotool xwininfo import compare
[ -x "$bin/quireleaf" ] || skip "no player in $bin"
[ -x "$bin/e2e_flyer_writer" ] || skip "no flyer writer in $bin"
demo="$build/examples/demo.qrl"
[ -f "$demo" ] || skip "no demo flyer in $build/examples"

start_virtual_x ""
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "${E2E_KEEP:-}" ] && cp -r "$work" "$E2E_KEEP"; rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL (${session:-setup}): $*"; [ -f "$work/player.log" ] && cat "$work/player.log"; exit 1; }

flyer="$work/e2e.qrl"
"$bin/e2e_flyer_writer" "$flyer"
render() {  # FLYER PAGE OUT
  "$bin/qrltool" render "$1" --page "$2" -o "$3" >/dev/null 2>&1 || skip "qrltool render is not available"
}
for page in 1 2; do render "$flyer" "$page" "$work/e2e$page.png"; done
for page in 1 2 3; do render "$demo" "$page" "$work/demo$page.png"; done

# The player's private folders: its own temp folder (to see what it leaves) and runtime folder
# (so that it does not hand its flyer to another player of the same user).
mkdir -m 700 "$work/tmp" "$work/runtime"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb

window=""
geometry() { client_geometry "$window"; }  # sets X Y W H of the window's client area
# The flyer area (640 x 340) lies above the 30-pixel nav bar, below the menu bar if any.
same_page() {  # EXPECTED NAME
  local diff
  geometry
  import -window root -crop "640x340+$X+$((Y + H - 370))" +repage "$work/$2.png"
  diff=$(compare -metric AE "$work/$2.png" "$1" null: 2>&1 || true)
  [ "$diff" = "0" ] || fail "$2: the flyer area differs from qrltool render in $diff pixels"
}
client_is() {  # WIDTH HEIGHT WHAT
  geometry
  [ "$W" = "$1" ] && [ "$H" = "$2" ] || fail "$3: client area ${W}x$H, expected ${1}x$2"
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.7; }
start() {  # TITLE ARGS...
  local title=$1
  shift
  "$bin/quireleaf" "$@" >"$work/player.log" 2>&1 &
  player=$!
  pids+=($player)
  window=$(wait_window 20 --name "^$title\$" || true)
  [ -n "$window" ] || fail "the player window did not appear"
  sleep 1.5
  xdotool windowactivate "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.3
}
stop_with() {  # SIGNAL
  kill -s "$1" "$player"
  for _ in $(seq 50); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$player" 2>/dev/null || fail "the player did not end on SIG$1"
  left=$(ls -A "$work/tmp")
  [ -z "$left" ] || fail "SIG$1 left temporary files behind: $left"
}

session() {
  session=$1
  # A file left by a player that was killed outright: the next start removes it; a file of a
  # running process stays.
  sleep 0 &
  gone=$!
  wait "$gone"
  : >"$work/tmp/QRL$gone-abcdef"
  : >"$work/tmp/QRL$$-abcdef"
  # The click flyer: page 1 leads to page 2 through its left half.
  start 'E2E Flyer' -t "$flyer"
  [ ! -e "$work/tmp/QRL$gone-abcdef" ] || fail "the orphaned temporary file was not removed"
  [ -e "$work/tmp/QRL$$-abcdef" ] || fail "a running process's temporary file was removed"
  rm "$work/tmp/QRL$$-abcdef"
  geometry
  menu=$((H - 370))
  [ "$W" = 640 ] && [ "$menu" -gt 0 ] && [ "$menu" -lt 60 ] || fail "start: client area ${W}x$H"
  same_page "$work/e2e1.png" e2e-shown1
  xdotool mousemove --window "$window" 100 $((menu + 100)) click 1
  sleep 1
  same_page "$work/e2e2.png" e2e-shown2
  stop_with INT

  # The demo flyer, muted, with the start-up splash: sizes after every display toggle, page keys.
  start 'Quireleaf demo flyer' -s "$demo"
  sleep 2  # the loading splash stays up for two seconds
  # The demo's note window opens over the page: the nav bar's Note button puts it away.
  geometry
  xdotool mousemove --window "$window" $((W - 186 + 28)) $((H - 15)) click 1
  sleep 0.7
  client_is 640 $((menu + 370)) "start"
  same_page "$work/demo1.png" demo-start
  key ctrl+m
  client_is 640 370 "menu hidden"
  key ctrl+m
  client_is 640 $((menu + 370)) "menu shown again"
  same_page "$work/demo1.png" demo-menu-back
  key ctrl+n
  client_is 640 $((menu + 340)) "nav bar hidden"
  key ctrl+n
  client_is 640 $((menu + 370)) "nav bar shown again"
  key F5
  key F5
  client_is 640 $((menu + 370)) "presentation mode left"
  same_page "$work/demo1.png" demo-presentation-back
  key Right
  same_page "$work/demo2.png" demo-key-right
  key space
  same_page "$work/demo3.png" demo-key-space
  key BackSpace
  key Left
  same_page "$work/demo1.png" demo-key-back
  key F5
  key Escape
  client_is 640 $((menu + 370)) "presentation mode left with Esc"
  stop_with "$2"
}

session "no window manager" TERM
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  session "openbox" HUP
else
  echo "openbox is not installed: the window-manager run was skipped (scripts/setup.sh installs it)"
fi
echo "PASS: sizes, pages, keys, orphaned temporary files and signals, without a window manager and under openbox"
