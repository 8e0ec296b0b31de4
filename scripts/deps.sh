#!/usr/bin/env bash
# Installs what Brellix needs on Debian 12: to build and run, and with
# --test also what the tests start (servers, players, tools). Only real
# packages are listed (a virtual one is never "installed" and would send
# every run to apt-get), and apt-get runs only when one of them is missing.
#   scripts/deps.sh [--test] [PACKAGE...]
# Named packages are checked and installed the same way (the tools in
# tools/ use that for what only they need).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
  libgl-dev libsensors-dev libcurl4-openssl-dev libsystemd-dev libmosquitto-dev
  libssl-dev
)
test_packages=(
  xvfb xauth trayer xdotool openbox x11-utils tzdata
  dbus-daemon mpv mpv-mpris
  dovecot-imapd dovecot-pop3d openssl
  mosquitto mosquitto-clients
  lcdproc
)
if [ "${1:-}" = "--test" ]; then
  packages+=("${test_packages[@]}")
  shift
fi
[ $# -gt 0 ] && packages=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
