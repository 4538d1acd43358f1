#include "app/sheet_check_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavrune {

SheetCheckWindow::SheetCheckWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCheck"));
    setWindowTitle(QStringLiteral("ｼｰﾄのﾁｪｯｸ"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblLocation"));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_findings = new QTreeWidget(this);
    m_findings->setObjectName(QStringLiteral("lstFindings"));
    m_findings->setHeaderLabels(
        {QStringLiteral("シート"), QStringLiteral("セル"), QStringLiteral("内容")});
    m_findings->setRootIsDecorated(false);
    m_findings->header()->setStretchLastSection(true);
    layout->addWidget(m_summary);
    layout->addWidget(m_findings);
    connect(m_findings, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const QString sheet = item->text(0);
        const QString cell = item->text(1);
        m_summary->setText(cell.isEmpty() ? sheet : sheet + u'!' + cell);
        if (!sheet.isEmpty()) {
            Q_EMIT sheetWanted(sheet);
        }
    });
    resize(640, 320);
}

void SheetCheckWindow::showFindings(const QList<SheetFinding>& findings)
{
    m_findings->clear();
    for (const SheetFinding& finding : findings) {
        m_findings->addTopLevelItem(
            new QTreeWidgetItem({finding.sheet, finding.cell, finding.message}));
    }
    m_findings->resizeColumnToContents(0);
    m_findings->resizeColumnToContents(1);
    m_summary->setText(findings.isEmpty() ? QStringLiteral("問題は見つかりませんでした。")
                                          : QStringLiteral("%1 件見つかりました。ダブルクリックで"
                                                           "その場所を示します。")
                                                .arg(findings.size()));
}

} // namespace tavrune
