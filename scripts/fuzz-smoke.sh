#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a short while each and fails on any finding.
#   bash scripts/fuzz-smoke.sh BUILD_DIR
# A fuzzer BUILD_DIR/bin/NAME_fuzzer starts from the seeds that its generator writes into the
# folder given as its argument, when one exists: BUILD_DIR/bin/NAME_fuzzer_seeds, or
# BUILD_DIR/bin/make_PREFIX_seeds where PREFIX is NAME up to its first "_".
# Every seed is first run once whole (fuzzing reads corpus files only up to its length limit,
# at most 1 MB unless told), then the fuzzer runs from them. Both under the same limits: a unit that takes longer than
# FUZZ_TIMEOUT seconds, or a process above FUZZ_RSS_MB megabytes (ASan's own memory included),
# is a finding; the crafted flyers among the loader's seeds once took minutes or gigabytes.
# FUZZ_SECONDS overrides the time per fuzzer (default 60). The mutations start from a fixed
# random seed, FUZZ_SEED (default 1), so that a run repeats what an earlier run with the same
# seed tried, on any machine, as far as its time allows: a finding here is a regression, and a
# longer run with the same seed (FUZZ_SECONDS=600) vouches for shorter ones. Long campaigns
# with fresh seeds are run by hand.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
seed=${FUZZ_SEED:-1}
timeout=${FUZZ_TIMEOUT:-5}
rss=${FUZZ_RSS_MB:-512}
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
  seeds=("$corpus"/*)
  echo "== $name: ${#seeds[@]} seeds replayed, then ${seconds} s of fuzzing from seed $seed (-timeout=$timeout -rss_limit_mb=$rss)"
  set +e
  status=0
  if [[ ${#seeds[@]} -gt 0 ]]; then
    largest=$(stat -c %s "${seeds[@]}" | sort -n | tail -1)
    (cd "$work/$name" && "$fuzzer" -runs=0 -max_len="$largest" -timeout="$timeout" -rss_limit_mb="$rss" \
      -artifact_prefix="$artifacts" "$corpus" >"$work/$name/seeds.log" 2>&1)
    status=$?
    echo "   seeds: $(grep -o 'INITED.*' "$work/$name/seeds.log" | head -1), exit status $status"
    if [[ $status -ne 0 ]]; then
      log="$work/$name/seeds.log"
    fi
  fi
  if [[ $status -eq 0 ]]; then
    (cd "$work/$name" && "$fuzzer" -seed="$seed" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb="$rss" \
      -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1)
    status=$?
  fi
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
