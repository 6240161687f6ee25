#!/usr/bin/env bash
# Makes the seed corpus of every fuzz target (fuzz/corpus/<target>/) from files the program
# itself writes: the start-up check's environment file, table definitions and unit list,
# an estimate made with quilto-cli (and the same file under the first layout's signature),
# and a few master lines. Run it with a built quilto-cli:
#   bash fuzz/make_corpus.sh build/asan/src/cli/quilto-cli
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$here/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir DAT MST XlsBase
"$cli" check --yes >/dev/null
cat > estimate.json <<'JSON'
{"cover": {"MName1": "山田工務店", "MTitle1": "外壁塗装工事", "ZRitu": "10", "pattern": 0},
 "summary": [["", "1", "仮設工事", "式", "1", "", "150,000"], ["-", "", "値引", "", "", "", "-5,000"], ["="]],
 "breakdown": [
   {"cells": ["", "1", "足場", "式", "1", "150,000", "90,000"],
    "details": [["000123", "", "単管足場", "H=10m", "㎡", "1,500", "100"],
                ["000124", "", "養生シート", "", "㎡", "1,500", "20"]]},
   {"cells": ["/"]}]}
JSON
"$cli" create --json estimate.json >/dev/null

# Only the folders made here are replaced: the seeds of the workbook reader, the workbook
# relationships and the table-definition editor's save are made by hand.
for target in estimate_reader_fuzz environment_reader_fuzz table_definition_reader_fuzz \
    master_reader_fuzz cp932_fuzz number_text_fuzz csv_import_fuzz; do
    rm -rf "${out:?}/$target"
    mkdir -p "$out/$target"
done
cp DAT/m_000001.dat "$out/estimate_reader_fuzz/current.dat"
# The first layout: the old signature, the detail records' 規格 text 10 bytes further on.
python3 - DAT/m_000001.dat "$out/estimate_reader_fuzz/old.dat" <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[1:13] = b'***\\??Q-$%%7'
open(sys.argv[2], 'wb').write(data)
PY
head -c 1392 DAT/m_000001.dat > "$out/estimate_reader_fuzz/header-only.dat"
# A stored quantity of -2^63 (first line record): read as a figure out of range, which the
# target's round trip once found shown blank and saved as 0.
python3 - DAT/m_000001.dat "$out/estimate_reader_fuzz/min-int64-quantity.dat" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[1392 + 112:1392 + 120] = struct.pack('<q', -2**63)
open(sys.argv[2], 'wb').write(data)
PY
cp sp_jis.dat "$out/environment_reader_fuzz/new.dat"
cat XlsBase/XKP00.Dat XlsBase/XKPSei00.Dat > "$out/table_definition_reader_fuzz/pattern00.dat"
cp XlsBase/XKPSei00.invoice "$out/table_definition_reader_fuzz/invoice00.txt"
cp MST/sp_unit.dat "$out/master_reader_fuzz/units.dat"
# A construction-name line (3 + 50 bytes) and a product line (155 bytes), CP932, CRLF.
python3 - "$out/master_reader_fuzz" <<'PY'
import sys
def field(text, width):
    b = text.encode('cp932')
    return b + b' ' * (width - len(b))
names = field('001', 3) + field('仮設工事', 50) + b'\r\n' + field('002', 3) + field('外壁工事', 50) + b'\r\n'
product = (field('001', 3) + field('000123', 6) + field('単管足場', 50) + field('H=10m', 30) +
           field('㎡', 6) + field('1000', 10) + field('1500', 10) + field('備考', 40))
open(sys.argv[1] + '/construction.dat', 'wb').write(names)
open(sys.argv[1] + '/products.dat', 'wb').write(product + b'\r\n' + product + b'\r\n')
PY
printf '%s' '山田工務店 ～ ㎡ ① ｱｲｳ 表' | iconv -f UTF-8 -t CP932 > "$out/cp932_fuzz/text.txt"
# Width and decimals, then the cell text.
printf '\x0e\x02-1,234,567.891' > "$out/number_text_fuzz/grouped.txt"
printf '\x14\x00abc.12-3' > "$out/number_text_fuzz/odd.txt"
# Product CSV files as users bring them: CP932 from an old spreadsheet, UTF-8 with a BOM and
# quoted fields from a newer one.
printf '%s\r\n' '単管足場,H=10m,㎡,1000,1500' '養生シート,,㎡,"1,200",2000' \
    | iconv -f UTF-8 -t CP932 > "$out/csv_import_fuzz/cp932.csv"
printf '\xef\xbb\xbf%s\r\n' '"足場, 単管",H=10m,㎡,1000,1500' '"板 ""厚""",1〜3,枚,-,800' \
    > "$out/csv_import_fuzz/utf8.csv"
# A cell of several lines, a price too wide for its field, a blank line; and the same as
# UTF-16 with its byte-order mark, as spreadsheet programs save Unicode text.
printf '%s\r\n' '"手すり' '木製",φ35,ｍ,3000,4500' '' '長すぎ,,式,1,99999999999999' \
    > "$out/csv_import_fuzz/cells.csv"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE < "$out/csv_import_fuzz/cells.csv"; } \
    > "$out/csv_import_fuzz/utf16.csv"
