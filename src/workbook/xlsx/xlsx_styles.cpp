#include "workbook/xlsx/xlsx_styles.h"

#include "workbook/number_format.h"
#include "workbook/quoted_text.h"
#include "workbook/strict_number.h"
#include "workbook/xlsx/xlsx_package.h"

#include <QHash>
#include <climits>

namespace tavrune {

namespace {

// A numFmtId: missing is General (0); anything but a number is damage.
int formatId(XlsxPartReader& reader, QStringView value)
{
    if (value.isEmpty()) {
        return 0;
    }
    const std::optional<quint64> id = parseDecimal(value, INT_MAX);
    if (!id) {
        reader.fail(QStringLiteral("%1 の書式番号 \"%2\" が不正です")
                        .arg(reader.part(), quotedText(value)));
    }
    return static_cast<int>(*id);
}

} // namespace

std::vector<NumberStyle> readXlsxCellStyles(ZipArchive& archive, const QString& part)
{
    XlsxPartReader reader(archive, part);
    const auto checkCount = [&reader](qsizetype count) {
        if (count >= kMaxXlsxCellFormats) {
            reader.fail(QStringLiteral("%1 の書式の数が上限 %2 を超えています")
                            .arg(reader.part())
                            .arg(kMaxXlsxCellFormats));
        }
    };
    QHash<int, NumberStyle> customFormats; // numFmtId -> style of its format code
    std::vector<int> formatIds;            // numFmtId of each cell format
    bool inNumFmts = false;                // <numFmt> also appears in differential formats (<dxfs>)
    bool inCellXfs = false;
    while (reader.next() != QXmlStreamReader::EndDocument) {
        if (reader.isStart(XmlNamespace::Spreadsheet, u"numFmts")) {
            inNumFmts = true;
        } else if (reader.isEnd(XmlNamespace::Spreadsheet, u"numFmts")) {
            inNumFmts = false;
        } else if (inNumFmts && reader.isStart(XmlNamespace::Spreadsheet, u"numFmt")) {
            checkCount(customFormats.size());
            const QXmlStreamAttributes attributes = reader.xml().attributes();
            const int id = formatId(reader, attributes.value(QLatin1String("numFmtId")));
            customFormats.insert(id,
                                 classifyFormatCode(attributes.value(QLatin1String("formatCode"))));
        } else if (reader.isStart(XmlNamespace::Spreadsheet, u"cellXfs")) {
            inCellXfs = true;
        } else if (reader.isEnd(XmlNamespace::Spreadsheet, u"cellXfs")) {
            inCellXfs = false;
        } else if (inCellXfs && reader.isStart(XmlNamespace::Spreadsheet, u"xf")) {
            checkCount(static_cast<qsizetype>(formatIds.size()));
            formatIds.push_back(
                formatId(reader, reader.xml().attributes().value(QLatin1String("numFmtId"))));
        }
    }
    // Formats may follow the cell formats in a part, so classify once all are read.
    std::vector<NumberStyle> styles;
    styles.reserve(formatIds.size());
    for (int id : formatIds) {
        const auto custom = customFormats.constFind(id);
        styles.push_back(custom != customFormats.constEnd() ? custom.value()
                                                            : classifyBuiltinFormat(id));
    }
    return styles;
}

} // namespace tavrune
