#!/usr/bin/env python3
"""Compares a live database with the workbook it was built from: builds
tests/data/samples/portable_tables.xlsx in a throwaway server with the database's
sample file setting and checks that tavrune-batch --diff --database finds no
difference; then changes the database behind the sheets' back (a column added, a
type widened, a NOT NULL dropped; SQLite only adds) and checks that exactly those
differences are reported; then applies the change script from the database to the
sheets and checks that none is left.

usage: database_diff_test.py KIND TAVRUNE_BATCH SETTINGS WORKBOOK PROGRAM...

KIND and its programs as for the sample load tests: postgresql (initdb postgres
psql), mariadb (mariadb-install-db mariadbd mariadb), sqlite (sqlite3 iconv);
odbc_postgresql and odbc_sqlite are reached through a throwaway DSN naming the
ODBC driver given after the programs.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).parent.parent / "samples"))
import load_script_test as load  # noqa: E402

SKIP = 77
FILES = {"postgresql": "PostgreSQL (1ファイル)", "mariadb": "MySQL (1ファイル)",
         "sqlite": "SQLite (1ファイル)"}
CHANGES = {"postgresql": "PostgreSQL (変更)", "mariadb": "MySQL (変更)",
           "sqlite": "SQLite (変更)"}
DRIFT = {
    "postgresql": ["ALTER TABLE employee ADD COLUMN nickname VARCHAR(20);",
                   "ALTER TABLE department ALTER COLUMN dept_name TYPE VARCHAR(80);",
                   "ALTER TABLE employee ALTER COLUMN display_name DROP NOT NULL;"],
    "mariadb": ["ALTER TABLE EMPLOYEE ADD COLUMN NICKNAME VARCHAR(20);",
                "ALTER TABLE DEPARTMENT MODIFY DEPT_NAME VARCHAR(80) NOT NULL COMMENT '部署名';",
                "ALTER TABLE EMPLOYEE MODIFY DISPLAY_NAME VARCHAR(100) NULL COMMENT '表示名';"],
    "sqlite": ["ALTER TABLE EMPLOYEE ADD COLUMN NICKNAME VARCHAR(20);"],
}
REPORTED = {
    "postgresql": ["column removed: employee.nickname", "column changed: department.dept_name type",
                   "column changed: employee.display_name not null"],
    "sqlite": ["column removed: employee.nickname"],
}
REPORTED["mariadb"] = REPORTED["postgresql"]
DSN = {"postgresql": "Servername={}\nDatabase=postgres\nUsername=tavrune\n",
       "sqlite": "Database={}/tables.db\n"}


class Server:
    """A throwaway server on a Unix socket in work, its URL and a way to run SQL."""

    def __init__(self, kind, programs, work):
        self.kind, self.programs, self.work, self.process = kind, programs, work, None

    def __enter__(self):
        work = self.work
        if self.kind == "sqlite":
            self.url = "sqlite://" + str(work / "tables.db")
            return self
        if self.kind == "postgresql":
            initdb, postgres, psql = self.programs
            user = load.server_user()
            self.as_user = {"user": user[0], "group": user[1], "extra_groups": []} if user else {}
            if user:
                os.chown(work, *user)
            load.run([initdb, "-D", work / "data", "-U", "tavrune", "--auth=trust", "-E", "UTF8",
                      "--locale=C", "--no-sync"], cwd=work, **self.as_user)
            log = work / "server.log"
            with open(log, "wb") as log_file:
                self.process = subprocess.Popen(
                    [str(a) for a in (postgres, "-D", work / "data", "-k", work, "-c",
                                      "listen_addresses=", "-c", "fsync=off")],
                    cwd=work, stdin=subprocess.DEVNULL, stdout=log_file,
                    stderr=subprocess.STDOUT, **self.as_user)
            self.client = [psql, "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", work, "-U",
                           "tavrune", "-d", "postgres"]
            load.wait_until_ready(self.process, log, lambda: subprocess.run(
                [str(a) for a in self.client + ["-c", "SELECT 1"]],
                capture_output=True).returncode == 0)
            self.url = "postgresql://tavrune@/postgres?host=" + str(work)
            return self
        install_db, mariadbd, mariadb = self.programs
        user = "root" if os.geteuid() == 0 else load.pwd.getpwuid(os.geteuid()).pw_name
        socket, log = work / "server.sock", work / "server.log"
        options = ["--datadir={}".format(work / "data"), "--user={}".format(user),
                   "--tmpdir={}".format(work),  # as load_script_test says
                   "--innodb-buffer-pool-size=32M", "--innodb-use-native-aio=0"]
        load.run([install_db, "--no-defaults"] + options +
                 ["--auth-root-authentication-method=normal", "--skip-test-db"], cwd=work)
        self.process = subprocess.Popen(
            [str(a) for a in [mariadbd, "--no-defaults"] + options +
             ["--socket={}".format(socket), "--skip-networking", "--log-error={}".format(log),
              "--pid-file={}".format(work / "server.pid")]],
            cwd=work, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        self.client = [mariadb, "--no-defaults", "--user=root", "--socket={}".format(socket)]
        load.wait_until_ready(self.process, log, lambda: subprocess.run(
            [str(a) for a in self.client + ["-e", "SELECT 1"]],
            capture_output=True).returncode == 0)
        load.run(self.client + ["-e", "CREATE DATABASE tavrune"])
        self.url = "mysql://root@/tavrune?socket=" + str(socket)
        return self

    def __exit__(self, *_):
        if self.process is not None:
            load.stop(self.process, signal.SIGINT if self.kind == "postgresql" else signal.SIGTERM)

    def load_cp932(self, script):
        """Runs a script in code page 932, as the sample settings write them."""
        if self.kind == "sqlite":
            sqlite3, iconv = self.programs
            load.run([sqlite3, "-bail", self.work / "tables.db"],
                     input=load.run([iconv, "-f", "CP932", "-t", "UTF-8"], input=script))
        elif self.kind == "postgresql":
            load.run(self.client, input=script,
                     env=dict(os.environ, PGCLIENTENCODING="SJIS"))
        else:
            load.run(self.client + ["--default-character-set=cp932", "tavrune"], input=script)

    def run_utf8(self, statements):
        text = "\n".join(statements).encode("utf-8")
        if self.kind == "sqlite":
            load.run([self.programs[0], "-bail", self.work / "tables.db"], input=text)
        elif self.kind == "postgresql":
            load.run(self.client, input=text, env=dict(os.environ, PGCLIENTENCODING="UTF8"))
        else:
            load.run(self.client + ["--default-character-set=utf8mb4", "tavrune"], input=text)


def main(arguments):
    odbc, batch, settings, workbook = arguments[:4]
    kind = odbc.replace("odbc_", "")
    programs = arguments[4:]
    driver = programs.pop() if odbc != kind else None
    missing = [p for p in programs + [driver] if p is not None and not (
        os.path.isfile(p) and (p == driver or os.access(p, os.X_OK)))]
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        return SKIP
    work = Path(tempfile.mkdtemp(prefix="tavrune-database-{}-".format(odbc)))
    work.chmod(0o755)  # a server running as another user works in it

    def diff(*options):
        result = subprocess.run([str(a) for a in [batch, "--settings", settings, "--diff",
                                                   "--database", server.url] + list(options) +
                                 [workbook]], capture_output=True)
        return result.returncode, result.stdout, result.stderr.decode(errors="replace")

    try:
        with Server(kind, programs, work) as server:
            if driver:
                (work / "odbcinst.ini").write_text("[Tavrune]\nDriver={}\n".format(driver))
                (work / "odbc.ini").write_text(
                    "[tavrune test]\nDriver=Tavrune\n" + DSN[kind].format(work))
                os.environ.update(ODBCSYSINI=str(work), ODBCINI=str(work / "odbc.ini"))
                server.url = "odbc://tavrune%20test"
            server.load_cp932(load.run([batch, "--settings", settings, "--file", FILES[kind],
                                        "--stdout", workbook]))
            status, out, err = diff()
            if status != 0:
                raise load.Failure("built from the sheets, yet ({}):\n{}{}".format(
                    status, out.decode(), err))
            server.run_utf8(DRIFT[kind])
            status, out, err = diff()
            reported = sorted(line.lower() for line in out.decode().splitlines())
            if status != 1 or len(reported) != len(REPORTED[kind]) or not all(
                    line.startswith(expected)
                    for line, expected in zip(reported, sorted(REPORTED[kind]))):
                raise load.Failure("the drift reported ({}):\n{}{}".format(status, out.decode(),
                                                                         err))
            # The database as the newer side: the same differences, the other way round.
            result = subprocess.run([str(a) for a in [batch, "--settings", settings, "--diff",
                                                       workbook, server.url]], capture_output=True)
            turned = sorted(line.lower() for line in result.stdout.decode().splitlines())
            if result.returncode != 1 or len(turned) != len(reported) or not all(
                    line.startswith(expected) for line, expected in zip(
                        turned, sorted(e.replace("removed", "added") for e in REPORTED[kind]))):
                raise load.Failure("the drift the other way round ({}):\n{}".format(
                    result.returncode, result.stdout.decode()))
            status, script, err = diff("--change", CHANGES[kind], "--stdout")
            if status != 1:
                raise load.Failure("no change script ({}): {}".format(status, err))
            server.load_cp932(script)
            status, out, err = diff()
            if status != 0:
                raise load.Failure("the change script left ({}):\n{}{}".format(
                    status, out.decode(), err))
    except load.Failure as failure:
        print("FAILED: {}".format(failure))
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("{}: the database and the sheets agree, drift found and mended".format(odbc))
    return 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main(sys.argv[1:]))
