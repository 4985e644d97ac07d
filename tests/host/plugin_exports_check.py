"""Fails unless the plug-in file's dynamic symbol table defines exactly
VSTPluginMain and main: everything else linked into it stays local."""
import argparse
import subprocess
import sys

parser = argparse.ArgumentParser()
parser.add_argument("--nm", required=True)
parser.add_argument("plugin")
arguments = parser.parse_args()

listing = subprocess.run([arguments.nm, "-D", "--defined-only", arguments.plugin],
                         check=True, capture_output=True, text=True).stdout
defined = sorted(line.split()[-1] for line in listing.splitlines() if line.strip())
if defined != ["VSTPluginMain", "main"]:
    print("defined dynamic symbols: " + (", ".join(defined) or "none"))
    sys.exit(1)
print("exports: VSTPluginMain, main")
