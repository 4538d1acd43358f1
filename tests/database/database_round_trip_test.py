#!/usr/bin/env python3
"""Writes a definition workbook from a database and builds the database again from
it: loads a fixture schema into a throwaway server, writes the workbook with
tavrune-batch --write-workbook through the sample template, checks that --diff
finds no difference, generates the database's ready script from the workbook,
loads it into a fresh database and compares the two catalogs. Then reads the
workbook back: openpyxl finds every filled cell with its value and the template's
style, LibreOffice converts it without error, and --textconv reads the same
definitions as from a workbook written without the template.

usage: database_round_trip_test.py KIND TAVRUNE_BATCH SETTINGS TEMPLATE FIXTURE PROGRAM...

KIND and its programs as for the sample load tests: postgresql (initdb postgres
psql), mariadb (mariadb-install-db mariadbd mariadb), sqlite (sqlite3 iconv).
Skips (exit status 77) when a program, openpyxl or LibreOffice is missing.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).parent))
sys.path.insert(0, str(Path(__file__).parent.parent / "samples"))
import database_diff_test as diff_test  # noqa: E402
import load_script_test as load  # noqa: E402

SKIP = 77
LOADERS = {"postgresql": load.load_postgresql, "mariadb": load.load_mariadb,
           "sqlite": load.load_sqlite}
# The sample template's layout: the sample format's cells, its ruled rows.
NAME, TITLE, FIRST_ROW, LAST_RULED_ROW = "C3", "C4", 7, 36
COLUMNS = {"title": 2, "key": 6, "not null": 7, "comment": 9}
MARK = "○"


def check_cells(workbook, template, catalog):
    """Every sheet holds its table's cells with the template's styles."""
    from openpyxl import load_workbook

    book = load_workbook(workbook)
    model = load_workbook(template).worksheets[0]
    tables = {book[name][NAME].value: book[name] for name in book.sheetnames}
    if sorted(tables) != sorted(catalog):
        raise load.Failure("sheets for {}, tables {}".format(sorted(tables), sorted(catalog)))
    for name, table in catalog.items():
        sheet = tables[name]
        if sheet[TITLE].value != (table["title"] or name):
            raise load.Failure("{}: title {!r}".format(name, sheet[TITLE].value))
        for number, (column, _, not_null, _, comment) in enumerate(table["columns"]):
            row = FIRST_ROW + number
            expected = {"title": column, "key": MARK if column in table["primary key"] else None,
                        "not null": MARK if not_null else None, "comment": comment or None}
            for field, value in expected.items():
                found = sheet.cell(row=row, column=COLUMNS[field]).value
                if found != value:
                    raise load.Failure("{}!{}{}: {!r}, expected {!r}".format(
                        sheet.title, field, row, found, value))
        for row in sheet.iter_rows():
            for cell in row:
                # Rows beyond the ruled ones take the first column row's look.
                source = model.cell(row=cell.row if cell.row <= LAST_RULED_ROW else FIRST_ROW,
                                    column=cell.column)
                if cell.style_id != source.style_id:
                    raise load.Failure("{}!{}: style {}, the template's {}".format(
                        sheet.title, cell.coordinate, cell.style_id, source.style_id))


def definitions(batch, settings, workbook):
    """The --textconv text of the workbook without its extra cells, which the
    template's captions fill."""
    text = load.run([batch, "--settings", settings, "--textconv", workbook]).decode()
    return re.sub(r" ETC[1-4] .*", "", text)


def main(arguments):
    kind, batch, settings, template, fixture = arguments[:5]
    programs = arguments[5:]
    missing = [p for p in programs if not (os.path.isfile(p) and os.access(p, os.X_OK))]
    soffice = shutil.which("soffice")
    try:
        import openpyxl  # noqa: F401
    except ImportError:
        missing.append("python3-openpyxl")
    if soffice is None:
        missing.append("soffice")
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        return SKIP
    work = Path(tempfile.mkdtemp(prefix="tavrune-round-trip-{}-".format(kind)))
    work.chmod(0o755)  # a server running as another user works in a folder below
    schema = Path(fixture).read_text(encoding="utf-8")
    # The loaders read code page 932, PostgreSQL's what the script says (nothing: UTF-8).
    loaded = schema.encode("utf-8" if kind == "postgresql" else "cp932")
    workbook, plain = work / "definitions.xlsx", work / "plain.xlsx"
    try:
        (work / "live").mkdir()
        with diff_test.Server(kind, programs, work / "live") as server:
            server.run_utf8([schema])
            write = [batch, "--settings", settings, "--database", server.url,
                     "--write-workbook"]
            load.run(write + [workbook, "--template", template])
            load.run(write + [plain])
            result = subprocess.run([str(a) for a in [batch, "--settings", settings, "--diff",
                                                      "--database", server.url, workbook]],
                                    capture_output=True)
            if result.returncode != 0:
                raise load.Failure("--diff between the database and its workbook ({}):\n{}{}"
                                   .format(result.returncode, result.stdout.decode(),
                                           result.stderr.decode(errors="replace")))
        ready = work / "ready.sql"
        ready.write_bytes(load.run([batch, "--settings", settings, "--file",
                                    diff_test.FILES[kind], "--stdout", workbook]))
        source_script = work / "source.sql"
        source_script.write_bytes(loaded)
        for folder in ("source", "rebuilt"):
            (work / folder).mkdir()
        source = LOADERS[kind](programs, source_script, work / "source")
        rebuilt = LOADERS[kind](programs, ready, work / "rebuilt")
        differences = load.describe_differences(rebuilt, source)
        if differences:
            raise load.Failure("the database built from the workbook differs:\n" + differences)

        check_cells(workbook, template, source)
        converted = subprocess.run(
            [soffice, "--headless", "-env:UserInstallation=" + (work / "office").as_uri(),
             "--convert-to", "csv", "--outdir", str(work), str(workbook)],
            capture_output=True, timeout=240)
        if converted.returncode != 0 or not (work / "definitions.csv").is_file():
            raise load.Failure("LibreOffice did not convert the workbook ({}):\n{}".format(
                converted.returncode, converted.stderr.decode(errors="replace")))
        if definitions(batch, settings, workbook) != definitions(batch, settings, plain):
            raise load.Failure("the template's workbook and the plain one read differently")
    except load.Failure as failure:
        print("FAILED: {}".format(failure))
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("{}: written, read back and built again alike".format(kind))
    return 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main(sys.argv[1:]))
