#pragma once

#include "generation/sheet_checks.h"

#include <QDialog>
#include <atomic>
#include <functional>

class QLabel;
class QTreeWidget;

namespace tavrune {

class BackgroundJob;

// "ｼｰﾄのﾁｪｯｸ": the findings of the sheet checks, one line per sheet and cell. A
// double click names the place and asks for that sheet to be shown. The check
// runs on a thread of its own; closing the window, Esc too, gives it up.
class SheetCheckWindow : public QDialog
{
    Q_OBJECT

public:
    // Checks away from the window's thread: it reads only what it holds.
    using Work = std::function<QList<SheetFinding>(const std::atomic_bool& cancelled)>;

    explicit SheetCheckWindow(QWidget* parent = nullptr);

    // Starts a check, giving up the one under way; the findings show once found.
    void startCheck(Work work);

Q_SIGNALS:
    void sheetWanted(const QString& sheetName);

private:
    void showFindings(const QList<SheetFinding>& findings);

    QTreeWidget* m_findings = nullptr;
    QLabel* m_summary = nullptr;
    BackgroundJob* m_job = nullptr;
};

} // namespace tavrune
