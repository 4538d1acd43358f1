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
    QString path() const { return m_dir.filePath(QStringLiteral("tavrune.ini")); }

    QTemporaryDir m_dir;
    WindowStateFile state{path()};
};

} // namespace

TEST_F(WindowStateFileTest, ReadsHandWrittenFilesLikeTheProfileFunctions)
{
    writeBytes(path(), kHandWritten);
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Pos"), QStringLiteral("Left")),
              QStringLiteral("1200.6"));
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("POS"), QStringLiteral("top")),
              QStringLiteral("  quoted  "));
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Pos"), QStringLiteral("Width")),
              QStringLiteral("single"));
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Pos"), QStringLiteral("Height")),
              QStringLiteral("\"unmatched"));
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("excel"), QStringLiteral("defpath")),
              QStringLiteral("C:\\顧客\\a.xlsx"));
    // Comments, a second section of the same name, empty and missing values.
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Pos"), QStringLiteral("Splitter")), QString());
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Excel"), QStringLiteral("Recent1")), QString());
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Excel"), QStringLiteral("Left")), QString());
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Name"), QStringLiteral("Main")), QString());

    EXPECT_EQ(state.readInt32(QStringLiteral("Pos"), QStringLiteral("Left")), 1201);
    EXPECT_DOUBLE_EQ(state.readNumber(QStringLiteral("Pos"), QStringLiteral("Left")), 1200.6);
    EXPECT_EQ(state.readInt16(QStringLiteral("Pos"), QStringLiteral("Width")), 0);
}

TEST_F(WindowStateFileTest, MissingFileReadsEmpty)
{
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Pos"), QStringLiteral("Left")), QString());
    EXPECT_EQ(state.readInt16(QStringLiteral("Name"), QStringLiteral("Main")), 0);
    EXPECT_FALSE(QFileInfo::exists(path()));
}

TEST_F(WindowStateFileTest, NumbersOutOfRangeReadAsNothing)
{
    writeBytes(path(), "[N]\r\nbig=40000\r\nhuge=1e999\r\n");
    const QString n = QStringLiteral("N");
    EXPECT_EQ(state.readInt16(n, QStringLiteral("big")), std::nullopt);
    EXPECT_EQ(state.readInt32(n, QStringLiteral("big")), 40000);
    EXPECT_EQ(state.readInt32(n, QStringLiteral("huge")), std::nullopt);
    EXPECT_EQ(state.readNumber(n, QStringLiteral("huge")), 0);
}

TEST_F(WindowStateFileTest, LongValuesAreCutAt254BytesAndAtNul)
{
    const QByteArray single(300, 'p');
    QByteArray doubleBytes = "x";
    for (int i = 0; i < 150; ++i) {
        doubleBytes += "\x8c\xda"; // 顧
    }
    writeBytes(path(), "[Excel]\r\nRecent1=" + single + "\r\nRecent2=" + doubleBytes +
                           "\r\nRecent3=\"" + single + "\"\r\nRecent4=ab" + QByteArray(1, '\0') +
                           "cd\r\n");
    const QString excel = QStringLiteral("Excel");
    EXPECT_EQ(state.ReadWindowState(excel, QStringLiteral("Recent1")), QString(254, u'p'));
    // 1 + 126 * 2 bytes: the character that would be split at byte 254 is left out.
    EXPECT_EQ(state.ReadWindowState(excel, QStringLiteral("Recent2")),
              QStringLiteral("x") + QString(126, QChar(0x9867)));
    EXPECT_EQ(state.ReadWindowState(excel, QStringLiteral("Recent3")), QString(254, u'p'));
    EXPECT_EQ(state.ReadWindowState(excel, QStringLiteral("Recent4")), QStringLiteral("ab"));
}

TEST_F(WindowStateFileTest, WritesCreateFileSectionAndKey)
{
    ASSERT_TRUE(state.WriteWindowState(QStringLiteral("Pos"), QStringLiteral("Left"),
                                       QStringLiteral("100")));
    ASSERT_TRUE(state.WriteWindowState(QStringLiteral("Excel"), QStringLiteral("DefPath"),
                                       QStringLiteral("C:\\顧客.xls")));
    ASSERT_TRUE(
        state.WriteWindowState(QStringLiteral("pos"), QStringLiteral("Top"), QStringLiteral("5")));
    ASSERT_TRUE(state.WriteWindowState(QStringLiteral("POS"), QStringLiteral("LEFT"),
                                       QStringLiteral("-200")));
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=-200\r\nTop=5\r\n"
                                            "[Excel]\r\nDefPath=C:\\\x8c\xda\x8b\x71.xls\r\n"));
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Excel"), QStringLiteral("DefPath")),
              QStringLiteral("C:\\顧客.xls"));
}

