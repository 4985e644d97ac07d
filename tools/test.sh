#!/usr/bin/env bash
# Builds Brondil and runs its tests, each kind in a build of its own:
#   tools/test.sh             the release build and every test
#   tools/test.sh --sanitize  the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   tools/test.sh --tsan      the tests labelled `threads` under ThreadSanitizer; only their
#                             programs are built
# --werror, given as well, makes every warning in our own code an error, as CI does.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

kind=release
werror=OFF
for option in "$@"; do
  case "$option" in
    --sanitize) kind=sanitize ;;
    --tsan) kind=tsan ;;
    --werror) werror=ON ;;
    *) echo "usage: $0 [--sanitize | --tsan] [--werror]" >&2; exit 2 ;;
  esac
done

bash "$root/tools/setup.sh"

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/brondil-ccache}"
# The precompiled JUCE headers are cached as well.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
jobs="$(nproc)"
build="$root/build/$kind"

# The sanitizer builds compile at -O1 with line tables only: their reports keep
# file and line, and JUCE builds in half the time of -O2 -g.
checked=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" -DBRONDIL_BENCHMARKS=OFF
  -DBRONDIL_WERROR="$werror")

case "$kind" in
  sanitize)
    cmake -S "$root" -B "$build" "${checked[@]}" -DBRONDIL_SANITIZE=ON
    cmake --build "$build" -j "$jobs"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ctest --test-dir "$build" -L unit --output-on-failure -j "$jobs"
    ;;
  tsan)
    cmake -S "$root" -B "$build" "${checked[@]}" -DBRONDIL_TSAN=ON
    cmake --build "$build" -j "$jobs" --target engine_tests host_tests
    # JUCE is built with the same instrumentation and needs no suppressions.
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
    # Without address-space randomisation: ThreadSanitizer's fixed memory layout
    # does not fit every kernel's randomised mappings.
    setarch "$(uname -m)" -R ctest --test-dir "$build" -L threads --output-on-failure -j "$jobs"
    ;;
  release)
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBRONDIL_WERROR="$werror"
    cmake --build "$build" -j "$jobs"
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
    ;;
esac
