#!/usr/bin/env bash
# Starts the editor on a virtual X server with a real window manager and checks
# that the 318 x 221 splash is gone once the frame is up. Without a window
# manager a splash left behind is merely covered by the frame, so this cannot
# be seen offscreen.
set -u
program=$1
. "$(dirname "$0")/desktop.sh"
sleep 1
"$program" >/dev/null 2>&1 &
app=$!
cleanup() { kill "$app" "$wm" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

# The frame fills the screen's width; wait for it (sanitizer builds start slowly).
frame='"Pemo HTML": ("pemohtml" "Pemo HTML")  1280x'
for _ in $(seq 1 120); do
  [[ $(xwininfo -root -tree) == *"$frame"* ]] && break
  sleep 0.5
done
if [[ $(xwininfo -root -tree) != *"$frame"* ]]; then
  echo "la fenêtre principale n'est pas apparue"; exit 1
fi
for _ in $(seq 1 20); do
  [[ $(xwininfo -root -tree) == *318x221* ]] || { echo "splash libéré"; exit 0; }
  sleep 0.5
done
echo "le splash est toujours là :"
xwininfo -root -tree | grep '318x221'
exit 1
