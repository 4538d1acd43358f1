#include "gui/run/progress_dialog.h"

#include "common/user_interaction.h"
#include "gui/twips.h"
#include "gui/window_services.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace tavrune {

namespace {

// Sizes in twips; a reading names a file, which needs the wider window.
constexpr double kClientWidth = 2115;
constexpr double kReadingClientWidth = 4515;
constexpr double kClientHeight = 915;
constexpr double kButtonWidth = 1215;

} // namespace

ProgressDialog::ProgressDialog(UserInteraction& interaction, bool& cancelFlag, QWidget* mainWindow,
                               Kind kind)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint),
      m_interaction(interaction), m_cancelFlag(cancelFlag), m_kind(kind)
{
    const double width = kind == Kind::Run ? kClientWidth : kReadingClientWidth;
    setObjectName(QStringLiteral("frmCancel"));
    setWindowTitle(kind == Kind::Run       ? QStringLiteral("ファイル作成中")
                   : kind == Kind::Reading ? QStringLiteral("ファイル読み込み中")
                                           : QStringLiteral("データベース読み込み中"));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint, isTopMost(mainWindow));
    setFixedSize(twipsToPixelsX(*this, width), twipsToPixelsY(*this, kClientHeight));

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMsg"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setGeometry(twipsRect(*this, 0, 150, width, 315));

    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setGeometry(twipsRect(*this, (width - kButtonWidth) / 2, 450, kButtonWidth, 315));
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::askToCancel);
}

void ProgressDialog::setProgressText(const QString& text)
{
    m_message->setText(
        m_message->fontMetrics().elidedText(text, Qt::ElideMiddle, m_message->width()));
}

void ProgressDialog::reject()
{
    askToCancel();
}

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    askToCancel();
}

void ProgressDialog::askToCancel()
{
    if (m_kind != Kind::Run) {
        m_cancelFlag = true;
        Q_EMIT cancelled();
        return;
    }
    // The question is modal, but a second request could still arrive while it is
    // up (a close request from the window manager, say): one question at a time.
    if (m_asking) {
        return;
    }
    m_asking = true;
    try {
        if (m_interaction.showMessage(QStringLiteral("ファイル作成を中断しますか？"),
                                      MessageIcon::Question, MessageButtons::YesNo,
                                      Answer::No) == Answer::Yes) {
            m_cancelFlag = true;
            Q_EMIT cancelled();
        }
    } catch (...) {
        // This runs inside the event loop, which must not see exceptions; a question
        // that failed leaves the run going, as No does.
    }
    m_asking = false;
}

} // namespace tavrune
