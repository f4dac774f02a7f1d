#!/usr/bin/env bash
# Installs what the side-by-side page benchmark needs on top of the build
# dependencies: a virtual display, a window manager, a key sender and the
# peer editor it is compared with. Run by "make bench" only, never by the tests.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(xvfb xauth openbox xdotool x11-utils imagemagick python3 python3-xlib kwrite)

. "$(dirname "$0")/apt-missing.sh"
# A failed install leaves the benchmark to run with what is there: it says
# which peer is missing instead of stopping.
install_missing lenient "Installation des paquets du banc d'essai" "${packages[@]}"
