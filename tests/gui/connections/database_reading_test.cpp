#include "common/error.h"
#include "gui/connections/database_reading.h"
#include "support/scripted_interaction.h"

#include <QDialog>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

constexpr int kWait = 10000;

// How the work on a database ends, by the password it was given and the answers to
// the password question: the passwords the work saw, and what the window was told.
TEST(DatabaseReadingTest, AsksForAPasswordOnlyWhenAServerRefusesAndTriesAgainWithIt)
{
    const struct
    {
        const char* name;
        QString url;
        int errorNumber;
        std::vector<std::optional<PasswordAnswer>> answers;
        QStringList seen;
        QString told; // "done", or the failure ("" for a cancel)
    } cases[] = {
        {"typed again until right",
         u"postgresql://ann@h/d"_qs,
         ErrorNumber::ConnectionFailed,
         {PasswordAnswer{u"wrong"_qs}, PasswordAnswer{u"secret"_qs}},
         {QString(), u"wrong"_qs, u"secret"_qs},
         u"done"_qs},
        {"question cancelled",
         u"mysql://h/d"_qs,
         ErrorNumber::ConnectionFailed,
         {std::nullopt},
         {QString()},
         QString()},
        {"a file is never asked for",
         u"sqlite:///x.db"_qs,
         ErrorNumber::ConnectionFailed,
         {},
         {QString()},
         u"refused"_qs},
        {"nor a catalog that cannot be read",
         u"postgresql://h/d"_qs,
         ErrorNumber::ApplicationDefined,
         {},
         {QString()},
         u"refused"_qs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedInteraction interaction;
        for (const auto& answer : c.answers) {
            interaction.passwordAnswer(answer);
        }
        QWidget window;
        std::optional<QString> told;
        DatabaseReading reading(interaction, &window, [&told](const QString& why) { told = why; });
        QStringList seen;
        const int number = c.errorNumber;
        reading.start({parseDatabaseUrl(c.url), false},
                      [&seen, number](const DatabaseUrl& url,
                                      const std::atomic_bool&) -> BackgroundJob::Delivery {
                          seen.append(url.password);
                          if (url.password != u"secret") {
                              throw Error(number, u"refused"_qs);
                          }
                          return [] {};
                      });
        auto* progress = window.findChild<QDialog*>(u"frmCancel"_qs);
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(progress->windowTitle(), u"データベース読み込み中");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !reading.isRunning(); }, kWait));
        EXPECT_EQ(seen, c.seen);
        EXPECT_EQ(told.value_or(u"done"_qs), c.told);
        EXPECT_TRUE(interaction.allAnswersUsed());
        // Each question says why the last try failed and for whom it asks.
        for (const QString& question : interaction.texts()) {
            EXPECT_TRUE(question.startsWith(u"refused"_qs)) << question.toStdString();
            EXPECT_TRUE(question.contains(databaseUrlText(parseDatabaseUrl(c.url))));
        }
        EXPECT_EQ(window.findChild<QDialog*>(u"frmCancel"_qs), nullptr);
    }
}

} // namespace
