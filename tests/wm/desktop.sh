# Sourced by the window-manager checks: runs the calling script again on a
# virtual X server, gives the program settings, data and home folders of the
# run's own under $work, and starts openbox ($wm).
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
