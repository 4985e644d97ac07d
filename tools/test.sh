#!/usr/bin/env bash
# Builds Brondil and runs its tests. With --sanitize: the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, in a build of their own.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/brondil-ccache}"
export CCACHE_SLOPPINESS=time_macros
jobs="$(nproc)"

if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build/sanitize"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRONDIL_SANITIZE=ON -DBRONDIL_BENCHMARKS=OFF
  cmake --build "$build" -j "$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir "$build" -L unit --output-on-failure -j "$jobs"
else
  build="$root/build/release"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build" -j "$jobs"
  ctest --test-dir "$build" --output-on-failure -j "$jobs"
fi
