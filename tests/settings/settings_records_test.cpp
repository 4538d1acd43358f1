#include "settings/settings_records.h"

#include <gtest/gtest.h>

using namespace tavrune;

TEST(findSettingByName, ExactCaseSensitiveFirstMatch)
{
    FileSettings list;
    for (const char16_t* name : {u"DDL", u"ddl", u"Doc", u"DDL"}) {
        FileSetting setting;
        setting.Name = QString::fromUtf16(name);
        setting.OutputDir = QString::number(list.size());
        list.append(setting);
    }
    EXPECT_EQ(findSettingByName(list, QStringLiteral("DDL")), 0);
    EXPECT_EQ(findSettingByName(list, QStringLiteral("ddl")), 1);
    EXPECT_EQ(findSettingByName(list, QStringLiteral("Doc")), 2);
    EXPECT_EQ(findSettingByName(list, QStringLiteral("DOC")), std::nullopt);
    EXPECT_EQ(findSettingByName(list, QStringLiteral(" DDL")), std::nullopt);
    EXPECT_EQ(findSettingByName(FileSettings{}, QStringLiteral("DDL")), std::nullopt);

    FormatSettings formats(2);
    formats[1].Name = QStringLiteral("定義書");
    EXPECT_EQ(findSettingByName(formats, QStringLiteral("定義書")), 1);
    EXPECT_EQ(findSettingByName(formats, QString()), 0);
}

TEST(OutputNames, SpellingsIgnoreLetterCaseAndBlanksAroundThem)
{
    EXPECT_EQ(encodingFromName(u" utf-8-Bom\t"_qs), OutputEncoding::Utf8Bom);
    EXPECT_EQ(encodingFromName(u"cp932"_qs), OutputEncoding::Cp932);
    EXPECT_EQ(encodingFromName(u"utf8"_qs), std::nullopt);
    EXPECT_EQ(encodingFromName(QString()), std::nullopt);
    EXPECT_EQ(lineEndFromName(u"Lf "_qs), LineEnd::Lf);
    EXPECT_EQ(lineEndFromName(u"CR"_qs), std::nullopt);
}
