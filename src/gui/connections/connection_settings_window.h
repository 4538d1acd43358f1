#pragma once

#include "commands/named_settings.h"
#include "gui/name_combo_box.h"

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavrune {

class DatabaseReading;
class UserInteraction;

// The connection settings window "接続設定": a database's kind, host, port,
// database or file, user and schema, and whether its password is kept in the
// keyring, registered, chosen and deleted by name; "接続の確認" connects with what
// the fields say and tells how many tables it found. Closing it only hides it.
class ConnectionSettingsWindow : public QWidget, private SettingView<ConnectionSetting>
{
    Q_OBJECT

public:
    // connections: the registered connections; save writes them and says whether
    // it could.
    ConnectionSettingsWindow(ConnectionSettings& connections, WindowState& windowState,
                             UserInteraction& interaction, std::function<bool()> save,
                             QWidget* parent = nullptr);
    ~ConnectionSettingsWindow() override;

    // Fills the name box from the list (after the connections were loaded).
    void showNames();
    bool choosePosition(qsizetype position);
    bool hasUnregisteredEdits() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ConnectionSetting recordFromControls() const override;
    void showRecord(const ConnectionSetting& record) override;
    void showModifiedMark();
    void showKindFields();
    void onCmdBrowseClicked();
    void onCmdTestClicked();

    UserInteraction& m_interaction;
    std::unique_ptr<NameComboBox> m_name;
    QLabel* m_modified = nullptr;
    QComboBox* m_cmbKind = nullptr;
    QLineEdit* m_txtHost = nullptr;
    QLineEdit* m_txtPort = nullptr;
    QLineEdit* m_txtDatabase = nullptr;
    QPushButton* m_cmdBrowse = nullptr;
    QLineEdit* m_txtUser = nullptr;
    QLineEdit* m_txtSchema = nullptr;
    QCheckBox* m_chkRemember = nullptr;
    QPushButton* m_cmdTest = nullptr;
    QLabel* m_lblTest = nullptr;
    DatabaseReading* m_reading = nullptr;
    std::unique_ptr<NamedSettings<ConnectionSetting>> m_settings;
};

} // namespace tavrune
