#!/usr/bin/python3
"""Writes the .xls test fixtures in this folder.

Real files come from xlwt (BIFF8) and from LibreOffice (an openpyxl .xlsx converted
with `soffice --headless --convert-to xls`). BIFF5 files and malformed files are
built record by record here and wrapped in a compound file by libgsf's writer.
Run with Debian's /usr/bin/python3 (it has xlwt, openpyxl and the Gsf bindings).
"""

import datetime
import os
import shutil
import struct
import subprocess
import tempfile

import gi

gi.require_version("Gsf", "1")
from gi.repository import Gsf  # noqa: E402

import openpyxl  # noqa: E402
import xlwt  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

TABLES = {
    "顧客": ("CUSTOMER", "顧客マスタ", [
        (1, "CUSTOMER_ID", "NUMBER", 10, None, "○", "○", None, "顧客ID"),
        (2, "CUSTOMER_NAME", "VARCHAR2", 100, None, None, "○", None, "氏名"),
        (3, "BIRTH_DATE", "DATE", None, None, None, None, None, "生年月日"),
        (4, "POINT", "NUMBER", 7, 2, None, None, 0, "保有ポイント"),
    ]),
    "注文": ("ORDERS", "注文", [
        (1, "ORDER_ID", "NUMBER", 12, None, "○", "○", None, "注文ID"),
        (2, "CUSTOMER_ID", "NUMBER", 10, None, None, "○", None, "顧客ID"),
        (3, "AMOUNT", "NUMBER", 9, 2, None, None, 0, "金額"),
    ]),
}
HEADERS = ["No", "項目名", "データ型", "桁数", "小数", "PK", "NOT NULL", "初期値", "備考"]


def path(name):
    return os.path.join(HERE, name)


# ---------------------------------------------------------------- compound files

def write_compound(name, streams):
    """Writes a compound file holding the given (name, bytes) streams."""
    sink = Gsf.OutputStdio.new(path(name))
    outfile = Gsf.OutfileMSOle.new(sink)
    for stream_name, data in streams:
        child = outfile.new_child(stream_name, False)
        child.write(bytes(data))
        child.close()
    outfile.close()


def read_workbook_stream(name):
    infile = Gsf.InfileMSOle.new(Gsf.InputStdio.new(path(name)))
    stream = infile.child_by_name("Workbook")
    return bytearray(stream.read(stream.remaining()))


def records(data):
    """Yields (offset, type, body) for each record of a workbook stream."""
    pos = 0
    while pos + 4 <= len(data):
        rtype, length = struct.unpack_from("<HH", data, pos)
        yield pos, rtype, data[pos + 4:pos + 4 + length]
        pos += 4 + length


# ---------------------------------------------------------------- BIFF records

def rec(rtype, body):
    return struct.pack("<HH", rtype, len(body)) + bytes(body)


def bof(dt, biff5=False):
    if biff5:
        return rec(0x0809, struct.pack("<HHHH", 0x0500, dt, 0x096C, 0x07C9))
    return rec(0x0809, struct.pack("<HHHHII", 0x0600, dt, 0x0DBB, 0x07CC, 0, 6))


EOF_REC = rec(0x000A, b"")


def xlstr(text, length_format="<H"):
    """A BIFF8 unicode string: length, option byte, characters."""
    if all(ord(c) < 256 for c in text):
        return struct.pack(length_format, len(text)) + b"\x00" + text.encode("latin-1")
    return struct.pack(length_format, len(text)) + b"\x01" + text.encode("utf-16-le")


def cell_header(row, col, xf=15):
    return struct.pack("<HHH", row, col, xf)


def label_sst(row, col, index):
    return rec(0x00FD, cell_header(row, col) + struct.pack("<I", index))


def number(row, col, value, xf=15):
    return rec(0x0203, cell_header(row, col, xf) + struct.pack("<d", value))


def default_xfs(count=16):
    # BIFF8 XF: font, format, type/protection, alignment..., 20 bytes in all.
    return b"".join(rec(0x00E0, struct.pack("<HHH", 0, 0, 0xFFF5 if i < 15 else 1) + bytes(14))
                    for i in range(count))


