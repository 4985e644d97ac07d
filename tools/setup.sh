#!/usr/bin/env bash
# Installs what building and testing Brondil needs (Debian 12). Idempotent.
set -euo pipefail
packages=(
  cmake g++ make ccache pkg-config python3 binutils
  googletest libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
