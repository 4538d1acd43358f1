#include "common/error.h"
#include "generation/expansion_fixture.h"
#include "generation/file_output_target.h"
#include "generation/generation_run.h"
#include "settings/setting_fields.h"
#include "support/memory_workbook_source.h"
#include "support/scripted_run_host.h"
#include "support/test_files.h"
#include "support/workbook_builder.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <new>

using namespace tavrune;
using test::readBytes;
using test::writeBytes;

namespace {

const QString kBook = u"Tables.xlsx"_qs;
const QString kFinished = u"message information: 終了しました。"_qs;
const QString kStopped = u"message exclamation: 中断しました"_qs;

QString readText(const QString& path)
{
    return QStringDecoder("windows-31j").decode(readBytes(path));
}

// Three table sheets, 顧客, メモ and 注文, each with its name in C3, its title in
// C4 and the columns ID NUMBER and NAME VARCHAR2 from row 7.
WorkbookBuilder tables()
{
    WorkbookBuilder book;
    const char16_t* tables[][3] = {
        {u"顧客", u"CUSTOMER", u"顧客マスタ"},
        {u"メモ", u"MEMO", u"メモ"},
        {u"注文", u"ORDERS", u"注文"},
    };
    for (const auto& table : tables) {
        book.sheet(QString::fromUtf16(table[0]))
            .text(u"C3"_qs, QString::fromUtf16(table[1]))
            .text(u"C4"_qs, QString::fromUtf16(table[2]))
            .text(u"B7"_qs, u"ID"_qs)
            .text(u"C7"_qs, u"NUMBER"_qs)
            .text(u"B8"_qs, u"NAME"_qs)
            .text(u"C8"_qs, u"VARCHAR2"_qs);
    }
    return book;
}

// Every run is checked twice: with the sheets expanded on the run's own thread as
// they are written, and with them expanded ahead on other threads.
class GenerationRunTest : public ::testing::TestWithParam<bool>
{
protected:
    GenerationRunTest()
    {
        m_source.setLogReads(!GetParam());
        m_source.addOpenWorkbook(kBook, tables().build());
        m_inputs.format = test::sampleFormat();
        m_inputs.file.Text = {u"  [%RowTitle] [%RowType]"_qs, u"CREATE TABLE [%TableName] ("_qs,
                              u");"_qs};
        m_inputs.file.OutputDir = m_dir.path() + u"/"_qs;
        m_inputs.file.OutputFileStrCheck = {0, 1};
        m_inputs.file.OutputFileStr = {u"ignored_"_qs, u".sql"_qs};
        m_inputs.workbookName = u"tables.XLSX"_qs;
        m_inputs.sheetSelected = {true, false, true};
    }

