#!/usr/bin/env bash
# Installs what building and testing Brondil needs (Debian 12). Idempotent.
set -euo pipefail
packages=(
  cmake g++ make ccache pkg-config python3 binutils
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev libzita-convolver-dev
  juce-modules-source libsndfile1-dev libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev
  libx11-dev libx11-6 libxext6 libxcursor1 libxinerama1 libxrandr2 libxrender1
  xvfb xdotool openbox fonts-dejavu-core locales clang-format-14
  dpf-plugins-vst
  ardour
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A comma-decimal locale for the tests that read and write numbers under it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
# A Latin-1 locale, whose system messages are not UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.iso-\?8859-\?1$'; then
  $sudo localedef -i fr_FR -f ISO-8859-1 fr_FR.ISO-8859-1
fi
