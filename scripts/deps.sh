#!/usr/bin/env bash
# Installs with apt-get whatever of the build and test dependencies is missing.
# Never waits for a password: without root or password-less sudo it names the
# missing packages and fails.
set -euo pipefail
PKGS=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
      qt6-base-dev libgl-dev zlib1g-dev libjpeg-dev libsqlite3-dev
      fonts-liberation fontconfig poppler-utils qpdf emf2svg
      cups printer-driver-cups-pdf libcups2-dev
      libdw-dev libelf-dev binutils xvfb xauth
      python3-xlrd unrtf libwmf-bin python3-aiosmtpd libreoffice-writer-nogui
      libx11-dev libxfixes-dev python3
      xdotool x11-apps shared-mime-info desktop-file-utils qt6-translations-l10n
      zint zbar-tools)
PKGS+=("$@")
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    SUDO="sudo -n"
  else
    echo "deps: missing packages: ${missing[*]}" >&2
    echo "deps: cannot install them without a password; run as root, or install them with:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
