#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <sys/resource.h>

namespace tavrune::test {

// The whole file, or the text "<unreadable>" when it cannot be read, so that a
// comparison with expected bytes fails visibly.
QByteArray readBytes(const QString& path);

// Replaces the file's content; a test failure when it cannot be written.
void writeBytes(const QString& path, const QByteArray& bytes);

// Runs work while no file of the process may grow beyond bytes, with SIGXFSZ
// ignored: a write past the limit fails with EFBIG as one on a full disk fails.
void withFileSizeLimit(rlim_t bytes, const std::function<void()>& work);

} // namespace tavrune::test
