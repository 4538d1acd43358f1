#include "common/cut_at_null.h"

#include <gtest/gtest.h>

using tavrune::cutAtNull;

TEST(cutAtNull, CutsAtTheFirstNulOnly)
{
    EXPECT_EQ(cutAtNull(QString::fromUtf16(u"C:\\data\0\0junk", 14)), QStringLiteral("C:\\data"));
    EXPECT_EQ(cutAtNull(QString::fromUtf16(u"\0abc", 4)), QString());
    EXPECT_EQ(cutAtNull(QStringLiteral("テーブル")), QStringLiteral("テーブル"));
    EXPECT_EQ(cutAtNull(QString()), QString());
}
