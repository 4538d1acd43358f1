#!/usr/bin/python3
"""Writes portable_tables.xlsx: table-definition sheets in the sample workbook's
layout whose types, defaults and keys PostgreSQL, MariaDB and SQLite all accept, so
that the scripts of the sample settings can be loaded into them; and
portable_tables_next.xlsx, a next version of them changed in every way the change
settings write: a table added, one removed, one retitled, columns added (at the end
and in the middle), removed, moved, widened, their NOT NULL, default and comment
changed, and a key changed. The comments hold
characters whose code page 932 second byte is a backslash (ソ, 表) and a wave dash.
Needs Debian's python3-openpyxl (run with /usr/bin/python3); the load tests import
TABLES from here."""

from pathlib import Path

# Sheet name, table name, title, then per column: name, type, length, scale,
# primary key mark, NOT NULL mark, default, comment.
TABLES = [
    ("部署", "DEPARTMENT", "部署マスタ", [
        ("DEPT_CODE", "CHAR", 4, None, "○", "○", None, "部署コード"),
        ("DEPT_NAME", "VARCHAR", 50, None, None, "○", None, "部署名"),
        ("SORT_ORDER", "NUMERIC", 3, None, None, "○", 0, "ソート順"),
        ("CREATED_AT", "TIMESTAMP", None, None, None, "○", "CURRENT_TIMESTAMP", "登録日時"),
    ]),
    ("社員", "EMPLOYEE", "社員マスタ", [
        ("EMPLOYEE_ID", "NUMERIC", 8, None, "○", "○", None, "社員番号"),
        ("DEPT_CODE", "CHAR", 4, None, None, "○", None, "所属部署コード"),
        ("DISPLAY_NAME", "VARCHAR", 100, None, None, "○", None, "表示名"),
        ("HIRED_ON", "DATE", None, None, None, None, None, "入社日"),
        ("MONTHLY_SALARY", "NUMERIC", 9, 2, None, None, None, "月給（円）"),
        ("STATUS", "CHAR", 1, None, None, "○", 1, "在籍区分（1～9）"),
    ]),
    ("社員資格", "EMPLOYEE_LICENSE", "社員資格一覧表", [
        ("EMPLOYEE_ID", "NUMERIC", 8, None, "○", "○", None, "社員番号"),
        ("LICENSE_NO", "NUMERIC", 3, None, "○", "○", None, "資格連番"),
        ("LICENSE_NAME", "VARCHAR", 200, None, None, "○", None, "資格名"),
        ("ACQUIRED_ON", "DATE", None, None, None, None, None, "取得日"),
        ("NOTE", "VARCHAR", 1000, None, None, None, None, "資格証の写しは別表"),
    ]),
]

NEXT_TABLES = [
    ("部署", "DEPARTMENT", "部署", [
        ("DEPT_CODE", "CHAR", 4, None, "○", "○", None, "部署コード"),
        ("DEPT_NAME", "VARCHAR", 100, None, None, "○", None, "部署の正式名"),
        ("SORT_ORDER", "NUMERIC", 3, None, None, "○", 10, "ソート順"),
        ("CREATED_AT", "TIMESTAMP", None, None, None, "○", "CURRENT_TIMESTAMP", "登録日時"),
        ("MANAGER_ID", "NUMERIC", 8, None, None, None, None, "部長の社員番号"),
    ]),
    ("社員", "EMPLOYEE", "社員マスタ", [
        ("EMPLOYEE_ID", "NUMERIC", 8, None, "○", "○", None, "社員番号"),
        ("DISPLAY_NAME", "VARCHAR", 100, None, None, "○", None, "表示名"),
        ("EMAIL", "VARCHAR", 254, None, None, None, None, "メールアドレス"),
        ("DEPT_CODE", "CHAR", 4, None, "○", "○", None, "所属部署コード"),
        ("MONTHLY_SALARY", "NUMERIC", 11, 2, None, "○", None, "月給（円）"),
        ("STATUS", "CHAR", 1, None, None, None, None, "在籍区分（1～9）"),
    ]),
    ("案件", "PROJECT", "案件マスタ", [
        ("PROJECT_CODE", "CHAR", 6, None, "○", "○", None, "案件コード"),
        ("PROJECT_NAME", "VARCHAR", 100, None, None, "○", "未定", "案件名"),
        ("STARTED_ON", "DATE", None, None, None, None, None, "開始日"),
    ]),
]

HEADERS = ["No", "項目名", "データ型", "桁数", "小数", "PK", "NOT NULL", "初期値", "備考"]


def write(tables, name):
    from openpyxl import Workbook

    book = Workbook()
    book.remove(book.active)
    for sheet_name, table_name, title, columns in tables:
        sheet = book.create_sheet(sheet_name)
        sheet["A1"] = "テーブル定義書"
        sheet["B3"], sheet["C3"] = "テーブル名", table_name
        sheet["B4"], sheet["C4"] = "テーブルタイトル", title
        for column, header in enumerate(HEADERS, start=1):
            sheet.cell(row=6, column=column, value=header)
        for number, values in enumerate(columns, start=1):
            sheet.cell(row=6 + number, column=1, value=number)
            for column, value in enumerate(values, start=2):
                if value is not None:
                    sheet.cell(row=6 + number, column=column, value=value)
    book.save(Path(__file__).with_name(name))


def main():
    write(TABLES, "portable_tables.xlsx")
    write(NEXT_TABLES, "portable_tables_next.xlsx")


if __name__ == "__main__":
    main()
