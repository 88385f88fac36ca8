#!/usr/bin/env bash
# Opens the bundled demo flyer in the player (build folder as the first argument).
set -euo pipefail
build=${1:-build}
flyer="$build/examples/demo.qrl"
player="$build/bin/quireleaf"
if [ ! -f "$flyer" ]; then
  echo "The demo flyer $flyer was not built." >&2
  exit 1
fi
"$build/bin/qrltool" info "$flyer"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to open the player on; run: $player $flyer" >&2
  exit 0
fi
exec "$player" "$flyer"
