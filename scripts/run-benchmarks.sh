#!/usr/bin/env bash
# Runs every benchmark executable built under <build>/bench and prints its figures.
set -euo pipefail
build=${1:-build-bench}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu --disable-background-networking"
found=0
while IFS= read -r exe; do
  found=1
  echo "== $(basename "$exe")"
  "$exe"
done < <(find "$build/bench" -type f -executable -name 'bench_*' | sort)
[ "$found" -eq 1 ] || echo "Aucun banc d'essai construit."
