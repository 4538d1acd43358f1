#include "common/error.h"
#include "support/test_files.h"
#include "support/workbook_builder.h"
#include "workbook/file_workbook_source.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;
using test::readBytes;
using test::writeBytes;

namespace {

// Workbooks as plain text for testing the source's bookkeeping: one line per cell,
// "sheet|address|value"; a line "broken" makes the read fail like a damaged file.
WorkbookData readTextWorkbook(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Error(ErrorNumber::FileNotFound, QStringLiteral("missing ") + path);
    }
    WorkbookBuilder builder;
    QString current;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        if (line == QStringLiteral("broken")) {
            throw Error(ErrorNumber::ApplicationDefined, QStringLiteral("broken ") + path);
        }
        const QStringList parts = line.split(u'|');
        if (parts[0] != current) {
            builder.sheet(parts[0]);
            current = parts[0];
        }
        builder.text(parts[1], parts[2]);
    }
    return builder.build();
}

class FileWorkbookSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Tables.xlsx"));
        writeBytes(m_path, "S1|C3|CUSTOMER\n");
    }

    QString firstCell(WorkbookConnection& connection)
    {
        connection.activateWorkbook(QStringLiteral("Tables.xlsx"));
        return connection.cellValue(connection.activeWorkbookSheets().at(0), QStringLiteral("C3"));
    }

    QTemporaryDir m_dir;
    QString m_path;
    int m_reads = 0;
    // Saved one by one as the next reads look at the file; such a read fails when
    // m_saveBreaksRead, as one meeting a half-written file does.
    QByteArrayList m_savesDuringRead;
    bool m_saveBreaksRead = true;
    FileWorkbookSource m_source{[this](const QString& path) {
        ++m_reads;
        WorkbookData data = readTextWorkbook(path);
        if (!m_savesDuringRead.isEmpty()) {
            writeBytes(path, m_savesDuringRead.takeFirst());
            if (m_saveBreaksRead) {
                throw Error(ErrorNumber::ApplicationDefined, QStringLiteral("half-saved ") + path);
            }
        }
        return data;
    }};
};

} // namespace

TEST_F(FileWorkbookSourceTest, ReadsAChangedFileAgainAtTheNextAttach)
{
    {
        auto connection = m_source.attach();
        connection->openWorkbook(m_path);
        EXPECT_EQ(connection->workbookName(1), QStringLiteral("Tables.xlsx"));
        EXPECT_EQ(firstCell(*connection), QStringLiteral("CUSTOMER"));
    }
    // Unchanged: not read again.
    m_source.attach();
    EXPECT_EQ(m_reads, 1);

    writeBytes(m_path, "S1|C3|CLIENT_MASTER\nS2|A1|x\n");
    auto connection = m_source.attach();
    EXPECT_EQ(m_reads, 2);
    EXPECT_EQ(firstCell(*connection), QStringLiteral("CLIENT_MASTER"));
    EXPECT_EQ(connection->activeWorkbookSheets().size(), 2);
}

TEST_F(FileWorkbookSourceTest, HandlesOutliveAReadAgain)
{
    auto connection = m_source.attach();
    connection->openWorkbook(m_path);
    const WorksheetHandle sheet = connection->worksheetAt(QStringLiteral("Tables.xlsx"), 1);
    writeBytes(m_path, "S1|C3|NEW_NAME_THAT_IS_LONGER\n");
    connection->openWorkbook(m_path); // reads it again, keeps one entry
    EXPECT_EQ(connection->workbookCount(), 1);
    EXPECT_EQ(connection->cellValue(sheet, QStringLiteral("C3")), QStringLiteral("CUSTOMER"));
    EXPECT_EQ(firstCell(*connection), QStringLiteral("NEW_NAME_THAT_IS_LONGER"));
}

TEST_F(FileWorkbookSourceTest, KeepsTheLastContentWhenTheFileVanishesOrBreaks)
{
    m_source.attach()->openWorkbook(m_path);
    writeBytes(m_path, "S1|C3|xy\nbroken\n");
    auto connection = m_source.attach();
    EXPECT_EQ(firstCell(*connection), QStringLiteral("CUSTOMER"));
    // Retried at the next attach, and taken once the file reads.
    writeBytes(m_path, "S1|C3|FIXED\n");
    EXPECT_EQ(firstCell(*m_source.attach()), QStringLiteral("FIXED"));

    ASSERT_TRUE(QFile::remove(m_path));
    connection = m_source.attach();
    EXPECT_EQ(connection->workbookCount(), 1);
    EXPECT_EQ(firstCell(*connection), QStringLiteral("FIXED"));
}

// A file that is missing or does not read, or a second workbook of the same name
// from another folder, is refused naming its path, and nothing is added.
TEST_F(FileWorkbookSourceTest, FailedOpensAddNothing)
{
    auto connection = m_source.attach();
    connection->openWorkbook(m_path);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"other"_qs));
    const QString sameName = m_dir.filePath(u"other/TABLES.xlsx"_qs);
    writeBytes(sameName, "S1|C3|OTHER\n");
    const QString broken = m_dir.filePath(u"Broken.xlsx"_qs);
    writeBytes(broken, "broken\n");
    for (const QString& path : {m_dir.filePath(u"none.xlsx"_qs), broken, sameName}) {
        try {
            connection->openWorkbook(path);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const Error& error) {
            EXPECT_TRUE(error.description().contains(path)) << error.what();
        }
    }
    EXPECT_EQ(connection->workbookCount(), 1);
    EXPECT_EQ(firstCell(*connection), u"CUSTOMER"_qs);
    EXPECT_EQ(m_reads, 3); // a file that stays as it is is read once, damaged or missing
}

// A read that met a save looked at half a file, whether it failed or not: it is
// read again and what the file holds then is taken. A file that changes at every
// read is refused, naming it.
TEST_F(FileWorkbookSourceTest, AFileSavedWhileItIsReadIsReadAgain)
{
    for (const bool breaksRead : {true, false}) {
        SCOPED_TRACE(breaksRead ? "failed read" : "read");
        m_saveBreaksRead = breaksRead;
        m_savesDuringRead = {breaksRead ? "S1|C3|SAVED\n" : "S1|C3|SAVED_AGAIN\n"};
        m_reads = 0;
        const auto connection = m_source.attach();
        connection->openWorkbook(m_path);
        EXPECT_EQ(m_reads, 2);
        EXPECT_EQ(firstCell(*connection), breaksRead ? u"SAVED"_qs : u"SAVED_AGAIN"_qs);
    }
    m_savesDuringRead = {"S1|C3|A\n", "S1|C3|BB\n", "S1|C3|A\n"};
    try {
        m_source.attach()->openWorkbook(m_path);
        ADD_FAILURE() << "a file changing at every read was taken";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(m_path)) << error.what();
    }
}

// A snapshot keeps the workbooks as they were when it was taken and never reads
// a file again; the source itself sees the next version.
TEST_F(FileWorkbookSourceTest, ASnapshotKeepsTheVersionReadBeforeIt)
{
    m_source.attach()->openWorkbook(m_path);
    const std::unique_ptr<WorkbookSource> snapshot = m_source.snapshot();
    writeBytes(m_path, "S1|C3|CLIENT_MASTER\n");
    EXPECT_EQ(firstCell(*snapshot->attach()), u"CUSTOMER"_qs);
    EXPECT_EQ(m_reads, 1);
    EXPECT_EQ(firstCell(*m_source.attach()), u"CLIENT_MASTER"_qs);
}
