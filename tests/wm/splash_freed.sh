#!/usr/bin/env bash
# Starts the editor on a virtual X server with a real window manager and checks
# that the 318 x 221 splash is gone once the frame is up. Without a window
# manager a splash left behind is merely covered by the frame, so this cannot
# be seen offscreen.
set -u
program=$1
if [ -z "${PEMO_IN_XVFB:-}" ]; then
  export PEMO_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM
# The program's settings and data go to a folder of the run's own.
home=$(mktemp -d)
export XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$program" >/dev/null 2>&1 &
app=$!
cleanup() { kill "$app" "$wm" 2>/dev/null; wait 2>/dev/null; rm -rf "$home"; }
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
