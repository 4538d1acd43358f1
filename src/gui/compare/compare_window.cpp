#include "gui/compare/compare_window.h"

#include "commands/workbook_lists.h"
#include "common/background_job.h"
#include "common/error.h"
#include "common/user_interaction.h"
#include "database/database_catalog.h"
#include "generation/file_output_target.h"
#include "generation/generation_run.h"
#include "gui/connections/database_reading.h"
#include "gui/twips.h"
#include "gui/window_services.h"
#include "schema/change_script_file.h"
#include "schema/table_definition.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QGridLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <array>

namespace tavrune {

namespace {

// The kinds as the counts and the filter group them.
enum class Group
{
    Added,
    Removed,
    Changed,
    Moved,
};

constexpr int kGroupRole = Qt::UserRole;
constexpr int kSheetRole = Qt::UserRole + 1;

Group groupOf(DifferenceKind kind)
{
    switch (kind) {
    case DifferenceKind::TableAdded:
    case DifferenceKind::ColumnAdded:
        return Group::Added;
    case DifferenceKind::TableRemoved:
    case DifferenceKind::ColumnRemoved:
        return Group::Removed;
    case DifferenceKind::ColumnMoved:
        return Group::Moved;
    case DifferenceKind::TableChanged:
    case DifferenceKind::ColumnChanged:
    case DifferenceKind::KeyChanged:
        break;
    }
    return Group::Changed;
}

// Tints that let the text of a light or a dark palette show through.
QBrush tintOf(Group group)
{
    constexpr int kAlpha = 64;
    switch (group) {
    case Group::Added:
        return QColor(40, 170, 60, kAlpha);
    case Group::Removed:
        return QColor(220, 50, 50, kAlpha);
    case Group::Changed:
    case Group::Moved:
        break;
    }
    return QColor(230, 160, 0, kAlpha);
}

QString kindText(DifferenceKind kind)
{
    switch (kind) {
    case DifferenceKind::TableAdded:
        return QStringLiteral("テーブル追加");
    case DifferenceKind::TableRemoved:
        return QStringLiteral("テーブル削除");
    case DifferenceKind::TableChanged:
        return QStringLiteral("テーブル変更");
    case DifferenceKind::ColumnAdded:
        return QStringLiteral("列追加");
    case DifferenceKind::ColumnRemoved:
        return QStringLiteral("列削除");
    case DifferenceKind::ColumnChanged:
        return QStringLiteral("列変更");
    case DifferenceKind::ColumnMoved:
        return QStringLiteral("列移動");
    case DifferenceKind::KeyChanged:
        break;
    }
    return QStringLiteral("キー変更");
}

// What changed, in the words of the format editor's fields.
QString whatText(const QString& what)
{
    static const QHash<QString, QString> kWords{
        {QStringLiteral("title"), QStringLiteral("テーブルタイトル")},
        {QStringLiteral("etc1"), QStringLiteral("その他1")},
        {QStringLiteral("etc2"), QStringLiteral("その他2")},
        {QStringLiteral("etc3"), QStringLiteral("その他3")},
        {QStringLiteral("etc4"), QStringLiteral("その他4")},
        {QStringLiteral("type"), QStringLiteral("データ型")},
        {QStringLiteral("not null"), QStringLiteral("NOT NULL")},
        {QStringLiteral("default"), QStringLiteral("Default")},
        {QStringLiteral("comment"), QStringLiteral("Comment")},
        {QStringLiteral("position"), QStringLiteral("位置")},
        {QStringLiteral("key"), QStringLiteral("キー")},
    };
    return kWords.value(what, what);
}

QString valueText(const Difference& difference, const QString& value)
{
    if (difference.what != QStringLiteral("not null") || value.isEmpty()) {
        return value;
    }
    return value == QStringLiteral("yes") ? QStringLiteral("あり") : QStringLiteral("なし");
}

QString noteText(const Difference& difference)
{
    QString note = difference.note;
    if (!difference.renamed.isEmpty()) {
        note = (difference.kind == DifferenceKind::TableAdded
                    ? QStringLiteral("%1 からの改名かもしれません")
                    : QStringLiteral("%1 への改名かもしれません"))
                   .arg(difference.renamed);
    }
    if (difference.destructive) {
        note += (note.isEmpty() ? QString() : QStringLiteral("、")) +
                QStringLiteral("データを失うおそれ");
    }
    return note;
}

// The sheet a difference is on in the main window's workbook, the newer side or,
// swapped, the older: that of its cell there, else that of its table; none for a
// table only the other side has.
QString mainSheetOf(const Difference& difference, const std::vector<TableDefinition>& main,
                    bool swapped)
{
    const QString& place = swapped ? difference.oldPlace : difference.newPlace;
    const qsizetype bang = place.lastIndexOf(u'!');
    if (bang >= 0) {
        return place.left(bang);
    }
    for (const TableDefinition& table : main) {
        if (table.name.compare(difference.table, Qt::CaseInsensitive) == 0) {
            return table.sheet;
        }
    }
    return {};
}

QString toPlainLines(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

template <typename Widget> Widget* named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

CompareWindow::CompareWindow(UserInteraction& interaction, NewerSide newer, QWidget* parent)
    : QDialog(parent), m_interaction(interaction), m_newer(std::move(newer))
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("ﾌﾞｯｸの比較"));
    setModal(false);
    auto* layout = new QGridLayout(this);
    // A caption and its controls side by side, left-aligned unless the first fills the line.
    const auto addRow = [&](const QString& caption, QWidget* buddy,
                            std::initializer_list<QWidget*> widgets) {
        const int row = layout->rowCount();
        auto* label = new QLabel(caption, this);
        m_captions.append(label);
        label->setBuddy(buddy);
        layout->addWidget(label, row, 0);
        auto* line = new QHBoxLayout;
        for (QWidget* widget : widgets) {
            line->addWidget(widget);
        }
        if (!qobject_cast<QLineEdit*>(*widgets.begin())) {
            line->addStretch();
        }
        layout->addLayout(line, row, 1);
    };

