#!/usr/bin/python3
"""Writes a copy of an .xlsx workbook as .xls with xlwt, cell by cell: strings as
strings, numbers as numbers, every sheet in order. The benchmark's .xls workbook.

    write_xls.py SOURCE.xlsx TARGET.xls
"""

import sys

import openpyxl
import xlwt


def main():
    source = openpyxl.load_workbook(sys.argv[1], read_only=True)
    target = xlwt.Workbook(encoding="utf-8")
    for sheet in source.worksheets:
        copy = target.add_sheet(sheet.title)
        for r, row in enumerate(sheet.iter_rows(values_only=True)):
            for c, value in enumerate(row):
                if value is not None:
                    copy.write(r, c, value)
    source.close()
    target.save(sys.argv[2])


if __name__ == "__main__":
    main()
