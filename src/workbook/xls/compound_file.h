#pragma once

#include <QByteArray>
#include <QString>

namespace tavrune {

// The largest workbook stream an .xls file may hold.
constexpr qint64 kMaxXlsWorkbookStreamSize = 256 * 1024 * 1024;

// Reads the workbook stream ("Workbook", or "Book" for older files) out of an .xls
// compound file. Throws an error naming the file when it is not a compound file,
// holds an encrypted package instead of a workbook, has no workbook stream or the
// stream is larger than kMaxXlsWorkbookStreamSize.
QByteArray readXlsWorkbookStream(const QString& path);

} // namespace tavrune
