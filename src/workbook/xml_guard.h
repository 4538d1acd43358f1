#pragma once

#include <QString>
#include <QXmlStreamReader>

namespace tavrune {

class ZipEntryDevice;

// Reads the next token of a workbook part. A document type declaration is refused
// (workbook parts never carry one, and entity expansion could be abused); a
// malformed document, or an entry that stopped at a bound, throws an error naming
// the file and the part.
QXmlStreamReader::TokenType readNextToken(QXmlStreamReader& xml, const ZipEntryDevice& device,
                                          const QString& file, const QString& part);

} // namespace tavrune
