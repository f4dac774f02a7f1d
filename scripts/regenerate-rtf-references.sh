#!/usr/bin/env bash
# Rewrites the expected HTML of the RTF documents (tests/rtf2html/data) from
# the current converter. Review the diff before committing it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-test}"
cmake --build "$build" --target test_rtf2html
QT_QPA_PLATFORM=offscreen PEMO_REGENERATE=1 PEMO_SOURCE_DIR="$root" \
  ASAN_OPTIONS=detect_leaks=0 "$build/tests/test_rtf2html" -only RtfToHtmlTest documents
git -C "$root" status --short tests/rtf2html/data
