#!/usr/bin/env bash
# Bytes fetched from beyond the second-level cache per hop at 32 × 32, N 4096,
# for the engine and the strong peer, against the cells' bytes: cachegrind with
# its last level set to this processor's second-level cache counts the misses
# of a run of WARM hops and of one of WARM + STEADY hops, and the difference,
# times the line size, over STEADY is one steady hop's traffic.
#   bench/hop_traffic.sh [build folder, default build/release] [engine|peer ...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
shift || true
which=(engine peer)
[ $# -gt 0 ] && which=("$@")
driver="$build/bench/bench_engine_hop_traffic"
cache=/sys/devices/system/cpu/cpu0/cache/index2
size_kb="$(sed 's/K$//' "$cache/size")"
ways="$(cat "$cache/ways_of_associativity")"
line="$(cat "$cache/coherency_line_size")"
warm=2
steady=4

# The last-level misses, reads and writes, of one run of the driver.
misses() {
  valgrind --tool=cachegrind --cache-sim=yes --cachegrind-out-file=/dev/null \
    --LL=$((size_kb * 1024)),"$ways","$line" "$driver" "$1" "$2" 2>&1 >/dev/null |
    awk '/LL misses:/ { gsub(",", "", $4); print $4 }'
}

cells="$("$driver" engine 0 | awk '{ print $3 }')"
echo "second-level cache: ${size_kb} KB, ${ways} ways, ${line}-byte lines; cells: $((cells / 1000000)) MB"
for name in "${which[@]}"; do
  before="$(misses "$name" "$warm")"
  after="$(misses "$name" $((warm + steady)))"
  bytes=$(((after - before) * line / steady))
  awk -v n="$name" -v b="$bytes" -v c="$cells" \
    'BEGIN { printf "%-7s %8.1f MB beyond L2 per hop, %.2f x the cells\n", n, b / 1e6, b / c }'
done
