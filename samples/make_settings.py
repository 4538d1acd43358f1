#!/usr/bin/python3
"""Writes tavrune.dat, the sample settings shipped with Tavrune: one format setting
for the sample workbook's layout and two file settings producing CREATE TABLE
scripts (one file per table, and one file for all tables). The file is code page
932 text: fields each followed by 0x01, CR LF line ends, a 0x02 line between format
and file settings, 0x03 for line breaks inside templates."""

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

FILES = [
    # Name, body, header, footer, OutputFile, prefix check, suffix check, prefix,
    # suffix, OutputFileName, OutputDir
    ["CREATE TABLE (テーブルごと)", BODY, HEADER, FOOTER, "0", "0", "1", "", ".sql", "",
     "/tmp/tavrune"],
    ["CREATE TABLE (1ファイル)", HEADER + BODY + FOOTER, [], [], "1", "0", "0", "", "",
     "create_tables.sql", "/tmp/tavrune"],
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