    bool run()
    {
        GenerationRun generation(m_source, m_host, m_output);
        return generation.makeFiles(m_inputs);
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // The message a run stopped with: before "end" and the stop notice once the
    // run has begun, else the last one shown.
    QString lastMessage() const
    {
        const QStringList log = m_host.logWithoutYields();
        if (log.size() >= 3 && log.last() == kStopped) {
            return log.at(log.size() - 3);
        }
        return log.isEmpty() ? QString() : log.last();
    }

    QStringList entries() const { return test::entries(m_dir.path()); }

    QTemporaryDir m_dir;
    MemoryWorkbookSource m_source;
    test::ScriptedRunHost m_host;
    FileOutputTarget m_output;
    RunInputs m_inputs;
};

QString overwritePrompt(const QString& path)
{
    return path + u"\r\n\r\n既に同名のファイルが存在します。\r\n上書きしますか？"_qs;
}

using Change = std::function<void(RunInputs&, WorkbookBuilder&)>;

// Writes only 注文 (the sheet the builder adds cells to), its title taken from D4.
Change titled(const QString& title)
{
    return [title](RunInputs& in, WorkbookBuilder& book) {
        in.sheetSelected = {false, false, true};
        in.file.OutputFileStrCheck = {0, 0};
        in.format.TableTitle = u"D4"_qs;
        book.text(u"D4"_qs, title);
    };
}

// Writes only 注文 with these body and header templates; its D2, the second extra
// cell, holds a character code page 932 cannot represent.
Change templated(const QString& body, const QString& header)
{
    return [body, header](RunInputs& in, WorkbookBuilder& book) {
        in.sheetSelected = {false, false, true};
        in.file.Text = {body, header, QString()};
        in.format.Etc[1] = u"D2"_qs;
        book.text(u"D2"_qs, u"note \U0001F600"_qs);
    };
}

} // namespace

TEST(WorkingFormat, TrimsEveryFieldARunReads)
{
    // A mark typed " ○" must still match the cells.
    for (const FormatField field :
         {FormatField::TableName, FormatField::TableTitle, FormatField::RowTitle,
          FormatField::RowType, FormatField::RowLength, FormatField::RowScale, FormatField::Index,
          FormatField::StrIndex, FormatField::NotNull, FormatField::StrNotNull,
          FormatField::SetNotNull, FormatField::Default, FormatField::SetDefault,
          FormatField::Comment, FormatField::Etc1, FormatField::Etc2, FormatField::Etc3,
          FormatField::Etc4}) {
        FormatSetting typed;
        setFormatFieldText(typed, field, u" ○ "_qs);
        EXPECT_EQ(formatFieldText(workingFormat(typed), field), u"○")
            << formatFieldName(field).toStdString();
    }
}

TEST_P(GenerationRunTest, RunsThatStopBeforeWritingAnything)
{
    // Each change to the usual run, whether the run got as far as attaching to the
    // workbook source, and the message it stops with.
    const QString noCodePage932 =
        u"message stop: 文字 U+1F600 (\U0001F600) はシフト JIS (コードページ 932) で書けないため、"
        u"ファイル \""_qs +
        path(u"注文.sql"_qs) + u"\" に出力できません ("_qs;
    const QString badName = u"message stop: シート \"注文\" の出力ファイル名を作れません: "_qs;
    const struct
    {
        Change change;
        bool attaches;
        QString message;
    } cases[] = {
        {[](RunInputs& in, WorkbookBuilder&) {
             in.sheetSelected = {false, false, false};
         },
         false, u"message exclamation: 作成するシートを選択してください。"_qs},
        {[](RunInputs& in, WorkbookBuilder&) { in.file.OutputDir = u"   "_qs; }, false,
         u"message exclamation: 出力先を指定して下さい。"_qs},
        {[](RunInputs& in, WorkbookBuilder&) {
             in.file.OutputFile = 1;
             in.file.OutputFileName = u"  "_qs;
         },
         false, u"message exclamation: ファイル名を指定して下さい。"_qs},
        {[](RunInputs& in, WorkbookBuilder&) { in.file.OutputDir = u"out/sub"_qs; }, false,
         u"message stop: 出力先ディレクトリ \"out/sub\" は絶対パス (/ で始まるパス) ではありません。"_qs},
        {[](RunInputs& in, WorkbookBuilder&) { in.workbookName = u"Other.xlsx"_qs; }, true,
         u"message exclamation: Excel ファイルが開かれていません。"_qs},
        // File names must stay inside the output directory.
        {titled(u"../escape"_qs), true,
         badName + u"ファイル名 \"../escape\" に使えない文字 (/) があります。"_qs},
        {titled(u"."_qs), true, badName + u"\".\" はファイル名に使えません。"_qs},
        // Nor be hidden, as a name from an empty title and a suffix (".sql") would be.
        {titled(QString()), true, badName + u"テーブルタイトルのセル D4 が空です。"_qs},
        {titled(u".profile"_qs), true,
         badName + u"ファイル名 \".profile\" は . で始まるため隠しファイルになります。"_qs},
        {titled(u"two\r\nlines"_qs), true,
         badName +
             u"ファイル名 \"two<U+000D><U+000A>lines\" に使えない文字 (U+000D) があります。"_qs},
        {titled(QStringLiteral("nul") + QChar(u'\0')), true,
         badName + u"ファイル名 \"nul<U+0000>\" に使えない文字 (U+0000) があります。"_qs},
        // A character code page 932 cannot hold is named with where it came from.
        {templated(u"-- \U0001F600 [%TableName]"_qs, QString()), true,
         noCodePage932 + u"シート \"注文\"、本文の 1 行目)。"_qs},
        {templated(QString(), u"--\r\n-- [%TableName] \U0001F600"_qs), true,
         noCodePage932 + u"シート \"注文\"、ヘッダの 2 行目)。"_qs},
        {templated(u"-- [%Etc2]"_qs, QString()), true,
         noCodePage932 + u"シート \"注文\" のセル D2)。"_qs},
    };
    const RunInputs usual = m_inputs;
    for (const auto& c : cases) {
        m_inputs = usual;
        WorkbookBuilder book = tables();
        c.change(m_inputs, book);
        m_source.addOpenWorkbook(kBook, book.build());
        const int attached = m_source.attachCount();
        EXPECT_FALSE(run());
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(m_source.attachCount() > attached, c.attaches) << c.message.toStdString();
    }
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

TEST_P(GenerationRunTest, AFormatTheWindowsCouldNotGiveStopsTheRunOnceBegun)
{
    EXPECT_FALSE(GenerationRun(m_source, m_host, m_output)
                     .stopAtStart(m_inputs, Error(ErrorNumber::Overflow, u"開始行"_qs)));
    EXPECT_EQ(m_host.log(),
              (QStringList{u"begin"_qs, u"message stop: 開始行"_qs, u"end"_qs, kStopped}));
}

TEST_P(GenerationRunTest, OneFilePerTableNamedAfterTheTitle)
{
    EXPECT_TRUE(run());
    EXPECT_EQ(m_host.log(),
              (QStringList{u"begin"_qs, u"yield"_qs, u"progress: 1 / 2"_qs, u"yield"_qs,
                           u"yield"_qs, u"progress: 2 / 2"_qs, u"end"_qs, kFinished}));
    EXPECT_EQ(
        readBytes(path(u"顧客マスタ.sql"_qs)),
        QStringEncoder("windows-31j")
            .encode(u"CREATE TABLE CUSTOMER (\r\n  ID NUMBER,\r\n  NAME VARCHAR2\r\n);\r\n"_qs));
    EXPECT_EQ(readText(path(u"注文.sql"_qs)),
              u"CREATE TABLE ORDERS (\r\n  ID NUMBER,\r\n  NAME VARCHAR2\r\n);\r\n"_qs);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_P(GenerationRunTest, OneFileForAllTables)
{
    m_inputs.file.OutputFile = 1;
    m_inputs.file.OutputFileName = u"all.sql"_qs;
    m_inputs.sheetSelected = {true, true, true};
    m_inputs.file.text(Template::Header) = u"-- [%TableName]"_qs;
    m_inputs.file.text(Template::Footer) = u"-- end [%TableName]\r\n"_qs;
    EXPECT_TRUE(run());
    EXPECT_EQ(readText(path(u"all.sql"_qs)), u"-- CUSTOMER\r\n"
                                             u"  ID NUMBER,\r\n  NAME VARCHAR2\r\n"
                                             u"  ID NUMBER,\r\n  NAME VARCHAR2\r\n"
                                             u"  ID NUMBER,\r\n  NAME VARCHAR2\r\n"
                                             u"-- end ORDERS\r\n\r\n"_qs);
}

TEST_P(GenerationRunTest, OverwriteAnswersPerTable)
{
    m_inputs.sheetSelected = {true, true, true};
    for (const QString& name : {u"顧客マスタ.sql"_qs, u"メモ.sql"_qs, u"注文.sql"_qs}) {
        writeBytes(path(name), "old");
    }
    // Yes replaces, No keeps the file and skips the sheet, All replaces the rest
    // without asking.
    m_host.answer(Answer::Yes);
    m_host.answer(Answer::No);
    m_host.answer(Answer::OverwriteAll);
    EXPECT_TRUE(run());
    EXPECT_TRUE(readText(path(u"顧客マスタ.sql"_qs)).startsWith(u"CREATE"_qs));
    EXPECT_EQ(readBytes(path(u"メモ.sql"_qs)), "old");
    EXPECT_TRUE(readText(path(u"注文.sql"_qs)).startsWith(u"CREATE"_qs));
    const QStringList log = m_host.logWithoutYields();
    EXPECT_EQ(log.at(2), u"ask: "_qs + overwritePrompt(m_dir.path() + u"/顧客マスタ.sql"_qs));
    EXPECT_EQ(log.at(4), u"ask: "_qs + overwritePrompt(m_dir.path() + u"/メモ.sql"_qs));
    EXPECT_EQ(log.last(), kFinished);

    // Overwrite-all holds for the rest of that run only.
    writeBytes(path(u"メモ.sql"_qs), "old");
    m_inputs.sheetSelected = {true, true, false};
    m_host.answer(Answer::OverwriteAll);
    EXPECT_TRUE(run());
    EXPECT_TRUE(readText(path(u"メモ.sql"_qs)).startsWith(u"CREATE"_qs));
    m_host.answer(Answer::Cancel);
    EXPECT_FALSE(run());
    EXPECT_EQ(m_host.log().last(), kStopped);
    EXPECT_TRUE(m_host.allAnswersUsed());
}

TEST_P(GenerationRunTest, TwoSheetsGivingOneFileNameStopTheRun)
{
    m_inputs.format.TableTitle = u"C7"_qs; // the first column's type, the same everywhere
    const QString file = path(u"NUMBER.sql"_qs);
    // Whether the file was there before, and whether replacing it was allowed for
    // the whole run, the second sheet never replaces what the first wrote.
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "existing, all replaced" : "new");
        QFile::remove(file);
        if (existing) {
            writeBytes(file, "old");
            m_host.answer(Answer::OverwriteAll);
        }
        EXPECT_FALSE(run());
        const QString stop = lastMessage();
        EXPECT_TRUE(stop.contains(u"\"顧客\""_qs) && stop.contains(u"\"注文\""_qs) &&
                    stop.contains(file))
            << stop.toStdString();
        EXPECT_TRUE(readText(file).contains(u"CUSTOMER"_qs));
        EXPECT_FALSE(readText(file).contains(u"ORDERS"_qs));
        EXPECT_EQ(m_host.log().last(), kStopped);
    }
    EXPECT_TRUE(m_host.allAnswersUsed());
}

TEST_P(GenerationRunTest, AnOpenWorkbookIsNeverWritten)
{
    // The workbook lies in the output directory; its file is the output name.
    const QString workbook = path(u"Book.xlsx"_qs);
    writeBytes(workbook, "workbook bytes");
    WorkbookBuilder book;
    book.sheet(u"表紙"_qs).text(u"C3"_qs, u"T"_qs).text(u"C4"_qs, u"Book"_qs);
    m_source.addFile(workbook, book.build());
    m_source.attach()->openWorkbook(workbook);
    m_inputs.workbookName = u"Book.xlsx"_qs;
    m_inputs.sheetSelected = {true};
    m_inputs.file.OutputFileStr[1] = u".xlsx"_qs;
    m_inputs.file.OutputFileName = u"Book.xlsx"_qs;
    ASSERT_TRUE(QFile::link(m_dir.path(), path(u"linked"_qs)));
    // One file per table or one for all, and the directory named directly or
    // through a link.
    for (const int oneFile : {0, 1}) {
        for (const QString& dir : {m_dir.path(), path(u"linked"_qs)}) {
            SCOPED_TRACE(dir.toStdString() + (oneFile ? " one file" : " per table"));
            m_inputs.file.OutputFile = oneFile;
            m_inputs.file.OutputDir = dir;
            EXPECT_FALSE(run());
            const QString stop = lastMessage();
            EXPECT_TRUE(stop.contains(u"シート \"表紙\""_qs)) << stop.toStdString();
            EXPECT_TRUE(stop.contains(workbook)) << stop.toStdString();
            EXPECT_EQ(readBytes(workbook), "workbook bytes");
        }
    }
    // Refused before any question.
    EXPECT_FALSE(m_host.log().join(u'\n').contains(u"上書きしますか"_qs));
    EXPECT_EQ(entries(), (QStringList{u"Book.xlsx"_qs, u"linked"_qs}));
}

TEST_P(GenerationRunTest, OneQuestionBeforeReplacingTheOneFileOrMakingTheDirectory)
{
    // Cancel stops the run with nothing written; Ok goes on without asking again.
    const QString target = m_dir.path() + u"/a/b/c"_qs;
    ASSERT_TRUE(QDir().mkdir(m_dir.path() + u"/a"_qs));
    const struct
    {
        Change change;
        QString question;
        QString written;
    } cases[] = {
        {[](RunInputs& in, WorkbookBuilder&) {
             in.file.OutputFile = 1;
             in.file.OutputFileName = u"all.sql"_qs;
         },
         u"question question ok-cancel cancel: "_qs +
             overwritePrompt(m_dir.path() + u"/all.sql"_qs),
         path(u"all.sql"_qs)},
        {[&](RunInputs& in, WorkbookBuilder&) { in.file.OutputDir = u"  "_qs + target + u"/ "_qs; },
         u"question question ok-cancel ok: "_qs + target + u"\r\nディレクトリを作成しますか？"_qs,
         target + u"/注文.sql"_qs},
    };
    const RunInputs usual = m_inputs;
    for (const auto& c : cases) {
        m_inputs = usual;
        WorkbookBuilder book;
        c.change(m_inputs, book);
        writeBytes(path(u"all.sql"_qs), "old");
        m_host = test::ScriptedRunHost();
        m_host.answer(Answer::Cancel);
        EXPECT_FALSE(run());
        const QStringList log = m_host.logWithoutYields();
        EXPECT_EQ(log.filter(u"question"_qs), QStringList{c.question});
        EXPECT_EQ(log.last(), kStopped);
        EXPECT_EQ(entries(), (QStringList{u"a"_qs, u"all.sql"_qs}));
        EXPECT_EQ(readBytes(path(u"all.sql"_qs)), "old");

        m_host.answer(Answer::Ok);
        EXPECT_TRUE(run());
        EXPECT_TRUE(readText(c.written).contains(u"CREATE TABLE"_qs));
        EXPECT_TRUE(m_host.allAnswersUsed());
    }
}

TEST_P(GenerationRunTest, AStopMidwayLeavesEachFileAsItWasOrComplete)
{
    // The second selected sheet, 注文, stops the run: by a cancel before it, or by
    // a character code page 932 cannot represent in its third column row, after
    // some of its lines have been written.
    WorkbookBuilder book = tables();
    book.text(u"B9"_qs, u"NOTE"_qs).text(u"C9"_qs, u"VARCHAR2 \U0001F600"_qs);
    m_source.addOpenWorkbook(kBook, book.build());
    const QStringList names{u"all.sql"_qs, u"注文.sql"_qs, u"顧客マスタ.sql"_qs};

    for (const int oneFile : {0, 1}) {
        for (const bool cancel : {true, false}) {
            SCOPED_TRACE(std::string(oneFile ? "one file" : "per table") +
                         (cancel ? ", cancelled" : ", failed"));
            m_host = test::ScriptedRunHost(); // counts the yields of this run only
            for (const QString& name : names) {
                writeBytes(path(name), "old");
            }
            m_inputs.file.OutputFile = oneFile;
            m_inputs.file.OutputFileName = u"all.sql"_qs;
            m_host.answer(oneFile ? Answer::Ok : Answer::OverwriteAll);
            m_host.cancelAtYield(cancel ? 2 : 0);
            EXPECT_FALSE(run());
            // A file is replaced only complete: the per-table file of the first
            // sheet is; everything else keeps its old content.
            EXPECT_EQ(readText(path(u"顧客マスタ.sql"_qs)).startsWith(u"CREATE TABLE CUSTOMER"_qs),
                      !oneFile);
            EXPECT_EQ(readBytes(path(u"注文.sql"_qs)), "old");
            EXPECT_EQ(readBytes(path(u"all.sql"_qs)), "old");
            EXPECT_EQ(entries(), names);
            if (cancel) { // between the sheets: the second one is never begun
                EXPECT_FALSE(m_host.log().contains(u"progress: 2 / 2"_qs));
                EXPECT_EQ(m_host.log().mid(m_host.log().size() - 3),
                          (QStringList{u"yield"_qs, u"end"_qs, kStopped}));
            } else {
                const QString file = path(oneFile ? u"all.sql"_qs : u"注文.sql"_qs);
                EXPECT_EQ(lastMessage(),
                          u"message stop: 文字 U+1F600 (\U0001F600) はシフト JIS (コードページ "
                          u"932) で書けないため、ファイル \""_qs +
                              file + u"\" に出力できません (シート \"注文\" のセル C9)。"_qs);
            }
            EXPECT_TRUE(m_host.allAnswersUsed());
        }
    }
}

TEST_P(GenerationRunTest, ManySheetsComeOutInOrderUpToTheFirstFailingOne)
{
    // More sheets than are expanded ahead at once, the run stopping far from the start.
    WorkbookBuilder book;
    constexpr int kSheets = 30;
    constexpr int kFailing = 23;
    for (int n = 1; n <= kSheets; ++n) {
        book.sheet(QString::number(n))
            .text(u"C3"_qs, u"T_%1"_qs.arg(n))
            .text(u"C4"_qs, u"t%1"_qs.arg(n, 2, 10, QChar(u'0')))
            .number(u"B7"_qs, n);
        if (n == kFailing) {
            book.error(u"B8"_qs, u"#N/A"_qs);
        }
    }
    m_source.addOpenWorkbook(kBook, book.build());
    m_inputs.sheetSelected = QList<bool>(kSheets, true);
    EXPECT_FALSE(run());
    QStringList expected;
    for (int n = 1; n < kFailing; ++n) {
        const QString name = u"t%1.sql"_qs.arg(n, 2, 10, QChar(u'0'));
        expected.append(name);
        EXPECT_EQ(readText(path(name)), u"CREATE TABLE T_%1 (\r\n  %1\r\n);\r\n"_qs.arg(n));
    }
    EXPECT_EQ(entries(), expected);
    EXPECT_TRUE(lastMessage().contains(u"#N/A"_qs));
}

TEST_P(GenerationRunTest, TemplatesAreWrittenAsSplit)
{
    m_inputs.sheetSelected = {true, false, false};
    m_inputs.file.Text = {QString(), u"  "_qs, QString()};
    EXPECT_TRUE(run());
    EXPECT_EQ(readBytes(path(u"顧客マスタ.sql"_qs)), "  \r\n\r\n");
}

TEST_P(GenerationRunTest, RunningOutOfMemoryStopsTheRunWithAMessage)
{
    // A target that runs out of memory at the first line of the file.
    class StarvedTarget : public FileOutputTarget
    {
    public:
        void writeOutputLine(const QByteArray&) override { throw std::bad_alloc(); }
    };
    writeBytes(path(u"顧客マスタ.sql"_qs), "old");
    m_host.answer(Answer::Yes);
    StarvedTarget output;
    EXPECT_FALSE(GenerationRun(m_source, m_host, output).makeFiles(m_inputs));
    EXPECT_EQ(lastMessage(),
              u"message stop: メモリが足りません。シート \"顧客\" の出力を続けられません。"_qs);
    EXPECT_EQ(m_host.log().last(), kStopped);
    EXPECT_EQ(readBytes(path(u"顧客マスタ.sql"_qs)), "old");
    EXPECT_EQ(entries(), QStringList{u"顧客マスタ.sql"_qs});
}

INSTANTIATE_TEST_SUITE_P(Expansion, GenerationRunTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "AheadOnOtherThreads" : "OnTheRunsThread";
                         });
