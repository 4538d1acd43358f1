#!/usr/bin/python3
"""Regenerates the .xlsx/.xlsm fixtures of the xlsx reader tests.

Run with Debian's python (it has openpyxl): /usr/bin/python3 make_fixtures.py
Needs gcc with libxlsxwriter-dev and LibreOffice (soffice) for the files those
programs write. Zip timestamps are fixed so reruns give the same packages where the
writer itself is deterministic.
"""
import bz2
import datetime
import io
import os
import re
import shutil
import subprocess
import tempfile
import zipfile

import openpyxl
from openpyxl.chart import BarChart, Reference
from openpyxl.utils.datetime import CALENDAR_MAC_1904

HERE = os.path.dirname(os.path.abspath(__file__))
FIXED_TIME = (1980, 1, 1, 0, 0, 0)

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
STRICT_MAIN = "http://purl.oclc.org/ooxml/spreadsheetml/main"
STRICT_REL = "http://purl.oclc.org/ooxml/officeDocument/relationships"

TABLE_HEADERS = ["No", "項目名", "データ型", "桁数", "小数", "PK", "NOT NULL", "初期値", "備考"]
CUSTOMER_ROWS = [
    [1, "CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"],
    [2, "CUSTOMER_NAME", "VARCHAR2", 100, None, None, "○", None, "氏名"],
    [3, "BIRTH_DATE", "DATE", None, None, None, None, None, "生年月日"],
    [4, "POINT", "NUMBER", 7, 2, None, None, 0, "保有ポイント"],
]
ORDER_ROWS = [
    [1, "ORDER_ID", "NUMBER", 12, None, "○", "○", None, "受注ID"],
    [2, "ORDERED_AT", "DATE", None, None, None, "○", None, "受注日"],
]


def path(name):
    return os.path.join(HERE, name)


def read_entries(source):
    with zipfile.ZipFile(source) as archive:
        return [(info.filename, archive.read(info.filename), info.compress_type)
                for info in archive.infolist()]


def write_entries(target, entries):
    """Writes entries [(name, bytes[, compression])] with fixed timestamps."""
    with zipfile.ZipFile(target, "w") as archive:
        for entry in entries:
            name, data = entry[0], entry[1]
            compression = entry[2] if len(entry) > 2 else zipfile.ZIP_DEFLATED
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = compression
            archive.writestr(info, data)


def normalise(target):
    """Rewrites a package with fixed timestamps and deflate compression."""
    write_entries(target, [(name, data) for name, data, _ in read_entries(target)])


def write_table(sheet, table, title, rows):
    sheet["B3"], sheet["C3"] = "テーブル名", table
    sheet["B4"], sheet["C4"] = "テーブルタイトル", title
    for column, header in enumerate(TABLE_HEADERS, 1):
        sheet.cell(row=6, column=column, value=header)
    for row_index, row in enumerate(rows, 7):
        for column, value in enumerate(row, 1):
            if value is not None:
                sheet.cell(row=row_index, column=column, value=value)


def fix_properties(workbook):
    stamp = datetime.datetime(2024, 1, 1)
    workbook.properties.created = stamp
    workbook.properties.modified = stamp
    workbook.properties.creator = "fixture"


# --- openpyxl ------------------------------------------------------------------

