#!/usr/bin/env python3
"""Writes hostile workbooks: small files that once made the readers hang, crash or
exhaust memory, one file per class.

    make_hostile.py DIR           every class at full size (each file at most 1 MB)
                                  into DIR, for measuring; never committed
    make_hostile.py --small DIR   the same classes scaled down to a few KB each, still
                                  past every bound they test; tests/data/hostile/ and
                                  fuzz/regressions/ keep these

Standard library only: zip packages are written byte by byte where zipfile cannot
make them (overlapping entries, wrong CRCs, lying sizes), compound files for the
.xls classes by the small writer below.
"""

import bz2
import os
import struct
import sys
import zlib

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/></Types>')
ODS_MIMETYPE = b"application/vnd.oasis.opendocument.spreadsheet"
ODS_HEAD = ('<?xml version="1.0" encoding="UTF-8"?>'
            '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
            ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
            ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">'
            '<office:body><office:spreadsheet>')
ODS_TAIL = '</office:spreadsheet></office:body></office:document-content>'


# ---------------------------------------------------------------- zip packages

class Entry:
    """One zip entry. data is the content as stored in the entry's name; method 0
    (stored), 8 (deflate) or 12 (bzip2). The overrides write lies into the headers."""

    def __init__(self, name, data, method=8, crc=None, compressed=None):
        self.name = name.encode("utf-8")
        self.data = data if isinstance(data, bytes) else data.encode("utf-8")
        self.method = method
        self.crc = zlib.crc32(self.data) if crc is None else crc
        if compressed is not None:
            self.payload = compressed
        elif method == 8:
            packer = zlib.compressobj(9, zlib.DEFLATED, -15)
            self.payload = packer.compress(self.data) + packer.flush()
        elif method == 12:
            self.payload = bz2.compress(self.data, 9)
        else:
            self.payload = self.data


def local_header(entry, payload_size):
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, entry.method, 0, 0x21, entry.crc,
                       payload_size, len(entry.data), len(entry.name), 0) + entry.name


def central_header(entry, offset, payload_size, name=None):
    name = entry.name if name is None else name
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, entry.method, 0, 0x21,
                       entry.crc, payload_size, len(entry.data), len(name), 0, 0, 0, 0, 0,
                       offset) + name


def end_record(count, size, offset):
    return struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, size, offset, 0)


def zip_bytes(entries, aliases=(), claimed_sizes=None):
    """A zip of entries in order. aliases: (extra name, index of the entry whose
    local header it names too). claimed_sizes: {index: compressed size written into
    the central directory instead of the real one}."""
    claimed_sizes = claimed_sizes or {}
    out = bytearray()
    offsets = []
    for entry in entries:
        offsets.append(len(out))
        out += local_header(entry, len(entry.payload)) + entry.payload
    directory = bytearray()
    for index, entry in enumerate(entries):
        directory += central_header(entry, offsets[index],
                                    claimed_sizes.get(index, len(entry.payload)))
    for name, index in aliases:
        entry = entries[index]
        directory += central_header(entry, offsets[index], len(entry.payload),
                                    name.encode("utf-8"))
    count = len(entries) + len(aliases)
    return bytes(out + directory + end_record(count, len(directory), len(out)))


def relationships(items):
    body = "".join('<Relationship Id="%s" Type="%s/%s" Target="%s"/>' % item for item in items)
    return ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s">%s'
            "</Relationships>" % (PKG_REL, body))


def workbook_xml(sheets):
    return ('<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="%s" xmlns:r="%s"><sheets>%s'
            "</sheets></workbook>" % (MAIN, REL, sheets))


def sheet_xml(rows, head=""):
    return ('<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="%s">%s<sheetData>%s'
            "</sheetData></worksheet>" % (MAIN, head, rows))


