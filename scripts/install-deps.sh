#!/usr/bin/env bash
# Installs, from Debian 12's packages, everything Dravin 8 needs to build, run and test.
# Does nothing when all of it is there already.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    juce-modules-source libjack-jackd2-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth jackd2 x11-utils
    fonts-dejavu-core fonts-liberation
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
# --no-install-recommends: jackd2 would otherwise pull in a Qt user interface.
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
