#include "common/error.h"
#include "settings/window_state.h"
#include "settings/window_state_file.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;
using test::readBytes;
using test::writeBytes;

namespace {

// A file as a user might edit it by hand.
const QByteArray kHandWritten = "; remembered by the program\r\n"
                                "[ pos ]\r\n"
                                "  LEFT   =   1200.6   \r\n"
                                "Top=\t\"  quoted  \"\r\n"
                                "Width='single'\r\n"
                                "Height=\"unmatched\r\n"
                                ";Splitter=99\r\n"
                                "no equals sign\r\n"
                                "\r\n"
                                "[Excel]\n"
                                "DefPath = C:\\\x8c\xda\x8b\x71\\a.xlsx\n"
                                "Recent1=\"\"\n"
                                "\r\n"
                                "[Pos]\r\n"
                                "Splitter=5\r\n";

class WindowStateFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(u"tavrune.ini"_qs); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(WindowStateFileTest, ReadsHandWrittenFilesLikeTheProfileFunctions)
{
    writeBytes(path(), kHandWritten);
    const WindowStateFile state(path());
    EXPECT_EQ(state.readWindowState(u"Pos"_qs, u"Left"_qs), u"1200.6"_qs);
    EXPECT_EQ(state.readWindowState(u"POS"_qs, u"top"_qs), u"  quoted  "_qs);
    EXPECT_EQ(state.readWindowState(u"Pos"_qs, u"Width"_qs), u"single"_qs);
    EXPECT_EQ(state.readWindowState(u"Pos"_qs, u"Height"_qs), u"\"unmatched"_qs);
    EXPECT_EQ(state.readWindowState(u"excel"_qs, u"defpath"_qs), u"C:\\顧客\\a.xlsx"_qs);
    // Comments, a second section of the same name, empty and missing values.
    EXPECT_EQ(state.readWindowState(u"Pos"_qs, u"Splitter"_qs), QString());
    EXPECT_EQ(state.readWindowState(u"Excel"_qs, u"Recent1"_qs), QString());
    EXPECT_EQ(state.readWindowState(u"Excel"_qs, u"Left"_qs), QString());
    EXPECT_EQ(state.readWindowState(u"Name"_qs, u"Main"_qs), QString());

    EXPECT_EQ(state.readInt32(u"Pos"_qs, u"Left"_qs), 1201);
    EXPECT_DOUBLE_EQ(state.readNumber(u"Pos"_qs, u"Left"_qs), 1200.6);
    EXPECT_EQ(state.readInt16(u"Pos"_qs, u"Width"_qs), 0);
}

TEST_F(WindowStateFileTest, LongValuesAreCutAndNumbersOutOfRangeReadAsNothing)
{
    const QByteArray single(300, 'p');
    QByteArray doubleBytes = "x";
    for (int i = 0; i < 150; ++i) {
        doubleBytes += "\x8c\xda"; // 顧
    }
    writeBytes(path(), "[Excel]\r\nRecent1=" + single + "\r\nRecent2=" + doubleBytes +
                           "\r\nRecent3=\"" + single + "\"\r\nRecent4=ab" + QByteArray(1, '\0') +
                           "cd\r\nbig=40000\r\nhuge=1e999\r\n");
    const WindowStateFile state(path());
    const QString excel = u"Excel"_qs;
    EXPECT_EQ(state.readWindowState(excel, u"Recent1"_qs), QString(254, u'p'));
    // 1 + 126 * 2 bytes: the character that would be split at byte 254 is left out.
    EXPECT_EQ(state.readWindowState(excel, u"Recent2"_qs), u"x"_qs + QString(126, QChar(0x9867)));
    EXPECT_EQ(state.readWindowState(excel, u"Recent3"_qs), QString(254, u'p'));
    EXPECT_EQ(state.readWindowState(excel, u"Recent4"_qs), u"ab"_qs);
    EXPECT_EQ(state.readInt16(excel, u"big"_qs), std::nullopt);
    EXPECT_EQ(state.readInt32(excel, u"big"_qs), 40000);
    EXPECT_EQ(state.readInt32(excel, u"huge"_qs), std::nullopt);
    EXPECT_EQ(state.readNumber(excel, u"huge"_qs), 0);

    // A missing file reads empty and is not made.
    const WindowStateFile missing(m_dir.filePath(u"none.ini"_qs));
    EXPECT_EQ(missing.readWindowState(excel, u"Recent1"_qs), QString());
    EXPECT_EQ(missing.readInt16(excel, u"big"_qs), 0);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(u"none.ini"_qs)));
}