def xlsx_entries(sheet="", shared=None, styles=None, workbook=None, workbook_rels=None):
    """The entries of a one-sheet package; each part can be replaced."""
    rels = [("rId1", REL, "worksheet", "worksheets/sheet1.xml")]
    entries = [Entry("[Content_Types].xml", CONTENT_TYPES),
               Entry("_rels/.rels", relationships([("rId1", REL, "officeDocument",
                                                    "xl/workbook.xml")]))]
    if shared is not None:
        rels.append(("rIdS", REL, "sharedStrings", "sharedStrings.xml"))
        entries.append(Entry("xl/sharedStrings.xml", shared))
    if styles is not None:
        rels.append(("rIdT", REL, "styles", "styles.xml"))
        entries.append(Entry("xl/styles.xml", styles))
    entries.append(Entry("xl/workbook.xml", workbook if workbook is not None else
                         workbook_xml('<sheet name="S" sheetId="1" r:id="rId1"/>')))
    entries.append(Entry("xl/_rels/workbook.xml.rels",
                         workbook_rels if workbook_rels is not None else
                         relationships([(i, p, k, t) for i, p, k, t in rels])))
    if not isinstance(sheet, Entry):
        sheet = Entry("xl/worksheets/sheet1.xml", sheet_xml(sheet))
    entries.append(sheet)
    return entries


def ods_entries(body, head=ODS_HEAD, tail=ODS_TAIL):
    return [Entry("mimetype", ODS_MIMETYPE, method=0), Entry("content.xml", head + body + tail)]


def streamed(text_parts):
    """Joins generated parts into bytes; parts may be str or bytes."""
    return b"".join(p.encode("utf-8") if isinstance(p, str) else p for p in text_parts)


# ---------------------------------------------------------------- compound files

def compound_file(stream):
    """A compound file (512-byte sectors) holding one stream named Workbook. The
    stream is padded to 4096 bytes so that it lives in regular sectors."""
    stream = bytes(stream) + bytes(max(0, 4096 - len(stream)))
    sectors = (len(stream) + 511) // 512
    fat_sectors = 1
    while sectors + 1 + fat_sectors > fat_sectors * 128:
        fat_sectors += 1
    assert fat_sectors <= 109
    directory_sector = sectors
    fat = [i + 1 for i in range(sectors - 1)] + [0xFFFFFFFE, 0xFFFFFFFE]
    fat += [0xFFFFFFFD] * fat_sectors
    fat += [0xFFFFFFFF] * (fat_sectors * 128 - len(fat))
    difat = [directory_sector + 1 + i for i in range(fat_sectors)]
    difat += [0xFFFFFFFF] * (109 - len(difat))
    header = struct.pack("<8s16sHHHHH6sIIIIIIIII", b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1",
                         bytes(16), 0x3E, 3, 0xFFFE, 9, 6, bytes(6), 0, fat_sectors,
                         directory_sector, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
    header += struct.pack("<109I", *difat)

    def dir_entry(name, kind, child, start, size):
        encoded = (name + "\0").encode("utf-16-le")
        return (encoded.ljust(64, b"\0") + struct.pack("<HBBIII", len(encoded), kind, 1,
                                                      0xFFFFFFFF, 0xFFFFFFFF, child) +
                bytes(16) + struct.pack("<IIIIIII", 0, 0, 0, 0, 0, start, size) + bytes(4))

    directory = dir_entry("Root Entry", 5, 1, 0xFFFFFFFE, 0)
    directory += dir_entry("Workbook", 2, 0xFFFFFFFF, 0, len(stream))
    directory = directory.ljust(512, b"\0")
    body = stream.ljust(sectors * 512, b"\0") + directory + struct.pack("<%dI" % len(fat), *fat)
    return header + body


def rec(rtype, body=b""):
    return struct.pack("<HH", rtype, len(body)) + bytes(body)


def bof(kind):
    return rec(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))


EOF_REC = rec(0x000A)


def boundsheet(offset, name):
    encoded = name.encode("latin-1")
    return rec(0x0085, struct.pack("<IBBBB", offset, 0, 0, len(encoded), 0) + encoded)