    m_txtOldFile = named(new QLineEdit(this), QStringLiteral("txtOldFile"));
    auto* cmdOldFile =
        named(new QPushButton(QStringLiteral("..."), this), QStringLiteral("cmdOldFile"));
    cmdOldFile->setFixedWidth(twipsToPixelsX(*this, 450));
    connect(cmdOldFile, &QPushButton::clicked, this, &CompareWindow::onCmdOldFileClicked);
    m_txtOldFile->setToolTip(QStringLiteral("ﾌﾞｯｸのﾊﾟｽ、接続設定の名前、またはﾃﾞｰﾀﾍﾞｰｽの URL "
                                            "(postgresql://…、mysql://…、sqlite:///…)"));
    addRow(QStringLiteral("古いﾌﾞｯｸ/DB(&O):"), m_txtOldFile, {m_txtOldFile, cmdOldFile});

    m_cmbOldFormat = named(new QComboBox(this), QStringLiteral("cmbOldFormat"));
    m_cmbOldFormat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_cmdCompare =
        named(new QPushButton(QStringLiteral("比較(&C)"), this), QStringLiteral("cmdCompare"));
    m_cmdCompare->setDefault(true);
    connect(m_cmdCompare, &QPushButton::clicked, this, &CompareWindow::onCmdCompareClicked);
    addRow(QStringLiteral("古いﾌﾞｯｸのﾌｫｰﾏｯﾄ(&M):"), m_cmbOldFormat, {m_cmbOldFormat, m_cmdCompare});

