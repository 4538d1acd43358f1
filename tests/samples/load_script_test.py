#!/usr/bin/env python3
"""Generates what a sample file setting writes for a workbook, loads it into a throwaway
database server started here (or renders the Markdown), and checks through the
catalog that every table has the sheet's columns in order, their types, NOT NULL,
whether they have a default, the comments and the primary key.

usage: load_script_test.py KIND TAVRUNE_BATCH SETTINGS WORKBOOK MAKER PROGRAM...

MAKER is the script that wrote WORKBOOK; its TABLES say what the sheets hold.

KIND and its programs: postgresql (initdb postgres psql), mariadb (mariadb-install-db
mariadbd mariadb), sqlite (sqlite3 iconv), markdown (cmark-gfm iconv). A program that
is missing skips the test (exit status 77). Servers listen only on a Unix socket in
a temporary directory and are stopped at the end, also when a check fails. As root,
PostgreSQL runs as the user postgres (or nobody), since it refuses to run as root.
"""

import html.parser
import json
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SKIP = 77
SETTINGS = {
    "postgresql": "PostgreSQL (1ファイル)",
    "mariadb": "MySQL (1ファイル)",
    "sqlite": "SQLite (1ファイル)",
    "markdown": "Markdown (テーブルごと)",
}
# What each catalog reports for the sheet's types: the type name with its
# arguments, a NUMERIC without scale having scale 0.
CATALOG_TYPES = {
    "postgresql": {"CHAR": "character", "VARCHAR": "character varying", "NUMERIC": "numeric",
                   "DATE": "date", "TIMESTAMP": "timestamp without time zone"},
    "mariadb": {"CHAR": "char", "VARCHAR": "varchar", "NUMERIC": "decimal", "DATE": "date",
                "TIMESTAMP": "timestamp"},
}


class Failure(Exception):
    pass


def run(command, **options):
    """Runs a program, returning its standard output; a failure names its output."""
    result = subprocess.run([str(part) for part in command], capture_output=True, **options)
    if result.returncode != 0:
        raise Failure("{} failed ({}):\n{}{}".format(
            Path(str(command[0])).name, result.returncode,
            result.stdout.decode(errors="replace"), result.stderr.decode(errors="replace")))
    return result.stdout


def declared_type(kind, type_name, length, scale):
    if kind == "sqlite" or kind == "markdown":
        arguments = [str(a) for a in (length, scale) if a is not None]
        return type_name + ("({})".format(",".join(arguments)) if arguments else "")
    name = CATALOG_TYPES[kind][type_name]
    if type_name == "NUMERIC":
        return "{}({},{})".format(name, length, scale or 0)
    return "{}({})".format(name, length) if length is not None else name


def expected_tables(kind, tables):
    """The tables as the catalog of KIND should hold them, by table name."""
    fold = str.lower if kind == "postgresql" else str
    expected = {}
    for _, name, title, columns in tables:
        expected[fold(name)] = {
            # SQLite keeps no table comment.
            "title": None if kind == "sqlite" else title,
            "columns": [(fold(c[0]), declared_type(kind, c[1], c[2], c[3]), c[5] is not None,
                         c[6] is not None, c[7]) for c in columns],
            "primary key": [fold(c[0]) for c in columns if c[4] is not None],
        }
    return expected


def server_user():
    """The uid and gid to run PostgreSQL as: none for a normal user, else postgres or nobody."""
    if os.geteuid() != 0:
        return None
    for name in ("postgres", "nobody"):
        try:
            entry = pwd.getpwnam(name)
            return entry.pw_uid, entry.pw_gid
        except KeyError:
            continue
    raise Failure("no user to run PostgreSQL as")


def wait_until_ready(server, log, ready):
    deadline = time.monotonic() + 120
    while server.poll() is None and time.monotonic() < deadline:
        if ready():
            return
        time.sleep(0.2)
    text = log.read_text(errors="replace") if log.exists() else ""
    raise Failure("the server did not start:\n" + text)


def stop(server, signal_number):
    if server.poll() is None:
        server.send_signal(signal_number)
        try:
            server.wait(timeout=60)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


def rows(output, columns):
    lines = output.decode("utf-8").splitlines()
    return [line.split("\t", columns - 1) for line in lines if line]


def catalog(table_rows, column_rows, key_rows):
    """Builds the table model from (table, title), (table, column, type, not null,
    has default, comment) and (table, key column) rows, each in order."""
    tables = {}
    for table, title in table_rows:
        tables[table] = {"title": title, "columns": [], "primary key": []}
    for table, column, type_name, not_null, has_default, comment in column_rows:
        tables[table]["columns"].append(
            (column, type_name, not_null in ("t", "1", "NO"), has_default in ("t", "1"), comment))
    for table, column in key_rows:
        tables[table]["primary key"].append(column)
    return tables


