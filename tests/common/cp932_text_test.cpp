#include "common/cp932_text.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

TEST(Cp932TextTest, LookAlikesAreWrittenAsTheCodePagesOwnCharacters)
{
    const struct
    {
        char16_t written;
        const char* bytes;
        char16_t readBack;
    } cases[] = {
        {u'\u301C', "\x81\x60", u'\uFF5E'}, {u'\uFF5E', "\x81\x60", u'\uFF5E'},
        {u'\u2016', "\x81\x61", u'\u2225'}, {u'\u2212', "\x81\x7C", u'\uFF0D'},
        {u'\u00A2', "\x81\x91", u'\uFFE0'}, {u'\u00A3', "\x81\x92", u'\uFFE1'},
        {u'\u00AC', "\x81\xCA", u'\uFFE2'}, {u'\u2014', "\x81\x5C", u'\u2015'},
    };
    for (const auto& c : cases) {
        const QString text = QStringLiteral("a") + QChar(c.written) + u'b';
        const std::optional<QByteArray> bytes = encodeCp932(text);
        ASSERT_TRUE(bytes) << int(c.written);
        EXPECT_EQ(*bytes, QByteArray("a") + c.bytes + "b") << int(c.written);
        EXPECT_EQ(decodeCp932(*bytes), QStringLiteral("a") + QChar(c.readBack) + u'b');
    }
}

TEST(Cp932TextTest, TextIsWrittenAsTheConverterWritesItWhole)
{
    // ASCII runs are copied and the rest converted piece by piece; the bytes must be
    // those of converting the text in one go, control characters included.
    QString ascii;
    for (char16_t c = 0; c < 0x80; ++c) {
        ascii += QChar(c);
    }
    const QString longPlain =
        QStringLiteral("CREATE TABLE TABLE_1 (COLUMN_1 NUMBER(10), ").repeated(5);
    for (const QString& text :
         {ascii, u"項目1の説明"_qs, ascii + u"テーブル"_qs + ascii + u"\u9AD9\u2170"_qs,
          u"\u2460x\x7F\u00F7"_qs, longPlain + u'\x1C' + longPlain + u"説明"_qs + longPlain,
          u"項目"_qs.repeated(300) + longPlain}) {
        QStringEncoder whole("windows-31j", QStringConverter::Flag::Stateless);
        const QByteArray expected = whole.encode(text);
        ASSERT_FALSE(whole.hasError());
        QByteArray appended("x");
        EXPECT_TRUE(appendCp932(text, appended));
        EXPECT_EQ(appended, "x" + expected) << text.toStdString();
        EXPECT_EQ(decodeCp932(expected), text);
    }
}

TEST(Cp932TextTest, OtherCharactersOutsideTheCodePageAreNamed)
{
    for (const char32_t codePoint : {U'\u00E9', U'\U0001F600', U'\u2115'}) {
        char32_t named = 0;
        const QString text = QStringLiteral("〜x") + QString::fromUcs4(&codePoint, 1);
        EXPECT_EQ(encodeCp932(text, &named), std::nullopt);
        EXPECT_EQ(named, codePoint);
        QByteArray bytes("before");
        EXPECT_FALSE(appendCp932(QStringLiteral("項目").repeated(100) + text, bytes));
        EXPECT_EQ(bytes, "before");
    }
}

} // namespace
