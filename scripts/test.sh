#!/usr/bin/env bash
# Builds every test under AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$here/scripts/install-deps.sh" test
cmake --preset asan -S "$here" >/dev/null
cmake --build "$here/build/asan"
cd "$here"
ctest --preset asan -j2 --timeout 600
