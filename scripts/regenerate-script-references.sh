#!/bin/sh
# Rewrites the reference files of the generated scripts (tests/scripts/data)
# from the current builders. Run it after a deliberate change to a script,
# then read the diff before committing it.
set -e
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-test}
cmake --build "$build" --target test_scripts
PEMO_REGENERATE=1 QT_QPA_PLATFORM=offscreen "$build/tests/test_scripts" -only ScriptTextTest matchesReference >/dev/null
git status --short tests/scripts/data
