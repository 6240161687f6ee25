#!/usr/bin/env bash
# Builds Quilto and starts it in a working folder (default ~/Quilto). A folder that does
# not exist yet is laid out from the shipped skeleton; existing files are never touched,
# only missing skeleton pieces are added.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folder=${1:-$HOME/Quilto}

# The program is a desktop window: without a display there is no point in building it.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are not set); start Quilto" \
        "in a desktop session, or under xvfb-run." >&2
    exit 2
fi

"$here/scripts/install-deps.sh" build
cmake --preset release -S "$here" -DQUILTO_BUILD_TESTS=OFF -DQUILTO_BUILD_BENCH=OFF >/dev/null
cmake --build "$here/build/release" --target quilto quilto-cli

mkdir -p "$folder"
cp -r --no-clobber "$here/data/." "$folder/"
find "$folder" -name .keep -type f -size 0 -delete
cd "$folder"
exec "$here/build/release/src/app/quilto"
