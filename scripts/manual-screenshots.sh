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
# Named to come last in its folder, so that the backup window's folder tree shows it near
# the bottom with its subfolders.
work=$(mktemp -d -t zz-quilto.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r "$here/data/." "$work/"
# The generated templates, so that the output window can make the preview's PDF.
cp -r "$build/src/app/skeleton/XlsBase/." "$work/XlsBase/"
find "$work" -name .keep -type f -size 0 -delete
cd "$work"
cli="$build/src/cli/quilto-cli"
"$cli" check --yes >/dev/null
estimate() {  # customer, title, amount
    printf '{"cover": {"MName1": "%s", "MTitle1": "%s", "CheckBox1": true}, "summary": [["", "1", "工事一式", "式", "1", "%s", "%s"]]}' \
        "$1" "$2" "$3" "$3" > estimate.json
    "$cli" create --json estimate.json >/dev/null
}
# The first one is pictured in the editor: a cover and a breakdown with detail sheets.
cat > estimate.json <<'JSON'
{"cover": {"MName1": "山田工務店", "MTitle1": "外壁塗装工事", "MBango": "No.2026-118",
           "MYMD1": "令和08年12月10日", "MBasyo1": "東京都世田谷区桜丘三丁目 山田様邸",
           "MYMD2": "令和09年01月15日", "MYMD3": "令和09年02月10日",
           "MKigen1": "発行日より30日間", "MTanto1": "田中", "ZRitu": "10",
           "CheckBox2": true, "pattern": 0},
 "breakdown": [
   {"cells": ["", "1", "仮設工事", "式", "1", "", "", "", "3"],
    "details": [["", "", "単管足場", "H=10m", "㎡", "250", "800", "", "500", "", "", "350", "", "材"],
                ["", "", "飛散防止シート", "", "㎡", "250", "200", "", "120", "", "", "", "", "材"],
                ["", "", "安全対策費", "", "式", "1", "15,000", "", "", "", "", "", "", "安"]]},
   {"cells": ["", "2", "外壁塗装工事", "式", "1", "", "", "", "12"],
    "details": [["", "", "高圧洗浄", "", "㎡", "180", "250", "", "150", "", "", "200", "", "労"],
                ["", "", "下塗り", "シーラー", "㎡", "180", "800", "", "450", "", "", "400", "", "材"],
                ["", "", "中塗り・上塗り", "シリコン樹脂塗料", "㎡", "180", "2,200", "", "1,300", "", "", "1,000", "", "材"],
                ["", "", "法定福利費（事業主負担分）", "", "式", "1", "46,332", "", "", "", "", "", "", "福"],
                ["", "", "建退共掛金", "", "式", "1", "3,200", "", "", "", "", "", "", "建"]]},
   {"cells": ["", "3", "付帯部塗装工事", "式", "1", "", "", "", "2.5"],
    "details": [["", "", "雨樋塗装", "", "m", "40", "1,200", "", "700", "", "", "600"],
                ["", "", "破風板塗装", "", "m", "30", "1,500", "", "900", "", "", "700"]]},
   {"cells": ["="]},
   {"cells": ["/"]}]}
JSON
"$cli" create --json estimate.json >/dev/null
estimate "株式会社 佐藤建設" "ＡＢＣマンション大規模修繕工事（第二期）" "38,500,000"
estimate "鈴木 一郎 様" "浴室改修工事" "860,000"
rm -f estimate.json
# The firm's invoice registration number and welfare rate, as the settings dialog shows them.
printf 'registration_number=T7000012050002\nwelfare_rate=15.6\n' > quilto.conf
mkdir -p "$here/docs/manual/images"
# A sanitizer build reports the desktop libraries' own leaks at exit; they are not ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/src/app/quilto-manual-shots" "${SHOTS_OUT:-$here/docs/manual/images}" "$@"
# The first page of an invoice (free-form output from the breakdown), of a fourth estimate
# made after the windows were pictured (their lists show three).
if command -v pdftoppm >/dev/null; then
    cat > invoice.json <<'JSON'
{"cover": {"MName1": "山田工務店", "MTitle1": "外壁塗装工事", "ZRitu": "10", "CheckBox2": true},
 "breakdown": [
   {"cells": ["", "1", "仮設工事", "式", "1", "80,000"]},
   {"cells": ["", "2", "外壁塗装工事", "式", "1", "526,500"]},
   {"cells": ["", "3", "付帯部塗装工事", "式", "1", "93,000"]},
   {"cells": ["="]}, {"cells": ["-", "", "", "", "", "9,500"]}, {"cells": ["/"]},
   {"cells": ["%"]}, {"cells": ["\\"]}]}
JSON
    number=$("$cli" create --json invoice.json)
    "$cli" export "$number" --pdf invoice.pdf --free breakdown --doc-number 2026-0042 \
        --print-date "令和08年12月20日" >/dev/null
    pdftoppm -png -r 80 -f 1 -l 1 -singlefile invoice.pdf \
        "${SHOTS_OUT:-$here/docs/manual/images}/invoice_page"
fi
