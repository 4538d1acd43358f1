#!/usr/bin/python3
"""Writes definition_template.xlsx, the sample template for writing definition
workbooks from a database: a blank definition sheet in the layout of the sample
format (table name in C3, title in C4, columns from row 7), with its captions,
styles, borders, widths, merged cells and print settings. Needs Debian's
python3-openpyxl (run with /usr/bin/python3)."""

from pathlib import Path

from make_sample import HEADERS

SHEET = "定義書"
PREPARED_ROWS = range(7, 37)  # the rows ruled for columns; more take row 7's look
WIDTHS = (5, 18, 12, 6, 6, 5, 9, 10, 30)


def main():
    from openpyxl import Workbook
    from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

    book = Workbook()
    sheet = book.active
    sheet.title = SHEET
    thin = Side(style="thin")
    box = Border(left=thin, right=thin, top=thin, bottom=thin)
    caption_fill = PatternFill("solid", fgColor="DDEBF7")
    centred = Alignment(horizontal="center", vertical="center")

    sheet["A1"] = "テーブル定義書"
    sheet["A1"].font = Font(bold=True, size=14)
    sheet["A1"].alignment = centred
    sheet.merge_cells("A1:I1")
    for row, caption in ((3, "テーブル名"), (4, "テーブルタイトル")):
        label = sheet.cell(row=row, column=2, value=caption)
        label.font, label.fill, label.border = Font(bold=True), caption_fill, box
        for column in range(3, 7):
            sheet.cell(row=row, column=column).border = box
        sheet.merge_cells(start_row=row, start_column=3, end_row=row, end_column=6)
    for column, header in enumerate(HEADERS, start=1):
        cell = sheet.cell(row=6, column=column, value=header)
        cell.font, cell.fill, cell.border, cell.alignment = (Font(bold=True), caption_fill, box,
                                                             centred)
    # Lengths right, marks centred, comments wrapped.
    alignments = {4: Alignment(horizontal="right"), 5: Alignment(horizontal="right"),
                  6: Alignment(horizontal="center"), 7: Alignment(horizontal="center"),
                  9: Alignment(wrap_text=True, vertical="top")}
    for row in PREPARED_ROWS:
        for column in range(1, len(HEADERS) + 1):
            cell = sheet.cell(row=row, column=column)
            cell.border = box
            if column in alignments:
                cell.alignment = alignments[column]
    for letter, width in zip("ABCDEFGHI", WIDTHS):
        sheet.column_dimensions[letter].width = width
    sheet.freeze_panes = "A7"
    sheet.print_area = "A1:I{}".format(PREPARED_ROWS[-1])
    sheet.print_title_rows = "6:6"
    sheet.page_setup.orientation = "landscape"
    sheet.page_setup.paperSize = sheet.PAPERSIZE_A4
    sheet.page_setup.fitToWidth, sheet.page_setup.fitToHeight = 1, 0
    sheet.sheet_properties.pageSetUpPr.fitToPage = True
    sheet.oddFooter.center.text = "&P / &N"
    book.save(Path(__file__).with_name("definition_template.xlsx"))


if __name__ == "__main__":
    main()
