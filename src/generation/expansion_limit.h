#pragma once

#include <QString>
#include <atomic>

namespace tavrune {

// How far an expansion made for showing may go: it is given up once its cancel
// flag is raised, and it stops making column and index lines where the text made
// so far would pass a number of lines or characters. Under a limit the rows are
// made one after the other on the calling thread, so that they stop in order.
class ExpansionLimit
{
public:
    ExpansionLimit(const std::atomic_bool& cancelled, qsizetype maxLines, qsizetype maxChars);

    // Throws an error numbered UserDeclined once the flag is raised: nobody waits
    // for the work any more.
    void throwIfCancelled() const;
    // Whether lines more lines of chars characters, on top of those counted,
    // still fit.
    bool fits(qsizetype lines, qsizetype chars) const;
    // Counts text taken into the result.
    void count(qsizetype lines, qsizetype chars);
    // Lines were left out: the text stops short of what a run would write.
    void markCut() { m_cut = true; }
    bool isCut() const { return m_cut; }

private:
    const std::atomic_bool& m_cancelled;
    qsizetype m_maxLines;
    qsizetype m_maxChars;
    qsizetype m_lines = 0;
    qsizetype m_chars = 0;
    bool m_cut = false;
};

// Gives up work whose cancel flag was raised: throws an error numbered
// UserDeclined, which the work's boundary lets through.
void throwIfCancelled(const std::atomic_bool& cancelled);

// Lines in a text whose lines end in LF or CR LF; an empty text is one line.
qsizetype lineCount(const QString& text);

} // namespace tavrune
