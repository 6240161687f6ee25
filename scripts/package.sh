#!/usr/bin/env bash
# Builds Quilto's Debian package: the release build of the program (the one scripts/run.sh
# builds, without tests or benchmarks), then CPack. The package's path is the last line of
# the output.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$here/build/release"

"$here/scripts/install-deps.sh" package
# A packager's build never fails on a warning that a newer compiler adds.
cmake --preset release -S "$here" -DQUILTO_BUILD_TESTS=OFF -DQUILTO_BUILD_BENCH=OFF \
    -DQUILTO_WERROR=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/quilto_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/quilto_*.deb
