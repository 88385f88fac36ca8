# Sourced by the end-to-end scripts: a scratch folder ($work, removed at exit with every
# process listed in $pids), a virtual X server on a free display (exported as DISPLAY), and the
# window manager when one is named.
# Usage: start_virtual_x [WINDOW_MANAGER]
# Also: skip and fail (exit statuses 77 and 1), require_x_tools MANAGER TOOL... (skips when a tool
# or the named window manager is missing), client_geometry WINDOW (sets X Y W H of its client area),
# wait_window SECONDS SEARCH_ARGS... (prints the first visible window that matches).

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*"; [ -f "${work:-}/player.log" ] && cat "$work/player.log"; exit 1; }

require_x_tools() {
  local manager=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
  done
  [ -z "$manager" ] || command -v "$manager" >/dev/null || skip "$manager is not installed"
}

# The client area on screen (window managers add a frame around it).
client_geometry() {
  local info
  info=$(xwininfo -id "$1")
  X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  W=$(sed -n 's/.*Width: *//p' <<<"$info")
  H=$(sed -n 's/.*Height: *//p' <<<"$info")
}

# xdotool's own --sync gives up with an X error when any window goes away while it looks (a menu
# closing, a dialog ending), so each look is repeated until the time is up.
wait_window() {  # SECONDS SEARCH_ARGS...
  local deadline=$((SECONDS + $1)) found
  shift
  while [ $SECONDS -lt $deadline ]; do
    found=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.2
  done
  return 1
}

start_virtual_x() {
  work=$(mktemp -d)
  pids=()
  trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
  local manager=${1:-} display=""
  # The server picks a free display itself and writes its number once it accepts clients; picking
  # one here would race with runs started at the same moment.
  mkfifo "$work/display"
  # -noreset: the server would otherwise reset whenever its last client leaves, and a player
  # starting just then could not connect.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  read -r -t 20 display <"$work/display" || true
  [ -n "$display" ] || fail "the virtual X server did not start"
  export DISPLAY=":$display"
  if [ -n "$manager" ]; then
    "$manager" >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
  fi
}
