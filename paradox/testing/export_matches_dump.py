"""Checks what `pdx export` wrote against `pdx dump` of the same tables,
converting the dump's values with Python's own code page tables:

    export_matches_dump.py csv CSV DUMP INFO [CSV DUMP INFO]...
    export_matches_dump.py sqlite DATABASE TABLE DUMP INFO [...]

CSV files are read with Python's csv module; SQLite tables (named after the
table file) through the sqlite3 command-line shell, with their column
types and primary key. INFO is the output of `pdx info` (code page, field
types, key fields). Prints one line per difference and exits 1 when there
is any.
"""
import base64
import csv
import json
import math
import os
import subprocess
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
    """The code page, the field type letters and the number of key fields."""
    code_page, types, keys = 437, [], 0
    with open(path, "rb") as f:
        for line in f.read().split(b"\n"):
            if line.startswith(b"Code page: "):
                code_page = int(line[11:]) or 437
            elif line.startswith(b"  ") and line.count(b"\t") >= 2:
                types.append(line.split(b"\t")[2][:1].decode())
                keys += line.endswith(b"\tkey")
    return code_page, types, keys


def read_dump(path, codec):
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")[:-1]
    header = [name.decode(codec, errors="replace") for name in lines[0].split(b"\t")]
    return header, [line.split(b"\t") for line in lines[1:]]


def expected(kind, dump_value, codec):
    """The CSV text a dump value should become, or a float to compare."""
    if dump_value == b"":
        return ""
    if kind in "AM":
        return unescape(dump_value).decode(codec, errors="replace")
    if kind == "F":
        return unescape(dump_value)
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


def compare_csv(csv_path, dump_path, info_path):
    code_page, types, _ = read_info(info_path)
    codec = "cp%d" % code_page
    header, dump = read_dump(dump_path, codec)
    problems = []
    with open(csv_path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f, strict=True))
    if rows[0] != header:
        problems.append("header %r, dump %r" % (rows[0], header))
    if len(rows) != len(dump) + 1:
        problems.append("%d CSV rows, %d dump rows" % (len(rows) - 1, len(dump)))
    for number, (values, row) in enumerate(zip(dump, rows[1:]), start=1):
        if len(row) != len(values):
            problems.append("row %d: %d values, dump %d" % (number, len(row), len(values)))
            continue
        for kind, dump_value, got in zip(types, values, row):
            want = expected(kind, dump_value, codec)
            if not same(want, got):
                problems.append("row %d: %r, dump %r" % (number, got, dump_value))
    return csv_path, len(rows) - 1, problems


SQLITE_TYPES = {"A": "TEXT", "M": "TEXT", "F": "BLOB", "D": "TEXT", "T": "TEXT", "@": "TEXT",
                "S": "INTEGER", "I": "INTEGER", "+": "INTEGER", "L": "INTEGER",
                "N": "REAL", "$": "REAL", "#": "REAL",
                "Y": "BLOB", "B": "BLOB", "O": "BLOB", "G": "BLOB"}


def sqlite_json(database, query):
    out = subprocess.run(["sqlite3", "-json", database, query], check=True,
                         capture_output=True).stdout
    return json.loads(out) if out.strip() else []


def same_sqlite(kind, dump_value, codec, kind_of, got):
    if dump_value == b"":
        return kind_of == "null"
    want = expected(kind, dump_value, codec)
    if kind in "SI+":
        return kind_of == "integer" and got == int(want)
    if kind == "L":
        return kind_of == "integer" and got == (1 if want == "true" else 0)
    if kind in "N$#":
        return kind_of == "real" and float(got) == float(dump_value)
    if kind in "YBOGF":
        return kind_of == "blob" and bytes.fromhex(got) == want
    return kind_of == "text" and got == want


def quote(name):
    return '"' + name.replace('"', '""') + '"'


def compare_sqlite(database, table_path, dump_path, info_path):
    code_page, types, keys = read_info(info_path)
    codec = "cp%d" % code_page
    header, dump = read_dump(dump_path, codec)
    table = os.path.splitext(os.path.basename(table_path))[0]
    where = "%s: %s" % (database, table)
    columns = sqlite_json(database, "SELECT name, type, pk FROM pragma_table_info('%s')"
                          % table.replace("'", "''"))
    problems = []
    if [c["name"] for c in columns] != header:
        problems.append("columns %r, dump %r" % ([c["name"] for c in columns], header))
        return where, 0, problems
    if [c["type"] for c in columns] != [SQLITE_TYPES[kind] for kind in types]:
        problems.append("column types %r for %r" % ([c["type"] for c in columns], types))
    if [c["pk"] for c in columns] != [i + 1 if i < keys else 0 for i in range(len(types))]:
        problems.append("primary key %r, %d key fields" % ([c["pk"] for c in columns], keys))
    selected = []
    for i, name in enumerate(header):
        c = quote(name)
        selected.append("typeof(%s) AS t%d" % (c, i))
        selected.append("CASE WHEN typeof(%s) = 'blob' THEN hex(%s) ELSE %s END AS v%d"
                        % (c, c, c, i))
    rows = sqlite_json(database, "SELECT %s FROM %s ORDER BY rowid" % (", ".join(selected),
                                                                        quote(table)))
    if len(rows) != len(dump):
        problems.append("%d rows, dump %d" % (len(rows), len(dump)))
    for number, (values, row) in enumerate(zip(dump, rows), start=1):
        for i, (kind, dump_value) in enumerate(zip(types, values)):
            kind_of, got = row["t%d" % i], row["v%d" % i]
            if not same_sqlite(kind, dump_value, codec, kind_of, got):
                problems.append("row %d: %s %r, dump %r" % (number, kind_of, got, dump_value))
    return where, len(rows), problems


def main(arguments):
    mode, arguments = arguments[0], arguments[1:]
    compare, step = (compare_csv, 3) if mode == "csv" else (compare_sqlite, 4)
    ok, tables, rows = True, 0, 0
    for i in range(0, len(arguments), step):
        where, count, problems = compare(*arguments[i:i + step])
        for problem in problems[:20]:
            print("%s: %s" % (where, problem))
        ok, tables, rows = ok and not problems, tables + 1, rows + count
    print("%d tables, %d rows" % (tables, rows))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
