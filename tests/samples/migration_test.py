#!/usr/bin/env python3
"""Checks a sample change setting against a real database: builds the older tables
of tests/data/samples/portable_tables.xlsx with the database's sample file setting,
puts a row into every table, applies the change script to portable_tables_next.xlsx,
checks that the row kept every kept column, and compares the catalog with that of a
database built from the newer workbook directly.

usage: migration_test.py KIND TAVRUNE_BATCH SETTINGS OLD_WORKBOOK NEW_WORKBOOK PROGRAM...

KIND and its programs as for load_script_test.py: postgresql, mariadb, sqlite. Column
order is compared where the script can place a column (MariaDB, SQLite); PostgreSQL
appends added columns, so there the columns are compared by name.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(Path(__file__).parent))
import load_script_test as load  # noqa: E402

SKIP = 77
CHANGES = {"postgresql": "PostgreSQL (変更)", "mariadb": "MySQL (変更)",
           "sqlite": "SQLite (変更)"}
FILES = {"postgresql": "PostgreSQL (1ファイル)", "mariadb": "MySQL (1ファイル)",
         "sqlite": "SQLite (1ファイル)"}


def value(type_name, length, second=False):
    """A value every database stores as written and gives back equal to it; the
    second row's differs."""
    if type_name == "CHAR":
        return "'{}'".format(("い" if second else "あ") if (length or 1) >= 2 else
                             ("2" if second else "1"))
    return {"VARCHAR": "'ソ表{}'".format(2 if second else ""), "NUMERIC": "8" if second else "7",
            "DATE": "'2024-04-0{}'".format(2 if second else 1),
            "TIMESTAMP": "'2024-04-01 09:00:00'"}[type_name]


def default_checks(newer):
    """A second row into every newer table that names only the columns without a
    default, and a check that the others took the sheet's default (where it is a
    value, not CURRENT_TIMESTAMP)."""
    lines = []
    for _, name, _, columns in newer:
        given = [c for c in columns if c[6] is None]
        lines.append("INSERT INTO {} ({}) VALUES ({});".format(
            name, ", ".join(c[0] for c in given),
            ", ".join(value(c[1], c[2], True) for c in given)))
        defaults = ["{} = {}".format(c[0], "'{}'".format(c[6]) if "CHAR" in c[1] else c[6])
                    for c in columns
                    if c[6] is not None and ("CHAR" in c[1] or isinstance(c[6], int))]
        keys = ["{} = {}".format(c[0], value(c[1], c[2], True)) for c in columns if c[4]]
        lines.append("INSERT INTO ROW_CHECK (N) SELECT COUNT(*) FROM {} WHERE {};".format(
            name, " AND ".join(keys + defaults)))
    return lines


def row_statements(older, newer):
    """A row into every older table; then for every table kept a check that its row
    kept the values of the columns kept, and the default checks: each a count that a
    CHECK constraint wants to be 1, so that a lost row or a wrong default stops the
    script."""
    newer_columns = {name: {c[0] for c in columns} for _, name, _, columns in newer}
    lines = []
    for _, name, _, columns in older:
        lines.append("INSERT INTO {} ({}) VALUES ({});".format(
            name, ", ".join(c[0] for c in columns),
            ", ".join(value(c[1], c[2]) for c in columns)))
    checks = ["CREATE TABLE ROW_CHECK (N INTEGER CHECK (N = 1));"]
    for _, name, _, columns in older:
        if name in newer_columns:
            kept = [c for c in columns if c[0] in newer_columns[name]]
            checks.append("INSERT INTO ROW_CHECK (N) SELECT COUNT(*) FROM {} WHERE {};".format(
                name, " AND ".join("{} = {}".format(c[0], value(c[1], c[2])) for c in kept)))
    checks += default_checks(newer)
    checks.append("DROP TABLE ROW_CHECK;")
    return "\n".join(lines) + "\n", "\n".join(checks) + "\n"


def main(arguments):
    kind, batch, settings, old_workbook, new_workbook = arguments[:5]
    programs = arguments[5:]
    missing = [p for p in programs if not (os.path.isfile(p) and os.access(p, os.X_OK))]
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        return SKIP
    sys.path.insert(0, str(Path(old_workbook).parent))
    from make_portable_tables import NEXT_TABLES, TABLES

    loader = {"postgresql": load.load_postgresql, "mariadb": load.load_mariadb,
              "sqlite": load.load_sqlite}[kind]
    started = time.monotonic()
    work = Path(tempfile.mkdtemp(prefix="tavrune-migration-{}-".format(kind)))
    work.chmod(0o755)  # a server running as another user works in a folder below
    try:
        def script(*options):
            return load.run([batch, "--settings", settings, "--stdout"] + list(options))

        older = script("--file", FILES[kind], old_workbook)
        newer = script("--file", FILES[kind], new_workbook)
        result = subprocess.run(
            [str(a) for a in [batch, "--settings", settings, "--stdout", "--diff", "--change",
                              CHANGES[kind], old_workbook, new_workbook]], capture_output=True)
        if result.returncode != 1:  # the workbooks differ
            raise load.Failure("the change script was not written ({}): {}".format(
                result.returncode, result.stderr.decode(errors="replace")))
        change = result.stdout
        rows, checks = row_statements(TABLES, NEXT_TABLES)
        migrated_script = work / "migrated.sql"
        migrated_script.write_bytes(older + rows.encode("cp932") + change +
                                    checks.encode("cp932"))
        fresh_script = work / "fresh.sql"
        fresh_script.write_bytes(newer)
        (work / "migrated").mkdir()
        (work / "fresh").mkdir()
        migrated = loader(programs, migrated_script, work / "migrated")
        fresh = loader(programs, fresh_script, work / "fresh")
        if kind == "postgresql":
            for tables in (migrated, fresh):
                for table in tables.values():
                    table["columns"].sort()
        differences = load.describe_differences(migrated, fresh)
        if differences:
            raise load.Failure("migrated and fresh differ:\n" + differences)
    except load.Failure as failure:
        print("FAILED: {}".format(failure))
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("{}: migrated like fresh, rows kept ({:.1f} s)".format(kind, time.monotonic() - started))
    return 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main(sys.argv[1:]))