def load_postgresql(programs, script, work):
    initdb, postgres, psql = programs
    user = server_user()
    as_user = {"user": user[0], "group": user[1], "extra_groups": []} if user else {}
    if user:
        os.chown(work, *user)
    data, log = work / "data", work / "server.log"
    run([initdb, "-D", data, "-U", "tavrune", "--auth=trust", "-E", "UTF8", "--locale=C",
         "--no-sync"], cwd=work, **as_user)
    client = [psql, "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", work, "-U", "tavrune", "-d",
              "postgres"]
    environment = dict(os.environ, PGCLIENTENCODING="UTF8")
    with open(log, "wb") as log_file:
        server = subprocess.Popen(
            [str(a) for a in (postgres, "-D", data, "-k", work, "-c", "listen_addresses=",
                              "-c", "fsync=off")],
            cwd=work, stdin=subprocess.DEVNULL, stdout=log_file, stderr=subprocess.STDOUT,
            **as_user)
    try:
        wait_until_ready(server, log, lambda: subprocess.run(
            [str(a) for a in client + ["-c", "SELECT 1"]], capture_output=True,
            env=environment).returncode == 0)
        # The script says itself that it is in code page 932.
        run(client + ["-f", script], env=environment)

        def query(sql, columns):
            return rows(run(client + ["-A", "-t", "-F", "\t", "-c", sql], env=environment),
                        columns)

        tables = ("FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                  "AND n.nspname = 'public' AND c.relkind = 'r' ")
        return catalog(
            query("SELECT c.relname, coalesce(obj_description(c.oid, 'pg_class'), '') " +
                  tables + "ORDER BY 1", 2),
            query("SELECT c.relname, a.attname, format_type(a.atttypid, a.atttypmod), "
                  "a.attnotnull, a.atthasdef, coalesce(col_description(c.oid, a.attnum), '') " +
                  tables + "JOIN pg_attribute a ON a.attrelid = c.oid "
                  "WHERE a.attnum > 0 AND NOT a.attisdropped ORDER BY 1, a.attnum", 6),
            query("SELECT c.relname, a.attname " + tables +
                  "JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary "
                  "JOIN unnest(i.indkey) WITH ORDINALITY k(attnum, position) ON true "
                  "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum "
                  "ORDER BY 1, k.position", 2))
    finally:
        stop(server, signal.SIGINT)  # a fast shutdown


def load_mariadb(programs, script, work):
    install_db, mariadbd, mariadb = programs
    # As root the server must be told to stay root; otherwise it runs as the caller.
    user = "root" if os.geteuid() == 0 else pwd.getpwuid(os.geteuid()).pw_name
    data, socket, log = work / "data", work / "server.sock", work / "server.log"
    # A temporary folder of its own: a starting server removes the temporary
    # tables it finds in its folder, those of servers started beside it too.
    server_options = ["--datadir={}".format(data), "--user={}".format(user),
                      "--tmpdir={}".format(work),
                      "--innodb-buffer-pool-size=32M", "--innodb-use-native-aio=0"]
    run([install_db, "--no-defaults"] + server_options +
        ["--auth-root-authentication-method=normal", "--skip-test-db"], cwd=work)
    client = [mariadb, "--no-defaults", "--user=root", "--socket={}".format(socket)]
    server = subprocess.Popen(
        [str(a) for a in [mariadbd, "--no-defaults"] + server_options +
         ["--socket={}".format(socket), "--skip-networking", "--log-error={}".format(log),
          "--pid-file={}".format(work / "server.pid")]],
        cwd=work, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_until_ready(server, log, lambda: subprocess.run(
            [str(a) for a in client + ["-e", "SELECT 1"]], capture_output=True).returncode == 0)
        run(client + ["-e", "CREATE DATABASE tavrune"])
        # The client must read code page 932 too: a second byte 0x5C is no escape then.
        with open(script, "rb") as source:
            run(client + ["--default-character-set=cp932", "tavrune"], stdin=source)

        def query(sql, columns):
            return rows(run(client + ["--default-character-set=utf8mb4", "-N", "-B", "-r",
                                      "-e", sql, "information_schema"]), columns)

        return catalog(
            query("SELECT TABLE_NAME, TABLE_COMMENT FROM TABLES WHERE TABLE_SCHEMA = 'tavrune' "
                  "ORDER BY 1", 2),
            query("SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, "
                  "COLUMN_DEFAULT IS NOT NULL AND COLUMN_DEFAULT <> 'NULL', COLUMN_COMMENT "
                  "FROM COLUMNS WHERE TABLE_SCHEMA = 'tavrune' ORDER BY 1, ORDINAL_POSITION", 6),
            query("SELECT TABLE_NAME, COLUMN_NAME FROM KEY_COLUMN_USAGE "
                  "WHERE TABLE_SCHEMA = 'tavrune' AND CONSTRAINT_NAME = 'PRIMARY' "
                  "ORDER BY 1, ORDINAL_POSITION", 2))
    finally:
        stop(server, signal.SIGTERM)


def load_sqlite(programs, script, work):
    sqlite3, iconv = programs
    database = work / "tables.db"
    run([sqlite3, "-bail", database], input=run([iconv, "-f", "CP932", "-t", "UTF-8", script]))
    tables = json.loads(run([sqlite3, "-json", database,
                             "SELECT name, sql FROM sqlite_schema WHERE type = 'table' "
                             "ORDER BY name"]) or b"[]")
    columns = json.loads(run([sqlite3, "-json", database,
                              "SELECT m.name AS tbl, p.name, p.type, p.\"notnull\", "
                              "p.dflt_value IS NOT NULL AS dflt, p.pk "
                              "FROM sqlite_schema m JOIN pragma_table_info(m.name) p "
                              "WHERE m.type = 'table' ORDER BY m.name, p.cid"]) or b"[]")
    # Column comments live in the stored CREATE TABLE text, one per column line.
    comments = {}
    for table in tables:
        for match in re.finditer(r"^\s*(\w+) .*/\* (.*) \*/,\r?$", table["sql"], re.MULTILINE):
            comments[(table["name"], match.group(1))] = match.group(2)
    keys = sorted((c for c in columns if c["pk"]), key=lambda c: (c["tbl"], c["pk"]))
    return catalog(
        [(t["name"], None) for t in tables],
        [(c["tbl"], c["name"], c["type"], str(c["notnull"]), str(c["dflt"]),
          comments.get((c["tbl"], c["name"]))) for c in columns],
        [(c["tbl"], c["name"]) for c in keys])


class RenderedTables(html.parser.HTMLParser):
    """The heading, the table cells and the paragraph after the table of rendered HTML."""

    def __init__(self):
        super().__init__()
        self.heading, self.rows, self.after = "", [], ""
        self.place = None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("th", "td"):
            self.rows[-1].append("")
        if tag in ("h1", "th", "td", "p"):
            self.place = tag

    def handle_endtag(self, tag):
        if tag == self.place:
            self.place = None

    def handle_data(self, data):
        if self.place == "h1":
            self.heading += data
        elif self.place in ("th", "td"):
            self.rows[-1][-1] += data
        elif self.place == "p":
            self.after += data


def render_markdown(programs, batch_command, work, tables):
    cmark, iconv = programs
    output = work / "out"
    run(batch_command + ["--output-dir", output])
    names = sorted(path.name for path in output.iterdir())
    expected_names = sorted(title + ".md" for _, _, title, _ in tables)
    if names != expected_names:
        raise Failure("files written: {}, expected {}".format(names, expected_names))
    rendered = {}
    for _, name, title, _ in tables:
        text = run([iconv, "-f", "CP932", "-t", "UTF-8", output / (title + ".md")])
        page = RenderedTables()
        page.feed(run([cmark, "-e", "table"], input=text).decode("utf-8"))
        heading = re.fullmatch(r"(.*) \((\w+)\)", page.heading)
        # The "," after a row's last "|" must not show as a fifth cell.
        if (not heading or page.rows[:1] != [["項目名", "データ型", "制約", "説明"]]
                or any(len(cells) != 4 for cells in page.rows)):
            raise Failure("not one table of four columns in {}.md:\n{}".format(
                title, text.decode()))
        rendered[heading.group(2)] = {
            "title": heading.group(1),
            "columns": [(cells[0], cells[1], "NOT NULL" in cells[2], "DEFAULT" in cells[2],
                         cells[3]) for cells in page.rows[1:]],
            "primary key": re.findall(r"\w+", page.after.replace("主キー：", "")),
        }
    return rendered


def describe_differences(found, expected):
    lines = []
    for table in sorted(set(found) | set(expected)):
        if table not in found:
            lines.append("missing table {}".format(table))
        elif table not in expected:
            lines.append("unexpected table {}".format(table))
        else:
            for key in ("title", "columns", "primary key"):
                if found[table][key] != expected[table][key]:
                    lines.append("{} {}:\n  found    {}\n  expected {}".format(
                        table, key, found[table][key], expected[table][key]))
    return "\n".join(lines)


def main(arguments):
    kind, batch, settings, workbook, maker = arguments[:5]
    programs = arguments[5:]
    missing = [p for p in programs if not (os.path.isfile(p) and os.access(p, os.X_OK))]
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        return SKIP
    sys.path.insert(0, str(Path(maker).parent))
    sys.dont_write_bytecode = True  # nothing written into the source tree
    TABLES = __import__(Path(maker).stem).TABLES

    command = [batch, "--settings", settings, "--file", SETTINGS[kind], workbook]
    started = time.monotonic()
    work = Path(tempfile.mkdtemp(prefix="tavrune-{}-".format(kind)))
    try:
        if kind == "markdown":
            found = render_markdown(programs, command, work, TABLES)
        else:
            script = work / "script.sql"
            script.write_bytes(run(command[:-1] + ["--stdout", workbook]))
            loader = {"postgresql": load_postgresql, "mariadb": load_mariadb,
                      "sqlite": load_sqlite}[kind]
            found = loader(programs, script, work)
        differences = describe_differences(found, expected_tables(kind, TABLES))
        if differences:
            raise Failure(differences)
    except Failure as failure:
        print("FAILED: {}".format(failure))
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("{}: {} tables as the sheets say ({:.1f} s)".format(
        kind, len(TABLES), time.monotonic() - started))
    return 0


if __name__ == "__main__":
    # A timeout's SIGTERM still stops the server through the finally clauses.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main(sys.argv[1:]))
