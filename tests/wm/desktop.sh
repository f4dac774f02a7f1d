# Sourced by the window-manager checks: runs the calling script again on a
# virtual X server, gives the program settings, data and home folders of the
# run's own under $work, and starts openbox ($wm); what the check adds to
# $pids is killed when it ends.
if [ -z "${PEMO_IN_XVFB:-}" ]; then
  export PEMO_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM
work=$(mktemp -d)
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
openbox >/dev/null 2>&1 &
wm=$!
# The programs a check starts, killed at its end with the window manager,
# and the folder of the recovery copies.
pids=()
copies="$XDG_DATA_HOME/Pemo/Pemo HTML/recuperation"
cleanup() { kill -9 "${pids[@]}" 2>/dev/null; kill "$wm" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

# Helpers of the checks: a French failure message, and waiting for a window.
fail() { echo "$1"; exit 1; }
windows() { xwininfo -root -tree; }
wait_for() { # pattern, tries of 0.5 s
  for _ in $(seq 1 "$2"); do [[ $(windows) == *"$1"* ]] && return 0; sleep 0.5; done
  return 1
}
# Waits for the main window, then for `page` among the settings' recent files.
wait_opened() {
  wait_for '"Pemo HTML": ("pemohtml"' 120 || fail "la fenêtre principale n'est pas apparue"
  for _ in $(seq 1 40); do grep -qs "$1" "$XDG_CONFIG_HOME/Pemo/Pemo HTML.conf" && break; sleep 0.5; done
  grep -qs "$1" "$XDG_CONFIG_HOME/Pemo/Pemo HTML.conf" || fail "la page ne s'est pas ouverte"
}
