#include "common/error.h"
#include "settings/change_settings.h"
#include "settings/connection_settings.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

TEST(ChangeSettings, WhatIsSavedLoadsAgainAndTheSampleLoads)
{
    QTemporaryDir dir;
    const QString path = changeSettingsPathBeside(dir.filePath(u"tavrune.dat"_qs));
    EXPECT_TRUE(loadChangeSettings(path).isEmpty()); // none yet
    ChangeSetting setting;
    setting.Name = u"変更"_qs;
    setting.CreateFile = u"作成"_qs;
    setting.FileName = u"change.sql"_qs;
    setting.text(ChangeTemplate::Header) = u"BEGIN;\r\n"_qs;
    setting.text(ChangeTemplate::TableRebuilt) = u"a\r\n[%CreateTable]\r\nb"_qs;
    saveChangeSettings(path, {setting, ChangeSetting{u"空"_qs, {}, {}, {}}});
    EXPECT_EQ(loadChangeSettings(path),
              ChangeSettings({setting, ChangeSetting{u"空"_qs, {}, {}, {}}}));
    EXPECT_EQ(
        loadChangeSettings(changeSettingsPathBeside(QStringLiteral(TAVRUNE_SAMPLES "/tavrune.dat")))
            .size(),
        5);
    const ConnectionSettings connections = {
        {u"本番"_qs, u"postgresql"_qs, u"/run/pg"_qs, u"5433"_qs, u"db"_qs, u"me"_qs, u"s"_qs,
         true},
        {u"手元"_qs, u"sqlite"_qs, {}, {}, u"/tmp/a.db"_qs, {}, {}, false}};
    const QString beside = connectionSettingsPathBeside(dir.filePath(u"tavrune.dat"_qs));
    saveConnectionSettings(beside, connections);
    EXPECT_EQ(loadConnectionSettings(beside), connections);
    EXPECT_FALSE(test::readBytes(beside).contains("password\"")); // nothing but the switch
}

TEST(ChangeSettings, AFileThatIsNoneSaysWhatIsWrongWithIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"tavrune_changes.json"_qs);
    const struct
    {
        QByteArray content;
        QString says;
    } cases[] = {
        {"{\"changeSettings\": [", u"バイト目"_qs},
        {"[]", u"\"changeSettings\""_qs},
        {"{\"changeSettings\": [{\"name\": \"a\"}, {\"name\": \"a\"}]}", u"2 番目"_qs},
        {"{\"changeSettings\": [{\"name\": \" \"}]}", u"1 番目"_qs},
    };
    for (const auto& c : cases) {
        test::writeBytes(path, c.content);
        try {
            loadChangeSettings(path);
            ADD_FAILURE() << c.content.toStdString();
        } catch (const Error& error) {
            EXPECT_TRUE(error.description().contains(path)) << error.description().toStdString();
            EXPECT_TRUE(error.description().contains(c.says)) << error.description().toStdString();
        }
    }
}