def make_openpyxl():
    workbook = openpyxl.Workbook()
    fix_properties(workbook)
    customers = workbook.active
    customers.title = "顧客"
    write_table(customers, "CUSTOMER", "顧客マスタ", CUSTOMER_ROWS)
    write_table(workbook.create_sheet("受注"), "ORDERS", "受注", ORDER_ROWS)

    values = workbook.create_sheet("値")
    numbers = [10, 1.5, 0.1 + 0.2, -2, 123456789012345, 1234567890123456, 0.00001]
    for row, number in enumerate(numbers, 1):
        values.cell(row=row, column=1, value=number)
    values["B1"] = datetime.date(2024, 1, 31)
    values["B2"] = datetime.datetime(2024, 1, 31, 12, 34, 56)
    values["B3"] = datetime.time(6, 30)
    values["C1"], values["C2"] = True, False
    values["D1"], values["D2"] = "#N/A", "#DIV/0!"
    values["E1"] = "=SUM(A1:A2)"  # openpyxl stores no cached value
    values["F1"] = "  前後に空白  "
    values["A20"] = "最終行"

    hidden = workbook.create_sheet("隠し")
    hidden["A1"] = "hidden"
    hidden.sheet_state = "hidden"
    very_hidden = workbook.create_sheet("特に隠し")
    very_hidden["A1"] = "very hidden"
    very_hidden.sheet_state = "veryHidden"

    chart = BarChart()
    chart.add_data(Reference(values, min_col=1, min_row=1, max_row=3))
    chart_sheet = workbook.create_chartsheet("グラフ", 1)  # between the tables
    chart_sheet.add_chart(chart)

    workbook.save(path("tables_openpyxl.xlsx"))
    normalise(path("tables_openpyxl.xlsx"))

    dates = openpyxl.Workbook()
    fix_properties(dates)
    dates.epoch = CALENDAR_MAC_1904
    dates.active.title = "日付"
    dates.active["A1"] = datetime.date(2024, 1, 31)
    dates.active["A2"] = 1.5
    dates.save(path("date1904_openpyxl.xlsx"))
    normalise(path("date1904_openpyxl.xlsx"))


def make_weekdays():
    """One date under the Japanese day-of-week codes, alone and after the date."""
    weekdays = openpyxl.Workbook()
    fix_properties(weekdays)
    weekdays.active.title = "曜日"
    for row, code in enumerate(["yyyy/m/d(aaa)", "aaa", "aaaa"], 1):
        cell = weekdays.active.cell(row=row, column=1, value=datetime.date(2023, 6, 1))
        cell.number_format = code
    weekdays.save(path("weekdays_openpyxl.xlsx"))
    normalise(path("weekdays_openpyxl.xlsx"))


# --- libxlsxwriter -------------------------------------------------------------

def make_xlsxwriter():
    with tempfile.TemporaryDirectory() as work:
        program = os.path.join(work, "make_xlsxwriter_fixture")
        flags = subprocess.check_output(
            ["pkg-config", "--cflags", "--libs", "xlsxwriter"], text=True).split()
        subprocess.check_call(["gcc", "-O1", "-o", program,
                               path("make_xlsxwriter_fixture.c")] + flags)
        subprocess.check_call([program, path("formats_xlsxwriter.xlsx")])
    normalise(path("formats_xlsxwriter.xlsx"))


# --- LibreOffice ---------------------------------------------------------------

FODS_HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:styles>
 <number:date-style style:name="ymd"><number:year number:style="long"/><number:text>/</number:text><number:month number:style="long"/><number:text>/</number:text><number:day number:style="long"/></number:date-style>
 <style:style style:name="date" style:family="table-cell" style:data-style-name="ymd"/>
 <style:style style:name="bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
