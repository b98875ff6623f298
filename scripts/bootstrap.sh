#!/usr/bin/env bash
# Installs the Debian 12 packages the controller needs to build, run, test and package.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
  libavformat-dev libcurl4-openssl-dev libexpat1-dev zlib1g-dev
  lighttpd curl python3 python3-pyftpdlib
  xvfb xauth ffmpeg fonts-dejavu-core fonts-liberation wrk
  dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xdotool
  file desktop-file-utils appstream lintian
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
