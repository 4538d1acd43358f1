#include "gui/run/overwrite_question_dialog.h"

#include "common/user_interaction.h"
#include "gui/twips.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <cmath>

namespace tavrune {

namespace {

const QString kDefaultCaption = QStringLiteral("Tavrune for Excel");

// Positions and sizes in twips.
constexpr double kIconLeft = 150;
constexpr double kIconTop = 150;
constexpr double kIconSize = 480;
constexpr int kIconPixels = 32;
constexpr double kMessageLeft = 900;
constexpr double kMessageTop = 150;
constexpr double kRowWidth = 5115;
constexpr double kRowHeight = 315;
constexpr double kButtonHeight = 315;
constexpr double kRightMargin = 500;
constexpr double kMinimumSideSpace = 1000;
constexpr double kBottomSpace = 1000;
constexpr double kRowBottomGap = 200;

} // namespace

OverwriteQuestionDialog::OverwriteQuestionDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_answer(Answer::Cancel)
{
    setObjectName(QStringLiteral("frmMsg"));
    setWindowTitle(kDefaultCaption);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("imgQuestion"));
    m_icon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(kIconPixels, kIconPixels));
    m_icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_icon->setGeometry(twipsRect(*this, kIconLeft, kIconTop, kIconSize, kIconSize));

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMsg"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->move(twipsToPixelsX(*this, kMessageLeft), twipsToPixelsY(*this, kMessageTop));

    m_buttonRow = new QFrame(this);
    m_buttonRow->setObjectName(QStringLiteral("fraCommand"));
    m_buttonRow->setFrameShape(QFrame::NoFrame);
    m_buttonRow->resize(twipsToPixelsX(*this, kRowWidth), twipsToPixelsY(*this, kRowHeight));

    m_yes = addButton(QStringLiteral("cmdYes"), QStringLiteral("はい(&Y)"), 0, 1065);
    m_all = addButton(QStringLiteral("cmdAll"), QStringLiteral("すべて上書き(&A)"), 1200, 1515);
    m_no = addButton(QStringLiteral("cmdNo"), QStringLiteral("いいえ(&N)"), 2850, 1065);
    m_cancel = addButton(QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"), 4050, 1065);
    setTabOrder(m_yes, m_all);
    setTabOrder(m_all, m_no);
    setTabOrder(m_no, m_cancel);

    connect(m_yes, &QPushButton::clicked, this, [this] { answerWith(Answer::Yes); });
    connect(m_all, &QPushButton::clicked, this, [this] { answerWith(Answer::OverwriteAll); });
    connect(m_no, &QPushButton::clicked, this, [this] { answerWith(Answer::No); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { answerWith(Answer::Cancel); });
    // Esc and the title bar's close button reject the dialog and leave the answer
    // at the 2 set on showing.
}

QPushButton* OverwriteQuestionDialog::addButton(const QString& name, const QString& text,
                                                double left, double width)
{
    auto* button = new QPushButton(text, m_buttonRow);
    button->setObjectName(name);
    button->setGeometry(twipsRect(*this, left, 0, width, kButtonHeight));
    return button;
}

void OverwriteQuestionDialog::setQuestion(const QString& prompt, const QString& caption)
{
    setWindowTitle(caption.isEmpty() ? kDefaultCaption : caption);
    QString lines = prompt;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_message->setText(lines);
    m_message->adjustSize();
}

Answer OverwriteQuestionDialog::ask(const QString& prompt, const QString& caption)
{
    setQuestion(prompt, caption);
    prepareToShow();
    // The window goes with its owner, should that be destroyed while it asks.
    const QPointer<OverwriteQuestionDialog> self(this);
    exec();
    return self.isNull() ? Answer::Cancel : m_answer;
}

Answer OverwriteQuestionDialog::ask(const QString& prompt, const QString& caption, QWidget* parent)
{
    QPointer<OverwriteQuestionDialog> dialog = new OverwriteQuestionDialog(parent);
    const Answer code = dialog->ask(prompt, caption);
    delete dialog;
    return code;
}

void OverwriteQuestionDialog::prepareToShow()
{
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    const bool onTop = owner != nullptr && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    // A window that exists when its owner is disabled is disabled with it; the run
    // disables the main window while it asks.
    setEnabled(true);
}

void OverwriteQuestionDialog::showEvent(QShowEvent* event)
{
    m_answer = Answer::Cancel;
    layOut();
    m_no->setDefault(true);
    m_no->setFocus();
    QDialog::showEvent(event);
}

void OverwriteQuestionDialog::layOut()
{
    const double messageWidth = pixelsToTwipsX(*this, m_message->width());
    const double messageHeight = pixelsToTwipsY(*this, m_message->height());
    // Whole twips, halves to even.
    const double width = std::rint(
        std::max(kMessageLeft + messageWidth + kRightMargin, kRowWidth + kMinimumSideSpace));
    const double height = std::rint(kMessageTop + messageHeight + kRowHeight + kBottomSpace);

    // The window manager adds its frame around this: the sizes are the client area.
    setFixedSize(twipsToPixelsX(*this, width), twipsToPixelsY(*this, height));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 2 - this->width() / 2,
             area.y() + area.height() / 2 - this->height() / 2);
    }
    m_buttonRow->move(twipsToPixelsX(*this, width / 2 - kRowWidth / 2),
                      twipsToPixelsY(*this, height - kRowHeight - kRowBottomGap));
}

void OverwriteQuestionDialog::answerWith(Answer code)
{
    m_answer = code;
    accept();
}

} // namespace tavrune
