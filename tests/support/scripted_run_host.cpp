#include "support/scripted_run_host.h"

#include <gtest/gtest.h>

namespace tavrune::test {

namespace {

QString iconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QStringLiteral("none");
    case MessageIcon::Stop:
        return QStringLiteral("stop");
    case MessageIcon::Question:
        return QStringLiteral("question");
    case MessageIcon::Exclamation:
        return QStringLiteral("exclamation");
    case MessageIcon::Information:
        return QStringLiteral("information");
    }
    return {};
}

QString buttonsName(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QStringLiteral("ok");
    case MessageButtons::OkCancel:
        return QStringLiteral("ok-cancel");
    case MessageButtons::YesNo:
        return QStringLiteral("yes-no");
    case MessageButtons::YesAllNoCancel:
        return QStringLiteral("yes-all-no-cancel");
    }
    return {};
}

QString answerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QStringLiteral("ok");
    case Answer::Cancel:
        return QStringLiteral("cancel");
    case Answer::Yes:
        return QStringLiteral("yes");
    case Answer::No:
        return QStringLiteral("no");
    case Answer::OverwriteAll:
        return QStringLiteral("all");
    }
    return {};
}

} // namespace

Answer ScriptedRunHost::nextAnswer(const QString& question)
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << question.toStdString();
        return Answer::Cancel;
    }
    const Answer code = m_answers.front();
    m_answers.pop_front();
    return code;
}

Answer ScriptedRunHost::showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                                    Answer defaultAnswer)
{
    if (buttons == MessageButtons::Ok) {
        m_log.append(QStringLiteral("message %1: %2").arg(iconName(icon), text));
        return Answer::Ok;
    }
    m_log.append(QStringLiteral("question %1 %2 %3: %4")
                     .arg(iconName(icon), buttonsName(buttons))
                     .arg(answerName(defaultAnswer))
                     .arg(text));
    return nextAnswer(text);
}

Answer ScriptedRunHost::askYesAllNoCancel(const QString& prompt, const QString& caption)
{
    EXPECT_EQ(caption, QStringLiteral("Tavrune for Excel"));
    m_log.append(QStringLiteral("ask: ") + prompt);
    return nextAnswer(prompt);
}

void ScriptedRunHost::beginRun()
{
    m_log.append(QStringLiteral("begin"));
    m_yields = 0;
}

void ScriptedRunHost::setProgressText(const QString& text)
{
    m_log.append(QStringLiteral("progress: ") + text);
}

void ScriptedRunHost::endRun()
{
    m_log.append(QStringLiteral("end"));
}

void ScriptedRunHost::processEvents()
{
    m_log.append(QStringLiteral("yield"));
    if (++m_yields == m_cancelAtYield) {
        m_cancel = true;
    }
}

QStringList ScriptedRunHost::logWithoutYields() const
{
    QStringList result;
    for (const QString& entry : m_log) {
        if (entry != u"yield") {
            result.append(entry);
        }
    }
    return result;
}

} // namespace tavrune::test
