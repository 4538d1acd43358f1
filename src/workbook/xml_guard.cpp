#include "workbook/xml_guard.h"

#include "common/error.h"
#include "workbook/zip_archive.h"

namespace tavrune {

QXmlStreamReader::TokenType readNextToken(QXmlStreamReader& xml, const ZipEntryDevice& device,
                                          const QString& file, const QString& part)
{
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::DTD) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("ファイル \"%1\" を読み込めません: %2 に文書型宣言があります")
                        .arg(file, part));
    }
    if (token == QXmlStreamReader::Invalid) {
        const QString why = !device.failure().isEmpty()
                                ? device.failure()
                                : QStringLiteral("%1 の XML が不正です (%2 行 %3: %4)")
                                      .arg(part)
                                      .arg(xml.lineNumber())
                                      .arg(xml.columnNumber())
                                      .arg(xml.errorString());
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("ファイル \"%1\" を読み込めません: %2").arg(file, why));
    }
    return token;
}

} // namespace tavrune
