#!/usr/bin/python3
"""Writes the .ods fixtures of the ODS reader tests.

Good files are written by LibreOffice headless: table_definitions.ods from an
openpyxl workbook, edge_cases.ods from a flat ODF (.fods) document written here
with exact structures (repeats, header rows, row groups, covered cells, text:s,
error formulas) that LibreOffice loads, recalculates and saves as a real .ods.
Bad files are small zips written directly.

Run with Debian's /usr/bin/python3 (it has openpyxl) from any directory:
    /usr/bin/python3 tests/data/ods/make_fixtures.py
"""

import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
import zlib

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
MIMETYPE = "application/vnd.oasis.opendocument.spreadsheet"


def convert_to_ods(source, tmp):
    """Converts source (.xlsx or .fods) to .ods with LibreOffice; returns the path."""
    profile = "file://" + os.path.join(tmp, "profile")
    subprocess.run(
        ["soffice", "-env:UserInstallation=" + profile, "--headless",
         "--convert-to", "ods", "--outdir", tmp, source],
        check=True, stdout=subprocess.DEVNULL)
    return os.path.join(tmp, os.path.splitext(os.path.basename(source))[0] + ".ods")


TABLES = [
    ("顧客", "CUSTOMER", "顧客マスタ", [
        (1, "CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"),
        (2, "CUSTOMER_NAME", "VARCHAR2", 100, None, None, "○", None, "氏名"),
        (3, "BIRTH_DATE", "DATE", None, None, None, None, None, "生年月日"),
        (4, "POINT", "NUMBER", 7, 2, None, None, 0, "保有ポイント"),
    ]),
    ("受注", "ORDERS", "受注", [
        (1, "ORDER_ID", "NUMBER", 12, None, "○", "○", None, "受注ID"),
        (2, "CUSTOMER_ID", "NUMBER", 10, None, None, "○", None, "顧客ID"),
        (3, "ORDERED_AT", "DATE", None, None, None, "○", "SYSDATE", "受注日時"),
    ]),
    ("商品", "PRODUCT", "商品マスタ", [
        # Remarks with a line break, a tab and spaces that must survive as written.
        (1, "PRODUCT_CODE", "CHAR", 8, None, "○", "○", None, "商品コード\n(8桁)"),
        (2, "PRICE", "NUMBER", 9, 2, None, "○", 0, "  単価  (税抜)\t円 "),
    ]),
]


def make_table_definitions(tmp):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for index, (sheet_name, table, title, columns) in enumerate(TABLES):
        sheet = book.create_sheet(sheet_name)
        sheet["B3"], sheet["C3"] = "テーブル名", table
        sheet["B4"], sheet["C4"] = "テーブルタイトル", title
        for col, header in enumerate(
                ["No", "項目名", "データ型", "桁数", "小数", "PK", "NOT NULL", "初期値", "備考"],
                start=1):
            sheet.cell(row=6, column=col, value=header)
        for row, values in enumerate(columns, start=7):
            for col, value in enumerate(values, start=1):
                if value is not None:
                    sheet.cell(row=row, column=col, value=value)
        if index == 0:
            # A hidden sheet between the first two keeps its place in the order.
            memo = book.create_sheet("メモ")
            memo["A1"] = "隠しシート"
            memo.sheet_state = "hidden"
    source = os.path.join(tmp, "table_definitions.xlsx")
    book.save(source)
    shutil.copy(convert_to_ods(source, tmp), os.path.join(HERE, "table_definitions.ods"))


