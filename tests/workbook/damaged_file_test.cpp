#include "common/error.h"
#include "support/test_files.h"
#include "support/workbook_test_support.h"
#include "workbook/allocation_failure.h"
#include "workbook/workbook_file_reader.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

using namespace tavrune;

namespace {

// Reads a workbook and every text of it, as a command would; only the program's
// own error may come out of a damaged file.
void readEverything(const QString& path)
{
    try {
        const WorkbookData data = readWorkbookFile(path);
        for (const SheetData& sheet : data.sheets()) {
            for (const Cell& cell : sheet.cells()) {
                try {
                    data.cellText(sheet, {cell.row, cell.column});
                } catch (const Error&) {
                    // error values read as errors
                }
            }
        }
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(path)) << error.description().toStdString();
    }
}

QStringList fixtures()
{
    QStringList paths;
    for (const char* folder : {"xlsx", "xls", "ods"}) {
        const QDir dir(QStringLiteral(TAVRUNE_TEST_DATA "/") + QLatin1String(folder));
        for (const QString& name : dir.entryList(QDir::Files)) {
            if (!name.endsWith(QStringLiteral(".py")) && !name.endsWith(QStringLiteral(".c"))) {
                paths.append(dir.filePath(name));
            }
        }
    }
    return paths;
}

} // namespace

// Files cut short or with bytes changed must end in a clear error, never in a
// crash, a hang or a foreign exception.
TEST(DamagedFiles, TruncatedAndAlteredFixturesFailCleanly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QRandomGenerator random(20261206);
    const QStringList paths = fixtures();
    ASSERT_GT(paths.size(), 40);
    for (const QString& path : paths) {
        const QByteArray original = test::readBytes(path);
        for (int i = 0; i < 24; ++i) {
            QByteArray damaged = original;
            if (i < 8) {
                damaged.truncate(original.size() * i / 8);
            } else {
                for (int flips = 1 + i % 4; flips > 0 && !damaged.isEmpty(); --flips) {
                    const qsizetype at = random.bounded(damaged.size());
                    damaged[at] = static_cast<char>(random.bounded(256));
                }
            }
            const QString variant =
                dir.filePath(QStringLiteral("v%1_").arg(i) + QFileInfo(path).fileName());
            test::writeBytes(variant, damaged);
            readEverything(variant);
        }
    }
}

// Running out of memory while reading is the usual error naming the file, never
// an abort; the readers' own errors pass unchanged.
TEST(DamagedFiles, RunningOutOfMemoryIsAnErrorNamingTheFile)
{
    const QString noMemory =
        u"ファイル \"/work/book.xlsx\" を読み込めません: メモリが足りません"_qs;
    const std::tuple<std::function<WorkbookData()>, int, QString> cases[] = {
        {[]() -> WorkbookData { throw std::bad_alloc(); }, ErrorNumber::ApplicationDefined,
         noMemory},
        {[]() -> WorkbookData { throw std::length_error("vector"); },
         ErrorNumber::ApplicationDefined, noMemory},
        {[]() -> WorkbookData { throw Error(ErrorNumber::FileNotFound, u"own"_qs); },
         ErrorNumber::FileNotFound, u"own"_qs},
    };
    for (const auto& [failure, number, description] : cases) {
        try {
            readReportingAllocationFailure(u"/work/book.xlsx"_qs, failure);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), number);
            EXPECT_EQ(error.description(), description);
        }
    }
}
