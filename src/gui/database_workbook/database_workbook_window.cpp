#include "gui/database_workbook/database_workbook_window.h"

#include "common/background_job.h"
#include "common/error.h"
#include "common/user_interaction.h"
#include "database/database_catalog.h"
#include "gui/connections/database_reading.h"
#include "gui/twips.h"
#include "schema/definition_workbook.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tavrune {

namespace {

const QStringList kWorkbookFilters = {QStringLiteral("Excel ﾌﾞｯｸ (*.xlsx)")};

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

DatabaseWorkbookWindow::DatabaseWorkbookWindow(UserInteraction& interaction, QWidget* parent)
    : QDialog(parent), m_interaction(interaction)
{
    setObjectName(QStringLiteral("frmDatabaseWorkbook"));
    setWindowTitle(QStringLiteral("DBからﾌﾞｯｸ作成"));
    setModal(false);
    auto* layout = new QGridLayout(this);
    const auto addRow = [&](const QString& caption, QWidget* buddy,
                            std::initializer_list<QWidget*> widgets, int stretch = 0) {
        const int row = layout->rowCount();
        auto* label = new QLabel(caption, this);
        label->setBuddy(buddy);
        layout->addWidget(label, row, 0, Qt::AlignTop);
        auto* line = new QHBoxLayout;
        for (QWidget* widget : widgets) {
            line->addWidget(widget, widget == buddy ? 1 : 0);
        }
        layout->addLayout(line, row, 1);
        layout->setRowStretch(row, stretch);
    };
    const auto browse = [this](const char* name) {
        auto* button = named(new QPushButton(QStringLiteral("..."), this), name);
        button->setAutoDefault(false);
        button->setFixedWidth(twipsToPixelsX(*this, 450));
        return button;
    };

    m_cmbConnection = named(new QComboBox(this), "cmbConnection");
    m_cmbConnection->setEditable(true);
    m_cmbConnection->setToolTip(
        QStringLiteral("接続設定の名前、またはﾃﾞｰﾀﾍﾞｰｽの URL (postgresql://…、mysql://…、"
                       "sqlite:///…、odbc://…)"));
    m_cmdLoad = named(new QPushButton(QStringLiteral("読み込む(&L)"), this), "cmdLoad");
    m_cmdLoad->setAutoDefault(false);
    connect(m_cmdLoad, &QPushButton::clicked, this, &DatabaseWorkbookWindow::onCmdLoadClicked);
    addRow(QStringLiteral("接続(&D):"), m_cmbConnection, {m_cmbConnection, m_cmdLoad});

    m_lstTables = named(new QListWidget(this), "lstTables");
    auto* all = named(new QPushButton(QStringLiteral("すべて選択(&A)"), this), "cmdSelectAll");
    auto* none = named(new QPushButton(QStringLiteral("すべて解除(&N)"), this), "cmdSelectNone");
    for (QPushButton* button : {all, none}) {
        button->setAutoDefault(false);
    }
    connect(all, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { checkAll(false); });
    auto* choose = new QWidget(this);
    auto* chooseLayout = new QVBoxLayout(choose);
    chooseLayout->setContentsMargins(0, 0, 0, 0);
    chooseLayout->addWidget(all);
    chooseLayout->addWidget(none);
    chooseLayout->addStretch();
    addRow(QStringLiteral("ﾃｰﾌﾞﾙ(&B):"), m_lstTables, {m_lstTables, choose}, 1);

    m_cmbFormat = named(new QComboBox(this), "cmbFormat");
    m_cmbFormat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    addRow(QStringLiteral("ﾌｫｰﾏｯﾄ(&F):"), m_cmbFormat, {m_cmbFormat});
    layout->itemAtPosition(layout->rowCount() - 1, 1)
        ->layout()
        ->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding));

    m_txtTemplate = named(new QLineEdit(this), "txtTemplate");
    m_txtTemplate->setPlaceholderText(QStringLiteral("空欄なら飾りのないｼｰﾄ"));
    auto* cmdTemplate = browse("cmdTemplate");
    connect(cmdTemplate, &QPushButton::clicked, this,
            &DatabaseWorkbookWindow::onCmdTemplateClicked);
    m_txtTemplateSheet = named(new QLineEdit(this), "txtTemplateSheet");
    m_txtTemplateSheet->setPlaceholderText(QStringLiteral("空欄なら最初のｼｰﾄ"));
    m_txtTemplateSheet->setMinimumWidth(
        m_txtTemplateSheet->fontMetrics().horizontalAdvance(m_txtTemplateSheet->placeholderText()) +
        m_txtTemplateSheet->fontMetrics().averageCharWidth() * 4);
    auto* sheetCaption = new QLabel(QStringLiteral("ｼｰﾄ(&S):"), this);
    sheetCaption->setBuddy(m_txtTemplateSheet);
    addRow(QStringLiteral("ﾃﾝﾌﾟﾚｰﾄ(&T):"), m_txtTemplate,
           {m_txtTemplate, cmdTemplate, sheetCaption, m_txtTemplateSheet});

    m_txtOutput = named(new QLineEdit(this), "txtOutput");
    auto* cmdOutput = browse("cmdOutput");
    connect(cmdOutput, &QPushButton::clicked, this, &DatabaseWorkbookWindow::onCmdOutputClicked);
    addRow(QStringLiteral("出力ﾌｧｲﾙ(&O):"), m_txtOutput, {m_txtOutput, cmdOutput});

    m_lblStatus = named(new QLabel(this), "lblStatus");
    m_lblStatus->setTextFormat(Qt::PlainText);
    m_lblStatus->setWordWrap(true);
    m_cmdWrite = named(new QPushButton(QStringLiteral("作成(&W)"), this), "cmdWrite");
    m_cmdWrite->setDefault(true);
    m_cmdWrite->setEnabled(false);
    connect(m_cmdWrite, &QPushButton::clicked, this, &DatabaseWorkbookWindow::onCmdWriteClicked);
    auto* cmdClose = named(new QPushButton(QStringLiteral("閉じる"), this), "cmdClose");
    cmdClose->setAutoDefault(false);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* commands = new QHBoxLayout;
    commands->addWidget(m_lblStatus, 1);
    commands->addWidget(m_cmdWrite);
    commands->addWidget(cmdClose);
    layout->addLayout(commands, layout->rowCount(), 0, 1, 2);

    const auto failed = [this](const QString& why) {
        showBusy(false, QString());
        if (!why.isEmpty()) {
            m_interaction.showMessage(why, MessageIcon::Stop, MessageButtons::Ok, Answer::Ok);
        }
    };
    m_reading = new DatabaseReading(m_interaction, this, failed);
    m_job = new BackgroundJob(failed, this);
    // Esc and the close button both end here; a workbook given up is not written.
    connect(this, &QDialog::finished, m_reading, &DatabaseReading::cancel);
    connect(this, &QDialog::finished, m_job, &BackgroundJob::cancel);
    connect(this, &QDialog::finished, this, [this] { showBusy(false, QString()); });
    resize(sizeHint().expandedTo(
        QSize(fontMetrics().averageCharWidth() * 75, fontMetrics().height() * 28)));
}

