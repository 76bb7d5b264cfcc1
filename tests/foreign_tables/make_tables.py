#!/usr/bin/python3
"""Copies of Tolvan's label printer definition as other xBase programs write
them, one folder each under OUT, for "Setup Tolvan Labels" to work on.

Each folder holds LBLPRDEF.DBF (with its memo file where it has memos) and
"expect": "applied", or "refused" and a line of the reason the console must
show. Writers: python3-dbf (dBase III; Visual FoxPro with its binary I, Y,
T, B fields after the 39th), shapelib's dbfcreate and dbfadd, and tables
made byte by byte with the values other programs leave in fields.

Usage: make_tables.py OUT
"""
import datetime
import os
import struct
import subprocess
import sys

import dbf

LOGICAL = (23, 32, 35, 38, 39)  # the positions that take a logical value


def first_39(width=5):
    return ["F%02d %s" % (i, "L" if i in LOGICAL else "N(%d,0)" % width) for i in range(1, 40)]


def first_39_values():
    # What the host might hold there: a true logical, numbers of its own.
    return [True if i in LOGICAL else i * 3 for i in range(1, 40)]


def folder(out, name, expect):
    path = os.path.join(out, name)
    os.makedirs(path)
    with open(os.path.join(path, "expect"), "w") as f:
        f.write(expect + "\n")
    return path


def upper_case_names(path):
    # Both writers name the files in lower case; the console opens LBLPRDEF.DBF.
    for name in os.listdir(path):
        base, ext = os.path.splitext(name)
        if base.lower() == "lblprdef":
            os.rename(os.path.join(path, name), os.path.join(path, "LBLPRDEF" + ext.upper()))


def python_dbf(out, name, dbf_type, extra_specs, extra_rows):
    path = folder(out, name, "applied")
    table = dbf.Table(os.path.join(path, "LBLPRDEF.DBF"), "; ".join(first_39() + extra_specs),
                      dbf_type=dbf_type, codepage="cp1252")
    table.open(dbf.READ_WRITE)
    for extra in extra_rows:
        table.append(tuple(first_39_values() + extra))
    table.close()
    upper_case_names(path)


def shapelib(out, name, with_logicals):
    """dbfcreate knows only text and numeric fields: without logicals the
    setup must refuse field 23 and change nothing; with the type letters of
    the logical positions set to L afterwards it must apply."""
    if with_logicals:
        path = folder(out, name, "applied")
    else:
        path = folder(out, name, "refused\nField 23 \"F23\" (N 1) cannot take the logical value false")
    table = os.path.join(path, "lblprdef")
    args = []
    for i in range(1, 40):
        args += ["-n", "F%02d" % i, "1" if i in LOGICAL else "5", "0"]
    args += ["-s", "PRINTER", "12", "-n", "COPIES", "4", "0", "-n", "PRICE", "8", "2"]
    subprocess.run(["dbfcreate", table] + args, check=True, stdout=subprocess.DEVNULL)
    for printer, copies, price in (("Zebra", "2", "12.5"), ("Kitchen 2", "1", "0.75")):
        values = ["0" if i in LOGICAL else str(i * 3) for i in range(1, 40)]
        subprocess.run(["dbfadd", table + ".dbf"] + values + [printer, copies, price], check=True,
                       stdout=subprocess.DEVNULL)
    upper_case_names(path)
    if with_logicals:
        with open(os.path.join(path, "LBLPRDEF.DBF"), "r+b") as f:
            for i in LOGICAL:
                f.seek(32 * i + 11)
                f.write(b"L")


def field(name, letter, width, decimals=0):
    return struct.pack("<11sc4xBB14x", name.encode(), letter.encode(), width, decimals)


