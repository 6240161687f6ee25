#!/usr/bin/env bash
# Builds every test under AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
# The integration tests (ctest label "integration") get a CUPS server of their own with a
# PDF queue (scripts/test-cups.sh), stopped again at the end; LibreOffice runs headless in
# a profile of its own for each conversion. Then the Debian package is built, checked,
# installed, started and removed again (scripts/test-package.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$here/scripts/install-deps.sh" test
cmake --preset asan -S "$here" >/dev/null
cmake --build "$here/build/asan"
cd "$here"

source "$here/scripts/test-cups.sh"
trap stop_test_cups EXIT
if start_test_cups; then
    # With everything started, a missing program fails the integration tests.
    export QUILTO_INTEGRATION=1
fi
ctest --preset asan -j2 --timeout 600

# The package is built from the release tree that scripts/run.sh builds too.
bash "$here/scripts/test-package.sh"
