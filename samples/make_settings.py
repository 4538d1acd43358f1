#!/usr/bin/python3
"""Writes tavrune.dat, the sample settings shipped with Tavrune: one format setting
for the sample workbook's layout, two file settings producing CREATE TABLE scripts
(one file per table, and one file for all tables), then one file setting per
database (Oracle, PostgreSQL, MySQL, SQL Server, SQLite) and one writing a Markdown
table per table. The first three records keep their place: tests and the README
name them. The file is code page 932 text: fields each followed by 0x01, CR LF line
ends, a 0x02 line between format and file settings, 0x03 for line breaks inside
templates."""

from pathlib import Path

FORMATS = [
    # Name, TableName, TableTitle, RowStart, RowTitle, RowType, RowLength, RowScale,
    # Index, StrIndex, NotNull, StrNotNull, SetNotNull, Etc1-4, Default, SetDefault,
    # Comment
    ["テーブル定義書", "C3", "C4", "7", "B", "C", "D", "E", "F", "○", "G", "○",
     "NOT NULL", "A1", "B3", "B4", "A6", "H", "DEFAULT", "I"],
]

HEADER = ["-- [%TableTitle] ([%TableName])", "CREATE TABLE [%TableName] ("]
BODY = ["    [%RowTitle]\t[%RowType]\t[%Default]\t[%NotNull],",
        "    CONSTRAINT PK_[%TableName] PRIMARY KEY (",
        "        [%Index]",
        "    )"]
FOOTER = [");",
          "COMMENT ON TABLE [%TableName] IS '[%TableTitle]';",
          "COMMENT ON COLUMN [%TableName].[%RowTitle] IS '[%Comment]';",
          ""]

# One script per database, each table complete in the body. Column lines ending in
# "," keep the comma on their last line too, for the PRIMARY KEY line after them;
# lines ending in ";" are whole statements, one per column. Types and defaults are
# the sheet's own: the templates cannot translate them.
TITLE = "-- [%TableTitle] ([%TableName])"
PRIMARY_KEY = ["    CONSTRAINT PK_[%TableName] PRIMARY KEY (", "        [%Index]", "    )"]

COMMENTS = ["COMMENT ON TABLE [%TableName] IS '[%TableTitle]';",
            "COMMENT ON COLUMN [%TableName].[%RowTitle] IS '[%Comment]';"]

# Oracle wants DEFAULT before NOT NULL.
ORACLE = ([TITLE, "CREATE TABLE [%TableName] (",
           "    [%RowTitle] [%RowType] [%Default] [%NotNull],"]
          + PRIMARY_KEY + [");"] + COMMENTS + [""])
# The script is code page 932, which PostgreSQL calls SJIS; one transaction.
POSTGRESQL_HEADER = ["SET client_encoding = 'SJIS';", "BEGIN;", ""]
POSTGRESQL = ([TITLE, "CREATE TABLE [%TableName] (",
               "    [%RowTitle] [%RowType] [%NotNull] [%Default],"]
              + PRIMARY_KEY + [");"] + COMMENTS + [""])

# Comments go inside the table definition; MySQL ignores a primary key's name.
MYSQL = [TITLE, "CREATE TABLE [%TableName] (",
         "    [%RowTitle] [%RowType] [%NotNull] [%Default] COMMENT '[%Comment]',",
         "    PRIMARY KEY (", "        [%Index]", "    )",
         ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COMMENT='[%TableTitle]';",
         ""]

# Descriptions are extended properties; GO ends the batch of each table.
DESCRIPTION = ("EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'{}', "
               "@level0type = N'SCHEMA', @level0name = N'dbo', "
               "@level1type = N'TABLE', @level1name = N'[%TableName]'{};")
SQL_SERVER = [TITLE, "CREATE TABLE dbo.[%TableName] (",
              "    [%RowTitle] [%RowType] [%NotNull] [%Default],"] + PRIMARY_KEY + [
    ");",
    DESCRIPTION.format("[%TableTitle]", ""),
    DESCRIPTION.format("[%Comment]", ", @level2type = N'COLUMN', @level2name = N'[%RowTitle]'"),
    "GO",
    ""]

# SQLite keeps no comments but keeps the text of CREATE TABLE, comments included.
SQLITE = [TITLE, "CREATE TABLE [%TableName] (",
          "    [%RowTitle] [%RowType] [%NotNull] [%Default] /* [%Comment] */,"] + PRIMARY_KEY + [
    ");",
    ""]

# Column lines get a "," between them, which a Markdown table ignores after the
# last "|"; the key's columns, one a line, join into one paragraph.
MARKDOWN_HEADER = ["# [%TableTitle] ([%TableName])", "",
                   "| 項目名 | データ型 | 制約 | 説明 |", "| --- | --- | --- | --- |"]
MARKDOWN_BODY = ["| [%RowTitle] | [%RowType] | [%NotNull] [%Default] | [%Comment] |"]
MARKDOWN_FOOTER = ["", "主キー：", "[%Index]"]

FILES = [
    # Name, body, header, footer, OutputFile, prefix check, suffix check, prefix,
    # suffix, OutputFileName, OutputDir
    ["CREATE TABLE (テーブルごと)", BODY, HEADER, FOOTER, "0", "0", "1", "", ".sql", "",
     "/tmp/tavrune"],
    ["CREATE TABLE (1ファイル)", HEADER + BODY + FOOTER, [], [], "1", "0", "0", "", "",
     "create_tables.sql", "/tmp/tavrune"],
    ["Oracle (1ファイル)", ORACLE, [], [], "1", "0", "0", "", "", "create_tables_oracle.sql",
     "/tmp/tavrune"],
    ["PostgreSQL (1ファイル)", POSTGRESQL, POSTGRESQL_HEADER, ["COMMIT;"], "1", "0", "0", "", "",
     "create_tables_postgresql.sql", "/tmp/tavrune"],
    ["MySQL (1ファイル)", MYSQL, ["SET NAMES cp932;", ""], [], "1", "0", "0", "", "",
     "create_tables_mysql.sql", "/tmp/tavrune"],
    ["SQL Server (1ファイル)", SQL_SERVER, [], [], "1", "0", "0", "", "",
     "create_tables_sqlserver.sql", "/tmp/tavrune"],
    ["SQLite (1ファイル)", SQLITE, ["BEGIN TRANSACTION;", ""], ["COMMIT;"], "1", "0", "0", "", "",
     "create_tables_sqlite.sql", "/tmp/tavrune"],
    ["Markdown (テーブルごと)", MARKDOWN_BODY, MARKDOWN_HEADER, MARKDOWN_FOOTER, "0", "0", "1", "",
     ".md", "", "/tmp/tavrune"],
]


def record(fields):
    text = "".join(
        ("\x03".join(field) if isinstance(field, list) else field) + "\x01" for field in fields)
    return text.encode("cp932") + b"\r\n"


def main():
    data = b"".join(record(f) for f in FORMATS) + b"\x02\r\n" + b"".join(record(f) for f in FILES)
    Path(__file__).with_name("tavrune.dat").write_bytes(data)


if __name__ == "__main__":
    main()
