#include "cli/batch_command.h"

#include <gtest/gtest.h>

using namespace tavrune;

namespace {

struct Result
{
    int status;
    QString out;
    QString err;
};

Result run(QStringList arguments)
{
    arguments.prepend(QStringLiteral("tavrune-batch"));
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = runBatchCommand(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}

} // namespace

TEST(BatchCommand, ListsTheSampleWorkbook)
{
    const Result result =
        run({QStringLiteral("--list"), QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx")});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("1\t顧客\tCUSTOMER\n"
                                         "2\t商品\tPRODUCT\n"
                                         "3\t注文\tORDERS\n"
                                         "4\t注文明細\tORDER_DETAIL\n"));
    const Result titles =
        run({QStringLiteral("--list"), QStringLiteral("--table-name-cell"), QStringLiteral("c4"),
             QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx")});
    EXPECT_TRUE(titles.out.startsWith(QStringLiteral("1\t顧客\t顧客マスタ\n")));
}

TEST(BatchCommand, ReportsUsageErrorsAndUnreadableWorkbooks)
{
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({QStringLiteral("--no-such-option")}).status, 2);
    EXPECT_EQ(run({QStringLiteral("--list")}).status, 2);

    const Result missing = run({QStringLiteral("--list"), QStringLiteral("/nonexistent/a.xlsx")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("/nonexistent/a.xlsx")));
    EXPECT_TRUE(missing.out.isEmpty());

    const Result badCell =
        run({QStringLiteral("--list"), QStringLiteral("--table-name-cell"), QStringLiteral("C0"),
             QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx")});
    EXPECT_EQ(badCell.status, 1);
    EXPECT_TRUE(badCell.err.contains(QStringLiteral("\"C0\"")));

    const Result version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("tavrune-batch ")));
}
