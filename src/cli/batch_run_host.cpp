#include "cli/batch_run_host.h"

#include "cli/terminal_text.h"

namespace tavrune {

BatchRunHost::BatchRunHost(QTextStream& err, bool overwrite) : m_err(err), m_overwrite(overwrite) {}

void BatchRunHost::print(const QString& text)
{
    m_err << terminalMessage(text) << '\n';
    m_err.flush();
}

Answer BatchRunHost::showMessage(const QString& text, MessageIcon, MessageButtons buttons,
                                 Answer defaultAnswer)
{
    if (buttons == MessageButtons::Ok) {
        print(text);
        return Answer::Ok;
    }
    // The directory question defaults to OK, the one-file overwrite question to
    // Cancel; --overwrite answers OK to both.
    const Answer answer =
        m_overwrite && buttons == MessageButtons::OkCancel ? Answer::Ok : defaultAnswer;
    if (answer == Answer::Cancel) {
        print(text);
        print(QStringLiteral("(上書きするには --overwrite を指定してください)"));
    }
    return answer;
}

Answer BatchRunHost::askYesAllNoCancel(const QString& prompt, const QString&)
{
    if (m_overwrite) {
        return Answer::OverwriteAll;
    }
    print(prompt);
    print(QStringLiteral("(上書きするには --overwrite を指定してください)"));
    return Answer::Cancel;
}

} // namespace tavrune
