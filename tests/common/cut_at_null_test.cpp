#include "common/cut_at_null.h"

#include <gtest/gtest.h>

using tavrune::CutAtNull;

TEST(CutAtNull, CutsAtTheFirstNulOnly)
{
    EXPECT_EQ(CutAtNull(QString::fromUtf16(u"C:\\data\0\0junk", 14)), QStringLiteral("C:\\data"));
    EXPECT_EQ(CutAtNull(QString::fromUtf16(u"\0abc", 4)), QString());
    EXPECT_EQ(CutAtNull(QStringLiteral("テーブル")), QStringLiteral("テーブル"));
    EXPECT_EQ(CutAtNull(QString()), QString());
}