TEST_F(WindowStateFileTest, WritesKeepEveryOtherLine)
{
    writeBytes(path(), kHandWritten);
    ASSERT_TRUE(
        state.WriteWindowState(QStringLiteral("Pos"), QStringLiteral("left"), QStringLiteral("7")));
    ASSERT_TRUE(state.WriteWindowState(QStringLiteral("Pos"), QStringLiteral("Splitter"),
                                       QStringLiteral("3")));
    ASSERT_TRUE(state.WriteWindowState(QStringLiteral("Excel"), QStringLiteral("Recent2"),
                                       QStringLiteral("b.xls")));
    ASSERT_TRUE(state.WriteWindowState(QStringLiteral("Name"), QStringLiteral("Main"),
                                       QStringLiteral("0")));
    QByteArray expected = kHandWritten;
    expected.replace("  LEFT   =   1200.6   \r\n", "  LEFT=7\r\n");
    expected.replace("no equals sign\r\n", "no equals sign\r\nSplitter=3\r\n");
    expected.replace("Recent1=\"\"\n", "Recent1=\"\"\nRecent2=b.xls\r\n");
    expected += "[Name]\r\nMain=0\r\n";
    EXPECT_EQ(readBytes(path()), expected);
    EXPECT_EQ(state.ReadWindowState(QStringLiteral("Pos"), QStringLiteral("Splitter")),
              QStringLiteral("3"));
}

TEST_F(WindowStateFileTest, FailedWritesChangeNothing)
{
    writeBytes(path(), "[Pos]\r\nLeft=1");
    const QString pos = QStringLiteral("Pos");
    EXPECT_FALSE(state.WriteWindowState(pos, QStringLiteral("Left"), QStringLiteral("😀")));
    EXPECT_FALSE(state.WriteWindowState(pos, QStringLiteral("Left"), QStringLiteral("a\nb")));
    EXPECT_FALSE(state.WriteWindowState(pos, QStringLiteral("A=B"), QStringLiteral("1")));
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=1"));
    // A file without its last line end gets one before the new key.
    ASSERT_TRUE(state.WriteWindowState(pos, QStringLiteral("Top"), QStringLiteral("2")));
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=1\r\nTop=2\r\n"));

    // Locations that cannot be written: below a regular file, and a directory.
    WindowStateFile below(path() + QStringLiteral("/x.ini"));
    EXPECT_FALSE(below.WriteWindowState(pos, QStringLiteral("Left"), QStringLiteral("1")));
    EXPECT_EQ(readBytes(path()), QByteArray("[Pos]\r\nLeft=1\r\nTop=2\r\n"));
    WindowStateFile directory(m_dir.path());
    EXPECT_FALSE(directory.WriteWindowState(pos, QStringLiteral("Left"), QStringLiteral("1")));
    EXPECT_EQ(directory.ReadWindowState(pos, QStringLiteral("Left")), QString());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("tavrune.ini")});
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
    EXPECT_EQ(typed.recentFiles(),
              QStringList({QStringLiteral("/a.xlsx"), QStringLiteral("/b.xls")}));
    // A stored position beyond the list chooses nothing; one inside it is kept.
    EXPECT_EQ(typed.chosenPosition(SettingKind::File, 2), std::nullopt);
    EXPECT_EQ(typed.chosenPosition(SettingKind::File, 4), 3);
    EXPECT_EQ(typed.chosenPosition(SettingKind::Format, 2), 1);

    // A value out of range puts the window where a first start does; a missing
    // position chooses the first setting; state 1 or TopMost 0 mean neither.
    writeBytes(path(), "[Pos]\r\nLeft=1E20\r\nTop=5\r\nWidth=9000\r\nHeight=7000\r\n"
                       "[Window]\r\nState=1\r\nTopMost=0\r\n[Name]\r\nFormat=40000\r\n");
    EXPECT_EQ(typed.bounds(), WindowState::Bounds{});
    EXPECT_FALSE(typed.maximized());
    EXPECT_FALSE(typed.topMost());
    EXPECT_EQ(typed.chosenPosition(SettingKind::File, 1), 0);
    EXPECT_EQ(typed.chosenPosition(SettingKind::File, 0), std::nullopt);
    EXPECT_EQ(typed.chosenPosition(SettingKind::Format, 5), std::nullopt);
}

TEST_F(WindowStateFileTest, TypedWritesKeepRecentKeysBeyondTheList)
{
    writeBytes(path(), "[Excel]\r\nRecent1=/old1\r\nRecent2=/old2\r\nRecent3=/old3\r\n");
    WindowState typed(path());
    typed.setRecentFiles({QStringLiteral("/new1"), QStringLiteral("/new2")});
    typed.setTopMost(true);
    typed.setChosenPosition(SettingKind::Format, 4);
    const WindowStateFile file(path());
    EXPECT_EQ(file.ReadWindowState(QStringLiteral("Excel"), QStringLiteral("Recent2")), u"/new2");
    EXPECT_EQ(file.ReadWindowState(QStringLiteral("Excel"), QStringLiteral("Recent3")), u"/old3");
    EXPECT_EQ(file.ReadWindowState(QStringLiteral("Window"), QStringLiteral("TopMost")), u"-1");
    EXPECT_EQ(file.ReadWindowState(QStringLiteral("Name"), QStringLiteral("Format")), u"4");
}
