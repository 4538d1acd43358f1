#include "generation/file_output_target.h"
#include "generation/generation_run.h"
#include "support/sample_format.h"
#include "support/scripted_run_host.h"
#include "support/test_files.h"
#include "support/workbook_builder.h"
#include "workbook/file_workbook_source.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

// Two saved versions of one workbook. Its file holds only "A" or "B"; the reader
// makes version A three tables, A1 to A3, and version B one, B1.
WorkbookData version(const QByteArray& tag)
{
    WorkbookBuilder book;
    const int tables = tag == "A" ? 3 : 1;
    for (int i = 1; i <= tables; ++i) {
        const QString name = QString::fromLatin1(tag) + QString::number(i);
        book.sheet(name).text(u"C3"_qs, u"T_"_qs + name).text(u"C4"_qs, name);
    }
    return book.build();
}

// Saves as spreadsheet applications do: a new file renamed over the old one.
void saveByRename(const QString& path, const QByteArray& tag)
{
    const QString saving = path + u".saving"_qs;
    test::writeBytes(saving, tag);
    ASSERT_EQ(
        std::rename(QFile::encodeName(saving).constData(), QFile::encodeName(path).constData()), 0);
}

// A run host that does something at one yield, as a command started from
// another window or a second start of the program would.
class HostActingAtYield : public test::ScriptedRunHost
{
public:
    HostActingAtYield(int yield, std::function<void()> action)
        : m_yield(yield), m_action(std::move(action))
    {
    }

    void processEvents() override
    {
        ScriptedRunHost::processEvents();
        if (++m_yields == m_yield) {
            m_action();
        }
    }

private:
    int m_yield;
    int m_yields = 0;
    std::function<void()> m_action;
};

class RunWorkbookVersionTest : public ::testing::Test
{
protected:
    RunWorkbookVersionTest()
    {
        m_book = m_dir.filePath(u"Book.xlsx"_qs);
        test::writeBytes(m_book, "A");
        m_inputs.format = test::sampleFormat();
        m_inputs.file.Text = {u"CREATE TABLE [%TableName];"_qs, QString(), QString()};
        m_inputs.file.OutputDir = m_dir.filePath(u"out"_qs);
        m_inputs.file.OutputFileStrCheck = {0, 1};
        m_inputs.file.OutputFileStr = {QString(), u".sql"_qs};
        m_inputs.workbookName = u"Book.xlsx"_qs;
        m_inputs.sheetSelected = {true, true, true};
    }

    // The files the run wrote, with their first lines.
    QStringList written() const
    {
        QStringList files;
        const QDir out(m_inputs.file.OutputDir);
        for (const QString& name : out.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            files.append(name + u": "_qs +
                         QString::fromLatin1(test::readBytes(out.filePath(name))).trimmed());
        }
        return files;
    }

    qsizetype sheetCount(WorkbookSource& source) const
    {
        const auto connection = source.attach();
        connection->activateWorkbook(u"Book.xlsx"_qs);
        return connection->activeWorkbookSheets().size();
    }

    QTemporaryDir m_dir;
    QString m_book;
    int m_reads = 0;
    FileWorkbookSource m_files{[this](const QString& path) {
        ++m_reads;
        return version(test::readBytes(path));
    }};
    FileOutputTarget m_output;
    RunInputs m_inputs;
};

const QStringList kVersionA{u"A1.sql: CREATE TABLE T_A1;"_qs, u"A2.sql: CREATE TABLE T_A2;"_qs,
                            u"A3.sql: CREATE TABLE T_A3;"_qs};

} // namespace

TEST_F(RunWorkbookVersionTest, ARunKeepsTheVersionItStartedWith)
{
    m_files.attach()->openWorkbook(m_book);
    // Between the first and the second sheet the workbook is saved anew, and read
    // again by a command that starts meanwhile.
    HostActingAtYield host(2, [this] {
        saveByRename(m_book, "B");
        EXPECT_EQ(sheetCount(m_files), 1);
    });
    host.answer(Answer::Ok); // the output directory is made
    EXPECT_TRUE(GenerationRun(m_files, host, m_output).makeFiles(m_inputs));
    EXPECT_EQ(written(), kVersionA);
    EXPECT_EQ(m_reads, 2);
}