def by_hand(out, name, expect, fields, records, version=0x03, encrypted=False, memo=None,
            record_length=None):
    """fields: (name, letter, width[, decimals]); records: the bytes of each
    field, the delete marker first."""
    path = folder(out, name, expect)
    length = 1 + sum(f[2] for f in fields) if record_length is None else record_length
    header = struct.pack("<BBBBIHH", version, 124, 3, 1, len(records), 32 + 32 * len(fields) + 1,
                         length)
    header += b"\0" * 3 + (b"\1" if encrypted else b"\0") + b"\0" * 16
    header += b"".join(field(*f) for f in fields) + b"\r"
    with open(os.path.join(path, "LBLPRDEF.DBF"), "wb") as f:
        f.write(header + b"".join(records) + b"\x1a")
    if memo is not None:
        with open(os.path.join(path, "LBLPRDEF.DBT"), "wb") as f:
            f.write(memo)


def hand_first_39():
    """The first 39 fields as the host has them, holding forms that the
    setup overwrites anyway: left-aligned numbers, small letters."""
    fields = [("F%02d" % i, "L", 1) if i in LOGICAL else ("F%02d" % i, "N", 5) for i in range(1, 40)]
    values = b"".join(b"y" if i in LOGICAL else b"7    " for i in range(1, 40))
    return fields, values


def dbase3_memo():
    # dBase III memo file: next free block 2, one text in block 1.
    block0 = struct.pack("<I", 2) + b"\0" * 12 + b"\x03" + b"\0" * (512 - 17)
    return block0 + (b"kept memo\x1a\x1a").ljust(512, b"\0")


def main(out):
    os.makedirs(out, exist_ok=True)
    python_dbf(out, "python-dbf-dbase3", "db3",
               ["PRINTER C(10)", "COPIES N(3,0)", "PRICE N(8,2)", "SINCE D", "ACTIVE L", "NOTE M"],
               [["Zebra", 2, 12.5, datetime.date(2024, 2, 29), True, "kept memo"],
                ["Kitchen", None, None, None, None, ""]])
    python_dbf(out, "python-dbf-foxpro", "vfp",
               ["ID I", "PRICE Y", "STAMP T", "RATE B", "PRINTER C(10)"],
               [[123456, 12.3456, datetime.datetime(2024, 5, 6, 7, 8, 9), 3.25, "Zebra"],
                [-7, 0, None, -0.5, "Bar"]])
    shapelib(out, "shapelib-numeric-only", with_logicals=False)
    shapelib(out, "shapelib", with_logicals=True)

    fields, values = hand_first_39()
    # The host's own fields after the 39th, holding what other xBase programs
    # write there.
    tail = [("TRUE_T", "L", 1), ("TRUE_Y", "L", 1), ("UNSET", "L", 1), ("YES", "L", 1),
            ("LEFT", "N", 3), ("PRICE", "N", 6, 2), ("ZEROED", "C", 6), ("NODATE", "D", 8),
            ("BADDATE", "D", 8), ("OLDDATE", "D", 8), ("BIG", "N", 20), ("NOTE", "M", 12)]
    tail_values = (b"t" + b"y" + b"?" + b"Y" + b"7  " + b"12.5  " + b"AB\0CD " + b"00000000" +
                   b"20230229" + b"00500101" + b"12345678901234567890" + b"           1")
    other_record = b"*" + b"".join(b"1" if i in LOGICAL else b"    2" for i in range(1, 40)) + \
        b"F" * 4 + b"  3" + b"  1.00" + b"x" * 6 + b" " * 24 + b" " * 20 + b" " * 12
    by_hand(out, "by-hand-dbase3", "applied", fields + tail,
            [b" " + values + tail_values, other_record], version=0x83, memo=dbase3_memo())

    # A FoxPro integer among the first 39: the values do not line up with the
    # host's fields, so nothing is written.
    odd = list(fields)
    odd[4] = ("F05", "I", 4)
    odd_values = values[:20] + b"\x01\x02\x03\x04" + values[25:]
    by_hand(out, "by-hand-foxpro-integer-at-5",
            "refused\nField 5 \"F05\" (I 4) cannot take the integer 55", odd, [b" " + odd_values],
            version=0x30)
    by_hand(out, "by-hand-encrypted", "refused\nis marked encrypted", fields, [b" " + values],
            encrypted=True)
    by_hand(out, "by-hand-record-length-0", "refused\nits record length is 0", fields,
            [b" " + values], record_length=0)


if __name__ == "__main__":
    main(sys.argv[1])
