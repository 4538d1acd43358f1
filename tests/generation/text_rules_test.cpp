#include "generation/text_rules.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

QString replaced(QString text, const char* placeholder, const QString& value)
{
    replaceAll(text, QString::fromUtf8(placeholder), value);
    return text;
}

} // namespace

TEST(replaceAll, EveryOccurrenceInAnyAsciiCase)
{
    EXPECT_EQ(replaced(u"[%tablename] [%TABLENAME] [%TableName]"_qs, "[%TableName]", u"T"_qs),
              u"T T T"_qs);
    EXPECT_EQ(replaced(u"[%TableName][%TableName]"_qs, "[%TableName]", u"顧客"_qs), u"顧客顧客"_qs);
    EXPECT_EQ(replaced(u"no placeholder"_qs, "[%TableName]", u"T"_qs), u"no placeholder"_qs);
    EXPECT_EQ(replaced(u"a[%TableName]b"_qs, "[%TableName]", QString()), u"ab"_qs);
    EXPECT_EQ(replaced(u"[[%a] [%A [%A]"_qs, "[%a]", u"x"_qs), u"[x [%A x"_qs);
    EXPECT_EQ(replaced(u"Abc aBC ab"_qs, "abc", u"1"_qs), u"1 1 ab"_qs);
    // Only ASCII letters fold: a full-width or a Kelvin-sign "K" is another character.
    EXPECT_EQ(replaced(u"[%ＴableName] [%Etc\u212A]"_qs, "[%TableName]", u"T"_qs),
              u"[%ＴableName] [%Etc\u212A]"_qs);
}

TEST(replaceAll, SearchGoesOnBehindTheInsertedValue)
{
    // A value holding the placeholder is not searched again by the same call...
    EXPECT_EQ(replaced(u"<[%TableName]>"_qs, "[%TableName]", u"[%TableName]"_qs),
              u"<[%TableName]>"_qs);
    EXPECT_EQ(replaced(u"[%a][%a]"_qs, "[%a]", u"x[%a"_qs), u"x[%ax[%a"_qs);
    // ...but text the value completes with what follows it is.
    EXPECT_EQ(replaced(u"[%[%TableName]TableName]"_qs, "[%TableName]", u"["_qs),
              u"[%[TableName]"_qs);
    EXPECT_EQ(replaced(u"[%TableName]TableName]"_qs, "[%TableName]", u"[%"_qs), u"[%TableName]"_qs);
}

TEST(trimTrailingBlanks, SpacesFirstThenTabs)
{
    EXPECT_EQ(trimTrailingBlanks(u"a  "_qs), u"a"_qs);
    EXPECT_EQ(trimTrailingBlanks(u"a\t\t"_qs), u"a"_qs);
    EXPECT_EQ(trimTrailingBlanks(u"a\t  "_qs), u"a"_qs);
    EXPECT_EQ(trimTrailingBlanks(u"a \t"_qs), u"a "_qs);
    EXPECT_EQ(trimTrailingBlanks(u"  \t"_qs), u"  "_qs);
    EXPECT_EQ(trimTrailingBlanks(u" a\u3000"_qs), u" a\u3000"_qs);
    EXPECT_EQ(trimTrailingBlanks(QString()), QString());
}

TEST(LineRules, CleanUpKeepsTheFinalComma)
{
    EXPECT_EQ(cleanUpLine(u"ID NUMBER\t,"_qs), u"ID NUMBER,"_qs);
    EXPECT_EQ(cleanUpLine(u"ID NUMBER  \t"_qs), u"ID NUMBER  "_qs);
    EXPECT_EQ(cleanUpLine(u"ID ,,"_qs), u"ID ,,"_qs);
    EXPECT_EQ(cleanUpLine(u"ID ; "_qs), u"ID ;"_qs);
    EXPECT_EQ(cleanUpLine(u","_qs), u","_qs);
}

TEST(LineRules, JoinPutsCommasOnlyWhereNoneOrSemicolonIs)
{
    EXPECT_EQ(joinLines({}), QString());
    EXPECT_EQ(joinLines({u"a"_qs}), u"a"_qs);
    EXPECT_EQ(joinLines({u"a"_qs, u"b"_qs, u"c"_qs}), u"a,\r\nb,\r\nc"_qs);
    EXPECT_EQ(joinLines({u"a,"_qs, u"b;"_qs, u"c,"_qs}), u"a,\r\nb;\r\nc,"_qs);
    EXPECT_EQ(joinLines({QString(), QString()}), u",\r\n"_qs);
}

TEST(LineRules, MarksMatchExactlyOrAnyNonBlankWithTheWildcard)
{
    const QString any = u"[%*]"_qs;
    EXPECT_TRUE(markMatches(u"○"_qs, any));
    EXPECT_TRUE(markMatches(u" x "_qs, any));
    EXPECT_FALSE(markMatches(u"   "_qs, any));
    EXPECT_FALSE(markMatches(QString(), any));
    EXPECT_TRUE(markMatches(u"Y"_qs, u"Y"_qs));
    EXPECT_FALSE(markMatches(u"y"_qs, u"Y"_qs));
    EXPECT_FALSE(markMatches(u" Y"_qs, u"Y"_qs));
    EXPECT_TRUE(markMatches(QString(), QString()));
    EXPECT_FALSE(markMatches(u"[%*]"_qs, u"[%*] "_qs));
}
