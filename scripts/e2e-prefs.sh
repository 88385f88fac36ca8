#!/usr/bin/env bash
# Preferences, history and links as a reader meets them, under a virtual X server: five flyers
# opened in turn leave the last four in the settings; after a restart the reader sets a browser in
# Options, opens the newest flyer from the File menu, and its web link reaches that browser as one
# unchanged argument, while its link to a script is refused and the script never runs.
# Usage: scripts/e2e-prefs.sh BUILD_DIR [WINDOW_MANAGER] [SCREENSHOT_PREFIX]
# Exit status 77 (skipped) when the X tools are not available.
set -euo pipefail

build=$(cd "${1:?usage: e2e-prefs.sh BUILD_DIR [WINDOW_MANAGER] [SCREENSHOT_PREFIX]}" && pwd)
manager=${2:-}
shots=${3:-}
bin="$build/bin"
source "$(dirname "$0")/e2e-x.sh"
require_x_tools "$manager" Xvfb xdotool xwininfo
[ -z "$shots" ] || command -v import >/dev/null || skip "import is not installed"
for program in quireleaf qrltool; do
  [ -x "$bin/$program" ] || skip "no $program in $bin"
done

start_virtual_x "$manager"
shot() { [ -z "$shots" ] || import -window root "$shots-$1.png"; }

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$TMPDIR"
conf="$XDG_CONFIG_HOME/Quireleaf/Player.conf"

# A flyer whose left half links to a web page and whose right half to a script beside it.
address='https://example.org/a b?x=1&y="2";$(touch hacked)'
cat >"$work/links.json" <<JSON
{
  "info": {"Flyer Info": {"Title": "Links"}},
  "elements": {"area": {"kind": "click"}},
  "pages": [
    {"name": "links", "colour": "#FFFFFF", "place": [
      {"element": "area", "at": [0, 0, 320, 340], "link": "$(sed 's/"/\\"/g' <<<"$address")"},
      {"element": "area", "at": [320, 0, 320, 340], "link": "evil.sh"}
    ]}
  ]
}
JSON
"$bin/qrltool" build "$work/links.json" -o "$work/links.qrl" >/dev/null 2>&1 || skip "qrltool build cannot build the flyer"
printf '#!/bin/sh\ntouch "%s/script-ran"\n' "$work" >"$work/evil.sh"
chmod +x "$work/evil.sh"
cat >"$work/browser" <<SH
#!/bin/sh
printf '%s\n' "\$#" "\$@" >>"$work/browser.log"
SH
chmod +x "$work/browser"

window=""
start() {  # ARGS...
  "$bin/quireleaf" -t "$@" >"$work/player.log" 2>&1 &
  player=$!
  pids+=($player)
  window=$(wait_window 20 --pid "$player" --name 'Links|Quireleaf Player' || true)
  if [ -z "$window" ]; then
    kill -0 "$player" 2>/dev/null || { status=0; wait "$player" || status=$?; fail "the player ($*) ended with status $status before its window appeared"; }
    fail "the player window ($*) did not appear; windows: $(xdotool search --name . getwindowname %@ 2>&1 | tr '\n' ';')"
  fi
  sleep 1
}
focus() { xdotool windowfocus --sync "$window" 2>/dev/null || true; sleep 0.2; }
quit() {
  focus
  xdotool key ctrl+q
  for _ in $(seq 50); do kill -0 "$player" 2>/dev/null || return 0; sleep 0.1; done
  fail "the player did not end"
}
# Clicks at a point of the flyer area (below the menu bar).
click_flyer() {  # X Y
  local menu
  client_geometry "$window"
  menu=$((H - 340 - 30))
  xdotool mousemove $((X + $1)) $((Y + menu + $2)) click 1
  sleep 1
}

# Five flyers in turn.
for name in one two three four five; do
  cp "$work/links.qrl" "$work/$name.qrl"
  start "$work/$name.qrl"
  quit
done
for i in 1 2 3 4; do
  expected=$(sed -n "$((5 - i + 1))p" <<<$'one\ntwo\nthree\nfour\nfive')
  grep -qx "file_$i=$work/$expected.qrl" "$conf" || fail "history entry $i is not $expected.qrl: $(cat "$conf")"
done
grep -q 'one.qrl' "$conf" && fail "the oldest flyer stayed in the history"

# After a restart: Options > Set..., the browser typed in, OK.
start
focus
xdotool key alt+o
sleep 0.5
xdotool key s
options=$(wait_window 10 --name '^Options$' || true)
[ -n "$options" ] || fail "the Options dialog did not appear"
sleep 0.5
xdotool type --delay 10 "$work/browser"
shot options
xdotool key Return
sleep 0.5

# File > 1 opens the newest flyer.
focus
xdotool key alt+f
sleep 0.5
shot history
xdotool key 1
wait_window 20 --name '^Links$' >/dev/null || fail "the history item did not open the flyer"
sleep 1

click_flyer 100 150
shot weblink
[ -f "$work/browser.log" ] || fail "the web link did not reach the browser"
printf '1\n%s\n' "$address" | cmp -s - "$work/browser.log" || fail "the browser got: $(cat "$work/browser.log")"

click_flyer 500 150
shot refused
[ -e "$work/script-ran" ] && fail "a link ran a script"
[ -e "$work/hacked" ] && fail "an address was read by a shell"
message=$(xdotool search --onlyvisible --name '^Quireleaf Player$' 2>/dev/null | grep -v "^$window\$" | head -n1 || true)
[ -n "$message" ] || fail "the refusal was not shown"
xdotool key Return
sleep 0.5
[ "$(wc -l <"$work/browser.log")" = 2 ] || fail "the refused link reached the browser"

# The logo shows the about window; the guide opens with F1.
client_geometry "$window"
xdotool mousemove $((X + 20)) $((Y + H - 15)) click 1
about=$(wait_window 10 --name '^About Quireleaf Player$' || true)
[ -n "$about" ] || fail "the logo showed no about window"
sleep 0.5
shot about
xdotool key Return
sleep 0.5
focus
xdotool key F1
wait_window 10 --name '^Quireleaf Player Help$' >/dev/null || fail "F1 showed no help"
sleep 0.5
shot help

quit
grep -qx "DefBrowser=$work/browser" "$conf" || fail "the browser was not stored: $(cat "$conf")"
echo "e2e-prefs: history, options and links passed${manager:+ under $manager}"
