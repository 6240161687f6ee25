#!/usr/bin/env bash
# Takes the pictures of the manual (docs/manual/images/) from the real windows, under Xvfb
# on a 1280x1024 screen, in a scratch working folder laid out from data/ with a few
# estimates (one with a title that fills its column). A folder given as the argument also
# gets a picture of the manual opened from the menu, to check it by eye. Add a window by
# picturing it in
# docs/tools/manual_screenshots.cpp.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "${BUILD:-$here/build/release}")
cmake --build "$build" --target quilto-manual-shots quilto-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/data/." "$work/"
find "$work" -name .keep -type f -size 0 -delete
cd "$work"
cli="$build/src/cli/quilto-cli"
"$cli" check --yes >/dev/null
estimate() {  # customer, title, amount
    printf '{"cover": {"MName1": "%s", "MTitle1": "%s"}, "summary": [["", "1", "工事一式", "式", "1", "%s", "%s"]]}' \
        "$1" "$2" "$3" "$3" > estimate.json
    "$cli" create --json estimate.json >/dev/null
}
estimate "山田工務店" "外壁塗装工事" "1,250,000"
estimate "株式会社 佐藤建設" "ＡＢＣマンション大規模修繕工事（第二期）" "38,500,000"
estimate "鈴木 一郎 様" "浴室改修工事" "860,000"
rm -f estimate.json
mkdir -p "$here/docs/manual/images"
# A sanitizer build reports the desktop libraries' own leaks at exit; they are not ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/src/app/quilto-manual-shots" "$here/docs/manual/images" "$@"
