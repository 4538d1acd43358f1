#pragma once

#include "common/user_interaction.h"

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QShowEvent;

namespace tavrune {

// The overwrite question with four answers, which a standard message box cannot
// offer: はい(&Y), すべて上書き(&A), いいえ(&N) and ｷｬﾝｾﾙ. Every
// showing lays the window out around the prompt, focuses いいえ(&N) and starts
// with the answer ｷｬﾝｾﾙ, so that Esc and closing the window answer ｷｬﾝｾﾙ.
class OverwriteQuestionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OverwriteQuestionDialog(QWidget* parent = nullptr);

    // Sets the caption (empty: "Tavrune for Excel") and the prompt; CR LF in the
    // prompt breaks its lines.
    void setQuestion(const QString& prompt, const QString& caption);
    // Asks modally with this window and returns the answer.
    Answer ask(const QString& prompt, const QString& caption);
    // The answer of the last showing.
    Answer answer() const { return m_answer; }

    // Asks modally with a window of its own, owned by parent, and returns the
    // answer.
    static Answer ask(const QString& prompt, const QString& caption, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* addButton(const QString& name, const QString& text, double left, double width);
    void answerWith(Answer code);
    // Sizes the window to the prompt, centres it on the screen and puts the button
    // row at its bottom.
    void layOut();
    // Takes the parent window's stay-on-top state and stays usable while the
    // parent window is disabled by a run.
    void prepareToShow();

    QLabel* m_icon = nullptr;
    QLabel* m_message = nullptr;
    QFrame* m_buttonRow = nullptr;
    QPushButton* m_yes = nullptr;
    QPushButton* m_all = nullptr;
    QPushButton* m_no = nullptr;
    QPushButton* m_cancel = nullptr;
    Answer m_answer;
};

} // namespace tavrune
