#!/usr/bin/env python3
"""Writes cp932_table.txt: every defined CP932 code with its Unicode value, and the code
Windows writes for each character that has more than one code.

Run once, by hand, from this folder:  python3 make_cp932_table.py > cp932_table.txt
The table is checked in; the tests read it and never run this script.

Where the values come from
- Decoding: Python's own "cp932" codec, asked code by code. Its decoder follows Microsoft's
  published CP932 table, with extras of its own that the published table does not list:
  0x80, 0xA0 and 0xFD-0xFF (to U+0080 and U+F8F0-U+F8F3) and the user-defined rows
  F040-F9FC (to the private-use area). Those are left out here, so the table is exactly
  the published one.
- Encoding: Python's encoder is no help for characters with several codes (it picks the
  ED/EE rows, Windows does not), so the choice is made here by Windows' rule: the JIS X 0208
  code first, then the NEC row 13 code (87xx), then the IBM extension (FA-FC), and the
  NEC-selected IBM extension (ED/EE) last.
"""

import sys

ONE_BYTE_EXTRAS = {0x80, 0xA0, 0xFD, 0xFE, 0xFF}


def is_lead(b):
    return 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC


def decode(code_bytes):
    try:
        text = code_bytes.decode("cp932")
    except UnicodeDecodeError:
        return None
    assert len(text) == 1, code_bytes
    return ord(text)


def defined_codes():
    """(code, value) for every defined code; single bytes are 0x00-0xFF, pairs lead << 8."""
    for b in range(0x100):
        if is_lead(b) or b in ONE_BYTE_EXTRAS:
            continue
        value = decode(bytes([b]))
        if value is not None:
            yield b, value
    for lead in range(0x81, 0xFD):
        if not is_lead(lead) or 0xF0 <= lead <= 0xF9:
            continue
        for trail in range(0x40, 0xFD):
            if trail == 0x7F:
                continue
            value = decode(bytes([lead, trail]))
            if value is not None:
                yield lead << 8 | trail, value


def windows_rank(code):
    lead = code >> 8
    if lead == 0x87:
        return 1  # NEC row 13
    if 0xFA <= lead <= 0xFC:
        return 2  # IBM extension
    if 0xED <= lead <= 0xEE:
        return 3  # NEC-selected IBM extension
    return 0  # JIS X 0208 (and the single bytes)


def main():
    codes = dict(defined_codes())
    out = sys.stdout
    out.write(
        "# CP932 (Windows code page 932) and Unicode: every code of Microsoft's published\n"
        "# table. Written by make_cp932_table.py in this folder from the cp932 decoder of\n"
        f"# Python {sys.version.split()[0]}, leaving out the codes that decoder adds beyond the\n"
        "# published table (0x80, 0xA0, 0xFD-0xFF, F040-F9FC). The encode choices follow\n"
        "# Windows' rule, not Python's encoder; see the script. Cross-checked once against an\n"
        "# independently published CP932 listing: the same number of codes, and the same\n"
        "# values for every code from EEB4 to FC4B.\n"
        "#\n"
        "# Decoding lines: the first code of a block of 16 (2 hex digits for single bytes, 4\n"
        "# for double bytes), then the Unicode value of each of the 16 codes, '-' where the code\n"
        "# is undefined. Blocks with nothing defined are left out: a code not in this table is\n"
        "# undefined.\n"
        "# Encoding lines: '=', a character with more than one code, the code it is written\n"
        "# as, then its other codes. Every other character is written as its only code.\n"
    )
    blocks = sorted({code & ~0xF for code in codes})
    for start in blocks:
        cells = [
            f"{codes[c]:04X}" if c in codes else "-" for c in range(start, start + 16)
        ]
        label = f"{start:02X}" if start < 0x100 else f"{start:04X}"
        out.write(label + " " + " ".join(cells) + "\n")

    by_value = {}
    for code, value in codes.items():
        by_value.setdefault(value, []).append(code)
    for value in sorted(by_value):
        several = by_value[value]
        if len(several) == 1:
            continue
        several.sort(key=lambda c: (windows_rank(c), c))
        ranks = [windows_rank(c) for c in several]
        assert ranks[0] != ranks[1], f"no single Windows choice for U+{value:04X}"
        out.write(
            f"= {value:04X} " + " ".join(f"{c:04X}" for c in several) + "\n"
        )


if __name__ == "__main__":
    main()
