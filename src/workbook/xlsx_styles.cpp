#include "workbook/xlsx_styles.h"

#include "workbook/number_format.h"
#include "workbook/xlsx_package.h"

#include <QHash>

namespace tavrune {

std::vector<NumberStyle> readXlsxCellStyles(ZipArchive& archive, const QString& part)
{
    XlsxPartReader reader(archive, part);
    QHash<int, NumberStyle> customFormats; // numFmtId -> style of its format code
    std::vector<int> formatIds;            // numFmtId of each cell format
    bool inNumFmts = false;                // <numFmt> also appears in differential formats (<dxfs>)
    bool inCellXfs = false;
    while (reader.next() != QXmlStreamReader::EndDocument) {
        if (reader.isStart(XlsxNamespace::Main, u"numFmts")) {
            inNumFmts = true;
        } else if (reader.isEnd(XlsxNamespace::Main, u"numFmts")) {
            inNumFmts = false;
        } else if (inNumFmts && reader.isStart(XlsxNamespace::Main, u"numFmt")) {
            const QXmlStreamAttributes attributes = reader.xml().attributes();
            bool ok = false;
            const int id = attributes.value(QLatin1String("numFmtId")).toInt(&ok);
            if (ok) {
                customFormats.insert(
                    id, classifyFormatCode(attributes.value(QLatin1String("formatCode"))));
            }
        } else if (reader.isStart(XlsxNamespace::Main, u"cellXfs")) {
            inCellXfs = true;
        } else if (reader.isEnd(XlsxNamespace::Main, u"cellXfs")) {
            inCellXfs = false;
        } else if (inCellXfs && reader.isStart(XlsxNamespace::Main, u"xf")) {
            // A missing or unreadable id is General (0).
            formatIds.push_back(reader.xml().attributes().value(QLatin1String("numFmtId")).toInt());
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
