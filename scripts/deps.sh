#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only when one is missing, so that
# scripts/run and scripts/test stay quiet and offline on a machine that has them all.
set -euo pipefail

packages=(cmake g++ ninja-build libgtest-dev qt6-base-dev qt6-image-formats-plugins
          fonts-liberation2 fonts-dejavu-core adwaita-icon-theme xvfb xauth time ccache
          python3 clang-format librsvg2-bin scdoc desktop-file-utils appstream man-db
          poppler-utils)

missing=()
for p in "${packages[@]}" "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
