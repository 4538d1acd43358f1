#pragma once

#include "schema/definition_differences.h"
#include "settings/change_settings.h"
#include "settings/connection_settings.h"
#include "settings/settings_records.h"
#include "workbook/workbook_source.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace tavrune {

class BackgroundJob;
class DatabaseReading;
class UserInteraction;

// The newer side of a comparison: an open workbook and the format it is read
// through, taken on the window's thread; the worker reads only these copies.
struct NewerDefinitions
{
    std::shared_ptr<WorkbookSource> workbooks;
    QString workbookName;
    FormatSetting format;
};

// "ﾌﾞｯｸの比較": the differences between the table definitions of an older
// workbook file and those of a workbook open in the main window, one line each,
// tinted by kind, with their count per kind and a filter by kind. Both sides are
// read and compared on a thread of their own; closing the window, Esc too, gives
// that up. A double click asks for the newer sheet of the line to be shown. With a
// change setting chosen, the change script is made with the differences, shown
// below them and written on request.
class CompareWindow : public QDialog
{
    Q_OBJECT

public:
    // newer gives the newer side when a comparison starts, or none after it has
    // told the user why there is none.
    using NewerSide = std::function<std::optional<NewerDefinitions>()>;

    CompareWindow(UserInteraction& interaction, NewerSide newer, QWidget* parent = nullptr);

    // The registered formats the older side can be read through; the choice of
    // one by name stays.
    void setFormats(const FormatSettings& formats);
    // The registered change settings the change script can be made by, and the
    // file settings they name; the choice of one by name stays.
    void setChangeSettings(const ChangeSettings& changes, const FileSettings& files);
    // The registered connections the older side may name instead of a file.
    void setConnections(const ConnectionSettings& connections);

Q_SIGNALS:
    void sheetWanted(const QString& sheetName);

private:
    // One line of the list and the newer sheet it is on, if any.
    struct Line
    {
        Difference difference;
        QString newerSheet;
    };
    // The change script made with the differences, by the change setting chosen.
    struct Script
    {
        QString text;
        QString path;
        FileSetting create;
        QStringList leftOut;
        QString error; // why none could be made
    };

    void onCmdOldFileClicked();
    void onCmdCompareClicked();
    void showDifferences(const std::vector<Line>& lines, const Script& script);
    void onCmdWriteChangeClicked();
    void applyFilter();

    UserInteraction& m_interaction;
    NewerSide m_newer;
    FormatSettings m_formats;
    QLineEdit* m_txtOldFile = nullptr;
    QComboBox* m_cmbOldFormat = nullptr;
    QLabel* m_lblNewFile = nullptr;
    QCheckBox* m_chkSwap = nullptr; // the main window's workbook is the older side
    QList<QLabel*> m_captions;      // of the rows, in order
    QPushButton* m_cmdCompare = nullptr;
    QLabel* m_lblCounts = nullptr;
    QComboBox* m_cmbKind = nullptr;
    QTreeWidget* m_lstDifferences = nullptr;
    ChangeSettings m_changes;
    FileSettings m_files;
    QComboBox* m_cmbChange = nullptr;
    QCheckBox* m_chkNoDestructive = nullptr;
    QPushButton* m_cmdWriteChange = nullptr;
    QLabel* m_lblChangeFile = nullptr;
    QPlainTextEdit* m_txtChangeScript = nullptr;
    Script m_script;
    bool m_compared = false; // a comparison has been asked for
    BackgroundJob* m_job = nullptr;
    ConnectionSettings m_connections;
    DatabaseReading* m_database = nullptr;
};

} // namespace tavrune
