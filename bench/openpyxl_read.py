#!/usr/bin/python3
"""Reads every cell of a workbook as text with openpyxl in read-only mode, the way a
user's script would, and prints the number of cells read. Timed by tavrune-bench."""

import sys

import openpyxl


def main():
    workbook = openpyxl.load_workbook(sys.argv[1], read_only=True)
    cells = 0
    for sheet in workbook.worksheets:
        for row in sheet.iter_rows(values_only=True):
            for value in row:
                if value is not None:
                    str(value)
                    cells += 1
    workbook.close()
    print(cells)


if __name__ == "__main__":
    main()
