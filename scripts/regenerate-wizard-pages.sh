#!/usr/bin/env bash
# Rewrites the expected pages of the site wizards (tests/wizards/data) from
# the current builders. Review the diff before committing it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-test}"
cmake --build "$build" --target test_wizards
QT_QPA_PLATFORM=offscreen PEMO_REGENERATE=1 PEMO_SOURCE_DIR="$root" \
  ASAN_OPTIONS=detect_leaks=0 "$build/tests/test_wizards" -only PagesTest goldenPages
git -C "$root" status --short tests/wizards/data