void DatabaseWorkbookWindow::setSettings(const ConnectionSettings& connections,
                                         const FormatSettings& formats, const QString& formatName)
{
    m_connections = connections;
    const QString connection = m_cmbConnection->currentText();
    m_cmbConnection->clear();
    for (const ConnectionSetting& setting : connections) {
        m_cmbConnection->addItem(setting.Name);
    }
    m_cmbConnection->setEditText(connection);
    m_formats = formats;
    const QString chosen =
        m_cmbFormat->currentText().isEmpty() ? formatName : m_cmbFormat->currentText();
    m_cmbFormat->clear();
    for (const FormatSetting& format : formats) {
        m_cmbFormat->addItem(format.Name);
    }
    m_cmbFormat->setCurrentIndex(std::max(0, m_cmbFormat->findText(chosen)));
}

void DatabaseWorkbookWindow::onCmdLoadClicked()
{
    std::optional<DatabaseTarget> target;
    try {
        target = databaseTarget(m_cmbConnection->currentText(), m_connections);
    } catch (const Error& error) {
        m_interaction.showMessage(error.description(), MessageIcon::Stop, MessageButtons::Ok,
                                  Answer::Ok);
        return;
    }
    if (!target) {
        m_interaction.showMessage(
            QStringLiteral("接続設定の名前か、ﾃﾞｰﾀﾍﾞｰｽの URL を指定してください。"),
            MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok);
        return;
    }
    showBusy(true, QStringLiteral("読み込んでいます…"));
    m_reading->start(*target, [this](const DatabaseUrl& url, const std::atomic_bool&) {
        std::vector<TableDefinition> tables = readDatabaseDefinitions(url);
        return [this, tables = std::move(tables), kind = url.kind, file = url.database]() mutable {
            showTables(std::move(tables), kind, file);
        };
    });
}

