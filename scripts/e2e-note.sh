#!/usr/bin/env bash
# The note as a reader uses it, under a virtual X server: the demo flyer opens with its note
# window, a line is typed into the note, Ctrl+S saves, File > Exit ends the player without a
# question, and `qrltool note` finds the typed line in the saved flyer.
# Usage: scripts/e2e-note.sh BUILD_DIR [WINDOW_MANAGER] [SCREENSHOT.png]
# Exit status 77 (skipped) when the X tools are not available.
set -euo pipefail

build=$(cd "${1:?usage: e2e-note.sh BUILD_DIR [WINDOW_MANAGER] [SCREENSHOT.png]}" && pwd)
manager=${2:-}
screenshot=${3:-}
bin="$build/bin"
source "$(dirname "$0")/e2e-x.sh"
require_x_tools "$manager" Xvfb xdotool
[ -z "$screenshot" ] || command -v import >/dev/null || skip "import is not installed"
for program in quireleaf qrltool; do
  [ -x "$bin/$program" ] || skip "no $program in $bin"
done
[ -f "$build/examples/demo.qrl" ] || skip "no demo flyer in $build/examples"

start_virtual_x "$manager"

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$TMPDIR"

flyer="$work/demo.qrl"
cp "$build/examples/demo.qrl" "$flyer"
"$bin/quireleaf" -t "$flyer" >"$work/player.log" 2>&1 &
player=$!
pids+=($player)
main=$(wait_window 20 --name '^Quireleaf demo flyer$' || true)
[ -n "$main" ] || fail "the player did not show the demo flyer"
note=$(wait_window 20 --name '^Note$' || true)
[ -n "$note" ] || fail "the demo flyer's note window did not show"
sleep 1

# Click into the note, go to its end and type a line of its own.
eval "$(xdotool getwindowgeometry --shell "$note")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
sleep 0.3
xdotool key ctrl+End Return
xdotool type --delay 20 "Typed under X"
sleep 0.3
[ -z "$screenshot" ] || import -window root "$screenshot"
xdotool key ctrl+s
sleep 1

# File > Exit from the main window: a saved note asks nothing.
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool mousemove 300 300 click 1
xdotool key --window "$main" alt+f
sleep 0.3
xdotool key x
for _ in $(seq 100); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
kill -0 "$player" 2>/dev/null && fail "the player did not end (a question about the note?)"

lines=$("$bin/qrltool" note "$flyer")
grep -qx "Typed under X" <<<"$lines" || fail "the saved note reads: $lines"
grep -q "flyer's note" <<<"$lines" || fail "the note's first text was lost: $lines"
echo "PASS"
