#!/usr/bin/python3
"""Writes definitions_old.xlsx and definitions_new.xlsx: two versions of a small
definition workbook in the sample layout (name C3, title C4, columns from row 7 in
B to I), the newer one changed in every way a definition changes: a table added, one
removed, one renamed, one retitled, columns added, removed, moved, widened, their NOT NULL,
default and comment changed, and a key changed. Needs Debian's python3-openpyxl
(run with /usr/bin/python3)."""

from pathlib import Path

from openpyxl import Workbook

OLD = [
    ("顧客", "CUSTOMER", "顧客マスタ", [
        ("CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"),
        ("CUSTOMER_NAME", "VARCHAR2", 100, None, None, "○", None, "氏名"),
        ("CUSTOMER_KANA", "VARCHAR2", 100, None, None, None, None, "氏名カナ"),
        ("POINT", "NUMBER", 7, 2, None, "○", 0, "保有ポイント"),
    ]),
    ("商品", "PRODUCT", "商品マスタ", [
        ("PRODUCT_CODE", "CHAR", 8, None, "○", "○", None, "商品コード"),
        ("PRODUCT_NAME", "VARCHAR2", 200, None, None, "○", None, "商品名"),
    ]),
    ("注文", "ORDERS", "注文", [
        ("ORDER_NO", "NUMBER", 12, None, "○", "○", None, "注文番号"),
        ("CUSTOMER_ID", "NUMBER", 10, None, None, "○", None, "顧客ID"),
        ("ORDERED_ON", "DATE", None, None, None, None, None, "注文日"),
        ("STATUS", "CHAR", 1, None, None, "○", 0, "状態"),
    ]),
    ("旧ログ", "OLD_LOG", "旧ログ", [
        ("LOG_ID", "NUMBER", 10, None, "○", "○", None, "ログID"),
    ]),
]

NEW = [
    ("顧客", "CUSTOMER", "顧客マスタ", [
        ("CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"),
        ("CUSTOMER_NAME", "VARCHAR2", 100, None, None, "○", None, "氏名（漢字）"),
        ("POINT", "NUMBER", 9, 2, None, "○", 0, "保有ポイント"),
        ("EMAIL", "VARCHAR2", 254, None, None, None, None, "メールアドレス"),
    ]),
    ("品目", "ITEM", "商品マスタ", [
        ("PRODUCT_CODE", "CHAR", 8, None, "○", "○", None, "商品コード"),
        ("PRODUCT_NAME", "VARCHAR2", 200, None, None, "○", None, "商品名"),
    ]),
    ("注文", "ORDERS", "受注", [
        ("ORDER_NO", "NUMBER", 12, None, "○", "○", None, "注文番号"),
        ("ORDERED_ON", "DATE", None, None, "○", "○", None, "注文日"),
        ("CUSTOMER_ID", "NUMBER", 10, None, None, "○", None, "顧客ID"),
        ("STATUS", "CHAR", 1, None, None, "○", 1, "状態"),
    ]),
    ("注文明細", "ORDER_DETAIL", "注文明細", [
        ("ORDER_NO", "NUMBER", 12, None, "○", "○", None, "注文番号"),
        ("LINE_NO", "NUMBER", 3, None, "○", "○", None, "明細番号"),
    ]),
]


def write(tables, name):
    book = Workbook()
    book.remove(book.active)
    for sheet_name, table_name, title, columns in tables:
        sheet = book.create_sheet(sheet_name)
        sheet["B3"], sheet["C3"] = "テーブル名", table_name
        sheet["B4"], sheet["C4"] = "テーブルタイトル", title
        for number, values in enumerate(columns, start=1):
            row = 6 + number
            sheet.cell(row=row, column=1, value=number)
            for column, value in enumerate(values, start=2):
                if value is not None:
                    sheet.cell(row=row, column=column, value=value)
    book.save(Path(__file__).with_name(name))


if __name__ == "__main__":
    write(OLD, "definitions_old.xlsx")
    write(NEW, "definitions_new.xlsx")
