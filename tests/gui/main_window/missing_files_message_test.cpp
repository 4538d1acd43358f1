// Missing workbook names given together: one message, its list capped.

#include "gui/main_window/missing_files_message.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

TEST(MissingFilesMessageTest, SaysHowManyListsTheFirstTwentyAndCountsTheRest)
{
    // How many, and the last line of the message.
    const std::pair<qsizetype, const char*> cases[] = {
        {1, "/b/0.xlsx"}, {20, "/b/19.xlsx"}, {21, "ほか 1 件"}, {200, "ほか 180 件"}};
    for (const auto& [count, last] : cases) {
        QStringList paths;
        for (qsizetype i = 0; i < count; ++i) {
            paths.append(QStringLiteral("/b/%1.xlsx").arg(i));
        }
        const QStringList lines = missingFilesMessage(paths).split(u'\n');
        EXPECT_EQ(lines.first(),
                  QStringLiteral("次の %1 個のファイルが見つかりません。").arg(count));
        EXPECT_EQ(lines.mid(2, 20), paths.first(std::min<qsizetype>(count, 20)));
        EXPECT_EQ(lines.last(), QString::fromUtf8(last));
        EXPECT_EQ(lines.size(), 2 + std::min<qsizetype>(count, 20) + (count > 20 ? 1 : 0));
    }
}

} // namespace
