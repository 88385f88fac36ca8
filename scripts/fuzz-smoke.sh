#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a short while each and fails on any finding.
#   bash scripts/fuzz-smoke.sh BUILD_DIR
# A fuzzer BUILD_DIR/bin/NAME_fuzzer starts from the seeds that its generator writes into the
# folder given as its argument, when one exists: BUILD_DIR/bin/NAME_fuzzer_seeds, or
# BUILD_DIR/bin/make_PREFIX_seeds where PREFIX is NAME up to its first "_".
# FUZZ_SECONDS overrides the time per fuzzer (default 60).
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
work="$build/fuzz-smoke"
rm -rf "$work"
mkdir -p "$work"

shopt -s nullglob
fuzzers=("$build"/bin/*_fuzzer)
if [[ ${#fuzzers[@]} -eq 0 ]]; then
  echo "no fuzzers in $build/bin (configure with -DQRL_FUZZ=ON and clang)" >&2
  exit 1
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus="$work/$name/corpus"
  artifacts="$work/$name/artifacts/"
  mkdir -p "$corpus" "$artifacts"
  for generator in "$fuzzer"_seeds "$build/bin/make_${name%%_*}_seeds"; do
    if [[ -x "$generator" ]]; then
      "$generator" "$work/$name/seeds"
      cp "$work/$name/seeds"/* "$corpus"/ 2>/dev/null || true
      break
    fi
  done
  log="$work/$name/fuzz.log"
  echo "== $name: ${seconds} s, $(ls "$corpus" | wc -l) seeds"
  set +e
  (cd "$work/$name" && "$fuzzer" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1)
  status=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  echo "   executions: ${runs:-?}, ${speed:-?}/s, time: ${time:-?} s, exit status $status"
  if [[ $status -ne 0 ]]; then
    echo "   FAILED: see $log and $artifacts" >&2
    grep -E "ERROR|SUMMARY|deadly signal|timeout|leak" "$log" | head -5 >&2 || true
    failed+=("$name")
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzzers with findings: ${failed[*]}" >&2
  exit 1
fi
echo "all fuzzers ran clean"
