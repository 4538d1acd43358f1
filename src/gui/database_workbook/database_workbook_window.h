#pragma once

#include "database/database_url.h"
#include "schema/table_definition.h"
#include "settings/connection_settings.h"
#include "settings/settings_records.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tavrune {

class BackgroundJob;
class DatabaseReading;
class UserInteraction;

// "DBからﾌﾞｯｸ作成": reads the tables of a database (a registered connection, or a
// URL) and writes a definition workbook of those chosen, one sheet each, laid out
// by a format setting, as copies of a template workbook's sheet or as plain sheets.
// Reading and writing go on off the window's thread; closing the window gives
// them up, and a workbook given up is not written.
class DatabaseWorkbookWindow : public QDialog
{
    Q_OBJECT

public:
    DatabaseWorkbookWindow(UserInteraction& interaction, QWidget* parent = nullptr);

    // The connections and formats to choose from, and the format chosen by name
    // unless one is chosen here already.
    void setSettings(const ConnectionSettings& connections, const FormatSettings& formats,
                     const QString& formatName);
    // Files never to be written over (the workbooks open in the main window).
    void setInputs(const QStringList& paths) { m_inputs = paths; }

Q_SIGNALS:
    void workbookWritten(const QString& path);

private:
    void onCmdLoadClicked();
    void showTables(std::vector<TableDefinition> tables, DatabaseKind kind, const QString& file);
    void checkAll(bool checked);
    void onCmdTemplateClicked();
    void onCmdOutputClicked();
    void onCmdWriteClicked();
    // Load and write wait while the window is busy; status says how it stands.
    void showBusy(bool busy, const QString& status);

    UserInteraction& m_interaction;
    ConnectionSettings m_connections;
    FormatSettings m_formats;
    QStringList m_inputs;
    std::vector<TableDefinition> m_tables;
    QString m_databaseFile;    // a SQLite database read, never to be written over
    QString m_confirmedOutput; // a file the save dialog has already agreed to replace
    QComboBox* m_cmbConnection = nullptr;
    QPushButton* m_cmdLoad = nullptr;
    QListWidget* m_lstTables = nullptr;
    QComboBox* m_cmbFormat = nullptr;
    QLineEdit* m_txtTemplate = nullptr;
    QLineEdit* m_txtTemplateSheet = nullptr;
    QLineEdit* m_txtOutput = nullptr;
    QPushButton* m_cmdWrite = nullptr;
    QLabel* m_lblStatus = nullptr;
    DatabaseReading* m_reading = nullptr;
    BackgroundJob* m_job = nullptr;
};

} // namespace tavrune
