#pragma once

#include <QByteArray>
#include <QString>

namespace tavrune::test {

// The whole file, or the text "<unreadable>" when it cannot be read, so that a
// comparison with expected bytes fails visibly.
QByteArray readBytes(const QString& path);

// Replaces the file's content; a test failure when it cannot be written.
void writeBytes(const QString& path, const QByteArray& bytes);

} // namespace tavrune::test
