#include "gui/change_settings/change_settings_window.h"

#include "gui/window_services.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

namespace tavrune {

namespace {

// In the order of ChangeTemplate.
const char16_t* const kTemplateLabels[kChangeTemplateCount] = {
    u"ヘッダ",        u"テーブル削除", u"列追加",         u"列削除",   u"型変更", u"NOT NULL 付加",
    u"NOT NULL 解除", u"初期値設定",   u"初期値削除",     u"備考変更", u"列移動", u"主キー削除",
    u"主キー追加",    u"タイトル変更", u"テーブル再作成", u"フッタ"};

// Lines are kept with CR LF between them, as every template is.
QString fromBox(const QString& text)
{
    return QString(text).replace(u'\n', QStringLiteral("\r\n"));
}

QString toBox(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

ChangeSettingsWindow::ChangeSettingsWindow(ChangeSettings& changes, WindowState& windowState,
                                           UserInteraction& interaction, std::function<bool()> save,
                                           std::function<QStringList()> fileNames, QWidget* parent)
    : QWidget(parent, Qt::Window), m_fileNames(std::move(fileNames))
{
    setObjectName(QStringLiteral("frmChange"));
    setWindowTitle(QStringLiteral("変更設定"));
    m_name = std::make_unique<NameComboBox>(this);
    m_settings = std::make_unique<NamedSettings<ChangeSetting>>(
        SettingKind::Change, changes, *m_name, static_cast<SettingView<ChangeSetting>&>(*this),
        interaction, windowState, std::move(save));

    auto* layout = new QVBoxLayout(this);
    auto* top = m_name->makeRow(
        *this, m_modified, [this](int position) { choosePosition(position); },
        [this] { showModifiedMark(); }, [this] { m_settings->registerSetting(); },
        [this] { m_settings->deleteSetting(); });
    layout->addLayout(top);

    auto* form = new QFormLayout;
    m_createFile = new QComboBox(this);
    m_createFile->setObjectName(QStringLiteral("cmbCreateFile"));
    m_createFile->setEditable(true);
    connect(m_createFile, &QComboBox::editTextChanged, this,
            &ChangeSettingsWindow::showModifiedMark);
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("txtFileName"));
    connect(m_fileName, &QLineEdit::textChanged, this, &ChangeSettingsWindow::showModifiedMark);
    form->addRow(QStringLiteral("作成に使うﾌｧｲﾙ設定(&C)"), m_createFile);
    form->addRow(QStringLiteral("ﾌｧｲﾙ名(&N)"), m_fileName);
    layout->addLayout(form);

    auto* split = new QSplitter(this);
    m_templates = new QListWidget(split);
    m_templates->setObjectName(QStringLiteral("lstTemplate"));
    for (const char16_t* label : kTemplateLabels) {
        m_templates->addItem(QString::fromUtf16(label));
    }
    m_text = new QPlainTextEdit(split);
    m_text->setObjectName(QStringLiteral("txtTemplate"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    useCodeFont(*m_text);
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        m_texts[static_cast<size_t>(m_shown)] = fromBox(m_text->toPlainText());
        showModifiedMark();
    });
    connect(m_templates, &QListWidget::currentRowChanged, this,
            &ChangeSettingsWindow::showTemplate);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    auto* hint = new QLabel(
        QStringLiteral("[%TableName] [%OldTableName] [%TableTitle] [%OldTableTitle] [%Index] "
                       "[%OldIndex] [%KeptColumns] [%OldKeptColumns] [%CreateTable] "
                       "[%RowTitle] [%RowType] [%NotNull] [%Default] [%Comment] "
                       "[%OldRowTitle] [%OldRowType] [%After]"),
        this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_templates->setCurrentRow(0);
    resize(sizeHint().expandedTo(QSize(640, 480)));
}

ChangeSettingsWindow::~ChangeSettingsWindow() = default;

void ChangeSettingsWindow::showNames()
{
    m_settings->showNames();
}

bool ChangeSettingsWindow::choosePosition(qsizetype position)
{
    const bool chosen = m_settings->choose(position);
    showModifiedMark();
    return chosen;
}

bool ChangeSettingsWindow::hasUnregisteredEdits() const
{
    return m_settings->hasUnregisteredEdits();
}

void ChangeSettingsWindow::showEvent(QShowEvent* event)
{
    // The file settings may have changed since it was last shown.
    const QString chosen = m_createFile->currentText();
    m_createFile->clear();
    m_createFile->addItems(m_fileNames());
    m_createFile->setEditText(chosen);
    QWidget::showEvent(event);
}

void ChangeSettingsWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

void ChangeSettingsWindow::showTemplate(int row)
{
    if (row < 0) {
        return;
    }
    m_shown = row;
    const QSignalBlocker quiet(m_text);
    m_text->setPlainText(toBox(m_texts[static_cast<size_t>(row)]));
}

void ChangeSettingsWindow::showModifiedMark()
{
    m_modified->setText(hasUnregisteredEdits() ? QStringLiteral("*") : QString());
}

ChangeSetting ChangeSettingsWindow::recordFromControls() const
{
    ChangeSetting setting;
    setting.Name = m_name->nameText();
    setting.CreateFile = m_createFile->currentText();
    setting.FileName = m_fileName->text();
    setting.Templates = m_texts;
    return setting;
}

void ChangeSettingsWindow::showRecord(const ChangeSetting& record)
{
    m_name->setNameText(record.Name);
    m_createFile->setEditText(record.CreateFile);
    m_fileName->setText(record.FileName);
    m_texts = record.Templates;
    showTemplate(m_shown);
}

} // namespace tavrune