def biff_stream(globals_records, sheet_bodies):
    """Globals with a BOUNDSHEET per sheet body, then the sheets."""
    head = bof(0x0005) + globals_records
    bounds_size = sum(len(boundsheet(0, "S%d" % i)) for i in range(len(sheet_bodies)))
    offset = len(head) + bounds_size + len(EOF_REC)
    bounds = b""
    sheets = b""
    for i, body in enumerate(sheet_bodies):
        data = bof(0x0010) + body + EOF_REC
        bounds += boundsheet(offset, "S%d" % i)
        offset += len(data)
        sheets += data
    return head + bounds + EOF_REC + sheets


# ---------------------------------------------------------------- the classes

def make(scale):
    """Yields (file name, bytes) for every class; scale is 1 for full size and
    small for the committed copies."""
    full = scale == 1

    def n(big, small):
        return big if full else small

    # Nested elements, each declaring a namespace prefix of its own, while naming
    # one declared outside them all.
    levels = n(1_000_000, 2_000)
    nested = streamed(['<a:e xmlns:a="urn:x">', '<a:e xmlns:b="urn:y">' * levels,
                       "</a:e>" * (levels + 1)])
    yield "xlsx_nested_namespaces.xlsx", zip_bytes(xlsx_entries(
        Entry("xl/worksheets/sheet1.xml", streamed([sheet_xml("").split("<sheetData>")[0],
                                                     nested, "<sheetData/></worksheet>"]))))
    yield "ods_nested_namespaces.ods", zip_bytes(ods_entries(
        '<table:table table:name="S"><table:table-row><table:table-cell>'
        + nested.decode() + "</table:table-cell></table:table-row></table:table>"))

    # Nesting without namespaces, never closed.
    deep = n(10_000_000, 5_000)
    yield "xlsx_deep_nesting.xlsx", zip_bytes(xlsx_entries(
        Entry("xl/worksheets/sheet1.xml", streamed([sheet_xml("").split("<sheetData>")[0],
                                                     "<sheetData><row>", "<x>" * deep]))))

    # One element with a great many attributes.
    count = n(200_000, 3_000)
    attributes = " ".join("a%x=''" % i for i in range(count))
    yield "xlsx_many_attributes.xlsx", zip_bytes(xlsx_entries(
        '<row r="1"><c r="A1" %s><v>1</v></c></row>' % attributes))

    # A million <sheet> entries whose relationship, last of a million, is a chart.
    sheets = n(1_000_000, 12_000)
    others = ('<Relationship Id="x" Type="%s/chartsheet" Target="c.xml"/>' % REL) * sheets
    rels = streamed(['<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s">' % PKG_REL,
                     others, '<Relationship Id="c" Type="%s/chartsheet" Target="c.xml"/>' % REL,
                     "</Relationships>"])
    listing = streamed(['<?xml version="1.0"?><workbook xmlns="%s" xmlns:r="%s"><sheets>'
                        % (MAIN, REL), '<sheet name="c" sheetId="1" r:id="c"/>' * sheets,
                        "</sheets></workbook>"])
    yield "xlsx_many_sheets.xlsx", zip_bytes(xlsx_entries(workbook=listing, workbook_rels=rels))

    # One sheet part named by many relationships, and by many zip names.
    sheets = n(10_000, 300)
    filler = Entry("xl/worksheets/sheet1.xml",
                   sheet_xml("", head="<sheetPr>" + "<x/>" * n(250_000, 100) + "</sheetPr>"))
    listing = workbook_xml("".join('<sheet name="S%d" sheetId="%d" r:id="r%d"/>' % (i, i + 1, i)
                                   for i in range(sheets)))
    rels = relationships([("r%d" % i, REL, "worksheet", "worksheets/sheet1.xml")
                          for i in range(sheets)])
    yield "xlsx_shared_sheet_part.xlsx", zip_bytes(xlsx_entries(
        filler, workbook=listing, workbook_rels=rels))
    listing = workbook_xml("".join('<sheet name="S%d" sheetId="%d" r:id="r%d"/>' % (i, i + 1, i)
                                   for i in range(sheets)))
    rels = relationships([("r%d" % i, REL, "worksheet", "worksheets/s%d.xml" % i)
                          for i in range(sheets)])
    entries = xlsx_entries(filler, workbook=listing, workbook_rels=rels)
    yield "xlsx_aliased_sheet_part.xlsx", zip_bytes(
        entries, aliases=[("xl/worksheets/s%d.xml" % i, len(entries) - 1) for i in range(sheets)])

    # A 500 MiB cell value, and a 500 M character sheet name.
    size = n(500 << 20, 2 << 20)
    yield "xlsx_huge_value.xlsx", zip_bytes(xlsx_entries(Entry(
        "xl/worksheets/sheet1.xml", streamed([sheet_xml("").split("<sheetData>")[0],
                                              '<sheetData><row r="1"><c r="A1"><v>',
                                              b"1" * size, "</v></c></row></sheetData>"
                                              "</worksheet>"]))))
    yield "xlsx_huge_sheet_name.xlsx", zip_bytes(xlsx_entries(workbook=streamed([
        workbook_xml("").split("<sheets>")[0], '<sheets><sheet name="', b"n" * size,
        '" sheetId="1" r:id="rId1"/></sheets></workbook>'])))

    # Elements and nothing else, as many as deflate packs into the file.
    count = n(130_000_000, 8_000_001)
    yield "xlsx_element_flood.xlsx", zip_bytes(xlsx_entries(Entry(
        "xl/worksheets/sheet1.xml", streamed([sheet_xml("").split("<sheetData>")[0],
                                              "<sheetData/>", b"<e/>" * count,
                                              "</worksheet>"]))))

    # Comments and blanks within every token bound, as many as deflate packs into
    # the file: bounded by the XML bytes a file may make the readers parse. Only at
    # full size, as no small file inflates that far.
    if full:
        token = b"<!--" + b"c" * ((8 << 20) - 8) + b"-->" + b" " * (8 << 20)
        yield "xlsx_comment_flood.xlsx", zip_bytes(xlsx_entries(Entry(
            "xl/worksheets/sheet1.xml", streamed([sheet_xml("").split("<sheetData>")[0],
                                                  "<sheetData/>", token * 30,
                                                  "</worksheet>"]))))

    # A comment longer than any token may be.
    size = n(500 << 20, (8 << 20) + 1)
    yield "xlsx_long_comment.xlsx", zip_bytes(xlsx_entries(Entry(
        "xl/worksheets/sheet1.xml", streamed([sheet_xml("").split("<sheetData>")[0], "<!--",
                                              b"c" * size, "--><sheetData/></worksheet>"]))))

    # An honest file at every bound at once: elements nested to the deepest level,
    # a start tag with the most attributes and namespace declarations, a text of
    # the longest length. It must read.
    declarations = " ".join('xmlns:p%d="urn:p%d"' % (i, i) for i in range(127))
    nesting = "<p0:e>" * 255 + "</p0:e>" * 255
    attributes = " ".join('p1:a%d="%d"' % (i, i) for i in range(126))
    yield "xlsx_at_the_limits.xlsx", zip_bytes(xlsx_entries(Entry(
        "xl/worksheets/sheet1.xml",
        '<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="%s" %s>%s<sheetData>'
        '<row r="1"><c r="A1" t="inlineStr" %s><is><t>%s</t></is></c></row>'
        "</sheetData></worksheet>" % (MAIN, declarations, nesting, attributes,
                                      "あ" * 1_000_000))))

    # Empty shared strings, a hundred million of them.
    count = n(100_000_000, 5_000_001)
    yield "xlsx_empty_shared_strings.xlsx", zip_bytes(xlsx_entries(shared=streamed([
        '<?xml version="1.0"?><sst xmlns="%s">' % MAIN, b"<si/>" * count, "</sst>"])))

    # A cell reference as long as a part may be, to be quoted in a message.
    size = n(500 << 20, 200_000)
    yield "xlsx_long_reference.xlsx", zip_bytes(xlsx_entries(Entry(
        "xl/worksheets/sheet1.xml", streamed([sheet_xml("").split("<sheetData>")[0],
                                              '<sheetData><row r="1"><c r="', b"A" * size,
                                              '"><v>1</v></c></row></sheetData></worksheet>']))))
    size = n(900_000, 200_000)
    yield "xlsx_long_shared_index.xlsx", zip_bytes(xlsx_entries(
        '<row r="1"><c r="A1" t="s"><v>%s</v></c></row>' % ("9" * size),
        shared='<?xml version="1.0"?><sst xmlns="%s"><si><t>x</t></si></sst>' % MAIN))

    # XML errors whose parser message would quote a name whole, or the raw bytes
    # of text that is not UTF-8 on a line of its own.
    yield "xlsx_long_mismatched_tag.xlsx", zip_bytes(xlsx_entries(
        '<row r="1"><c r="A1"><%s></c></row>' % ("n" * 900)))
    yield "ods_not_utf8.ods", zip_bytes([
        Entry("mimetype", ODS_MIMETYPE, method=0),
        Entry("content.xml", ODS_HEAD.encode() + b'<table:table table:name="S"><table:table-row>'
              b'<table:table-cell office:value-type="string"><text:p>\xff\xfe</text:p>'
              b"</table:table-cell></table:table-row></table:table>" + ODS_TAIL.encode())])

    # Lenient numbers: a style index that is no number, a 20-digit repeat count and
    # a duration naming the hours four times.
    styles = ('<?xml version="1.0"?><styleSheet xmlns="%s"><cellXfs><xf numFmtId="14"/>'
              "</cellXfs></styleSheet>" % MAIN)
    yield "xlsx_style_not_a_number.xlsx", zip_bytes(xlsx_entries(
        '<row r="1"><c r="A1" s="x"><v>45000</v></c></row>', styles=styles))
    yield "ods_repeat_20_digits.ods", zip_bytes(ods_entries(
        '<table:table table:name="S"><table:table-row><table:table-cell'
        ' table:number-columns-repeated="99999999999999999999" office:value-type="string">'
        "<text:p>x</text:p></table:table-cell></table:table-row></table:table>"))
    yield "ods_duration_repeated_unit.ods", zip_bytes(ods_entries(
        '<table:table table:name="S"><table:table-row><table:table-cell office:value-type="time"'
        ' office:time-value="PT1H1H1H1H"/></table:table-row></table:table>'))

    # A table-definition sheet whose one column row repeats a million times: a run
    # would write a million lines and the checks report two million findings.
    # Repeats cost no bytes, so the small file is the full one.
    def string(text):
        return ('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
                "</table:table-cell>" % text)
    table = ('<table:table table:name="T"><table:table-row table:number-rows-repeated="2"/>'
             '<table:table-row><table:table-cell table:number-columns-repeated="2"/>%s'
             '</table:table-row><table:table-row><table:table-cell'
             ' table:number-columns-repeated="2"/>%s</table:table-row>'
             '<table:table-row table:number-rows-repeated="2"/>'
             % (string("EMP"), string("Employee")))
    for name, repeat in [("ods_repeated_rows.ods", 1_000_000),
                         ("ods_repeated_rows_at_the_limit.ods", 100_001)]:
        yield name, zip_bytes(ods_entries(
            table + '<table:table-row table:number-rows-repeated="%d"><table:table-cell/>%s'
            "</table:table-row></table:table>" % (repeat, string("NAME"))))
    # A text of a million characters in three columns of a row repeated 17 times:
    # 51 million characters, one million more than the texts of a workbook may
    # hold; without the copies of the cell, or those of the row, they stay below.
    yield "ods_repeated_long_text.ods", zip_bytes(ods_entries(
        table + '<table:table-row table:number-rows-repeated="17"><table:table-cell/>'
        '<table:table-cell table:number-columns-repeated="3"><text:p>a<text:s text:c="999998"/>'
        "b</text:p></table:table-cell></table:table-row></table:table>"))

    # Zip entries: bzip2 with a lying compressed size, a wrong CRC, overlapping data
    # and two entries of one name.
    size = n(511 << 20, 4 << 20)
    bomb = Entry("xl/worksheets/sheet1.xml", streamed([
        sheet_xml("").split("<sheetData>")[0], "<sheetData/>", b" " * size, "</worksheet>"]),
        method=12)
    yield "zip_bzip2_bomb.xlsx", zip_bytes(xlsx_entries(bomb))
    # The same entry claiming to hold far more stored bytes than it does, so that
    # its ratio looks ordinary; stored padding after it keeps the claim inside
    # the file.
    padding = n(500_000, 8_000)
    entries = xlsx_entries(bomb) + [Entry("xl/media/padding.bin", bytes(padding), method=0)]
    yield "zip_lying_size.xlsx", zip_bytes(
        entries, claimed_sizes={len(entries) - 2: len(bomb.payload) + padding})
    good = xlsx_entries('<row r="1"><c r="A1" t="inlineStr"><is><t>x</t></is></c></row>')
    bad = good[:-1] + [Entry(good[-1].name.decode(), good[-1].data,
                             crc=good[-1].crc ^ 0x5A5A5A5A)]
    yield "zip_wrong_crc.xlsx", zip_bytes(bad)
    shared = xlsx_entries('<row r="1"><c r="A1" t="inlineStr"><is><t>x</t></is></c></row>')
    yield "zip_overlapping_entries.xlsx", zip_bytes(
        shared, aliases=[("xl/worksheets/sheet2.xml", len(shared) - 1)])
    # The first entry claiming stored bytes that run into the second one.
    yield "zip_first_entry_overlapping.xlsx", zip_bytes(
        shared, claimed_sizes={0: len(shared[0].payload) + 1})
    first = xlsx_entries('<row r="1"><c r="A1" t="inlineStr"><is><t>first</t></is></c></row>')
    second = Entry("xl/worksheets/sheet1.xml", sheet_xml(
        '<row r="1"><c r="A1" t="inlineStr"><is><t>second</t></is></c></row>'))
    yield "zip_duplicate_names.xlsx", zip_bytes(first + [second])

    # .xls: a shared string table followed by empty CONTINUE records, and sheets
    # whose BOUNDSHEET offsets point into a chain of nested BOF records.
    continues = n(60_000, 3_000)
    sst = rec(0x00FC, struct.pack("<II", continues, continues))
    sst += rec(0x003C, struct.pack("<HB", 1, 0) + b"a") * continues + rec(0x003C) * continues
    yield "xls_empty_continues.xls", compound_file(biff_stream(sst, [b""]))

    chain = n(50_000, 2_000)
    sheets = n(10_000, 200)
    head = bof(0x0005)
    bounds_size = sum(len(boundsheet(0, "S%d" % i)) for i in range(sheets))
    start = len(head) + bounds_size + len(EOF_REC)
    short_bof = rec(0x0809, struct.pack("<HHHH", 0x0600, 0x0010, 0, 0))
    nested = short_bof * chain + EOF_REC * chain
    step = len(short_bof)
    bounds = b"".join(boundsheet(start + i * step, "S%d" % i) for i in range(sheets))
    yield "xls_nested_bof.xls", compound_file(head + bounds + EOF_REC + nested)


def main(argv):
    small = "--small" in argv
    args = [a for a in argv if a != "--small"]
    if len(args) != 1:
        sys.exit(__doc__)
    os.makedirs(args[0], exist_ok=True)
    for name, data in make(0 if small else 1):
        with open(os.path.join(args[0], name), "wb") as out:
            out.write(data)
        print("%-36s %9d bytes" % (name, len(data)))


if __name__ == "__main__":
    main(sys.argv[1:])
