#!/usr/bin/env bash
# Installs the Debian packages the project needs, non-interactively, and only those missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  zlib1g-dev libjpeg62-turbo-dev libjpeg-turbo-progs libwebp-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libxcb1-dev qt6-multimedia-dev libqt6svg6
  fonts-liberation xdg-utils desktop-file-utils shared-mime-info libfile-mimeinfo-perl
  xvfb xdotool x11-apps imagemagick openbox python3 poppler-utils chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
