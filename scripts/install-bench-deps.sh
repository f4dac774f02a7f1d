#!/usr/bin/env bash
# Installs what the side-by-side page benchmark needs on top of the build
# dependencies: a virtual display, a window manager, a key sender and the
# peer editor it is compared with. Run by "make bench" only, never by the tests.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(xvfb xauth openbox xdotool x11-utils imagemagick python3 python3-xlib kwrite)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installation des paquets du banc d'essai : ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "sudo est absent : le banc d'essai tourne sans les paquets manquants." >&2
    exit 0
  fi
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# A failed install leaves the benchmark to run with what is there: it says
# which peer is missing instead of stopping.
if ! { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; }; then
  echo "Installation incomplète : le banc d'essai tourne avec ce qui est présent." >&2
fi
exit 0
