#include "common/user_interaction.h"
#include "gui/run/overwrite_question_dialog.h"
#include "gui/twips.h"
#include "support/when_modal.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace tavrune {
namespace {

using test::whenModalShown;

const QString kPrompt = QStringLiteral("C:\\out\\T1.sql\r\n\r\n既に同名のファイルが存在します。\r\n"
                                       "上書きしますか？");

void click(QWidget& dialog, const char* button)
{
    QPushButton* found = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_NE(found, nullptr) << button;
    found->click();
}

TEST(OverwriteQuestionDialog, EachWayOfClosingGivesItsAnswerAndEveryShowingStartsAtCancel)
{
    // One window shown again and again: closing it after an earlier Yes still
    // answers ｷｬﾝｾﾙ.
    const struct
    {
        const char* how;
        std::function<void(QWidget&)> act;
        Answer expected;
    } cases[] = {
        {"はい", [](QWidget& d) { click(d, "cmdYes"); }, Answer::Yes},
        {"closing the window", [](QWidget& d) { d.close(); }, Answer::Cancel},
        {"すべて上書き", [](QWidget& d) { click(d, "cmdAll"); }, Answer::OverwriteAll},
        {"いいえ", [](QWidget& d) { click(d, "cmdNo"); }, Answer::No},
        {"ｷｬﾝｾﾙ", [](QWidget& d) { click(d, "cmdCancel"); }, Answer::Cancel},
        {"Esc", [](QWidget& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); },
         Answer::Cancel},
        {"Enter at once", [](QWidget& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Return); },
         Answer::No},
    };
    OverwriteQuestionDialog dialog;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        whenModalShown(c.act);
        EXPECT_EQ(dialog.ask(kPrompt, QString()), c.expected);
        EXPECT_EQ(dialog.answer(), c.expected);
    }
}

TEST(OverwriteQuestionDialog, ShowsCaptionPromptLinesButtonsAndTabOrder)
{
    OverwriteQuestionDialog dialog;
    dialog.setQuestion(QStringLiteral("<b>a</b>\r\nb"), QString());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tavrune for Excel"));
    const auto* message = dialog.findChild<QLabel*>(QStringLiteral("lblMsg"));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("<b>a</b>\nb"));
    EXPECT_EQ(message->textFormat(), Qt::PlainText);
    dialog.setQuestion(kPrompt, QStringLiteral("確認"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("確認"));

    const char* order[] = {"cmdYes", "cmdAll", "cmdNo", "cmdCancel"};
    const QString captions[] = {QStringLiteral("はい(&Y)"), QStringLiteral("すべて上書き(&A)"),
                                QStringLiteral("いいえ(&N)"), QStringLiteral("ｷｬﾝｾﾙ")};
    QWidget* previous = nullptr;
    for (int i = 0; i < 4; ++i) {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(order[i]));
        ASSERT_NE(button, nullptr) << order[i];
        EXPECT_EQ(button->text(), captions[i]);
        if (previous != nullptr) {
            EXPECT_EQ(previous->nextInFocusChain(), button) << order[i];
        }
        previous = button;
    }
}

TEST(OverwriteQuestionDialog, WindowGrowsWithThePromptAndKeepsTheButtonRowAtTheBottom)
{
    const struct
    {
        const char* kind;
        QString prompt;
        bool labelDecidesWidth;
    } cases[] = {
        {"short prompt", QStringLiteral("a"), false},
        {"long path",
         QStringLiteral("C:\\") + QString(QStringLiteral("very long directory\\")).repeated(8) +
             QStringLiteral("T1.sql\r\n\r\n既に同名のファイルが存在します。\r\n上書きしますか？"),
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        OverwriteQuestionDialog dialog;
        whenModalShown([&c](QWidget& d) {
            const auto* label = d.findChild<QLabel*>(QStringLiteral("lblMsg"));
            const auto* row = d.findChild<QFrame*>(QStringLiteral("fraCommand"));
            ASSERT_NE(label, nullptr);
            ASSERT_NE(row, nullptr);
            const double labelRight = 900 + pixelsToTwipsX(d, label->width()) + 500;
            EXPECT_EQ(labelRight > 6115, c.labelDecidesWidth);
            EXPECT_EQ(d.width(), twipsToPixelsX(d, c.labelDecidesWidth ? labelRight : 6115));
            EXPECT_NEAR(d.height(),
                        twipsToPixelsY(d, 150 + pixelsToTwipsY(d, label->height()) + 1315), 1);
            EXPECT_NEAR(row->x() + row->width() / 2, d.width() / 2, 1);
            EXPECT_NEAR(d.height() - row->y() - row->height(), twipsToPixelsY(d, 200), 1);
            EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "fixed size";
            EXPECT_EQ(d.focusWidget(), d.findChild<QPushButton*>(QStringLiteral("cmdNo")));
            click(d, "cmdCancel");
        });
        dialog.ask(c.prompt, QString());
    }
}

} // namespace
} // namespace tavrune