void DatabaseWorkbookWindow::showTables(std::vector<TableDefinition> tables, DatabaseKind kind,
                                        const QString& file)
{
    m_tables = std::move(tables);
    m_databaseFile = kind == DatabaseKind::Sqlite ? file : QString();
    m_lstTables->clear();
    for (const TableDefinition& table : m_tables) {
        auto* item = new QListWidgetItem(
            table.title.isEmpty() ? table.name
                                  : QStringLiteral("%1 (%2)").arg(table.title, table.name),
            m_lstTables);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    showBusy(false, QStringLiteral("ﾃｰﾌﾞﾙ %1 個").arg(m_tables.size()));
}

void DatabaseWorkbookWindow::checkAll(bool checked)
{
    for (int row = 0; row < m_lstTables->count(); ++row) {
        m_lstTables->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void DatabaseWorkbookWindow::onCmdTemplateClicked()
{
    const QString path = m_interaction.chooseOpenFile(
        kWorkbookFilters, QFileInfo(m_txtTemplate->text()).absolutePath(), m_txtTemplate->text());
    if (!path.isEmpty()) {
        m_txtTemplate->setText(path);
    }
}

void DatabaseWorkbookWindow::onCmdOutputClicked()
{
    const QString path = m_interaction.chooseSaveFile(
        kWorkbookFilters, QFileInfo(m_txtOutput->text()).absolutePath(), m_txtOutput->text());
    if (!path.isEmpty()) {
        m_confirmedOutput = QFileInfo(path).absoluteFilePath();
        m_txtOutput->setText(path);
    }
}

void DatabaseWorkbookWindow::onCmdWriteClicked()
{
    std::vector<TableDefinition> chosen;
    for (int row = 0; row < m_lstTables->count(); ++row) {
        if (m_lstTables->item(row)->checkState() == Qt::Checked) {
            chosen.push_back(m_tables.at(static_cast<size_t>(row)));
        }
    }
    const QString output = m_txtOutput->text().trimmed();
    const auto warn = [this](const QString& text) {
        m_interaction.showMessage(text, MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok);
    };
    if (chosen.empty()) {
        warn(QStringLiteral("書き出すﾃｰﾌﾞﾙを選んでください。"));
        return;
    }
    if (output.isEmpty()) {
        warn(QStringLiteral("出力ﾌｧｲﾙを指定してください。"));
        return;
    }
    const QString path = QFileInfo(output).absoluteFilePath();
    if (QFileInfo::exists(path) && path != m_confirmedOutput &&
        m_interaction.showMessage(
            QStringLiteral("\"%1\" には既に同名のﾌｧｲﾙが存在します。上書きしますか？").arg(path),
            MessageIcon::Question, MessageButtons::YesNo, Answer::No) != Answer::Yes) {
        return;
    }
    QStringList inputs = m_inputs;
    if (!m_databaseFile.isEmpty()) {
        inputs.append(m_databaseFile);
    }
    const FormatSetting format = m_formats.value(m_cmbFormat->currentIndex());
    const DefinitionWorkbookLayout layout{m_txtTemplate->text().trimmed(),
                                          m_txtTemplateSheet->text().trimmed()};
    showBusy(true, QStringLiteral("書き込んでいます…"));
    m_job->start([this, path, chosen = std::move(chosen), format, layout,
                  inputs](const std::atomic_bool& cancelled) -> BackgroundJob::Delivery {
        writeDefinitionWorkbook(path, chosen, format, layout, inputs, cancelled);
        return [this, path, sheets = chosen.size()] {
            m_confirmedOutput.clear();
            showBusy(false,
                     QStringLiteral("ｼｰﾄ %1 枚のﾌﾞｯｸを作成しました: %2").arg(sheets).arg(path));
            Q_EMIT workbookWritten(path);
        };
    });
}

void DatabaseWorkbookWindow::showBusy(bool busy, const QString& status)
{
    m_lblStatus->setText(status);
    m_cmdLoad->setEnabled(!busy);
    m_cmdWrite->setEnabled(!busy && !m_tables.empty());
}

} // namespace tavrune
