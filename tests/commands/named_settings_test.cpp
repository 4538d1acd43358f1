#include "commands/named_settings.h"
#include "support/scripted_interaction.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

// The controls of the main window's file setting, as plain values.
class FakeFileControls : public NameBox, public SettingView<FileSetting>
{
public:
    QString name;
    QStringList names;
    FileSetting shown; // what the other controls show
    bool focused = false;

    QString nameText() const override { return name; }
    void setNameText(const QString& text) override { name = text; }
    void focusName() override { focused = true; }
    void appendName(const QString& text) override { names.append(text); }
    void removeName(qsizetype position) override { names.removeAt(position); }
    void chooseName(qsizetype position) override
    {
        name = position < 0 ? QString() : names.at(position);
    }
    FileSetting recordFromControls() const override
    {
        FileSetting record = shown;
        record.Name = name;
        return record;
    }
    void showRecord(const FileSetting& record) override
    {
        shown = asShown(record);
        name = record.Name;
    }
};

FileSetting setting(const char* name, const char* body)
{
    FileSetting record;
    record.Name = QString::fromUtf8(name);
    record.text(Template::Body) = QString::fromUtf8(body);
    return record;
}

class NamedSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        files = {setting("Orders", "a"), setting("Items", "b"), setting("Stock", "c")};
        named.showNames();
    }

    QString stored(const char* section, const char* key) const
    {
        return WindowStateFile(state.path())
            .readWindowState(QString::fromLatin1(section), QString::fromLatin1(key));
    }

    QTemporaryDir dir;
    WindowState state{dir.filePath(u"tavrune.ini"_qs)};
    FileSettings files;
    FakeFileControls view;
    test::ScriptedInteraction ui;
    int saves = 0;
    bool saveSucceeds = true;
    NamedSettings<FileSetting> named{SettingKind::File, files, view, view, ui, state, [this] {
                                         ++saves;
                                         return saveSucceeds;
                                     }};
};

TEST_F(NamedSettingsTest, RegisteringTrimsTheNameAndMatchesItExactly)
{
    const struct
    {
        const char* typed;
        qsizetype position; // where the record ends up
        bool asked;
    } cases[] = {
        {"  Orders  ", 0, true}, // replaces Orders after the question
        {"orders", 3, false},    // another name: appended, no question
        {" New ", 4, false},
    };
    for (const auto& c : cases) {
        view.name = QString::fromUtf8(c.typed);
        view.shown.text(Template::Body) = QString::fromUtf8(c.typed);
        if (c.asked) {
            ui.answer(Answer::Yes);
        }
        named.registerSetting();
        const QString name = view.name;
        EXPECT_EQ(name, QString::fromUtf8(c.typed).trimmed());
        EXPECT_EQ(files.at(c.position).Name, name);
        EXPECT_EQ(files.at(c.position).text(Template::Body), QString::fromUtf8(c.typed));
        EXPECT_EQ(ui.shown().last().text, u"登録しました。");
        EXPECT_EQ(ui.shown().last().icon, MessageIcon::Information);
    }
    EXPECT_EQ(ui.texts().first(), u"ファイル設定を上書きしますか？");
    EXPECT_EQ(ui.shown().first().defaultAnswer, Answer::No);
    EXPECT_EQ(view.names,
              QStringList({u"Orders"_qs, u"Items"_qs, u"Stock"_qs, u"orders"_qs, u"New"_qs}));
    EXPECT_EQ(saves, 3);
    EXPECT_EQ(stored("Name", "Main"), QString()); // registering chooses nothing
}

TEST_F(NamedSettingsTest, DeletingNeedsTheExactNameAndLeavesTheControls)
{
    view.shown.text(Template::Body) = u"kept"_qs;
    view.name = u" Orders"_qs; // a leading blank: not listed
    named.deleteSetting();
    EXPECT_TRUE(ui.shown().isEmpty());

    state.setChosenPosition(SettingKind::File, 2);
    view.name = u"Orders"_qs;
    ui.answer(Answer::No);
    named.deleteSetting();
    EXPECT_EQ(files.size(), 3);
    ui.answer(Answer::Yes);
    named.deleteSetting();
    EXPECT_EQ(ui.texts(), QStringList({u"ファイル設定を削除しますか？"_qs,
                                       u"ファイル設定を削除しますか？"_qs}));
    EXPECT_EQ(view.names, QStringList({u"Items"_qs, u"Stock"_qs}));
    EXPECT_EQ(view.name, QString());
    EXPECT_EQ(view.shown.text(Template::Body), u"kept");
    EXPECT_EQ(saves, 1);
    // The remembered position is not moved: the next start chooses what moved
    // into it.
    EXPECT_EQ(stored("Name", "Main"), u"2");
}

TEST_F(NamedSettingsTest, NothingIsRegisteredOrDeletedOnAnEmptyNameANoOrAFailedSave)
{
    const FileSettings before = files;
    view.name = u"   "_qs;
    named.registerSetting();
    EXPECT_EQ(ui.texts(), QStringList({u"設定名を入力してください。"_qs}));
    EXPECT_EQ(ui.shown().last().icon, MessageIcon::Exclamation);
    EXPECT_TRUE(view.focused);
    EXPECT_EQ(view.name, QString());

    view.name = u"Items"_qs;
    view.shown.text(Template::Body) = u"changed"_qs;
    ui.answer(Answer::No);
    named.registerSetting();
    EXPECT_EQ(saves, 0);

    saveSucceeds = false;
    ui.answer(Answer::Yes);
    named.registerSetting();
    ui.answer(Answer::Yes);
    named.deleteSetting();
    view.name = u"New"_qs;
    named.registerSetting();
    EXPECT_EQ(saves, 3);
    EXPECT_EQ(files, before);
    EXPECT_EQ(view.names, QStringList({u"Orders"_qs, u"Items"_qs, u"Stock"_qs}));
    EXPECT_FALSE(ui.texts().contains(u"登録しました。"_qs));
    EXPECT_TRUE(named.hasUnregisteredEdits());
}

TEST_F(NamedSettingsTest, ChoosingShowsTheRecordAndEditsAreJudgedAsTheControlsShowThem)
{
    EXPECT_FALSE(named.choose(3));
    EXPECT_TRUE(named.choose(1));
    EXPECT_EQ(view.name, u"Items");
    EXPECT_EQ(view.shown.text(Template::Body), u"b");
    EXPECT_EQ(stored("Name", "Main"), u"1");
    EXPECT_FALSE(named.hasUnregisteredEdits());
    view.shown.OutputDir = u"/tmp"_qs;
    EXPECT_TRUE(named.hasUnregisteredEdits());

    // A hand-edited record whose output mode and check the controls cannot show.
    FileSetting odd = setting("Odd", "x");
    odd.OutputFile = 2;
    odd.OutputFileStrCheck = {5, 1};
    files.append(odd);
    view.appendName(odd.Name);
    ASSERT_TRUE(named.choose(3));
    EXPECT_EQ(view.shown.OutputFile, 0);
    EXPECT_FALSE(named.hasUnregisteredEdits());

    // Nothing registered under the name shown: anything typed counts.
    view.name = u"Unnamed"_qs;
    EXPECT_TRUE(named.hasUnregisteredEdits());
    view.shown = FileSetting{};
    EXPECT_FALSE(named.hasUnregisteredEdits());
}

} // namespace
