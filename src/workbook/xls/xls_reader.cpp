#include "workbook/xls/xls_reader.h"

#include "workbook/allocation_failure.h"
#include "workbook/number_format.h"
#include "workbook/unreadable_file.h"
#include "workbook/xls/biff_record_stream.h"
#include "workbook/xls/compound_file.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_set>

namespace tavrune {

namespace {

namespace Record {
constexpr quint16 Formula = 0x0006;
constexpr quint16 Eof = 0x000A;
constexpr quint16 DateMode = 0x0022;
constexpr quint16 FilePass = 0x002F;
constexpr quint16 Continue = 0x003C;
constexpr quint16 CodePage = 0x0042;
constexpr quint16 WsBool = 0x0081;
constexpr quint16 BoundSheet = 0x0085;
constexpr quint16 MulRk = 0x00BD;
constexpr quint16 RString = 0x00D6;
constexpr quint16 Xf = 0x00E0;
constexpr quint16 Sst = 0x00FC;
constexpr quint16 LabelSst = 0x00FD;
constexpr quint16 Number = 0x0203;
constexpr quint16 Label = 0x0204;
constexpr quint16 BoolErr = 0x0205;
constexpr quint16 String = 0x0207;
constexpr quint16 Array = 0x0221;
constexpr quint16 Table = 0x0236;
constexpr quint16 Rk = 0x027E;
constexpr quint16 Format = 0x041E;
constexpr quint16 SharedFormula = 0x04BC;
constexpr quint16 Bof = 0x0809;
} // namespace Record

constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kBiff5 = 0x0500;
constexpr quint16 kBofWorksheet = 0x0010;
constexpr quint8 kSheetTypeWorksheet = 0;
// In a sheet's WSBOOL record: the sheet is a dialog sheet, not a worksheet.
constexpr quint16 kWsBoolDialog = 0x0010;
// Enough for every XF index a cell can name.
constexpr qsizetype kMaxXfRecords = 65536;

struct SheetEntry
{
    QString name;
    quint32 offset = 0;
};

// A cell whose formula gave a text: the text comes in the STRING record after it.
struct PendingFormulaText
{
    quint16 row = 0;
    quint16 column = 0;
};

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    default: // 0x2A, and codes no writer uses read as "not available"
        return QStringLiteral("#N/A");
    }
}

