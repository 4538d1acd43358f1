#!/usr/bin/python3
"""Writes table_definitions.xlsx, the sample table-definition workbook shipped with
Tavrune, and table_definitions_previous.xlsx, an earlier version of it for the
manual's example of differences and change scripts. Needs Debian's python3-openpyxl
(run with /usr/bin/python3); the load tests import TABLES from here."""

from pathlib import Path

HEADERS = ["No", "項目名", "データ型", "桁数", "小数", "PK", "NOT NULL", "初期値", "備考"]

# Sheet name, table name, title, then per column: name, type, length, scale,
# primary key mark, NOT NULL mark, default, comment.
TABLES = [
    ("顧客", "CUSTOMER", "顧客マスタ", [
        ("CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"),
        ("CUSTOMER_NAME", "VARCHAR2", 100, None, None, "○", None, "氏名"),
        ("CUSTOMER_KANA", "VARCHAR2", 100, None, None, None, None, "氏名カナ"),
        ("BIRTH_DATE", "DATE", None, None, None, None, None, "生年月日"),
        ("POINT", "NUMBER", 7, 2, None, "○", 0, "保有ポイント"),
        ("CREATED_AT", "DATE", None, None, None, "○", "SYSDATE", "登録日時"),
    ]),
    ("商品", "PRODUCT", "商品マスタ", [
        ("PRODUCT_CODE", "CHAR", 8, None, "○", "○", None, "商品コード"),
        ("PRODUCT_NAME", "VARCHAR2", 200, None, None, "○", None, "商品名"),
        ("UNIT_PRICE", "NUMBER", 9, 0, None, "○", 0, "単価（税抜）"),
        ("TAX_RATE", "NUMBER", 4, 2, None, "○", 10, "消費税率（％）"),
        ("NOTE", "VARCHAR2", 1000, None, None, None, None, "備考"),
    ]),
    ("注文", "ORDERS", "注文", [
        ("ORDER_NO", "NUMBER", 12, None, "○", "○", None, "注文番号"),
        ("CUSTOMER_ID", "NUMBER", 10, None, None, "○", None, "顧客ID"),
        ("ORDERED_ON", "DATE", None, None, None, "○", "SYSDATE", "注文日"),
        ("STATUS", "CHAR", 1, None, None, "○", 0, "状態（0:受付 1:出荷 9:取消）"),
    ]),
    ("注文明細", "ORDER_DETAIL", "注文明細", [
        ("ORDER_NO", "NUMBER", 12, None, "○", "○", None, "注文番号"),
        ("LINE_NO", "NUMBER", 3, None, "○", "○", None, "明細番号"),
        ("PRODUCT_CODE", "CHAR", 8, None, None, "○", None, "商品コード"),
        ("QUANTITY", "NUMBER", 5, None, None, "○", 1, "数量"),
    ]),
]

# The earlier version: no birth date yet, a smaller point column, a kana column that
# had to be filled, no tax rate, no order details, a shipment table since dropped,
# and an order key that held the customer too.
PREVIOUS_TABLES = [
    ("顧客", "CUSTOMER", "顧客マスタ", [
        ("CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"),
        ("CUSTOMER_NAME", "VARCHAR2", 100, None, None, "○", None, "名前"),
        ("CUSTOMER_KANA", "VARCHAR2", 100, None, None, "○", None, "氏名カナ"),
        ("POINT", "NUMBER", 5, 2, None, "○", 0, "保有ポイント"),
        ("CREATED_AT", "DATE", None, None, None, "○", "SYSDATE", "登録日時"),
    ]),
    ("商品", "PRODUCT", "商品マスタ", [
        ("PRODUCT_CODE", "CHAR", 8, None, "○", "○", None, "商品コード"),
        ("PRODUCT_NAME", "VARCHAR2", 200, None, None, "○", None, "商品名"),
        ("UNIT_PRICE", "NUMBER", 9, 0, None, "○", None, "単価（税抜）"),
        ("NOTE", "VARCHAR2", 500, None, None, None, None, "備考"),
    ]),
    ("注文", "ORDERS", "注文", [
        ("ORDER_NO", "NUMBER", 12, None, "○", "○", None, "注文番号"),
        ("CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"),
        ("ORDERED_ON", "DATE", None, None, None, "○", "SYSDATE", "注文日"),
        ("STATUS", "CHAR", 1, None, None, "○", None, "状態（0:受付 1:出荷 9:取消）"),
    ]),
    ("出荷", "SHIPMENT", "出荷", [
        ("ORDER_NO", "NUMBER", 12, None, "○", "○", None, "注文番号"),
        ("SHIPPED_ON", "DATE", None, None, None, None, None, "出荷日"),
    ]),
]


def write(tables, name):
    from openpyxl import Workbook
    from openpyxl.styles import Font, PatternFill

    book = Workbook()
    book.remove(book.active)
    bold = Font(bold=True)
    fill = PatternFill("solid", fgColor="DDEBF7")
    for sheet_name, table_name, title, columns in tables:
        sheet = book.create_sheet(sheet_name)
        sheet["A1"] = "テーブル定義書"
        sheet["A1"].font = Font(bold=True, size=14)
        sheet["B3"], sheet["C3"] = "テーブル名", table_name
        sheet["B4"], sheet["C4"] = "テーブルタイトル", title
        for column, header in enumerate(HEADERS, start=1):
            cell = sheet.cell(row=6, column=column, value=header)
            cell.font, cell.fill = bold, fill
        for number, values in enumerate(columns, start=1):
            row = 6 + number
            sheet.cell(row=row, column=1, value=number)
            for column, value in enumerate(values, start=2):
                if value is not None:
                    sheet.cell(row=row, column=column, value=value)
        for letter, width in zip("ABCDEFGHI", (5, 18, 12, 6, 6, 5, 9, 10, 30)):
            sheet.column_dimensions[letter].width = width
    book.save(Path(__file__).with_name(name))


def main():
    write(TABLES, "table_definitions.xlsx")
    write(PREVIOUS_TABLES, "table_definitions_previous.xlsx")


if __name__ == "__main__":
    main()
