#include "settings/settings_records.h"

#include <gtest/gtest.h>

using namespace tavrune;

TEST(SettingsRecords, DefaultsAreThoseOfTheEmptyWindows)
{
    const FileSetting file;
    EXPECT_EQ(file.OutputFile, 0);
    EXPECT_EQ(file.OutputFileStrCheck[0], 0);
    EXPECT_EQ(file.OutputFileStrCheck[1], 0);
    EXPECT_TRUE(file.Text[0].isEmpty() && file.OutputDir.isEmpty());
    const FormatSetting format;
    EXPECT_EQ(format.RowStart, 0);
    EXPECT_TRUE(format.TableName.isEmpty() && format.Etc[3].isEmpty());
}

TEST(SettingsRecords, RecordsAreCopiedByValue)
{
    FormatSetting original;
    original.Name = QStringLiteral("標準");
    original.Etc[0] = QStringLiteral("B1");
    FormatSetting copy = original;
    copy.Etc[0] = QStringLiteral("C1");
    EXPECT_EQ(original.Etc[0], QStringLiteral("B1"));
    EXPECT_NE(original, copy);
}

TEST(FindSettingByName, ExactCaseSensitiveFirstMatch)
{
    FileSettings list;
    for (const char16_t* name : {u"DDL", u"ddl", u"Doc", u"DDL"}) {
        FileSetting setting;
        setting.Name = QString::fromUtf16(name);
        setting.OutputDir = QString::number(list.size());
        list.append(setting);
    }
    EXPECT_EQ(FindSettingByName(list, QStringLiteral("DDL")), 0);
    EXPECT_EQ(FindSettingByName(list, QStringLiteral("ddl")), 1);
    EXPECT_EQ(FindSettingByName(list, QStringLiteral("Doc")), 2);
    EXPECT_EQ(FindSettingByName(list, QStringLiteral("DOC")), std::nullopt);
    EXPECT_EQ(FindSettingByName(list, QStringLiteral(" DDL")), std::nullopt);
    EXPECT_EQ(FindSettingByName(FileSettings{}, QStringLiteral("DDL")), std::nullopt);

    FormatSettings formats(2);
    formats[1].Name = QStringLiteral("定義書");
    EXPECT_EQ(FindSettingByName(formats, QStringLiteral("定義書")), 1);
    EXPECT_EQ(FindSettingByName(formats, QString()), 0);
}
