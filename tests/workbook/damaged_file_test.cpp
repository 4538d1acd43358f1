#include "common/error.h"
#include "support/test_files.h"
#include "support/workbook_test_support.h"
#include "workbook/allocation_failure.h"
#include "workbook/workbook_file_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <sys/stat.h>

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

// Each kind of small hostile file (tests/data/hostile, written by make_hostile.py):
// files that once hung the readers, crashed them or made them take gigabytes, and
// damaged XML whose parser message would quote too much. Each is refused with a
// message of one line that names the file and the bound, and quotes no more than a
// short start of what the file holds.
TEST(DamagedFiles, HostileFilesAreRefusedAtTheirBound)
{
    const std::pair<const char*, const char*> cases[] = {
        {"xlsx_nested_namespaces.xlsx", "名前空間の宣言が上限 128 を"},
        {"ods_nested_namespaces.ods", "名前空間の宣言が上限 128 を"},
        {"xlsx_deep_nesting.xlsx", "要素の入れ子が上限 256 を"},
        {"xlsx_many_attributes.xlsx", "属性の数が上限 128 を"},
        {"xlsx_long_comment.xlsx", "コメントが上限 8388608 文字"},
        {"xlsx_element_flood.xlsx", "XML 要素の数が、読み取った値に見合う上限 (8000000 個)"},
        {"xlsx_many_sheets.xlsx", "シートの数が上限 10000 を"},
        {"xlsx_shared_sheet_part.xlsx", "sheet1.xml が複数の箇所から参照されています"},
        {"xlsx_aliased_sheet_part.xlsx", "zip のエントリが重なっています"},
        {"zip_overlapping_entries.xlsx", "zip のエントリが重なっています"},
        {"zip_wrong_crc.xlsx", "sheet1.xml の CRC が一致しません"},
        {"zip_bzip2_bomb.xlsx", "圧縮方式 12 には対応していません"},
        {"zip_lying_size.xlsx", "zip のエントリが重なっています"},
        {"xlsx_huge_value.xlsx", "文字列が上限 1000000 文字"},
        {"xlsx_huge_sheet_name.xlsx",
         "\"nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn…\" が上限 255 文字"},
        {"xlsx_empty_shared_strings.xlsx", "文字列の数が上限 5000000 を"},
        {"xlsx_long_reference.xlsx", "セル参照 \"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA…\""},
        {"xlsx_long_shared_index.xlsx",
         "共有文字列番号 \"9999999999999999999999999999999999999999…\""},
        {"xlsx_style_not_a_number.xlsx", "セル A1 のスタイル番号 \"x\" が不正です"},
        {"ods_repeat_20_digits.ods", "繰り返し数 \"99999999999999999999\" が不正です"},
        {"ods_duration_repeated_unit.ods", "時刻 \"PT1H1H1H1H\" が不正です"},
        {"ods_repeated_rows.ods",
         "シート \"T\" の 7 行目で、値のある行の繰り返しが上限 100000 行を"},
        {"ods_repeated_long_text.ods", "文字列の合計が上限 50000000 文字を"},
        {"xls_nested_bof.xls", "EOF レコードの前に次のシートの位置"},
        {"xlsx_long_mismatched_tag.xlsx",
         "tag mismatch: nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn… line 1 and c)"},
        {"ods_not_utf8.ods", "content.xml の XML が不正です (1 行 381: Input is not proper UTF-8"},
    };
    for (const auto& [file, reason] : cases) {
        const QString path = test::fixturePath("hostile", file);
        const QString description = test::readErrorOf(readWorkbookFile, path);
        EXPECT_TRUE(description.contains(QString::fromUtf8(reason)))
            << file << ": " << description.toStdString();
        EXPECT_LT(description.size(), path.size() + 160) << description.toStdString();
        EXPECT_FALSE(description.contains(u'\n')) << description.toStdString();
    }
}

// Files of the same families that stay within every bound read as written: the
// bounds sit above what honest workbooks need.
TEST(DamagedFiles, FilesAtTheBoundsRead)
{
    const auto read = [](const char* name) {
        return readWorkbookFile(test::fixturePath("hostile", name));
    };
    // Elements nested 256 deep, start tags with 128 attributes of which 128
    // declare namespaces, a text of 1,000,000 characters.
    EXPECT_EQ(test::texts(read("xlsx_at_the_limits.xlsx"), u"S!A1"_qs), QString(1'000'000, u'あ'));
    // Of two entries with one name the first counts.
    EXPECT_EQ(test::texts(read("zip_duplicate_names.xlsx"), u"S!A1"_qs), u"first"_qs);
    // A row holding a value repeated as often as a file may repeat such rows.
    EXPECT_EQ(read("ods_repeated_rows_at_the_limit.ods").sheets().at(0).lastUsedRow(), 100'007u);
    // Shared strings spread over thousands of CONTINUE records, empty ones after.
    const WorkbookData continues = read("xls_empty_continues.xls");
    EXPECT_EQ(continues.stringCount(), 3000);
    EXPECT_EQ(continues.string(2999), u"a"_qs);
}

// A pipe or a device would block the read or never end; they are refused before
// anything is opened.
TEST(DamagedFiles, OnlyPlainFilesAreRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pipe = dir.filePath(QStringLiteral("pipe.xlsx"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString& path : {pipe, QStringLiteral("/dev/zero")}) {
        try {
            readWorkbookFile(path);
            ADD_FAILURE() << path.toStdString() << " was read";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::PathFileAccess);
            EXPECT_TRUE(error.description().contains(path));
            EXPECT_TRUE(
                error.description().contains(QStringLiteral("通常のファイルではありません")))
                << error.description().toStdString();
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
