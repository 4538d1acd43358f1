#include "cli/stream_output_target.h"

#include "common/error.h"
#include "common/system_error_text.h"

#include <QFileDevice>
#include <cerrno>

namespace tavrune {

StreamOutputTarget::StreamOutputTarget(QIODevice& out) : m_out(out) {}

void StreamOutputTarget::writeOutputLine(const QByteArray& line)
{
    errno = 0;
    if (m_out.write(line) != line.size()) {
        fail();
    }
}

void StreamOutputTarget::commitOutputFile()
{
    // What a file device holds back must reach the stream before a file counts as
    // written, so that a full disk stops the run.
    auto* file = qobject_cast<QFileDevice*>(&m_out);
    errno = 0;
    if (file && !file->flush()) {
        fail();
    }
}

void StreamOutputTarget::fail()
{
    // A file device keeps only the system's English text; errno still holds the
    // reason right after the failed call.
    const int error = errno;
    throw Error(ErrorNumber::PathFileAccess,
                QStringLiteral("標準出力に書き込めません: %1")
                    .arg(error != 0 ? systemErrorText(error) : m_out.errorString()));
}

QString StreamOutputTarget::destinationPhrase(const QString&) const
{
    return QStringLiteral("標準出力に");
}

} // namespace tavrune