FODS_HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="N1">
  <number:year number:style="long"/><number:text>-</number:text>
  <number:month number:style="long"/><number:text>-</number:text>
  <number:day number:style="long"/>
 </number:date-style>
 <number:date-style style:name="N2">
  <number:year number:style="long"/><number:text>-</number:text>
  <number:month number:style="long"/><number:text>-</number:text>
  <number:day number:style="long"/><number:text> </number:text>
  <number:hours number:style="long"/><number:text>:</number:text>
  <number:minutes number:style="long"/><number:text>:</number:text>
  <number:seconds number:style="long" number:decimal-places="3"/>
 </number:date-style>
 <number:time-style style:name="N3" number:truncate-on-overflow="false">
  <number:hours number:style="long"/><number:text>:</number:text>
  <number:minutes number:style="long"/><number:text>:</number:text>
  <number:seconds number:style="long"/>
 </number:time-style>
 <number:boolean-style style:name="N4"><number:boolean/></number:boolean-style>
 <number:percentage-style style:name="N5">
  <number:number number:decimal-places="0" number:min-integer-digits="1"/>
  <number:text>%</number:text>
 </number:percentage-style>
 <number:currency-style style:name="N6">
  <number:currency-symbol>¥</number:currency-symbol>
  <number:number number:decimal-places="1" number:min-integer-digits="1"/>
 </number:currency-style>
 <style:style style:name="ce1" style:family="table-cell" style:data-style-name="N1"/>
 <style:style style:name="ce2" style:family="table-cell" style:data-style-name="N2"/>
 <style:style style:name="ce3" style:family="table-cell" style:data-style-name="N3"/>
 <style:style style:name="ce4" style:family="table-cell" style:data-style-name="N4"/>
 <style:style style:name="ce5" style:family="table-cell" style:data-style-name="N5"/>
 <style:style style:name="ce6" style:family="table-cell" style:data-style-name="N6"/>
 <style:style style:name="ce7" style:family="table-cell">
  <style:table-cell-properties fo:background-color="#ffff00"/>
 </style:style>
 <style:style style:name="ta1" style:family="table">
  <style:table-properties table:display="true"/>
 </style:style>
 <style:style style:name="ta2" style:family="table">
  <style:table-properties table:display="false"/>
 </style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
