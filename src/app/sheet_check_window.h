#pragma once

#include "generation/sheet_checks.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

namespace tavrune {

// "ｼｰﾄのﾁｪｯｸ": the findings of the sheet checks, one line per sheet and cell. A
// double click names the place and asks for that sheet to be shown.
class SheetCheckWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SheetCheckWindow(QWidget* parent = nullptr);

    void showFindings(const QList<SheetFinding>& findings);

Q_SIGNALS:
    void sheetWanted(const QString& sheetName);

private:
    QTreeWidget* m_findings = nullptr;
    QLabel* m_summary = nullptr;
};

} // namespace tavrune
