#!/usr/bin/env bash
# Runs every benchmark of a build (folder as the first argument). Each compares against a peer
# measured in the same run: the scan against a plain read of the file, page 1 of a long flyer
# against page 1 of a short one, a page change against the copy that puts a page on screen,
# the FIF codec against libjpeg-turbo.
set -euo pipefail
build=${1:-build}
for bench in flyer_scan_bench first_page_bench render_bench fif_bench; do
  if [ -x "$build/bin/$bench" ]; then
    echo "== $bench"
    "$build/bin/$bench"
  fi
done
