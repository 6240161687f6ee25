"""Reads a workbook with openpyxl (an independent reader) and prints, as JSON, each sheet's
name, state, print area and every cell value that is not empty."""
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
sheets = []
for sheet in book.worksheets:
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None and cell.value != "":
                cells[cell.coordinate] = cell.value
    area = sheet.print_area
    if isinstance(area, (list, tuple)):
        area = ",".join(area)
    sheets.append({"name": sheet.title, "state": sheet.sheet_state,
                   "print_area": area if isinstance(area, str) else None,
                   "cells": cells})
json.dump({"active": book.active.title, "sheets": sheets}, sys.stdout, ensure_ascii=False)