def workbook_stream(sheets, globals_records=b"", biff5=False):
    """A workbook stream: globals (with BOUNDSHEETs pointing at the sheets) then
    each sheet's substream. sheets: (name, body records, sheet type, hidden)."""
    def boundsheet(offset, name, sheet_type, hidden):
        if biff5:
            encoded = name.encode("cp932")
            body = struct.pack("<IBBB", offset, hidden, sheet_type, len(encoded)) + encoded
        else:
            body = struct.pack("<IBB", offset, hidden, sheet_type) + xlstr(name, "<B")
        return rec(0x0085, body)

    head = bof(0x0005, biff5) + globals_records
    sheet_bytes = [bof(0x0010, biff5) + body + EOF_REC for _, body, _, _ in sheets]
    size = len(head) + sum(len(boundsheet(0, n, t, h)) for n, _, t, h in sheets) + len(EOF_REC)
    bounds = b""
    for (name, _, sheet_type, hidden), data in zip(sheets, sheet_bytes):
        bounds += boundsheet(size, name, sheet_type, hidden)
        size += len(data)
    return bytearray(head + bounds + EOF_REC + b"".join(sheet_bytes))


def write_biff8(name, sheets, globals_records=b"", extra_streams=()):
    data = workbook_stream(sheets, globals_records)
    write_compound(name, [("Workbook", data)] + list(extra_streams))
    return data


# ---------------------------------------------------------------- real writers

def write_table_sheet_xlwt(ws, table, title, rows):
    ws.write(2, 1, "テーブル名")
    ws.write(2, 2, table)
    ws.write(3, 1, "テーブルタイトル")
    ws.write(3, 2, title)
    for col, header in enumerate(HEADERS):
        ws.write(5, col, header)
    for r, values in enumerate(rows):
        for col, value in enumerate(values):
            if value is not None:
                ws.write(6 + r, col, value)


def make_xlwt():
    wb = xlwt.Workbook(encoding="utf-8")
    for sheet_name, (table, title, rows) in TABLES.items():
        write_table_sheet_xlwt(wb.add_sheet(sheet_name), table, title, rows)
    hidden = wb.add_sheet("非表示")
    hidden.visibility = 1
    hidden.write(0, 0, "隠れたシート")

    ws = wb.add_sheet("値")
    numbers = [10, 1.5, -2, 123456789012345, 1234567890123456, 0.00001, 0.1 + 0.2]
    for r, value in enumerate(numbers):
        ws.write(r, 0, value)
    date_style = xlwt.easyxf(num_format_str="yyyy/mm/dd")
    time_style = xlwt.easyxf(num_format_str="h:mm:ss")
    kanji_style = xlwt.easyxf(num_format_str='yyyy"年"m"月"d"日"')
    stamp_style = xlwt.easyxf(num_format_str="yyyy/mm/dd hh:mm:ss")
    ws.write(0, 1, datetime.date(2024, 1, 5), date_style)
    ws.write(1, 1, datetime.time(18, 30, 15), time_style)
    ws.write(2, 1, datetime.date(2023, 12, 31), kanji_style)
    ws.write(3, 1, datetime.datetime(2024, 1, 5, 9, 5, 3), stamp_style)
    ws.write(4, 1, 45296, xlwt.easyxf(num_format_str="0.00"))  # a number, not a date
    ws.write(0, 2, True)
    ws.write(1, 2, False)
    # By code: xlwt's table of error names lacks #N/A and maps #VALUE! wrongly.
    for r, code in enumerate([0x2A, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x00]):
        ws.row(r).set_cell_error(3, code)
    ws.write(0, 4, xlwt.Formula("1+2"))  # written without a cached result
    ws.write(0, 5, "  前後に空白  ")
    wb.save(path("xlwt_tables.xls"))

    wb = xlwt.Workbook(encoding="utf-8")
    wb.dates_1904 = True
    ws = wb.add_sheet("1904")
    ws.write(0, 0, datetime.date(2024, 1, 5), xlwt.easyxf(num_format_str="yyyy/mm/dd"))
    ws.write(1, 0, 10)
    wb.save(path("xlwt_1904.xls"))


def convert(wb, name):
    """Saves wb as .xlsx and has LibreOffice convert it to name.xls here."""
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, name + ".xlsx")
        wb.save(source)
        subprocess.run(["soffice", "--headless", "--convert-to", "xls", "--outdir", tmp, source],
                       check=True, capture_output=True)
        shutil.copy(os.path.join(tmp, name + ".xls"), path(name + ".xls"))


