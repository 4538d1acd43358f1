#include "cli/stream_output_target.h"

#include "common/error.h"
#include "generation/output_files.h"

namespace tavrune {

StreamOutputTarget::StreamOutputTarget(QIODevice& out) : m_out(out) {}

void StreamOutputTarget::OpenOutputFile(const QString& path)
{
    m_path = path;
}

void StreamOutputTarget::WriteOutputLine(const QString& text)
{
    const QByteArray bytes = encodeOutputLine(text, m_path);
    if (m_out.write(bytes) != bytes.size()) {
        throw Error(ErrorNumber::PathFileAccess,
                    QStringLiteral("標準出力に書き込めません: %1").arg(m_out.errorString()));
    }
}

} // namespace tavrune
