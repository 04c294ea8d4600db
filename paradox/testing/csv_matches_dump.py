"""Checks CSV files written by `pdx export --csv` against `pdx dump` of the
same tables, reading the CSV with Python's own csv module and converting
the dump's values with Python's own code page tables.

    csv_matches_dump.py CSV DUMP INFO [CSV DUMP INFO]...

INFO is the output of `pdx info` (for the code page and the field types).
Prints one line per difference and exits 1 when there is any.
"""
import base64
import csv
import math
import sys

csv.field_size_limit(sys.maxsize)


def unescape(value):
    out = bytearray()
    i = 0
    while i < len(value):
        c = value[i]
        if c != 0x5C:
            out.append(c)
            i += 1
            continue
        e = value[i + 1:i + 2]
        if e == b"x":
            out.append(int(value[i + 2:i + 4], 16))
            i += 4
            continue
        out += {b"\\": b"\\", b"t": b"\t", b"n": b"\n", b"r": b"\r"}[e]
        i += 2
    return bytes(out)


def read_info(path):
    code_page, types = 437, []
    with open(path, "rb") as f:
        for line in f.read().split(b"\n"):
            if line.startswith(b"Code page: "):
                code_page = int(line[11:]) or 437
            elif line.startswith(b"  ") and line.count(b"\t") >= 2:
                types.append(line.split(b"\t")[2][:1].decode())
    return code_page, types


def expected(kind, dump_value, codec):
    """The CSV text a dump value should become, or a float to compare."""
    if dump_value == b"":
        return ""
    if kind in "AMF":
        return unescape(dump_value).decode(codec, errors="replace")
    if kind in "YBOG":
        return bytes.fromhex(dump_value.decode())
    if kind == "L":
        return "true" if dump_value == b"T" else "false"
    if kind == "@" and b" " in dump_value:
        return dump_value.decode().replace(" ", "T")
    if kind in "N$@":
        return float(dump_value)
    return dump_value.decode()


def same(want, got):
    if isinstance(want, bytes):
        return base64.b64decode(got, validate=True) == want
    if isinstance(want, float):
        have = float(got)
        return have == want or (math.isnan(have) and math.isnan(want))
    return want == got


def compare(csv_path, dump_path, info_path):
    code_page, types = read_info(info_path)
    codec = "cp%d" % code_page
    problems = []
    with open(dump_path, "rb") as f:
        dump = f.read().split(b"\n")[:-1]
    with open(csv_path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f, strict=True))
    header = [name.decode(codec, errors="replace") for name in dump[0].split(b"\t")]
    if rows[0] != header:
        problems.append("header %r, dump %r" % (rows[0], header))
    if len(rows) != len(dump):
        problems.append("%d CSV lines, %d dump lines" % (len(rows), len(dump)))
    for number, (line, row) in enumerate(zip(dump[1:], rows[1:]), start=1):
        values = line.split(b"\t")
        if len(row) != len(values):
            problems.append("row %d: %d values, dump %d" % (number, len(row), len(values)))
            continue
        for kind, dump_value, got in zip(types, values, row):
            want = expected(kind, dump_value, codec)
            if not same(want, got):
                problems.append("row %d: %r, dump %r" % (number, got, dump_value))
    for problem in problems[:20]:
        print("%s: %s" % (csv_path, problem))
    return len(rows) - 1, not problems


def main(arguments):
    ok, tables, rows = True, 0, 0
    for i in range(0, len(arguments), 3):
        count, good = compare(*arguments[i:i + 3])
        ok, tables, rows = ok and good, tables + 1, rows + count
    print("%d tables, %d rows" % (tables, rows))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
