#!/usr/bin/env bash
# Installs with apt-get whatever of the build and test dependencies is missing.
set -euo pipefail
PKGS=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
      qt6-base-dev libgl-dev zlib1g-dev libjpeg-dev libsqlite3-dev
      fonts-liberation fontconfig poppler-utils emf2svg
      cups printer-driver-cups-pdf libcups2-dev)
PKGS+=("$@")
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
