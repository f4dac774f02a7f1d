#!/usr/bin/env bash
# Installs the Debian 12 packages the editor needs to build, run and be tested.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  build-essential dpkg-dev cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
  qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin
  qt6-multimedia-dev qt6-l10n-tools
  libgl-dev libglx-dev libxkbcommon-dev
  libgif-dev libjpeg62-turbo-dev
  fonts-liberation2 xvfb xauth imagemagick poppler-utils
  qt6-translations-l10n
  python3 python3-pyftpdlib
  libssh-dev openssh-server openssh-client
  gstreamer1.0-plugins-base
  x11-utils ccache openbox vsftpd unrtf tidy libtidy-dev curl openssl xdotool
  libhunspell-dev hunspell-fr hunspell-en-us
  clang-14 libclang-rt-14-dev
  qtkeychain-qt6-dev libsecret-1-0 gnome-keyring dbus-daemon
)

. "$(dirname "$0")/apt-missing.sh"
install_missing strict "Installation des paquets manquants" "${packages[@]}"
