#pragma once

#include "settings/change_settings.h"
#include "settings/connection_settings.h"
#include "settings/settings_records.h"
#include "settings/window_state.h"

#include <QList>
#include <QString>
#include <functional>

namespace tavrune {

class UserInteraction;

// The name box of a setting's controls: the name typed, over the list of the
// registered names, position i naming record i.
class NameBox
{
public:
    virtual ~NameBox() = default;

    virtual QString nameText() const = 0;
    virtual void setNameText(const QString& name) = 0;
    virtual void focusName() = 0;
    virtual void appendName(const QString& name) = 0;
    virtual void removeName(qsizetype position) = 0;
    // Position -1 chooses none.
    virtual void chooseName(qsizetype position) = 0;
};

// The controls that edit one setting beside its name box: the main window's file
// setting or the format editor's format.
template <typename Record> class SettingView
{
public:
    virtual ~SettingView() = default;

    // The record as the controls show it (the name from the name box); throws an
    // Error when a field cannot be stored as it stands.
    virtual Record recordFromControls() const = 0;
    // Shows a record in the controls, its name in the name box.
    virtual void showRecord(const Record& record) = 0;
};

// Registering, choosing and deleting the named settings of one kind. The
// controls are a working copy: a run uses them as they stand, and only
// registering stores them. Every registration and deletion saves the whole
// settings file, and counts only when that save succeeds.
template <typename Record> class NamedSettings
{
public:
    // save writes both lists to the settings file and says whether it could.
    NamedSettings(SettingKind kind, QList<Record>& records, NameBox& nameBox,
                  SettingView<Record>& view, UserInteraction& interaction, WindowState& windowState,
                  std::function<bool()> save);

    // Stores the controls under the trimmed name, asking before it replaces a
    // registered setting of exactly that name.
    void registerSetting();
    // Deletes the setting named exactly as the name box says, after asking; the
    // controls keep what they show.
    void deleteSetting();
    // Shows the registered setting at position and remembers the position; false
    // when there is none.
    bool choose(qsizetype position);
    // Fills the name box from the list (after the settings file was loaded), with
    // none of them chosen and no name typed.
    void showNames();

    // Whether the controls hold what no registered setting of the name shown
    // holds, so that closing the program would lose it.
    bool hasUnregisteredEdits() const;

private:
    SettingKind m_kind;
    QList<Record>& m_records;
    NameBox& m_nameBox;
    SettingView<Record>& m_view;
    UserInteraction& m_interaction;
    WindowState& m_windowState;
    std::function<bool()> m_save;
};

// How a record is shown and compared: values the controls cannot show
// (an output mode or check other than 0 or 1 in a hand-edited file) as the
// controls show them.
FileSetting asShown(const FileSetting& record);
FormatSetting asShown(const FormatSetting& record);
ChangeSetting asShown(const ChangeSetting& record);
ConnectionSetting asShown(const ConnectionSetting& record);

extern template class NamedSettings<FileSetting>;
extern template class NamedSettings<FormatSetting>;
extern template class NamedSettings<ChangeSetting>;
extern template class NamedSettings<ConnectionSetting>;

} // namespace tavrune
