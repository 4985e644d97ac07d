#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan, a build of their own) and
# runs each for the given number of seconds (default 60) from the committed
# seed corpus. A crash, a sanitizer report, a hang (10 s per input) or a leak
# fails the run; its input is left in build/fuzz/findings/<target>/ for
# fuzz/crashes/<target>/, which the corpus replay test runs in every build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
bash "$root/tools/setup.sh"

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/brondil-ccache}"
# The precompiled JUCE headers are cached as well.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
build="$root/build/fuzz"
targets=(state_chunk settings_file ir_file dispatcher)

# -O1 with line tables: sanitizer reports keep their lines, and JUCE builds in
# half the time of -O2 -g.
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only" -DBRONDIL_FUZZ=ON -DBRONDIL_BENCHMARKS=OFF
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in "${targets[@]}"; do
  # New inputs go into a working copy; the committed seeds stay as they are.
  work="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$work" "$findings"
  log="$build/$target.log"
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" -print_final_stats=1 "$work" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    status=1
    echo "fuzz_$target FAILED: see $log and $findings"
    tail -n 40 "$log"
  fi
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
  echo "fuzz_$target: $runs executions in ${seconds} s"
done
exit "$status"
