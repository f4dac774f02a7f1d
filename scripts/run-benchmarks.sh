#!/usr/bin/env bash
# Runs every benchmark executable built under <build>/bench and prints its figures.
# The preview benchmark measures real painting, so without a display the
# benchmarks run on a virtual X server.
set -euo pipefail
build=${1:-build-bench}
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu --disable-background-networking"
run=()
if [ -z "${DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  run=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi
found=0
status=0
while IFS= read -r exe; do
  found=1
  echo "== $(basename "$exe")"
  "${run[@]}" "$exe" || status=1
done < <(find "$build/bench" -type f -executable -name 'bench_*' | sort)
[ "$found" -eq 1 ] || echo "Aucun banc d'essai construit."

# Big pages, side by side with the peer editor: the script brings its own
# virtual display and window manager. Debian's interpreter has python3-xlib.
here=$(cd "$(dirname "$0")/.." && pwd)
if [ -x "$build/src/app/pemohtml" ]; then
  echo "== bench_bigpages"
  /usr/bin/python3 "$here/bench/bigpages/bench_bigpages.py" \
    --ours "$build/src/app/pemohtml" --out "$build/bigpages" || status=1
fi
exit $status
