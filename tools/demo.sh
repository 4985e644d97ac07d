#!/usr/bin/env bash
# The main job on a fresh machine: installs what is needed, builds the plug-in
# and our host, makes an example impulse response and a dry signal, writes the
# plug-in state that loads the IR (IR multi mode), and renders the dry signal
# through Brondil.so in brondil-host, restoring that state as a host restores a
# saved project. Prints where the wet file is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/brondil-ccache}"
# The precompiled JUCE headers are cached as well.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)" --target Brondil brondil-host brondil-example brondil-state

demo="$root/build/demo"
mkdir -p "$demo/plugin"
# The plug-in keeps its settings beside its file: the demo's own folder gives
# it the default of 2 inputs and 2 outputs, which the example is made for.
ln -sf "$build/host/Brondil.so" "$demo/plugin/Brondil.so"

"$build/tools/brondil-example" --ir "$demo/example-ir.wav" --dry "$demo/dry.wav"
"$build/tools/brondil-state" --ir "$demo/example-ir.wav" --inputs 2 --output "$demo/example.state"
# Without a display the plug-in takes its channel counts from its settings
# instead of asking in a dialog. 1.5 s of tail lets the reverb ring out.
DISPLAY= "$build/tools/brondil-host" "$demo/plugin/Brondil.so" --load-state "$demo/example.state" \
  --input "$demo/dry.wav" --output "$demo/wet.wav" --tail 72000
echo "wet signal: $demo/wet.wav"
