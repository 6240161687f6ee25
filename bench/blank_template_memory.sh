#!/usr/bin/env bash
# Peak memory of an export whose template is small on disk but whose detail sheet expands to
# megabytes of blanks: the shipped 見積書00 with BLANK_MB (default 12) of blanks put into its
# detail sheet, filled with an estimate of WORK_TYPES (default 20) work types, each with a
# detail sheet. Prints the template's size on disk and the export's peak resident set (KB)
# as /usr/bin/time -f %M measures it.
#
#   bench/blank_template_memory.sh build/release/src/cli/quilto-cli build/release/XlsBase [spaces|cells]
#
# "spaces" puts blank characters between the sheet's rows, "cells" empty styled cells.
set -euo pipefail
cli=$(realpath "$1")
xlsbase=$(realpath "$2")
kind=${3:-spaces}
blank_mb=${BLANK_MB:-12}
work_types=${WORK_TYPES:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir DAT MST XlsBase
"$cli" --folder . check --yes >/dev/null 2>&1
cp "$xlsbase"/XKP00.Dat "$xlsbase"/XKPSei00.Dat XlsBase/
python3 - "$xlsbase/見積書00.xlsx" XlsBase/見積書00.xlsx "$kind" "$blank_mb" "$work_types" <<'PY'
import json, sys, zipfile
source, target, kind, megabytes, work_types = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4]), int(sys.argv[5])
size = int(megabytes * (1 << 20))
if kind == "spaces":
    blanks = " " * size
else:
    row = "<row>" + '<c s="0"/>' * 26 + "</row>"
    blanks = row * (size // len(row))
with zipfile.ZipFile(source) as src, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as dst:
    for info in src.infolist():
        data = src.read(info.filename)
        if info.filename == "xl/worksheets/sheet4.xml":
            # After the sheet's own rows; blank rows carry no number, so they follow in order.
            text = data.decode()
            at = text.index("</sheetData>")
            data = (text[:at] + blanks + text[at:]).encode()
        dst.writestr(info.filename, data)
lines = [{"cells": ["", str(n), f"工事{n}", "式", "1"],
          "details": [["", "", f"品名{n}-{k}", "規格", "m", "2", "1,000"] for k in range(1, 4)]}
         for n in range(1, work_types + 1)]
json.dump({"cover": {"MName1": "山田建設", "MTitle1": "改修工事"}, "breakdown": lines},
          open("estimate.json", "w"), ensure_ascii=False)
PY
"$cli" --folder . create --json estimate.json >/dev/null
echo "template: $(stat -c %s XlsBase/見積書00.xlsx) bytes on disk, $kind, $blank_mb MB of blanks in its detail sheet"
/usr/bin/time -f "peak: %M KB, %e s" "$cli" --folder . export 000001 --xlsx out.xlsx --yes
echo "workbook: $(stat -c %s out.xlsx) bytes"
