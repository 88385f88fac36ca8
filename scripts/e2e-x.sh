# Sourced by the end-to-end scripts: a scratch folder ($work, removed at exit with every
# process listed in $pids), a virtual X server on the first free display from FIRST_DISPLAY on
# (exported as DISPLAY), and the window manager when one is named.
# Usage: start_virtual_x FIRST_DISPLAY [WINDOW_MANAGER]
# Also: skip and fail (exit statuses 77 and 1), require_x_tools MANAGER TOOL... (skips when a tool
# or the named window manager is missing), client_geometry WINDOW (sets X Y W H of its client area).

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

start_virtual_x() {
  work=$(mktemp -d)
  pids=()
  trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
  local display=$1 manager=${2:-} server
  while :; do
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    server=$!
    # Another run may have taken the same display a moment earlier: then this server ends.
    for _ in $(seq 50); do
      kill -0 "$server" 2>/dev/null || break
      DISPLAY=":$display" xdotool getmouselocation >/dev/null 2>&1 && break
      sleep 0.1
    done
    kill -0 "$server" 2>/dev/null && break
    display=$((display + 1))
  done
  pids+=($server)
  export DISPLAY=":$display"
  if [ -n "$manager" ]; then
    "$manager" >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
  fi
}
