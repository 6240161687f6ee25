#!/usr/bin/env bash
# Builds Quilto and starts it in a working folder (default ~/Quilto). The program lays a
# folder that does not exist yet out from the skeleton the build puts beside it (data/ and
# the generated templates); existing files are never touched, only missing skeleton pieces
# are added. At a first start the folder also becomes the one the program remembers.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folder=${1:-$HOME/Quilto}

# The program is a desktop window: without a display there is no point in building it.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are not set); start Quilto" \
        "in a desktop session, or under xvfb-run." >&2
    exit 2
fi

"$here/scripts/install-deps.sh" run
# A user's build, like a packager's, never fails on a warning that a newer compiler adds.
cmake --preset release -S "$here" -DQUILTO_BUILD_TESTS=OFF -DQUILTO_BUILD_BENCH=OFF \
    -DQUILTO_WERROR=OFF >/dev/null
cmake --build "$here/build/release" --target quilto quilto-cli

exec "$here/build/release/src/app/quilto" --folder "$folder"
