#include "gui/main_window/sheet_check_window.h"

#include "common/background_job.h"

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
    m_job = new BackgroundJob(
        [this](const QString& why) {
            m_summary->setText(QStringLiteral("チェックを続けられません: %1").arg(why));
        },
        this);
    // Esc and the close button both end here.
    connect(this, &QDialog::finished, m_job, &BackgroundJob::cancel);
    resize(640, 320);
}

void SheetCheckWindow::startCheck(Work work)
{
    m_findings->clear();
    m_summary->setText(QStringLiteral("チェックしています… (Esc で中止します)"));
    m_job->start([this, work](const std::atomic_bool& cancelled) -> BackgroundJob::Delivery {
        return [this, findings = work(cancelled)] { showFindings(findings); };
    });
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
    qsizetype found = 0;
    for (const SheetFinding& finding : findings) {
        found += 1 + finding.more;
    }
    m_summary->setText(findings.isEmpty() ? QStringLiteral("問題は見つかりませんでした。")
                                          : QStringLiteral("%1 件見つかりました。ダブルクリックで"
                                                           "その場所を示します。")
                                                .arg(found));
}

} // namespace tavrune
