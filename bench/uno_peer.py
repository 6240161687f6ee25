#!/usr/bin/python3
"""The per-cell peer of output_engine_bench: replays the engine's workbook calls against
LibreOffice through UNO, one call per sheet operation and per cell, as a program driving a
spreadsheet by automation does.

    uno_peer.py TEMPLATE OPERATIONS OUTPUT

OPERATIONS holds one call per line, tab-separated: "copy SHEET AFTER", "hide SHEET",
"activate SHEET", "cell ROW COLUMN TEXT" (text with \\n and \\\\ escaped). Prints the seconds
from opening the template to the saved workbook (LibreOffice's own start is not counted).
"""
import os
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def number(text):
    t = text.strip().replace(",", "")
    try:
        return float(t) if t and not text.startswith("'") else None
    except ValueError:
        return None


def main():
    template, operations, output = sys.argv[1:4]
    profile = tempfile.mkdtemp(prefix="uno-peer-")
    pipe = "quilto_peer_%d" % os.getpid()
    office = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
         "-env:UserInstallation=file://" + profile,
         "--accept=pipe,name=%s;urp;" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(300):
            try:
                context = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.1)
        else:
            sys.exit("LibreOffice did not answer")
        desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        with open(operations, encoding="utf-8") as f:
            calls = [line.rstrip("\n").split("\t") for line in f]

        start = time.perf_counter()
        doc = desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(template)), "_blank", 0,
            (prop("Hidden", True),))
        sheets = doc.Sheets
        active = sheets.getByIndex(0)
        copies = 0
        for call in calls:
            kind = call[0]
            if kind == "cell":
                text = call[3].replace("\\n", "\n").replace("\\\\", "\\")
                cell = active.getCellByPosition(int(call[2]) - 1, int(call[1]) - 1)
                value = number(text)
                if value is None:
                    cell.setString(text[1:] if text.startswith("'") else text)
                else:
                    cell.setValue(value)
            elif kind == "activate":
                active = sheets.getByIndex(int(call[1]) - 1)
            elif kind == "copy":
                copies += 1
                source = sheets.getByIndex(int(call[1]) - 1).Name
                sheets.copyByName(source, "%s (%d)" % (source, copies), int(call[2]))
            elif kind == "hide":
                sheets.getByIndex(int(call[1]) - 1).IsVisible = False
        doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(output)),
                       (prop("FilterName", "Calc Office Open XML"),))
        elapsed = time.perf_counter() - start
        doc.close(True)
        print("%.6f" % elapsed)
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        try:
            office.wait(timeout=20)
        except subprocess.TimeoutExpired:
            os.killpg(office.pid, 9)
            office.wait()
        subprocess.run(["rm", "-rf", profile])


if __name__ == "__main__":
    main()