def make_libreoffice():
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for sheet_name, (table, title, rows) in TABLES.items():
        ws = wb.create_sheet(sheet_name)
        ws["B3"], ws["C3"], ws["B4"], ws["C4"] = "テーブル名", table, "テーブルタイトル", title
        for col, header in enumerate(HEADERS, start=1):
            ws.cell(6, col, header)
        for r, values in enumerate(rows, start=7):
            for col, value in enumerate(values, start=1):
                if value is not None:
                    ws.cell(r, col, value)

    ws = wb.create_sheet("数式")
    ws["A1"] = "=0.1+0.2"
    ws["A2"] = '="文字"&"列"'
    ws["A3"] = "=1=1"
    ws["A4"] = "=1/0"
    ws["A5"] = "=NA()"
    ws["A6"] = '=""'
    ws["A7"] = '="abc"&"def"'
    ws["A8"] = "=1=2"

    ws = wb.create_sheet("非表示")
    ws.sheet_state = "hidden"
    ws["A1"] = "隠れたシート"

    ws = wb.create_sheet("数値")
    for col, value in enumerate([10, 1.5, -2, 123456789012345, 1234567890123456, 0.00001], 1):
        ws.cell(1, col, value)  # one row of numbers: RK and MULRK records
    for col, value in enumerate([100, 200, 300], 1):
        ws.cell(2, col, value)
    formats = ["yyyy/mm/dd", "h:mm:ss", 'yyyy"年"m"月"d"日"', "[h]:mm", "0.00"]
    values = [datetime.date(2024, 1, 5), datetime.time(18, 0), datetime.date(2023, 12, 31),
              datetime.timedelta(hours=30), 45296]
    for row, (fmt, value) in enumerate(zip(formats, values), start=3):
        ws.cell(row, 1, value).number_format = fmt

    ws = wb.create_sheet("マクロ扱い")  # a worksheet patched into a macro sheet below
    ws["A1"] = "見えてはいけない"

    convert(wb, "lo_tables")

    # A copy whose last sheet is marked as a macro sheet in its BOUNDSHEET record.
    data = read_workbook_stream("lo_tables.xls")
    last = None
    for offset, rtype, _ in records(data):
        if rtype == 0x0085:
            last = offset
        if rtype == 0x000A:
            break
    data[last + 4 + 5] = 1
    write_compound("lo_macro_sheet.xls", [("Workbook", data)])
    make_dialog_sheet_copy()

    # Enough text for the shared string table to run over several CONTINUE records,
    # with strings straddling their boundaries both compressed and as UTF-16.
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "長い文字列"
    for row in range(1, 41):
        ws.cell(row, 1, "ascii text number %04d padding to make it longer" % row)
        ws.cell(row, 2, "日本語の文字列その%04dです。境界をまたぐように長くしています" % row)
    ws.cell(41, 1, "x" * 8300)
    ws.cell(42, 1, "漢" * 4200)
    convert(wb, "lo_long_strings")

    # The first half of a real file: a compound file cut short.
    with open(path("lo_tables.xls"), "rb") as f:
        whole = f.read()
    with open(path("truncated_file.xls"), "wb") as f:
        f.write(whole[:len(whole) // 2])


def make_dialog_sheet_copy():
    """A copy whose last sheet is a dialog sheet: listed as a worksheet in its
    BOUNDSHEET record, told apart only by the dialog flag of its WSBOOL record."""
    data = read_workbook_stream("lo_tables.xls")
    last = None
    for offset, rtype, _ in records(data):
        if rtype == 0x0085:
            last = offset
        if rtype == 0x000A:
            break
    sheet_start = struct.unpack_from("<I", data, last + 4)[0]
    for offset, rtype, _ in records(data[sheet_start:]):
        if rtype == 0x0081:
            data[sheet_start + offset + 4] |= 0x10
            break
    else:
        raise SystemExit("no WSBOOL record in the last sheet")
    write_compound("lo_dialog_sheet.xls", [("Workbook", data)])


# ---------------------------------------------------------------- hand-made BIFF

def sst_continue_stream():
    """A shared string table whose strings run over CONTINUE records: a compressed
    string going on as UTF-16, a UTF-16 one going on compressed, a rich-text string
    whose runs straddle the boundary and one with phonetic data across it."""
    first = b""
    strings = []
    # 1: "ABCDEFGH" split after "ABC"; the rest continues as UTF-16.
    first += struct.pack("<HB", 8, 0) + b"ABC"
    cont1 = b"\x01" + "DEFGH".encode("utf-16-le")
    strings.append("ABCDEFGH")
    # 2: "日本語テキスト" split after three characters; the rest is compressed-impossible,
    # so it stays UTF-16 with its new option byte.
    cont1 += struct.pack("<HB", 7, 1) + "日本語".encode("utf-16-le")
    cont2 = b"\x01" + "テキスト".encode("utf-16-le")
    strings.append("日本語テキスト")
    # 3: rich text "Rich" with 2 runs, the second run cut by the boundary.
    cont2 += struct.pack("<HBH", 4, 0x08, 2) + b"Rich" + struct.pack("<HH", 0, 1) + b"\x02\x00"
    cont3 = b"\x00\x00"
    strings.append("Rich")
    # 4: phonetic data (6 bytes) that runs into the next record.
    cont3 += struct.pack("<HBI", 3, 0x05, 6) + "読み方".encode("utf-16-le") + b"\xAA\xBB"
    cont4 = b"\xCC\xDD\xEE\xFF"
    strings.append("読み方")
    # 5: UTF-16 going on compressed.
    cont4 += struct.pack("<HB", 6, 1) + "半角".encode("utf-16-le")
    cont5 = b"\x00" + b"Kana"
    strings.append("半角Kana")
    cont5 += xlstr("最後")
    strings.append("最後")
    # The unique count lies: far more than there are.
    sst = rec(0x00FC, struct.pack("<II", 100, 1_000_000) + first)
    for part in (cont1, cont2, cont3, cont4, cont5):
        sst += rec(0x003C, part)
    return sst, strings


def make_handmade():
    sst, strings = sst_continue_stream()
    cells = b"".join(label_sst(r, 0, r) for r in range(len(strings)))
    # A formula with a text result: SHRFMLA between it and its STRING, which goes on
    # in a CONTINUE record.
    formula_text = struct.pack("<HHH", 0, 1, 15) + struct.pack("<BBBBBBH", 0, 0, 0, 0, 0, 0,
                                                               0xFFFF) + struct.pack("<HIH", 8, 0,
                                                                                     0)
    cells += rec(0x0006, formula_text) + rec(0x04BC, bytes(10))
    cells += rec(0x0207, struct.pack("<HB", 6, 0) + b"for") + rec(0x003C, b"\x01" +
                                                                  "mel".encode("utf-16-le"))
    # Boolean, error and empty-text formula results.
    for row, (kind, value) in enumerate([(1, 1), (2, 0x2A), (3, 0)]):
        body = struct.pack("<HHH", row + 1, 1, 15) + struct.pack("<BBBBBBH", kind, 0, value, 0,
                                                                 0, 0, 0xFFFF)
        cells += rec(0x0006, body + struct.pack("<HIH", 0, 0, 0))
    # MULRK: 1.5 (x100 integer 150), -2 (integer), 0.5 (double bits), 10 (integer).
    half = struct.unpack("<Q", struct.pack("<d", 0.5))[0] >> 32
    rks = [(150 << 2) | 3, ((-2 << 2) & 0xFFFFFFFF) | 2, half, (10 << 2) | 2]
    cells += rec(0x00BD, struct.pack("<HH", 10, 0) +
                 b"".join(struct.pack("<HI", 15, rk) for rk in rks) + struct.pack("<H", 3))
    # An embedded chart whose cell records must not be read.
    cells += bof(0x0020) + number(11, 0, 999) + EOF_REC
    cells += number(12, 0, 42)
    write_biff8("handmade_edges.xls", [("境界", cells, 0, 0), ("グラフ", b"", 2, 0)],
                default_xfs() + sst)

    # Errors.
    with open(path("not_compound.xls"), "wb") as f:
        f.write(b"No,Name\n1,CUSTOMER\n")
    basic_sst = rec(0x00FC, struct.pack("<II", 1, 1) + xlstr("only"))
    write_biff8("sst_index_out_of_range.xls", [("表", label_sst(2, 1, 5), 0, 0)],
                default_xfs() + basic_sst)
    write_biff8("column_out_of_range.xls", [("表", number(0, 20000, 1), 0, 0)], default_xfs())
    write_biff8("filepass.xls", [("表", b"", 0, 0)], rec(0x002F, bytes(54)) + default_xfs())
    data = workbook_stream([("表", number(0, 0, 1), 0, 0)], default_xfs())
    write_compound("truncated_record.xls", [("Workbook", data[:-10])])
    data = workbook_stream([("表", rec(0x0203, bytes(9000)), 0, 0)], default_xfs())
    write_compound("record_too_long.xls", [("Workbook", data)])
    data = workbook_stream([("表", b"", 0, 0)], default_xfs())
    struct.pack_into("<I", data, next(o for o, t, _ in records(data) if t == 0x0085) + 4,
                     len(data) + 100)
    write_compound("sheet_offset_outside.xls", [("Workbook", data)])
    data = workbook_stream([("表", b"", 0, 0)], default_xfs())
    struct.pack_into("<I", data, next(o for o, t, _ in records(data) if t == 0x0085) + 4, 0)
    write_compound("sheet_offset_backwards.xls", [("Workbook", data)])
    data = workbook_stream([("表", number(0, 0, 1), 0, 0)], default_xfs())
    write_compound("sheet_without_eof.xls", [("Workbook", data[:-len(EOF_REC)])])
    short_sst = rec(0x00FC, struct.pack("<IIHB", 1, 1, 10, 0) + b"abc")
    write_biff8("sst_string_cut.xls", [("表", b"", 0, 0)], default_xfs() + short_sst)
    write_compound("no_workbook_stream.xls", [("Contents", b"\x00" * 64)])
    # An encrypted .xlsx keeps its package in a compound file.
    write_compound("encrypted_package.xls", [("EncryptionInfo", b"\x04\x00\x04\x00" + bytes(60)),
                                             ("EncryptedPackage", bytes(256))])


def make_biff5():
    """A BIFF5 workbook in code page 932 (Shift_JIS), the form older Japanese files
    have: byte strings for sheet names, labels, formats and formula texts."""
    def label(row, col, text, xf=15):
        encoded = text.encode("cp932")
        return rec(0x0204, cell_header(row, col, xf) + struct.pack("<H", len(encoded)) + encoded)

    def xf5(fmt):
        return rec(0x00E0, struct.pack("<HHH", 0, fmt, 1) + bytes(10))

    fmt_code = 'yyyy"年"m"月"d"日"'.encode("cp932")
    globals_records = (rec(0x0042, struct.pack("<H", 932)) +
                       rec(0x041E, struct.pack("<HB", 164, len(fmt_code)) + fmt_code) +
                       b"".join(xf5(0) for _ in range(16)) + xf5(164) + xf5(14))
    table, title, rows = TABLES["顧客"]
    cells = label(2, 1, "テーブル名") + label(2, 2, table)
    cells += label(3, 1, "テーブルタイトル") + label(3, 2, title)
    for col, header in enumerate(HEADERS):
        cells += label(5, col, header)
    for r, values in enumerate(rows):
        for col, value in enumerate(values):
            if isinstance(value, str):
                cells += label(6 + r, col, value)
            elif value is not None:
                cells += rec(0x027E, cell_header(6 + r, col) + struct.pack("<I", (value << 2) | 2))
    cells += number(12, 0, 45296, 16) + number(13, 0, 45296, 17)
    formula = cell_header(14, 0) + struct.pack("<BBBBBBH", 0, 0, 0, 0, 0, 0, 0xFFFF)
    formula += struct.pack("<HIB", 0, 0, 0)
    text = "計算結果".encode("cp932")
    cells += rec(0x0006, formula) + rec(0x0207, struct.pack("<H", len(text)) + text)
    data = workbook_stream([("顧客", cells, 0, 0), ("別シート", label(0, 0, "半角ｶﾅと全角"), 0, 1)],
                           globals_records, biff5=True)
    write_compound("biff5_cp932.xls", [("Book", data)])


def make_root_with_sibling():
    """A copy of a real file whose root directory entry claims a sibling."""
    with open(path("xlwt_tables.xls"), "rb") as f:
        data = bytearray(f.read())
    shift, = struct.unpack_from("<H", data, 0x1E)
    first_directory_sector, = struct.unpack_from("<I", data, 0x30)
    root = (first_directory_sector + 1) << shift
    struct.pack_into("<I", data, root + 0x48, 1)
    with open(path("root_with_sibling.xls"), "wb") as f:
        f.write(data)


if __name__ == "__main__":
    make_xlwt()
    make_libreoffice()
    make_handmade()
    make_biff5()
    make_root_with_sibling()