TEST_F(WindowStateFileTest, WritesCreateFileSectionAndKey)
{
    WindowStateFile state(path());
    ASSERT_TRUE(state.writeWindowState(u"Pos"_qs, u"Left"_qs, u"100"_qs));
    ASSERT_TRUE(state.writeWindowState(u"Excel"_qs, u"DefPath"_qs, u"C:\\顧客.xls"_qs));
    ASSERT_TRUE(state.writeWindowState(u"pos"_qs, u"Top"_qs, u"5"_qs));
    ASSERT_TRUE(state.writeWindowState(u"POS"_qs, u"LEFT"_qs, u"-200"_qs));
    EXPECT_EQ(state.readWindowState(u"Excel"_qs, u"DefPath"_qs), u"C:\\顧客.xls"_qs);
    EXPECT_FALSE(QFileInfo::exists(path())); // gathered for one write
    state.save();
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=-200\r\nTop=5\r\n"
                                            "[Excel]\r\nDefPath=C:\\\x8c\xda\x8b\x71.xls\r\n"));
}

TEST_F(WindowStateFileTest, WritesKeepEveryOtherLine)
{
    writeBytes(path(), kHandWritten);
    WindowStateFile state(path());
    ASSERT_TRUE(state.writeWindowState(u"Pos"_qs, u"left"_qs, u"7"_qs));
    ASSERT_TRUE(state.writeWindowState(u"Pos"_qs, u"Splitter"_qs, u"3"_qs));
    ASSERT_TRUE(state.writeWindowState(u"Excel"_qs, u"Recent2"_qs, u"b.xls"_qs));
    ASSERT_TRUE(state.writeWindowState(u"Name"_qs, u"Main"_qs, u"0"_qs));
    QByteArray expected = kHandWritten;
    expected.replace("  LEFT   =   1200.6   \r\n", "  LEFT=7\r\n");
    expected.replace("no equals sign\r\n", "no equals sign\r\nSplitter=3\r\n");
    expected.replace("Recent1=\"\"\n", "Recent1=\"\"\nRecent2=b.xls\r\n");
    expected += "[Name]\r\nMain=0\r\n";
    state.save();
    EXPECT_EQ(readBytes(path()), expected);
    EXPECT_EQ(state.readWindowState(u"Pos"_qs, u"Splitter"_qs), u"3"_qs);
    // New lines follow the file's own line ends.
    writeBytes(path(), "[Pos]\nLeft=1\n");
    WindowStateFile lf(path());
    ASSERT_TRUE(lf.writeWindowState(u"Pos"_qs, u"Top"_qs, u"2"_qs));
    ASSERT_TRUE(lf.writeWindowState(u"Name"_qs, u"Main"_qs, u"0"_qs));
    lf.save();
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\nLeft=1\nTop=2\n[Name]\nMain=0\n"));
}

TEST_F(WindowStateFileTest, FailedWritesChangeNothing)
{
    writeBytes(path(), "[Pos]\r\nLeft=1");
    WindowStateFile state(path());
    const QString pos = u"Pos"_qs;
    EXPECT_FALSE(state.writeWindowState(pos, u"Left"_qs, u"😀"_qs));
    EXPECT_FALSE(state.writeWindowState(pos, u"Left"_qs, u"a\nb"_qs));
    EXPECT_FALSE(state.writeWindowState(pos, u"A=B"_qs, u"1"_qs));
    EXPECT_FALSE(state.hasUnsavedChanges());
    // A write the system refuses, as on a full disk.
    ASSERT_TRUE(state.writeWindowState(pos, u"Top"_qs, u"2"_qs));
    test::withFileSizeLimit(8, [&] { EXPECT_THROW(state.save(), Error); });
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=1"));
    // A file without its last line end gets one before the new key.
    state.save();
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=1\r\nTop=2\r\n"));

    // Locations that cannot be written: below a regular file, and a directory.
    for (const QString& place : {path() + u"/x.ini"_qs, m_dir.path()}) {
        WindowStateFile elsewhere(place);
        ASSERT_TRUE(elsewhere.writeWindowState(pos, u"Left"_qs, u"1"_qs));
        EXPECT_THROW(elsewhere.save(), Error);
    }
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=1\r\nTop=2\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{u"tavrune.ini"_qs});
}