<table:calculation-settings><table:null-date table:date-value="1904-01-01"/></table:calculation-settings>
"""

FODS_TAIL = """</office:spreadsheet></office:body></office:document>
"""


def cell(inner="", **attrs):
    text = "".join(' {}="{}"'.format(k.replace("__", ":").replace("_", "-"), v)
                   for k, v in attrs.items())
    return "<table:table-cell{}>{}</table:table-cell>".format(text, inner)


def p(inner):
    return "<text:p>{}</text:p>".format(inner)


def num(value, **attrs):
    return cell(p(value), office__value_type="float", office__value=value, **attrs)


def string(inner):
    return cell(p(inner), office__value_type="string")


def row(*cells, **attrs):
    text = "".join(' {}="{}"'.format(k.replace("__", ":").replace("_", "-"), v)
                   for k, v in attrs.items())
    return "<table:table-row{}>{}</table:table-row>\n".format(text, "".join(cells))


def table(name, body, style="ta1"):
    return '<table:table table:name="{}" table:style-name="{}">\n{}</table:table>\n'.format(
        name, style, body)


def formula(expr):
    return cell(p(""), table__formula=expr)


def edge_cases_fods():
    numbers = "".join([
        row(num("10")),
        row(num("1.5")),
        row(formula("of:=0.1+0.2")),
        row(num("-2")),
        row(num("123456789012345")),
        row(num("1234567890123456")),
        row(num("0.00001")),
        row(cell(p("25%"), office__value_type="percentage", office__value="0.25",
                 table__style_name="ce5")),
        row(cell(p("¥1234.5"), office__value_type="currency", office__currency="JPY",
                 office__value="1234.5", table__style_name="ce6")),
    ])
    dates = "".join([
        row(cell(p("x"), office__value_type="date", office__date_value="2024-01-05",
                 table__style_name="ce1")),
        row(cell(p("x"), office__value_type="date", office__date_value="2024-01-05T09:05:03",
                 table__style_name="ce2")),
        row(cell(p("x"), office__value_type="date",
                 office__date_value="2024-01-05T09:05:03.250", table__style_name="ce2")),
        row(cell(p("x"), office__value_type="time", office__time_value="PT09H05M03S",
                 table__style_name="ce3")),
        row(cell(p("x"), office__value_type="time", office__time_value="PT36H00M00S",
                 table__style_name="ce3")),
        row(cell(p("x"), office__value_type="date", office__date_value="1900-01-01",
                 table__style_name="ce1")),
        row(cell(p("x"), office__value_type="date", office__date_value="1900-02-28",
                 table__style_name="ce1")),
        row(cell(p("x"), office__value_type="date", office__date_value="1900-03-01",
                 table__style_name="ce1")),
        row(cell(p("x"), office__value_type="boolean", office__boolean_value="true",
                 table__style_name="ce4"),
            cell(p("x"), office__value_type="boolean", office__boolean_value="false",
                 table__style_name="ce4")),
        row(formula("of:=TIME(9;5;3)"), ),
    ])
    errors = "".join([
        row(formula("of:=1/0")),
        row(formula("of:=NA()")),
        row(formula("of:=SQRT(-1)")),
        row(formula("of:=&quot;a&quot;+1")),
        row(num("7")),
    ])
    texts = "".join([
        row(string("<text:s/>lead")),
        row(string("trail<text:s/>")),
        row(string("a<text:s text:c=\"3\"/>b")),
        row(cell(p("first") + p("second") + p(""), office__value_type="string")),
        row(string('<text:span text:style-name="T1">sp</text:span>an'
                   '<text:a xlink:href="http://example.com/">link</text:a>')),
        row(cell('<office:annotation><dc:creator>me</dc:creator><text:p>note</text:p>'
                 '</office:annotation>' + p("noted"), office__value_type="string")),
        row(string("&lt;&amp;&gt; 日本語")),
    ])
    # Header rows, nested row groups, repeats holding values, merged cells and
    # styled but empty cells below the last value.
    layout = "".join([
        # A styled last column makes LibreOffice write every row down to the sheet's
        # end, as a huge trailing repeat.
        "<table:table-column table:number-columns-repeated=\"5\"/>\n",
        "<table:table-column table:default-cell-style-name=\"ce7\"/>\n",
        "<table:table-header-rows>\n",
        row(string("H1"), string("H2"), string("H3")),
        "</table:table-header-rows>\n",
        "<table:table-row-group>\n",
        row(string("g1"), cell(), string("g1c")),
        "<table:table-row-group>\n",
        row(cell(), string("g2")),
        "</table:table-row-group>\n",
        "</table:table-row-group>\n",
        row(string("rep"), cell(table__number_columns_repeated="2"), num("5"),
            table__number_rows_repeated="3"),
        row(cell(table__number_columns_repeated="2"),
            cell(p("c"), office__value_type="string", table__number_columns_repeated="3")),
        row(cell(p("merged"), office__value_type="string", table__number_columns_spanned="2",
                 table__number_rows_spanned="2"),
            "<table:covered-table-cell/>", string("right")),
        row("<table:covered-table-cell/><table:covered-table-cell/>", string("below")),
        row(cell(table__style_name="ce7", table__number_columns_repeated="4"),
            table__number_rows_repeated="5"),
    ])
    return FODS_HEAD + "".join([
        table("Numbers", numbers),
        table("Dates", dates),
        table("Hidden", row(string("secret")), style="ta2"),
        table("Errors", errors),
        table("Texts", texts),
        table("Layout", layout),
        table("Empty", row(cell())),
    ]) + FODS_TAIL


def make_edge_cases(tmp):
    source = os.path.join(tmp, "edge_cases.fods")
    with open(source, "w", encoding="utf-8") as out:
        out.write(edge_cases_fods())
    shutil.copy(convert_to_ods(source, tmp), os.path.join(HERE, "edge_cases.ods"))


def content(body):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document-content'
            ' xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
            ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
            ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">'
            '<office:body><office:spreadsheet>' + body +
            '</office:spreadsheet></office:body></office:document-content>')


def write_zip(name, entries):
    path = os.path.join(HERE, name)
    with zipfile.ZipFile(path, "w") as archive:
        for entry, data in entries:
            info = zipfile.ZipInfo(entry, date_time=(2024, 1, 1, 0, 0, 0))
            info.compress_type = (zipfile.ZIP_STORED if entry == "mimetype"
                                  else zipfile.ZIP_DEFLATED)
            archive.writestr(info, data)


def make_bad_files():
    one_value = '<table:table-cell office:value-type="float" office:value="1"><text:p>1</text:p></table:table-cell>'
    write_zip("no_content.ods", [("mimetype", MIMETYPE), ("styles.xml", "<x/>")])
    write_zip("dtd.ods", [
        ("mimetype", MIMETYPE),
        ("content.xml", '<?xml version="1.0"?>\n<!DOCTYPE x [<!ENTITY a "aaaa">]>\n'
                        + content('<table:table table:name="S"/>')[len('<?xml version="1.0" encoding="UTF-8"?>\n'):]),
    ])
    write_zip("malformed.ods", [
        ("mimetype", MIMETYPE),
        ("content.xml", content('<table:table table:name="S"><table:table-row>'
                                '</table:table>')),
    ])
    write_zip("wrong_mimetype.ods", [
        ("mimetype", "application/vnd.oasis.opendocument.text"),
        ("content.xml", content('<table:table table:name="S"/>')),
    ])
    # A value in a row repeated to the sheet's last row and beyond.
    write_zip("huge_row_repeat.ods", [
        ("mimetype", MIMETYPE),
        ("content.xml", content(
            '<table:table table:name="Big"><table:table-row><table:table-cell/></table:table-row>'
            '<table:table-row table:number-rows-repeated="1048576">' + one_value +
            '</table:table-row></table:table>')),
    ])
    # Values in every column of a row repeated a million times: more cells than the
    # workbook may hold, from a file of a few hundred bytes.
    write_zip("huge_cell_repeat.ods", [
        ("mimetype", MIMETYPE),
        ("content.xml", content(
            '<table:table table:name="Wide"><table:table-row table:number-rows-repeated="1000000">'
            '<table:table-cell table:number-columns-repeated="16384" office:value-type="float"'
            ' office:value="1"/></table:table-row></table:table>')),
    ])
    # Other prefixes, no mimetype entry, rows in table:table-rows, a decoy element
    # in a foreign namespace, a covered cell holding a value, and value-holding rows
    # and cells repeated.
    write_zip("hand_made.ods", [
        ("content.xml",
         '<?xml version="1.0" encoding="UTF-8"?>\n'
         '<o:document-content xmlns:o="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
         ' xmlns:t="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
         ' xmlns:x="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
         ' xmlns:table="urn:example:not-table">'
         '<o:body><o:spreadsheet><t:table t:name="P"><t:table-rows>'
         '<table:table-row><table:table-cell o:value-type="string"><x:p>decoy</x:p>'
         '</table:table-cell></table:table-row>'
         '<t:table-row><t:table-cell o:value-type="string"><x:p>x<x:s x:c="2"/>y</x:p>'
         '</t:table-cell><t:table-cell><x:p>plain</x:p></t:table-cell>'
         '<t:covered-table-cell o:value-type="string"><x:p>hidden</x:p></t:covered-table-cell>'
         '<t:table-cell o:value-type="string"><x:p>after</x:p></t:table-cell></t:table-row>'
         '<t:table-row t:number-rows-repeated="3"><t:table-cell t:number-columns-repeated="2"'
         ' o:value-type="float" o:value="4"/><t:table-cell t:number-columns-repeated="3"/>'
         '<t:table-cell o:value-type="string"><x:p>r<x:line-break/>s<x:tab/>t</x:p></t:table-cell>'
         '<t:table-cell t:number-columns-repeated="16000"/></t:table-row>'
         '<t:table-row t:number-rows-repeated="1048000"><t:table-cell'
         ' t:number-columns-repeated="16384"/></t:table-row>'
         '</t:table-rows></t:table>'
         '<t:table t:name="Last"><t:table-row t:number-rows-repeated="1048575"/>'
         '<t:table-row><t:table-cell t:number-columns-repeated="16383"/>'
         '<t:table-cell o:value-type="boolean" o:boolean-value="true"/></t:table-row>'
         '</t:table></o:spreadsheet></o:body></o:document-content>'),
    ])
    with open(os.path.join(HERE, "not_a_zip.ods"), "wb") as out:
        out.write(b"This is plain text, not a zip package.\n")


# One paragraph that the parser hands over in many pieces: multi-byte characters,
# one of them outside the BMP, and entity references.
LONG_PIECE = "aé日\U0001F600&amp;"


def make_parser_edges():
    """Texts and values as the XML parser reports them, and repeats at the bounds."""
    write_zip("parser_edges.ods", [
        ("mimetype", MIMETYPE),
        ("content.xml", content(
            # References in attribute values are decoded; a literal tab in one is
            # normalised to a space, a referenced one is kept.
            '<table:table table:name="A&amp;B &lt;1&gt;"><table:table-row>'
            '<table:table-cell office:value-type="string"'
            ' office:string-value="x&amp;y&#10;z&#9;|a\tb"><text:p>shown</text:p></table:table-cell>'
            '<table:table-cell office:value-type="float" office:value="&#49;.5"/>'
            '<table:table-cell><text:p>a<text:s text:c="&#51;"/>b</text:p></table:table-cell>'
            '<table:table-cell><text:p><text:span>' + LONG_PIECE * 1000 +
            '</text:span></text:p></table:table-cell>'
            '<table:table-cell><text:p>1<![CDATA[<2>]]></text:p><text:p/></table:table-cell>'
            '</table:table-row></table:table>'
            # A text exactly as long as a workbook holds: surrogate pairs count two.
            '<table:table table:name="Long"><table:table-row><table:table-cell><text:p>' +
            "\U0001F600" * 499999 + 'a<text:s/></text:p></table:table-cell>'
            '</table:table-row></table:table>'
            # Values repeated up to the last row and column, and no further.
            '<table:table table:name="Edge">'
            '<table:table-row table:number-rows-repeated="1048574"/>'
            '<table:table-row table:number-rows-repeated="2">'
            '<table:table-cell table:number-columns-repeated="16382"/>'
            '<table:table-cell table:number-columns-repeated="2" office:value-type="float"'
            ' office:value="7"/></table:table-row></table:table>')),
    ])
    # A content.xml longer than the parser reads ahead, whose CRC-32 is found wrong
    # only once all of it is inflated.
    rows = "".join('<table:table-row><table:table-cell office:value-type="float"'
                   ' office:value="{0}"><text:p>{0}</text:p></table:table-cell>'
                   '</table:table-row>'.format(n) for n in range(4000))
    data = content('<table:table table:name="S">' + rows + '</table:table>').encode()
    write_zip("wrong_crc.ods", [("mimetype", MIMETYPE), ("content.xml", data)])
    path = os.path.join(HERE, "wrong_crc.ods")
    with open(path, "rb") as source:
        package = source.read()
    crc = zlib.crc32(data).to_bytes(4, "little")
    assert package.count(crc) == 2  # the local header and the central directory
    with open(path, "wb") as out:
        out.write(package.replace(crc, (zlib.crc32(data) ^ 0x5A5A5A5A).to_bytes(4, "little")))
    # Each file fails at one cell, D3, after repeated rows and cells.
    bad_cells = {
        "bad_number.ods": '<table:table-cell office:value-type="float" office:value="1&amp;5"/>',
        "bad_date.ods": '<table:table-cell office:value-type="date" office:date-value="2024-02-30"/>',
        "bad_boolean.ods":
            '<table:table-cell office:value-type="boolean" office:boolean-value="yes"/>',
        "bad_space_count.ods":
            '<table:table-cell><text:p>a<text:s text:c="-1"/></text:p></table:table-cell>',
        "bad_repeat.ods": '<table:table-cell table:number-columns-repeated="0"/>',
        "long_text.ods":
            '<table:table-cell><text:p>' + "\U0001F600" * 500000 + 'b</text:p></table:table-cell>',
        "many_spaces.ods":
            '<table:table-cell><text:p><text:s text:c="1000001"/></text:p></table:table-cell>',
        "past_last_column.ods": '<table:table-cell table:number-columns-repeated="16382"'
                                ' office:value-type="float" office:value="1"/>',
    }
    for name, bad_cell in bad_cells.items():
        write_zip(name, [
            ("mimetype", MIMETYPE),
            ("content.xml", content(
                '<table:table table:name="Bad"><table:table-row table:number-rows-repeated="2"/>'
                '<table:table-row><table:table-cell table:number-columns-repeated="3"/>' +
                bad_cell + '</table:table-row></table:table>')),
        ])


def main():
    tmp = tempfile.mkdtemp(prefix="ods_fixtures_")
    try:
        make_table_definitions(tmp)
        make_edge_cases(tmp)
        make_bad_files()
        make_parser_edges()
    finally:
        shutil.rmtree(tmp)
    return 0


if __name__ == "__main__":
    sys.exit(main())
