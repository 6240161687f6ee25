#!/usr/bin/env bash
# Builds every test under AddressSanitizer and UndefinedBehaviorSanitizer and runs them, then
# builds a plain Release tree as a packager would and runs its tests that need no services.
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

# A packager builds plain Release (cmake -DCMAKE_BUILD_TYPE=Release) and runs ctest there:
# what depends on timing (the kill tests) must hold in an optimised build too. Its
# non-integration tests run here; the integration tests ran above. The benchmarks are built
# (not run) so that a change to what they call cannot leave them broken unnoticed.
cmake -S "$here" -B "$here/build-rel" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILTO_WERROR=ON \
    -DQUILTO_BUILD_BENCH=ON >/dev/null
cmake --build "$here/build-rel"
ctest --test-dir "$here/build-rel" -j2 -LE integration --timeout 600 --output-on-failure

# The package is built from the release tree that scripts/run.sh builds too.
bash "$here/scripts/test-package.sh"
