#!/usr/bin/env python3
"""Writes two long table-definition workbooks for measuring the preview and the
sheet check by hand (never committed; the files are large or hostile):

    make-long-sheets.py DIR

  honest_200000_rows.ods   one sheet, 200,000 distinct column rows, as a real
                           designer's workbook would hold them
  repeated_row.ods         a few hundred bytes: one column row repeated a million
                           times, each a duplicate title with a length that is no
                           number

Both use the sample format (table name C3, title C4, column rows from row 7 in
B to I), so that samples/tavrune.dat reads them:

    /usr/bin/time -v build/bin/tavrune-batch --settings samples/tavrune.dat \\
        --check DIR/repeated_row.ods

Standard library only.
"""

import os
import sys
import zipfile

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>'
        '<office:document-content'
        ' xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
        ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">'
        '<office:body><office:spreadsheet><table:table table:name="T">')
TAIL = '</table:table></office:spreadsheet></office:body></office:document-content>'


def cell(text):
    if not text:
        return '<table:table-cell/>'
    return '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' % text


def row(*texts, repeated=1):
    attribute = ' table:number-rows-repeated="%d"' % repeated if repeated > 1 else ''
    return '<table:table-row%s>%s</table:table-row>' % (attribute, ''.join(cell(t) for t in texts))


def table_head(name, title):
    return (row(repeated=2) + row('', '', name) + row('', '', title) + row(repeated=2))


def write(path, rows):
    with zipfile.ZipFile(path, 'w') as ods:
        ods.writestr('mimetype', 'application/vnd.oasis.opendocument.spreadsheet',
                     compress_type=zipfile.ZIP_STORED)
        ods.writestr('content.xml', HEAD + ''.join(rows) + TAIL,
                     compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    print('%-24s %9d bytes' % (os.path.basename(path), os.path.getsize(path)))


def main(argv):
    if len(argv) != 1:
        sys.exit(__doc__)
    os.makedirs(argv[0], exist_ok=True)
    honest = [table_head('LONG_TABLE', '長い表')]
    for n in range(1, 200001):
        honest.append(row('', 'COLUMN_%06d' % n, 'VARCHAR2', str(10 + n % 90), '',
                          '○' if n == 1 else '', '○' if n % 3 == 0 else '', '',
                          '項目 %d' % n))
    write(os.path.join(argv[0], 'honest_200000_rows.ods'), honest)
    write(os.path.join(argv[0], 'repeated_row.ods'),
          [table_head('REPEATED', '繰り返し'),
           row('', 'ID', 'NUMBER', 'x', '', '', '', '', '', repeated=1000000)])


if __name__ == '__main__':
    main(sys.argv[1:])
