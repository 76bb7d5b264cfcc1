#!/usr/bin/python3
"""Compares a table before and after "Setup Tolvan Labels", byte by byte.

applied: the first record's first 39 fields hold the 39 values, and nothing
else changed but the header's date of the last change (bytes 1 to 3); the
memo file is unchanged. refused: nothing changed at all.

Usage: check_table.py BEFORE_DIR AFTER_DIR applied|refused
"""
import os
import struct
import sys

VALUES = [99, 21, 120, 0, 55, 1, 0, 11, 0, 10, 0, 8, 0, 9, 12, 0, 1, 1, 1, 1, 2, 0, False, 5, 0,
          6, 0, 7, 0, 4, 0, False, 3, 0, False, 1, 0, False, False]


def read(folder, name):
    for entry in os.listdir(folder):
        if entry.upper() == name:
            with open(os.path.join(folder, entry), "rb") as f:
                return f.read()
    return None


def fields(table):
    header_length, record_length = struct.unpack_from("<HH", table, 8)
    result, offset, position = [], 1, 32
    while position + 32 <= header_length and table[position] != 0x0D:
        name = table[position:position + 11].split(b"\0")[0].decode("latin-1")
        result.append((name, chr(table[position + 11]), offset, table[position + 16]))
        offset += table[position + 16]
        position += 32
    return header_length, record_length, result


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main(before_dir, after_dir, outcome):
    for name in ("LBLPRDEF.DBT", "LBLPRDEF.FPT"):
        if read(before_dir, name) != read(after_dir, name):
            fail(name + " changed")
    before, after = read(before_dir, "LBLPRDEF.DBF"), read(after_dir, "LBLPRDEF.DBF")
    if outcome == "refused":
        if before != after:
            fail("the table changed although the setup was refused")
        return
    if len(before) != len(after):
        fail("the table's length changed from %d to %d" % (len(before), len(after)))
    header_length, record_length, described = fields(before)
    first, end = header_length, header_length + 1 + sum(f[3] for f in described[:39])
    for i, (b, a) in enumerate(zip(before, after)):
        if b != a and not (1 <= i <= 3 or first + 1 <= i < end):
            fail("byte %d changed from %r to %r, outside the first 39 fields and the date" %
                 (i, bytes([b]), bytes([a])))
    record = after[first:first + record_length]
    for (name, letter, offset, width), value in zip(described[:39], VALUES):
        text = record[offset:offset + width].decode("latin-1")
        if isinstance(value, bool):
            ok = letter == "L" and text == ("T" if value else "F")
        else:
            ok = letter == "N" and text.strip() == str(value) and text == text.rjust(width)
        if not ok:
            fail("field %s (%s %d) holds %r, not %r" % (name, letter, width, text, value))


if __name__ == "__main__":
    main(*sys.argv[1:4])
