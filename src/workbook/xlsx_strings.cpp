#include "workbook/xlsx_strings.h"

#include "workbook/workbook_data.h"
#include "workbook/xlsx_package.h"
#include "workbook/zip_archive.h"

namespace tavrune {

QString readXlsxStringItem(XlsxPartReader& reader)
{
    QString text;
    for (int depth = 1; depth > 0;) {
        switch (reader.next()) {
        case QXmlStreamReader::StartElement:
            if (reader.elementNamespace() == XlsxNamespace::Main) {
                const QStringView name = reader.xml().name();
                if (name == u"t") {
                    // <t> directly in the item or in a run <r>.
                    reader.appendElementText(text);
                    break;
                }
                if (name == u"rPh" || name == u"phoneticPr") {
                    reader.skipElement(); // the reading aid, not part of the text
                    break;
                }
            }
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::EndDocument:
            reader.fail(QStringLiteral("%1 が途中で終わっています").arg(reader.part()));
        default:
            break;
        }
    }
    return decodeXlsxEscapes(text);
}

XlsxSharedStrings readXlsxSharedStrings(ZipArchive& archive, const QString& part,
                                        WorkbookData& workbook)
{
    XlsxPartReader reader(archive, part);
    XlsxSharedStrings strings;
    strings.first = static_cast<quint32>(workbook.stringCount());
    while (reader.next() != QXmlStreamReader::EndDocument) {
        if (reader.isStart(XlsxNamespace::Main, u"si")) {
            const QString text = readXlsxStringItem(reader);
            workbook.addString(text);
            archive.grantForText(text.size(), true);
            ++strings.count;
        }
    }
    return strings;
}

} // namespace tavrune
