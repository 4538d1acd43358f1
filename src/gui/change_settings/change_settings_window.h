#pragma once

#include "commands/named_settings.h"
#include "gui/name_combo_box.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace tavrune {

class UserInteraction;

// The change settings window "変更設定": a change setting's file setting for the
// tables it creates, its file name and its templates, one per kind of difference,
// registered, chosen and deleted by name. Closing it only hides it.
class ChangeSettingsWindow : public QWidget, private SettingView<ChangeSetting>
{
    Q_OBJECT

public:
    // changes: the registered change settings; save writes them and says whether
    // it could; fileNames lists the registered file settings when asked.
    ChangeSettingsWindow(ChangeSettings& changes, WindowState& windowState,
                         UserInteraction& interaction, std::function<bool()> save,
                         std::function<QStringList()> fileNames, QWidget* parent = nullptr);
    ~ChangeSettingsWindow() override;

    // Fills the name box from the list (after the change settings were loaded).
    void showNames();
    bool choosePosition(qsizetype position);
    bool hasUnregisteredEdits() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ChangeSetting recordFromControls() const override;
    void showRecord(const ChangeSetting& record) override;
    void showTemplate(int row);
    void showModifiedMark();

    std::unique_ptr<NameComboBox> m_name;
    QLabel* m_modified = nullptr;
    QComboBox* m_createFile = nullptr;
    QLineEdit* m_fileName = nullptr;
    QListWidget* m_templates = nullptr;
    QPlainTextEdit* m_text = nullptr;
    // The templates as edited; the box shows the one chosen in the list.
    std::array<QString, kChangeTemplateCount> m_texts;
    int m_shown = 0;
    std::function<QStringList()> m_fileNames;
    std::unique_ptr<NamedSettings<ChangeSetting>> m_settings;
};

} // namespace tavrune
