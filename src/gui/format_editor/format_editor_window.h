#pragma once

#include "commands/named_settings.h"
#include "gui/name_combo_box.h"
#include "settings/setting_fields.h"
#include "settings/settings_records.h"

#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;

namespace tavrune {

class UserInteraction;
class WindowState;

// The format settings editor "ﾌｫｰﾏｯﾄ設定": its fields are the format in force, read
// by every run and every fill of the sheet list whether the window is shown or
// hidden. Formats are registered, chosen and deleted by name. It lives as long
// as the program; closing it only hides it.
class FormatEditorWindow : public QWidget, private SettingView<FormatSetting>
{
    Q_OBJECT

public:
    // formats: the registered formats; save writes the settings file. The
    // position chosen last is written to windowState.
    FormatEditorWindow(FormatSettings& formats, WindowState& windowState,
                       UserInteraction& interaction, std::function<bool()> save,
                       QWidget* parent = nullptr);
    ~FormatEditorWindow() override;

    // The fields as typed, the start row read as a number; throws an Error naming
    // the start row when it is beyond 32 bits.
    FormatSetting format() const;
    // A field's text as typed.
    QString fieldText(FormatField which) const;

    // Fills the name box from the list (after the settings file was loaded).
    void showNames();
    // Chooses the registered format at position; false, changing nothing, when
    // there is none.
    bool choosePosition(qsizetype position);
    bool hasUnregisteredEdits() const;

Q_SIGNALS:
    // Ctrl+F in this window: the main window is to come forward.
    void mainWindowWanted();
    // A field or the name was edited or a format chosen.
    void fieldsEdited();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field(FormatField which) const { return m_fields.value(which); }
    void showModifiedMark();

    FormatSetting recordFromControls() const override;
    void showRecord(const FormatSetting& record) override;

    std::unique_ptr<NameComboBox> m_name;
    QLabel* m_modified = nullptr;
    QHash<FormatField, QLineEdit*> m_fields;
    std::unique_ptr<NamedSettings<FormatSetting>> m_settings;
};

} // namespace tavrune
