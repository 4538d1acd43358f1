#include "generation/expansion_limit.h"

#include "common/error.h"

namespace tavrune {

ExpansionLimit::ExpansionLimit(const std::atomic_bool& cancelled, qsizetype maxLines,
                               qsizetype maxChars)
    : m_cancelled(cancelled), m_maxLines(maxLines), m_maxChars(maxChars)
{
}

void ExpansionLimit::throwIfCancelled() const
{
    tavrune::throwIfCancelled(m_cancelled);
}

bool ExpansionLimit::fits(qsizetype lines, qsizetype chars) const
{
    return m_lines + lines <= m_maxLines && m_chars + chars <= m_maxChars;
}

void ExpansionLimit::count(qsizetype lines, qsizetype chars)
{
    m_lines += lines;
    m_chars += chars;
}

void throwIfCancelled(const std::atomic_bool& cancelled)
{
    if (cancelled) {
        throw Error(ErrorNumber::UserDeclined, QStringLiteral("中断しました"));
    }
}

qsizetype lineCount(const QString& text)
{
    return text.count(u'\n') + 1;
}

} // namespace tavrune