    m_lblNewFile = named(new QLabel(QStringLiteral("ﾒｲﾝ ｳｨﾝﾄﾞｳで選んでいるﾌﾞｯｸ"), this),
                         QStringLiteral("lblNewFile"));
    m_lblNewFile->setTextFormat(Qt::PlainText);
    m_chkSwap =
        named(new QCheckBox(QStringLiteral("入れ替える(&R)"), this), QStringLiteral("chkSwap"));
    m_chkSwap->setToolTip(QStringLiteral("ﾒｲﾝ ｳｨﾝﾄﾞｳのﾌﾞｯｸを古い側にして、ﾃﾞｰﾀﾍﾞｰｽや別のﾌﾞｯｸ"
                                         "との違いを見ます"));
    addRow(QStringLiteral("新しいﾌﾞｯｸ:"), nullptr, {m_lblNewFile, m_chkSwap});
    connect(m_chkSwap, &QCheckBox::toggled, this, [this](bool swapped) {
        m_captions[0]->setText(swapped ? QStringLiteral("新しいﾌﾞｯｸ/DB(&O):")
                                       : QStringLiteral("古いﾌﾞｯｸ/DB(&O):"));
        m_captions[2]->setText(swapped ? QStringLiteral("古いﾌﾞｯｸ:")
                                       : QStringLiteral("新しいﾌﾞｯｸ:"));
        if (m_compared) {
            onCmdCompareClicked();
        }
    });

    m_cmbKind = named(new QComboBox(this), QStringLiteral("cmbKind"));
    m_cmbKind->addItem(QStringLiteral("すべて"), -1);
    m_cmbKind->addItem(QStringLiteral("追加"), static_cast<int>(Group::Added));
    m_cmbKind->addItem(QStringLiteral("削除"), static_cast<int>(Group::Removed));
    m_cmbKind->addItem(QStringLiteral("変更"), static_cast<int>(Group::Changed));
    m_cmbKind->addItem(QStringLiteral("移動"), static_cast<int>(Group::Moved));
    connect(m_cmbKind, &QComboBox::currentIndexChanged, this, &CompareWindow::applyFilter);
    m_lblCounts = named(new QLabel(this), QStringLiteral("lblCounts"));
    m_lblCounts->setTextFormat(Qt::PlainText);
    addRow(QStringLiteral("表示(&V):"), m_cmbKind, {m_cmbKind, m_lblCounts});

    m_lstDifferences = named(new QTreeWidget(this), QStringLiteral("lstDifferences"));
    m_lstDifferences->setHeaderLabels(
        {QStringLiteral("種類"), QStringLiteral("テーブル"), QStringLiteral("列"),
         QStringLiteral("項目"), QStringLiteral("旧"), QStringLiteral("新"),
         QStringLiteral("旧のセル"), QStringLiteral("新のセル"), QStringLiteral("備考")});
    m_lstDifferences->setRootIsDecorated(false);
    m_lstDifferences->header()->setStretchLastSection(true);
    connect(m_lstDifferences, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const QString sheet = item->data(0, kSheetRole).toString();
        if (!sheet.isEmpty()) {
            Q_EMIT sheetWanted(sheet);
        }
    });
    layout->addWidget(m_lstDifferences, layout->rowCount(), 0, 1, 2);
    layout->setRowStretch(layout->rowCount() - 1, 1);

    m_lblChangeFile = named(new QLabel(this), QStringLiteral("lblChangeFile"));
    m_lblChangeFile->setTextFormat(Qt::PlainText);
    layout->addWidget(m_lblChangeFile, layout->rowCount(), 0, 1, 2);
    m_txtChangeScript = named(new QPlainTextEdit(this), QStringLiteral("txtChangeScript"));
    m_txtChangeScript->setReadOnly(true);
    m_txtChangeScript->setLineWrapMode(QPlainTextEdit::NoWrap);
    useCodeFont(*m_txtChangeScript);
    m_txtChangeScript->hide();
    layout->addWidget(m_txtChangeScript, layout->rowCount(), 0, 1, 2);
    layout->setRowStretch(layout->rowCount() - 1, 1);