</office:styles>
<office:body><office:spreadsheet>
"""


def fods_cell(value):
    if value is None:
        return "<table:table-cell/>"
    if isinstance(value, tuple):  # (attributes, paragraph markup)
        return "<table:table-cell %s><text:p>%s</text:p></table:table-cell>" % value
    if isinstance(value, (int, float)):
        return ('<table:table-cell office:value-type="float" office:value="%r"/>' % value)
    return ('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
            "</table:table-cell>" % value)


def fods_table(name, rows):
    lines = ['<table:table table:name="%s">' % name]
    for row in rows:
        lines.append("<table:table-row>%s</table:table-row>" % "".join(fods_cell(v) for v in row))
    lines.append("</table:table>")
    return "\n".join(lines)


def table_rows(table, title, rows):
    blank = [None] * 9
    return ([blank, blank, [None, "テーブル名", table], [None, "テーブルタイトル", title], blank,
             TABLE_HEADERS] + rows)


def convert_with_libreoffice(fods_text, target):
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "book.fods")
        with open(source, "w", encoding="utf-8") as out:
            out.write(fods_text)
        subprocess.check_call(
            ["soffice", "-env:UserInstallation=file://" + os.path.join(work, "profile"),
             "--headless", "--convert-to", "xlsx", "--outdir", work, source],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.copy(os.path.join(work, "book.xlsx"), target)
    normalise(target)


def make_libreoffice():
    formulas = [
        [("office:value-type=\"float\" office:value=\"0\" table:formula=\"of:=1+2\"", "")],
        [("table:formula=\"of:=1/0\"", "")],
        [("table:formula=\"of:=NA()\"", "")],
        [("office:value-type=\"string\" table:formula=\"of:=&quot;a&quot;&amp;&quot;b&quot;\"", "")],
        [("table:style-name=\"date\" office:value-type=\"date\" office:date-value=\"2024-01-31\""
          " table:formula=\"of:=DATE(2024;1;31)\"", "")],
        ["  前後に空白  "],
        [("office:value-type=\"string\"",
          '<text:span text:style-name="bold">太字</text:span>と普通')],
        [0.1 + 0.2],
        [1234567890123456],
    ]
    body = (fods_table("商品", table_rows("ITEM", "商品マスタ", [
        [1, "ITEM_CODE", "CHAR", 8, None, "○", "○", None, "商品コード"]]))
        + fods_table("数式", formulas))
    convert_with_libreoffice(FODS_HEAD + body + "</office:spreadsheet></office:body></office:document>",
                             path("formulas_libreoffice.xlsx"))

    settings = ('<table:calculation-settings><table:null-date table:date-value="1904-01-01"/>'
                "</table:calculation-settings>")
    dates = fods_table("日付", [[("table:style-name=\"date\" office:value-type=\"date\""
                                 " office:date-value=\"2024-01-31\"", "")]])
    convert_with_libreoffice(FODS_HEAD + settings + dates
                             + "</office:spreadsheet></office:body></office:document>",
                             path("date1904_libreoffice.xlsx"))


# --- hand-made packages --------------------------------------------------------

CONTENT_TYPES = ("""<?xml version="1.0" encoding="UTF-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="%s"/>
</Types>""")
XLSX_MAIN_TYPE = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"
XLSM_MAIN_TYPE = "application/vnd.ms-excel.sheet.macroEnabled.main+xml"


def relationships(items):
    body = "".join('<Relationship Id="%s" Type="%s/%s" Target="%s"/>' % (i, REL, kind, target)
                   for i, kind, target in items)
    return '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s">%s</Relationships>' % (
        PKG_REL, body)


def sheet_xml(rows, head=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>%s<worksheet xmlns="%s"><sheetData>%s'
            "</sheetData></worksheet>" % (head, MAIN, rows))


def package(sheets, shared=None, styles=None, workbook_pr="", extra_sheets=(), skip=()):
    """A minimal package: sheets [(name, xml)], shared strings <si> items, styles xml."""
    sheet_elements, workbook_rels, entries = [], [], []
    for index, (name, xml) in enumerate(sheets, 1):
        sheet_elements.append('<sheet name="%s" sheetId="%d" r:id="rId%d"/>' % (name, index, index))
        workbook_rels.append(("rId%d" % index, "worksheet", "worksheets/sheet%d.xml" % index))
        entries.append(("xl/worksheets/sheet%d.xml" % index, xml))
    for index, (name, kind, target) in enumerate(extra_sheets, 100):
        sheet_elements.append('<sheet name="%s" sheetId="%d" r:id="rId%d"/>' % (name, index, index))
        workbook_rels.append(("rId%d" % index, kind, target))
    if shared is not None:
        workbook_rels.append(("rIdS", "sharedStrings", "sharedStrings.xml"))
        entries.append(("xl/sharedStrings.xml",
                        '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="%s">%s</sst>'
                        % (MAIN, "".join(shared))))
    if styles is not None:
        workbook_rels.append(("rIdT", "styles", "styles.xml"))
        entries.append(("xl/styles.xml", '<?xml version="1.0" encoding="UTF-8"?>'
                        '<styleSheet xmlns="%s">%s</styleSheet>' % (MAIN, styles)))
    workbook = ('<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="%s" xmlns:r="%s">%s'
                "<sheets>%s</sheets></workbook>" % (MAIN, REL, workbook_pr, "".join(sheet_elements)))
    entries = [("[Content_Types].xml", CONTENT_TYPES % XLSX_MAIN_TYPE),
               ("_rels/.rels", relationships([("rId1", "officeDocument", "xl/workbook.xml")])),
               ("xl/workbook.xml", workbook),
               ("xl/_rels/workbook.xml.rels", relationships(workbook_rels))] + entries
    return [(name, data.encode("utf-8")) for name, data in entries if name not in skip]


def make_handmade_cells():
    shared = [
        "<si><t>共有</t></si>",
        '<si><t xml:space="preserve">  空白付き  </t></si>',
        "<si><r><t>リッチ</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\"> テキスト</t></r></si>",
        "<si><t>漢字</t><rPh sb=\"0\" eb=\"2\"><t>カンジ</t></rPh><phoneticPr fontId=\"1\"/></si>",
        "<si><t>改行_x000D_あり</t></si>",
        "<si><t>_x005F_x000D_ は文字どおり</t></si>",
    ]
    # numFmt 14 is redefined as a plain number; 165 is a custom date, which the
    # conditional format (dxf) reusing its id does not change.
    styles = ('<numFmts><numFmt numFmtId="14" formatCode="0.00"/>'
              '<numFmt numFmtId="165" formatCode="yyyy/m/d"/></numFmts>'
              '<cellStyleXfs><xf numFmtId="22"/></cellStyleXfs>'
              '<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="165"/><xf numFmtId="22"/>'
              "</cellXfs>"
              '<dxfs count="1"><dxf><numFmt numFmtId="165" formatCode="0.00"/></dxf></dxfs>')
    rows = (
        # Row 1 numbered; its cells follow one another from A.
        '<row r="1"><c t="s"><v>0</v></c><c t="s"><v>1</v></c><c r="E1" t="s"><v>2</v></c>'
        '<c t="s"><v>3</v></c></row>'
        # Rows without numbers follow the previous row.
        '<row><c t="s"><v>4</v></c><c t="s"><v>5</v></c></row>'
        "<row><c t=\"inlineStr\"><is><r><t>インライン</t></r><r><t>_x0041_</t></r>"
        "<rPh><t>ヨミ</t></rPh></is></c>"
        '<c t="str"><f>X()</f><v>式_x0009_結果</v></c><c t="d"><v>2024-01-31T12:00:00</v></c>'
        '<c t="d" s="1"><v>1900-01-01</v></c></row>'
        '<row r="6"><c r="A6" s="1"><v>14</v></c><c s="2"><v>45322</v></c><c s="3"><v>45322.5</v></c>'
        '<c s="99"><v>7</v></c><c t="e"><f>1/0</f><v>#DIV/0!</v></c><c t="b"><v>1</v></c></row>'
        '<row r="8"><c r="B8"><f>NOW()</f></c><c r="C8" s="1"/></row>'
    )
    # A dialog sheet and a macro sheet are listed in the workbook but are no worksheets.
    extra = [("ダイアログ", "dialogsheet", "dialogsheets/sheet1.xml"),
             ("マクロ", "xlMacrosheet", "macrosheets/sheet1.xml")]
    entries = package([("手作り", sheet_xml(rows))], shared, styles, extra_sheets=extra)
    write_entries(path("handmade_cells.xlsx"), entries)

    # The same package marked macro-enabled, with a stand-in macro part.
    macro = [(n, (CONTENT_TYPES % XLSM_MAIN_TYPE).encode() if n == "[Content_Types].xml" else d)
             for n, d in entries] + [("xl/vbaProject.bin", b"\0" * 64)]
    write_entries(path("handmade_macro.xlsm"), macro)


def make_strict():
    """formats_xlsxwriter.xlsx rewritten: strict namespaces, an "x:" prefix for the main
    namespace, upper-case part names with backslashes, absolute and ".." targets."""
    renamed = {}
    entries = []
    for name, data, _ in read_entries(path("formats_xlsxwriter.xlsx")):
        text = data.decode("utf-8")
        text = text.replace(MAIN, STRICT_MAIN).replace(REL, STRICT_REL)
        if name == "xl/workbook.xml" or name.startswith("xl/worksheets/sheet"):
            text = re.sub(r'xmlns="' + re.escape(STRICT_MAIN) + '"',
                          'xmlns:x="' + STRICT_MAIN + '"', text)
            text = re.sub(r"<(/?)(?!\?)([A-Za-z]+)([ />])", r"<\1x:\2\3", text)
        if name.startswith("xl/worksheets/sheet"):
            new_name = name.upper().replace("/", "\\")
        elif name == "xl/sharedStrings.xml":
            new_name = "Strings/Shared.xml"
        else:
            new_name = name
        renamed[name] = new_name
        entries.append([new_name, text])
    for entry in entries:
        if entry[0] == "xl/_rels/workbook.xml.rels":
            text = entry[1]
            text = re.sub(r'Target="/?xl/worksheets/', 'Target="/XL/Worksheets/', text)
            text = re.sub(r'Target="worksheets/', 'Target="/XL/Worksheets/', text)
            text = re.sub(r'Target="/?(xl/)?sharedStrings.xml"', 'Target="../Strings/Shared.xml"',
                          text)
            entry[1] = text
    write_entries(path("strict_rewritten.xlsx"), [(n, t.encode("utf-8")) for n, t in entries])


def make_sheet_order():
    """tables_openpyxl.xlsx with the <sheet> list reversed, so the application's order
    differs from both sheetId and part-name order."""
    entries = []
    for name, data, _ in read_entries(path("tables_openpyxl.xlsx")):
        if name == "xl/workbook.xml":
            text = data.decode("utf-8")
            sheets = re.findall(r"<sheet [^>]*/>", text)
            start = text.index(sheets[0])
            end = text.index(sheets[-1]) + len(sheets[-1])
            text = text[:start] + "".join(reversed(sheets)) + text[end:]
            data = text.encode("utf-8")
        entries.append((name, data))
    write_entries(path("sheet_order.xlsx"), entries)


def make_broken():
    ok_sheet = sheet_xml('<row r="1"><c r="A1"><v>1</v></c></row>')

    def single(rows, shared=None, head="", **options):
        return package([("壊れ", sheet_xml(rows, head))], shared, **options)

    write_entries(path("bad_shared_index.xlsx"),
                  single('<row r="1"><c r="C5" t="s"><v>5</v></c></row>', ["<si><t>a</t></si>"]))
    write_entries(path("row_out_of_range.xlsx"),
                  single('<row r="1048577"><c><v>1</v></c></row>'))
    write_entries(path("column_out_of_range.xlsx"), single('<row r="1"><c r="XFE1"><v>1</v></c></row>'))
    write_entries(path("dtd.xlsx"), single('<row r="1"><c r="A1"><v>1</v></c></row>',
                                           head='<!DOCTYPE worksheet [<!ENTITY e "x">]>'))
    write_entries(path("malformed.xlsx"), single('<row r="1"><c r="A1"><v>1</v></row>'))
    write_entries(path("missing_sheet.xlsx"),
                  single("", skip=("xl/worksheets/sheet1.xml",)))
    write_entries(path("missing_workbook_rels.xlsx"),
                  single("", skip=("xl/_rels/workbook.xml.rels",)))
    write_entries(path("missing_package_rels.xlsx"), single("", skip=("_rels/.rels",)))
    write_entries(path("missing_workbook.xlsx"), single("", skip=("xl/workbook.xml",)))

    # The sheet entry marked encrypted in both its headers.
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data in package([("暗号", ok_sheet)]):
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_STORED
            archive.writestr(info, data)
    raw = bytearray(buffer.getvalue())
    target = b"xl/worksheets/sheet1.xml"
    for signature, flag_offset, name_offset in ((b"PK\x03\x04", 6, 30), (b"PK\x01\x02", 8, 46)):
        at = raw.find(signature)
        while at >= 0:
            if raw[at + name_offset:at + name_offset + len(target)] == target:
                raw[at + flag_offset] |= 1
            at = raw.find(signature, at + 4)
    with open(path("encrypted_entry.xlsx"), "wb") as out:
        out.write(raw)

    # 4 MiB of blanks inside the sheet, bzip2-compressed far past deflate's ratio.
    bomb = sheet_xml("").replace("<sheetData>", "<sheetData>" + " " * (4 << 20))
    entries = package([("爆弾", ok_sheet)])
    entries = [(n, bomb.encode(), zipfile.ZIP_BZIP2) if n == "xl/worksheets/sheet1.xml" else (n, d)
               for n, d in entries]
    write_entries(path("ratio_bomb.xlsx"), entries)

    with open(path("tables_openpyxl.xlsx"), "rb") as source:
        whole = source.read()
    with open(path("truncated.xlsx"), "wb") as out:
        out.write(whole[:len(whole) // 2])
    with open(path("not_zip.xlsx"), "w", encoding="utf-8") as out:
        out.write("これは zip ではありません\n")


def make_two_damaged_sheets():
    """Eight sheets, the third and the seventh damaged; the third is long, so that a
    reader taking sheets on several threads meets the seventh's damage first."""
    def cells(count):
        return "".join('<row r="%d"><c r="A%d"><v>%d</v></c></row>' % (r, r, r)
                       for r in range(1, count + 1))
    sheets = [("S%d" % i, sheet_xml(cells(3))) for i in range(1, 9)]
    sheets[2] = ("S3", sheet_xml(cells(10000) + '<row r="10001"><c r="B10001"><v>abc</v></c></row>'))
    sheets[6] = ("S7", sheet_xml('<row r="1"><c r="C1" t="s"><v>5</v></c></row>'))
    write_entries(path("two_damaged_sheets.xlsx"), package(sheets, ["<si><t>a</t></si>"]))


def make_damaged_shared_strings():
    """Shared strings damaged after their 5,000th item, read beside the sheets: a
    cell wanting a string past the damage, and a bad cell far below the first rows."""
    shared = ["<si><t>s%d</t></si>" % i for i in range(5000)] + ["<si><t>broken</x></si>"]
    write_entries(path("shared_strings_damaged_at_end.xlsx"), package([(
        "前", sheet_xml('<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>4999</v></c></row>'
                       '<row r="10"><c r="B10"><v>abc</v></c></row>'))], shared))
    write_entries(path("shared_string_past_damage.xlsx"), package([(
        "後", sheet_xml('<row r="1"><c r="A1" t="s"><v>5000</v></c></row>'))], shared))


if __name__ == "__main__":
    make_openpyxl()
    make_weekdays()
    make_xlsxwriter()
    make_libreoffice()
    make_handmade_cells()
    make_strict()
    make_sheet_order()
    make_broken()
    make_two_damaged_sheets()
    make_damaged_shared_strings()
