#!/usr/bin/env python3
"""Compares two workbooks part by part (names in stored order, and each part's bytes once
inflated), so that two ways of writing the same workbook can be shown to hold the same
content whatever their compression.

    bench/compare_workbooks.py BEFORE.xlsx AFTER.xlsx

Prints one line per part that differs and a summary; exits 0 when every part is the same."""
import sys
import zipfile


def parts(path):
    with zipfile.ZipFile(path) as book:
        return [(info.filename, book.read(info.filename)) for info in book.infolist()]


def main(before_path, after_path):
    before, after = parts(before_path), parts(after_path)
    names_before = [name for name, _ in before]
    names_after = [name for name, _ in after]
    differing = 0
    if names_before != names_after:
        print(f"part order differs:\n  {names_before}\n  {names_after}")
        differing += 1
    after_bytes = dict(after)
    for name, data in before:
        if name not in after_bytes:
            print(f"{name}: only in {before_path}")
            differing += 1
        elif after_bytes[name] != data:
            at = next((i for i, (a, b) in enumerate(zip(data, after_bytes[name])) if a != b),
                      min(len(data), len(after_bytes[name])))
            print(f"{name}: differs from byte {at} ({len(data)} vs {len(after_bytes[name])} bytes):"
                  f"\n  {data[max(0, at - 40):at + 60]!r}\n  {after_bytes[name][max(0, at - 40):at + 60]!r}")
            differing += 1
    for name in names_after:
        if name not in dict(before):
            print(f"{name}: only in {after_path}")
            differing += 1
    print(f"{len(before)} parts, {differing} differing")
    return 0 if differing == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