    // The change script's commands, left of 閉じる.
    auto* fraCommands = named(new QWidget(this), QStringLiteral("fraCommands"));
    auto* commands = new QHBoxLayout(fraCommands);
    commands->setContentsMargins(QMargins());
    auto* lblChange = new QLabel(QStringLiteral("変更設定(&H):"), fraCommands);
    m_cmbChange = named(new QComboBox(fraCommands), QStringLiteral("cmbChange"));
    m_cmbChange->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblChange->setBuddy(m_cmbChange);
    m_chkNoDestructive =
        named(new QCheckBox(QStringLiteral("データを失う変更を書かない(&K)"), fraCommands),
              QStringLiteral("chkNoDestructive"));
    m_cmdWriteChange = named(new QPushButton(QStringLiteral("変更ｽｸﾘﾌﾟﾄを書く(&W)"), fraCommands),
                             QStringLiteral("cmdWriteChange"));
    m_cmdWriteChange->setAutoDefault(false);
    m_cmdWriteChange->setEnabled(false);
    connect(m_cmdWriteChange, &QPushButton::clicked, this, &CompareWindow::onCmdWriteChangeClicked);
    // A script made with other choices is made again.
    const auto again = [this] {
        if (m_compared) {
            onCmdCompareClicked();
        }
    };
    connect(m_cmbChange, &QComboBox::activated, this, again);
    connect(m_chkNoDestructive, &QCheckBox::toggled, this, again);
    for (QWidget* widget :
         {static_cast<QWidget*>(lblChange), static_cast<QWidget*>(m_cmbChange),
          static_cast<QWidget*>(m_chkNoDestructive), static_cast<QWidget*>(m_cmdWriteChange)}) {
        commands->addWidget(widget);
    }
    commands->addStretch();
    auto* cmdClose =
        named(new QPushButton(QStringLiteral("閉じる"), fraCommands), QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    commands->addWidget(cmdClose);
    layout->addWidget(fraCommands, layout->rowCount(), 0, 1, 2);

    const auto failed = [this](const QString& why) {
        if (why.isEmpty()) {
            m_lblCounts->clear();
            return;
        }
        m_lblCounts->setText(QStringLiteral("比較できませんでした。"));
        m_interaction.showMessage(why, MessageIcon::Stop, MessageButtons::Ok, Answer::Ok);
    };
    m_job = new BackgroundJob(failed, this);
    m_database = new DatabaseReading(m_interaction, this, failed);
    // Esc and the close button both end here.
    connect(this, &QDialog::finished, m_job, &BackgroundJob::cancel);
    connect(this, &QDialog::finished, m_database, &DatabaseReading::cancel);
    resize(twipsToPixelsX(*this, 15000), twipsToPixelsY(*this, 7500));
}

void CompareWindow::setFormats(const FormatSettings& formats)
{
    const QString chosen =
        m_cmbOldFormat->currentIndex() > 0 ? m_cmbOldFormat->currentText() : QString();
    m_formats = formats;
    m_cmbOldFormat->clear();
    m_cmbOldFormat->addItem(QStringLiteral("(新しいﾌﾞｯｸと同じ)"));
    for (const FormatSetting& format : m_formats) {
        m_cmbOldFormat->addItem(format.Name);
    }
    m_cmbOldFormat->setCurrentIndex(
        chosen.isEmpty() ? 0 : std::max(m_cmbOldFormat->findText(chosen, Qt::MatchExactly), 0));
}

void CompareWindow::setChangeSettings(const ChangeSettings& changes, const FileSettings& files)
{
    const QString chosen = m_cmbChange->currentIndex() > 0 ? m_cmbChange->currentText() : QString();
    m_changes = changes;
    m_files = files;
    m_cmbChange->clear();
    m_cmbChange->addItem(QStringLiteral("(なし)"));
    for (const ChangeSetting& change : m_changes) {
        m_cmbChange->addItem(change.Name);
    }
    m_cmbChange->setCurrentIndex(
        chosen.isEmpty() ? 0 : std::max(m_cmbChange->findText(chosen, Qt::MatchExactly), 0));
}

void CompareWindow::onCmdWriteChangeClicked()
{
    const bool exists = QFileInfo::exists(m_script.path);
    if (exists && m_interaction.showMessage(
                      m_script.path + QStringLiteral("\r\n\r\n既に同名のファイルが存在します。"
                                                     "\r\n上書きしますか？"),
                      MessageIcon::Question, MessageButtons::YesNo, Answer::No) != Answer::Yes) {
        return;
    }
    try {
        FileOutputTarget output;
        writeChangeScript(m_script.text, m_script.path, m_script.create, output, m_interaction,
                          exists);
    } catch (const Error& error) {
        if (error.number() != ErrorNumber::UserDeclined) {
            m_interaction.showMessage(error.description(), MessageIcon::Stop, MessageButtons::Ok,
                                      Answer::Ok);
        }
        return;
    }
    m_interaction.showMessage(QStringLiteral("終了しました。"), MessageIcon::Information,
                              MessageButtons::Ok, Answer::Ok);
}

void CompareWindow::onCmdOldFileClicked()
{
    const QFileInfo info(m_txtOldFile->text());
    const QString chosen = m_interaction.chooseOpenFile(
        WorkbookLists::openFilters(),
        m_txtOldFile->text().isEmpty() ? QString() : info.absolutePath(),
        info.isFile() ? info.absoluteFilePath() : QString());
    if (!chosen.isEmpty()) {
        m_txtOldFile->setText(chosen);
    }
}

void CompareWindow::onCmdCompareClicked()
{
    if (m_txtOldFile->text().isEmpty()) {
        m_interaction.showMessage(QStringLiteral("比較する古いブックを指定してください。"),
                                  MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok);
        return;
    }
    const std::optional<NewerDefinitions> newer = m_newer();
    if (!newer) {
        return;
    }
    m_compared = true;
    const int chosen = m_cmbOldFormat->currentIndex();
    const FormatSetting olderFormat = chosen > 0 ? m_formats.value(chosen - 1) : newer->format;
    m_lblNewFile->setText(newer->workbookName);
    m_lstDifferences->clear();
    m_lblCounts->setText(QStringLiteral("比較しています… (Esc で中止します)"));
    std::optional<ChangeSetting> change;
    std::optional<FileSetting> create;
    if (const int index = m_cmbChange->currentIndex(); index > 0) {
        change = m_changes.value(index - 1);
        if (const auto found = findSettingByName(m_files, change->CreateFile)) {
            create = m_files.at(*found);
        }
    }
    m_cmdWriteChange->setEnabled(false);
    // A connection's name or a URL names a database, anything else a workbook file.
    const QString older = m_txtOldFile->text().trimmed();
    std::optional<DatabaseTarget> database;
    try {
        database = databaseTarget(older, m_connections);
    } catch (const Error& error) {
        m_lblCounts->clear();
        m_interaction.showMessage(error.description(), MessageIcon::Stop, MessageButtons::Ok,
                                  Answer::Ok);
        return;
    }
    const auto compare =
        [this, path = QFileInfo(older).absoluteFilePath(), olderFormat, newer = *newer, change,
         create, leaveOut = m_chkNoDestructive->isChecked(), swapped = m_chkSwap->isChecked()](
            const std::optional<DatabaseUrl>& database,
            const std::atomic_bool& cancelled) -> BackgroundJob::Delivery {
        const std::unique_ptr<WorkbookConnection> connection = newer.workbooks->attach();
        connection->activateWorkbook(newer.workbookName);
        std::vector<TableDefinition> after =
            readWorkbookDefinitions(*connection, workingFormat(newer.format));
        if (cancelled) {
            return {};
        }
        std::vector<TableDefinition> before;
        if (database) {
            before = readDatabaseDefinitions(*database);
            matchWhatTheDatabaseKeeps(before, after, database->kind);
        } else {
            before = readWorkbookFileDefinitions(path, olderFormat);
        }
        if (swapped) {
            std::swap(before, after);
        }
        std::vector<Line> lines;
        for (Difference& difference : compareDefinitions(before, after)) {
            QString sheet = mainSheetOf(difference, swapped ? before : after, swapped);
            lines.push_back({std::move(difference), std::move(sheet)});
        }
        Script script;
        if (change && swapped) {
            // Created tables are written from the newer side's sheets.
            script.error =
                QStringLiteral("変更ｽｸﾘﾌﾟﾄは、ﾒｲﾝ ｳｨﾝﾄﾞｳのﾌﾞｯｸが新しい側のときだけ作れます。");
        } else if (change && !create) {
            script.error = QStringLiteral("変更設定 \"%1\" の作成に使うファイル設定 \"%2\" は"
                                          "登録されていません。")
                               .arg(change->Name, change->CreateFile);
        } else if (change) {
            // The differences show even when the script cannot be made.
            try {
                const ChangeScript made = makeChangeScript(
                    before, after, *change,
                    createTablesBy(*connection, workingFormat(newer.format), *create), leaveOut);
                script.path = changeScriptPath(*change, *create);
                script.text = made.text();
                script.leftOut = made.leftOut;
                script.create = *create;
            } catch (const Error& error) {
                script = Script{};
                script.error = error.description();
            }
        }
        return [this, lines = std::move(lines), script] { showDifferences(lines, script); };
    };
    if (database) {
        m_database->start(*database, compare);
    } else {
        m_job->start([compare](const std::atomic_bool& cancelled) {
            return compare(std::nullopt, cancelled);
        });
    }
}

void CompareWindow::setConnections(const ConnectionSettings& connections)
{
    m_connections = connections;
    QStringList names;
    for (const ConnectionSetting& connection : connections) {
        names.append(connection.Name);
    }
    auto* completer = new QCompleter(names, m_txtOldFile);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    delete m_txtOldFile->completer();
    m_txtOldFile->setCompleter(completer);
}

void CompareWindow::showDifferences(const std::vector<Line>& lines, const Script& script)
{
    m_script = script;
    m_txtChangeScript->setVisible(!script.path.isEmpty());
    m_txtChangeScript->setPlainText(toPlainLines(script.text));
    m_cmdWriteChange->setEnabled(!script.path.isEmpty() && !lines.empty());
    m_lblChangeFile->setText(
        !script.error.isEmpty() ? script.error
        : script.path.isEmpty() ? QString()
        : script.leftOut.isEmpty()
            ? script.path
            : QStringLiteral("%1 (データを失うおそれのある変更を書きません: %2)")
                  .arg(script.path, script.leftOut.join(QStringLiteral(", "))));
    m_lstDifferences->clear();
    std::array<int, 4> counts{};
    for (const auto& [difference, sheet] : lines) {
        const Group group = groupOf(difference.kind);
        ++counts[static_cast<size_t>(group)];
        auto* item = new QTreeWidgetItem(
            {kindText(difference.kind), difference.table, difference.column,
             whatText(difference.what), valueText(difference, difference.oldValue),
             valueText(difference, difference.newValue), difference.oldPlace, difference.newPlace,
             noteText(difference)});
        item->setData(0, kGroupRole, static_cast<int>(group));
        item->setData(0, kSheetRole, sheet);
        for (int column = 0; column < item->columnCount(); ++column) {
            item->setBackground(column, tintOf(group));
        }
        m_lstDifferences->addTopLevelItem(item);
    }
    for (int column = 0; column + 1 < m_lstDifferences->columnCount(); ++column) {
        m_lstDifferences->resizeColumnToContents(column);
    }
    m_lblCounts->setText(lines.empty() ? QStringLiteral("違いはありません。")
                                       : QStringLiteral("追加 %1 / 削除 %2 / 変更 %3 / 移動 %4")
                                             .arg(counts[0])
                                             .arg(counts[1])
                                             .arg(counts[2])
                                             .arg(counts[3]));
    applyFilter();
}

void CompareWindow::applyFilter()
{
    const int shown = m_cmbKind->currentData().toInt();
    for (int row = 0; row < m_lstDifferences->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_lstDifferences->topLevelItem(row);
        item->setHidden(shown >= 0 && item->data(0, kGroupRole).toInt() != shown);
    }
}

} // namespace tavrune
