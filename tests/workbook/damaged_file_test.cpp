#include "common/error.h"
#include "workbook/workbook_file_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    int variants = 0;
    for (const QString& path : paths) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
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
            QFile out(variant);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(damaged);
            out.close();
            readEverything(variant);
            ++variants;
        }
    }
    EXPECT_EQ(variants, paths.size() * 24);
}