// An RK value: a 30-bit integer or the top 30 bits of a double, optionally
// to be divided by 100.
double decodeRk(quint32 rk)
{
    double value = 0;
    if (rk & 0x02) {
        value = static_cast<qint32>(rk) >> 2;
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

const char* codePageName(quint16 codePage)
{
    switch (codePage) {
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 874:
        return "windows-874";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1252:
    case 32769:
        return "windows-1252";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 10000:
    case 32768:
        return "macintosh";
    case 1200:
        return "UTF-16LE";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
}

// A decoder for the byte strings of a BIFF5 file; Latin-1 for unknown code pages.
QStringDecoder decoderForCodePage(quint16 codePage)
{
    if (codePage == 932) {
        // The Windows variant of Shift_JIS, where the converter has it.
        for (const char* name : {"windows-31j", "Shift_JIS"}) {
            QStringDecoder decoder(name);
            if (decoder.isValid()) {
                return decoder;
            }
        }
    } else if (const char* name = codePageName(codePage)) {
        QStringDecoder decoder(name);
        if (decoder.isValid()) {
            return decoder;
        }
    }
    return QStringDecoder(QStringConverter::Latin1);
}

class XlsParser
{
public:
    XlsParser(const QString& path, const QByteArray& data)
        : m_path(path), m_records(data, m_path), m_decoder(decoderForCodePage(1252)),
          m_workbook(path)
    {
    }

    WorkbookData parse()
    {
        readGlobals();
        std::unordered_set<quint32> seen;
        std::vector<quint32> offsets;
        offsets.reserve(m_entries.size());
        for (const SheetEntry& entry : m_entries) {
            if (!seen.insert(entry.offset).second) {
                fail(QStringLiteral("シート \"%1\" の位置 %2 が他のシートと重なっています。")
                         .arg(entry.name)
                         .arg(entry.offset));
            }
            offsets.push_back(entry.offset);
        }
        std::sort(offsets.begin(), offsets.end());
        for (const SheetEntry& entry : m_entries) {
            // A sheet ends before the next sheet begins, so that no record is read
            // for two sheets: sheets pointing into one chain of nested BOF records
            // would otherwise each scan the rest of the chain.
            const auto next = std::upper_bound(offsets.begin(), offsets.end(), entry.offset);
            readSheet(entry, next == offsets.end() ? m_records.size() : qsizetype(*next));
        }
        return std::move(m_workbook);
    }

private:
    [[noreturn]] void fail(const QString& why) const { failUnreadable(m_path, why); }

    void readBof(const BiffRecord& record, quint16* version, quint16* type)
    {
        BiffBodyReader body(record, m_path);
        *version = body.readU16();
        *type = body.readU16();
    }

    // A byte string in the file's code page (BIFF5).
    QString decodeBytes(const QByteArray& bytes) { return m_decoder.decode(bytes); }

    // A cell text: BIFF8 unicode string with a 2-byte length, or BIFF5 byte string.
    QString readCellString(BiffBodyReader& body)
    {
        if (m_biff5) {
            const quint16 length = body.readU16();
            return decodeBytes(body.readBytes(length));
        }
        return body.readBiff8String(2);
    }

    void readGlobals()
    {
        if (m_records.atEnd()) {
            fail(QStringLiteral("ブックのストリームが空です。"));
        }
        const BiffRecord first = m_records.next();
        if (first.type != Record::Bof) {
            fail(QStringLiteral("ブックのストリームが BOF レコードで始まっていません "
                                "(Excel 5.0 より前の形式か、壊れたファイルです)。"));
        }
        quint16 version = 0;
        quint16 type = 0;
        readBof(first, &version, &type);
        if (version != kBiff8 && version != kBiff5) {
            fail(QStringLiteral("対応していない BIFF のバージョン 0x%1 です。")
                     .arg(version, 4, 16, QLatin1Char('0')));
        }
        m_biff5 = version == kBiff5;

        std::vector<quint16> xfFormats;
        QHash<quint16, NumberStyle> formatStyles;
        bool sawEof = false;
        while (!m_records.atEnd()) {
            const BiffRecord record = m_records.next();
            if (record.type == Record::Eof) {
                sawEof = true;
                break;
            }
            switch (record.type) {
            case Record::FilePass:
                fail(QStringLiteral(
                    "ファイルは暗号化されています (パスワードで保護されたブック)。"));
            case Record::CodePage: {
                BiffBodyReader body(record, m_path);
                m_decoder = decoderForCodePage(body.readU16());
                break;
            }
            case Record::DateMode: {
                BiffBodyReader body(record, m_path);
                m_workbook.setDate1904(body.readU16() == 1);
                break;
            }
            case Record::BoundSheet:
                readBoundSheet(record);
                break;
            case Record::Format: {
                BiffBodyReader body(record, m_path);
                const quint16 id = body.readU16();
                QString code;
                if (m_biff5) {
                    const quint8 length = body.readU8();
                    code = decodeBytes(body.readBytes(length));
                } else {
                    code = body.readBiff8String(2);
                }
                formatStyles.insert(id, classifyFormatCode(code));
                break;
            }
            case Record::Xf: {
                if (static_cast<qsizetype>(xfFormats.size()) >= kMaxXfRecords) {
                    break; // no cell can name an XF past this
                }
                BiffBodyReader body(record, m_path);
                body.skip(2); // font
                xfFormats.push_back(body.readU16());
                break;
            }
            case Record::Sst:
                readSharedStrings(record);
                break;
            default:
                break;
            }
        }
        if (!sawEof) {
            fail(QStringLiteral("ブック全体の部分が EOF レコードなしで終わっています。"));
        }

        // A format defined in the file wins over the built-in meaning of its id.
        m_xfStyles.reserve(xfFormats.size());
        for (quint16 format : xfFormats) {
            const auto it = formatStyles.constFind(format);
            m_xfStyles.push_back(it != formatStyles.cend() ? *it : classifyBuiltinFormat(format));
        }
    }

    void readBoundSheet(const BiffRecord& record)
    {
        BiffBodyReader body(record, m_path);
        SheetEntry entry;
        entry.offset = body.readU32();
        body.readU8(); // visibility: hidden sheets are listed too
        const quint8 sheetType = body.readU8();
        if (m_biff5) {
            const quint8 length = body.readU8();
            entry.name = decodeBytes(body.readBytes(length));
        } else {
            entry.name = body.readBiff8String(1);
        }
        if (sheetType == kSheetTypeWorksheet) {
            m_entries.push_back(std::move(entry));
        }
    }

    void readSharedStrings(const BiffRecord& record)
    {
        BiffBodyReader body(record, m_path);
        while (m_records.peekType() == Record::Continue) {
            body.addContinue(m_records.next().body);
        }
        body.skip(4); // total count of uses
        // The unique count bounds how many are read but never sizes anything.
        const quint32 unique = body.readU32();
        while (m_sharedStrings.size() < unique && body.remaining() > 0) {
            m_sharedStrings.push_back(m_workbook.addString(body.readBiff8String(2)));
        }
    }

    NumberStyle styleOf(quint16 xf) const
    {
        return xf < m_xfStyles.size() ? m_xfStyles[xf] : NumberStyle::General;
    }

    // Checks the cell's place and turns it into 1-based numbers.
    Cell makeCell(const SheetData& sheet, quint16 row, quint16 column) const
    {
        if (quint32(column) + 1 > kMaxColumn) {
            fail(QStringLiteral("シート \"%1\" の %2 行目の列番号 %3 が範囲外です。")
                     .arg(sheet.name())
                     .arg(quint32(row) + 1)
                     .arg(quint32(column) + 1));
        }
        Cell cell;
        cell.row = quint32(row) + 1;
        cell.column = static_cast<quint16>(column + 1);
        return cell;
    }

    void addNumber(SheetData& sheet, quint16 row, quint16 column, quint16 xf, double value)
    {
        Cell cell = makeCell(sheet, row, column);
        cell.kind = CellKind::Number;
        cell.style = styleOf(xf);
        cell.number = value;
        m_workbook.addCell(sheet, cell);
    }

    void addText(SheetData& sheet, quint16 row, quint16 column, const QString& text)
    {
        if (text.isEmpty()) {
            return; // an empty text reads like an empty cell
        }
        Cell cell = makeCell(sheet, row, column);
        cell.kind = CellKind::Text;
        cell.text = m_workbook.addString(text);
        m_workbook.addCell(sheet, cell);
    }

    void addBoolean(SheetData& sheet, quint16 row, quint16 column, bool value)
    {
        Cell cell = makeCell(sheet, row, column);
        cell.kind = CellKind::Boolean;
        cell.number = value ? 1 : 0;
        m_workbook.addCell(sheet, cell);
    }

    void addError(SheetData& sheet, quint16 row, quint16 column, quint8 code)
    {
        Cell cell = makeCell(sheet, row, column);
        cell.kind = CellKind::Error;
        cell.text = errorIndex(code);
        m_workbook.addCell(sheet, cell);
    }

    // Each error text goes into the pool once.
    quint32 errorIndex(quint8 code)
    {
        const auto it = m_errorTexts.constFind(code);
        if (it != m_errorTexts.cend()) {
            return *it;
        }
        const quint32 index = m_workbook.addString(errorText(code));
        m_errorTexts.insert(code, index);
        return index;
    }

    void readSheet(const SheetEntry& entry, qsizetype end)
    {
        SheetData& sheet = m_workbook.addSheet(entry.name);
        if (entry.offset >= m_records.size()) {
            fail(QStringLiteral("シート \"%1\" の位置 %2 がストリームの範囲 (%3 バイト) の外です。")
                     .arg(entry.name)
                     .arg(entry.offset)
                     .arg(m_records.size()));
        }
        m_records.seek(entry.offset);
        const BiffRecord bof = m_records.next();
        quint16 version = 0;
        quint16 type = 0;
        if (bof.type == Record::Bof) {
            readBof(bof, &version, &type);
        }
        if (bof.type != Record::Bof || type != kBofWorksheet) {
            fail(QStringLiteral(
                     "シート \"%1\" の位置 %2 にワークシートの BOF レコードがありません。")
                     .arg(entry.name)
                     .arg(entry.offset));
        }

        int depth = 0; // of charts and other parts nested inside the sheet
        std::optional<PendingFormulaText> pending;
        bool sawEof = false;
        bool dialog = false;
        while (!m_records.atEnd()) {
            if (m_records.position() >= end) {
                fail(QStringLiteral("シート \"%1\" が EOF レコードの前に次のシートの位置 %2 に"
                                    "達しています。")
                         .arg(entry.name)
                         .arg(end));
            }
            const BiffRecord record = m_records.next();
            if (record.type == Record::Bof) {
                ++depth;
                continue;
            }
            if (record.type == Record::Eof) {
                if (depth == 0) {
                    sawEof = true;
                    break;
                }
                --depth;
                continue;
            }
            if (depth > 0) {
                continue;
            }
            if (record.type == Record::WsBool && record.body.size() >= 2) {
                dialog = (BiffBodyReader(record, m_path).readU16() & kWsBoolDialog) != 0;
                continue;
            }
            if (pending && record.type != Record::String && record.type != Record::SharedFormula &&
                record.type != Record::Array && record.type != Record::Table) {
                pending.reset(); // no text came for the formula: leave the cell empty
            }
            readCellRecord(sheet, record, pending);
        }
        if (!sawEof) {
            fail(QStringLiteral("シート \"%1\" が EOF レコードなしで終わっています。")
                     .arg(entry.name));
        }
        if (dialog) {
            // Dialog sheets are listed like worksheets in the sheet list; only
            // their own flag tells them apart, and they are not worksheets.
            m_workbook.sheets().pop_back();
            return;
        }
        sheet.finish();
    }

    void readCellRecord(SheetData& sheet, const BiffRecord& record,
                        std::optional<PendingFormulaText>& pending)
    {
        switch (record.type) {
        case Record::LabelSst: {
            BiffBodyReader body(record, m_path);
            const quint16 row = body.readU16();
            const quint16 column = body.readU16();
            body.skip(2);
            const quint32 index = body.readU32();
            if (index >= m_sharedStrings.size()) {
                fail(QStringLiteral("シート \"%1\" のセル %2 の共有文字列番号 %3 が範囲外です "
                                    "(共有文字列は %4 個)。")
                         .arg(sheet.name(), cellName(row, column))
                         .arg(index)
                         .arg(m_sharedStrings.size()));
            }
            Cell cell = makeCell(sheet, row, column);
            cell.kind = CellKind::Text;
            cell.text = m_sharedStrings[index];
            if (!m_workbook.string(cell.text).isEmpty()) {
                m_workbook.addCell(sheet, cell);
            }
            break;
        }
        case Record::Label:
        case Record::RString: {
            BiffBodyReader body(record, m_path);
            const quint16 row = body.readU16();
            const quint16 column = body.readU16();
            body.skip(2);
            addText(sheet, row, column, readCellString(body));
            break;
        }
        case Record::Number: {
            BiffBodyReader body(record, m_path);
            const quint16 row = body.readU16();
            const quint16 column = body.readU16();
            const quint16 xf = body.readU16();
            addNumber(sheet, row, column, xf, body.readF64());
            break;
        }
        case Record::Rk: {
            BiffBodyReader body(record, m_path);
            const quint16 row = body.readU16();
            const quint16 column = body.readU16();
            const quint16 xf = body.readU16();
            addNumber(sheet, row, column, xf, decodeRk(body.readU32()));
            break;
        }
        case Record::MulRk: {
            BiffBodyReader body(record, m_path);
            const quint16 row = body.readU16();
            quint16 column = body.readU16();
            // Pairs of XF index and RK value, then the last column.
            while (body.remaining() >= 8) {
                const quint16 xf = body.readU16();
                addNumber(sheet, row, column, xf, decodeRk(body.readU32()));
                if (column == 0xFFFF) {
                    break;
                }
                ++column;
            }
            break;
        }
        case Record::BoolErr: {
            BiffBodyReader body(record, m_path);
            const quint16 row = body.readU16();
            const quint16 column = body.readU16();
            body.skip(2);
            const quint8 value = body.readU8();
            if (body.readU8() != 0) {
                addError(sheet, row, column, value);
            } else {
                addBoolean(sheet, row, column, value != 0);
            }
            break;
        }
        case Record::Formula:
            readFormula(sheet, record, pending);
            break;
        case Record::String: {
            if (!pending) {
                break;
            }
            BiffBodyReader body(record, m_path);
            while (m_records.peekType() == Record::Continue) {
                body.addContinue(m_records.next().body);
            }
            addText(sheet, pending->row, pending->column, readCellString(body));
            pending.reset();
            break;
        }
        default:
            break;
        }
    }

    void readFormula(SheetData& sheet, const BiffRecord& record,
                     std::optional<PendingFormulaText>& pending)
    {
        BiffBodyReader body(record, m_path);
        const quint16 row = body.readU16();
        const quint16 column = body.readU16();
        const quint16 xf = body.readU16();
        if (body.remaining() < 8) {
            fail(QStringLiteral("シート \"%1\" のセル %2 の数式レコードが途中で切れています。")
                     .arg(sheet.name(), cellName(row, column)));
        }
        const QByteArray result = body.readBytes(8);
        const uchar* bytes = reinterpret_cast<const uchar*>(result.constData());
        if (bytes[6] != 0xFF || bytes[7] != 0xFF) {
            addNumber(sheet, row, column, xf, qFromLittleEndian<double>(bytes));
            return;
        }
        // A result that is not a number: its kind in the first byte.
        switch (bytes[0]) {
        case 0:                           // text, in the STRING record that follows
            makeCell(sheet, row, column); // checks the place now
            pending = PendingFormulaText{row, column};
            break;
        case 1:
            addBoolean(sheet, row, column, bytes[2] != 0);
            break;
        case 2:
            addError(sheet, row, column, bytes[2]);
            break;
        default: // 3: an empty text
            break;
        }
    }

    static QString cellName(quint16 row, quint16 column)
    {
        if (quint32(column) + 1 > kMaxColumn) {
            return QStringLiteral("R%1C%2").arg(quint32(row) + 1).arg(quint32(column) + 1);
        }
        return formatCellAddress({quint32(row) + 1, static_cast<quint16>(column + 1)});
    }

    const QString& m_path;
    BiffRecordStream m_records;
    QStringDecoder m_decoder;
    bool m_biff5 = false;
    std::vector<SheetEntry> m_entries;
    std::vector<quint32> m_sharedStrings;
    std::vector<NumberStyle> m_xfStyles;
    QHash<quint8, quint32> m_errorTexts;
    WorkbookData m_workbook;
};

} // namespace

WorkbookData readXlsWorkbook(const QString& path)
{
    return readReportingAllocationFailure(path, [&path] {
        const QByteArray data = readXlsWorkbookStream(path);
        return XlsParser(path, data).parse();
    });
}

} // namespace tavrune