TEST_F(WindowStateFileTest, ReadOnceAndSavedOverEditsMadeMeanwhile)
{
    writeBytes(path(), kHandWritten);
    WindowStateFile state(path());
    writeBytes(path(), "[Pos]\r\nLeft=1\r\n");
    EXPECT_EQ(state.readWindowState(u"Pos"_qs, u"Left"_qs), u"1200.6"_qs);
    ASSERT_TRUE(state.writeWindowState(u"Pos"_qs, u"Top"_qs, u"5"_qs));
    state.save();
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=1\r\nTop=5\r\n"));
}

TEST_F(WindowStateFileTest, TypedKeysFollowTheStartUpRules)
{
    writeBytes(path(), "[Pos]\r\nLeft=1200.6\r\nTop=-30\r\nWidth=9000\r\nHeight=7000\r\n"
                       "Splitter=2500.5\r\n[Window]\r\nState=2\r\nTopMost=1\r\n"
                       "[Excel]\r\nRecent1=/a.xlsx\r\nRecent2=/b.xls\r\nRecent3=\r\nRecent4=/d\r\n"
                       "[Name]\r\nMain=3\r\nFormat=1\r\n");
    const WindowState typed(path());
    EXPECT_EQ(typed.bounds(), (WindowState::Bounds{1201, -30, 9000, 7000}));
    EXPECT_DOUBLE_EQ(typed.splitter(), 2500.5);
    EXPECT_TRUE(typed.maximized());
    EXPECT_TRUE(typed.topMost());
    EXPECT_EQ(typed.recentFiles(), QStringList({u"/a.xlsx"_qs, u"/b.xls"_qs}));
    // A stored position beyond the list chooses nothing; one inside it is kept.
    EXPECT_EQ(typed.chosenPosition(SettingKind::File, 2), std::nullopt);
    EXPECT_EQ(typed.chosenPosition(SettingKind::File, 4), 3);
    EXPECT_EQ(typed.chosenPosition(SettingKind::Format, 2), 1);

    // A value out of range puts the window where a first start does; a missing
    // position chooses the first setting; state 1 or TopMost 0 mean neither.
    writeBytes(path(), "[Pos]\r\nLeft=1E20\r\nTop=5\r\nWidth=9000\r\nHeight=7000\r\n"
                       "[Window]\r\nState=1\r\nTopMost=0\r\n[Name]\r\nFormat=40000\r\n");
    const WindowState other(path());
    EXPECT_EQ(other.bounds(), WindowState::Bounds{});
    EXPECT_FALSE(other.maximized());
    EXPECT_FALSE(other.topMost());
    EXPECT_EQ(other.chosenPosition(SettingKind::File, 1), 0);
    EXPECT_EQ(other.chosenPosition(SettingKind::File, 0), std::nullopt);
    EXPECT_EQ(other.chosenPosition(SettingKind::Format, 5), std::nullopt);
}

TEST_F(WindowStateFileTest, TypedWritesKeepRecentKeysBeyondTheList)
{
    writeBytes(path(), "[Excel]\r\nRecent1=/old1\r\nRecent2=/old2\r\nRecent3=/old3\r\n");
    WindowState typed(path());
    typed.setRecentFiles({u"/new1"_qs, u"/new2"_qs});
    typed.setTopMost(true);
    typed.setChosenPosition(SettingKind::Format, 4);
    typed.save();
    const WindowStateFile file(path());
    EXPECT_EQ(file.readWindowState(u"Excel"_qs, u"Recent2"_qs), u"/new2");
    EXPECT_EQ(file.readWindowState(u"Excel"_qs, u"Recent3"_qs), u"/old3");
    EXPECT_EQ(file.readWindowState(u"Window"_qs, u"TopMost"_qs), u"-1");
    EXPECT_EQ(file.readWindowState(u"Name"_qs, u"Format"_qs), u"4");
}
