#include "gui/connections/connection_settings_window.h"

#include "common/error.h"
#include "common/user_interaction.h"
#include "database/database_catalog.h"
#include "gui/connections/database_reading.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrune {

namespace {

// The kinds in the order of the box: what it shows, and the URL scheme kept.
const struct
{
    const char16_t* label;
    const char* scheme;
} kKinds[] = {
    {u"PostgreSQL", "postgresql"},
    {u"MySQL / MariaDB", "mysql"},
    {u"SQLite", "sqlite"},
    {u"ODBC", "odbc"},
};

} // namespace

ConnectionSettingsWindow::ConnectionSettingsWindow(ConnectionSettings& connections,
                                                   WindowState& windowState,
                                                   UserInteraction& interaction,
                                                   std::function<bool()> save, QWidget* parent)
    : QWidget(parent, Qt::Window), m_interaction(interaction)
{
    setObjectName(QStringLiteral("frmConnection"));
    setWindowTitle(QStringLiteral("接続設定"));
    m_name = std::make_unique<NameComboBox>(this);
    m_settings = std::make_unique<NamedSettings<ConnectionSetting>>(
        SettingKind::Connection, connections, *m_name,
        static_cast<SettingView<ConnectionSetting>&>(*this), interaction, windowState,
        std::move(save));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_name->makeRow(
        *this, m_modified, [this](int position) { choosePosition(position); },
        [this] { showModifiedMark(); }, [this] { m_settings->registerSetting(); },
        [this] { m_settings->deleteSetting(); }));

    const auto lineEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        connect(edit, &QLineEdit::textChanged, this, &ConnectionSettingsWindow::showModifiedMark);
        return edit;
    };
    auto* form = new QFormLayout;
    m_cmbKind = new QComboBox(this);
    m_cmbKind->setObjectName(QStringLiteral("cmbKind"));
    for (const auto& kind : kKinds) {
        m_cmbKind->addItem(QString::fromUtf16(kind.label), QString::fromLatin1(kind.scheme));
    }
    connect(m_cmbKind, &QComboBox::currentIndexChanged, this, [this] {
        showKindFields();
        showModifiedMark();
    });
    form->addRow(QStringLiteral("種類(&K)"), m_cmbKind);
    m_txtHost = lineEdit("txtHost");
    m_txtHost->setPlaceholderText(QStringLiteral("ﾎｽﾄ名、またはｿｹｯﾄのﾌｫﾙﾀﾞ (PostgreSQL)、"
                                                 "ｿｹｯﾄﾌｧｲﾙ (MySQL)"));
    form->addRow(QStringLiteral("ﾎｽﾄ(&H)"), m_txtHost);
    m_txtPort = lineEdit("txtPort");
    m_txtPort->setPlaceholderText(QStringLiteral("空欄なら既定のﾎﾟｰﾄ"));
    form->addRow(QStringLiteral("ﾎﾟｰﾄ(&P)"), m_txtPort);
    auto* databaseRow = new QHBoxLayout;
    m_txtDatabase = lineEdit("txtDatabase");
    databaseRow->addWidget(m_txtDatabase, 1);
    m_cmdBrowse = new QPushButton(QStringLiteral("参照(&B)..."), this);
    m_cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    connect(m_cmdBrowse, &QPushButton::clicked, this,
            &ConnectionSettingsWindow::onCmdBrowseClicked);
    databaseRow->addWidget(m_cmdBrowse);
    auto* databaseCaption = new QLabel(QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ(&D)"), this);
    databaseCaption->setBuddy(m_txtDatabase);
    form->addRow(databaseCaption, databaseRow);
    m_txtUser = lineEdit("txtUser");
    form->addRow(QStringLiteral("ﾕｰｻﾞｰ(&U)"), m_txtUser);
    m_txtSchema = lineEdit("txtSchema");
    form->addRow(QStringLiteral("ｽｷｰﾏ(&S)"), m_txtSchema);
    m_chkRemember = new QCheckBox(QStringLiteral("ﾊﾟｽﾜｰﾄﾞをﾃﾞｽｸﾄｯﾌﾟのｷｰﾘﾝｸﾞに保存する(&R)"), this);
    m_chkRemember->setObjectName(QStringLiteral("chkRemember"));
    connect(m_chkRemember, &QCheckBox::toggled, this, &ConnectionSettingsWindow::showModifiedMark);
    form->addRow(QString(), m_chkRemember);
    layout->addLayout(form);

    auto* testRow = new QHBoxLayout;
    m_cmdTest = new QPushButton(QStringLiteral("接続の確認(&T)"), this);
    m_cmdTest->setObjectName(QStringLiteral("cmdTest"));
    connect(m_cmdTest, &QPushButton::clicked, this, &ConnectionSettingsWindow::onCmdTestClicked);
    testRow->addWidget(m_cmdTest);
    m_lblTest = new QLabel(this);
    m_lblTest->setObjectName(QStringLiteral("lblTest"));
    m_lblTest->setWordWrap(true);
    m_lblTest->setTextFormat(Qt::PlainText);
    testRow->addWidget(m_lblTest, 1);
    layout->addLayout(testRow);
    layout->addStretch(1);

    m_reading = new DatabaseReading(interaction, this, [this](const QString& why) {
        m_lblTest->clear();
        if (!why.isEmpty()) {
            m_interaction.showMessage(why, MessageIcon::Exclamation, MessageButtons::Ok,
                                      Answer::Ok);
        }
    });
    showKindFields();
    resize(sizeHint().expandedTo(QSize(520, 0)));
}

ConnectionSettingsWindow::~ConnectionSettingsWindow() = default;

void ConnectionSettingsWindow::showNames()
{
    m_settings->showNames();
}

bool ConnectionSettingsWindow::choosePosition(qsizetype position)
{
    const bool chosen = m_settings->choose(position);
    showModifiedMark();
    return chosen;
}

bool ConnectionSettingsWindow::hasUnregisteredEdits() const
{
    return m_settings->hasUnregisteredEdits();
}

void ConnectionSettingsWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

void ConnectionSettingsWindow::showModifiedMark()
{
    m_modified->setText(hasUnregisteredEdits() ? QStringLiteral("*") : QString());
}

void ConnectionSettingsWindow::showKindFields()
{
    // A file has no server to name, nor a password to keep; a data source names
    // its server in odbc.ini.
    const QString kind = m_cmbKind->currentData().toString();
    const bool file = kind == u"sqlite";
    const bool odbc = kind == u"odbc";
    m_txtHost->setEnabled(!file && !odbc);
    m_txtPort->setEnabled(!file && !odbc);
    m_txtUser->setEnabled(!file);
    m_chkRemember->setEnabled(!file);
    m_txtSchema->setEnabled(kind == u"postgresql" || odbc);
    m_txtSchema->setPlaceholderText(odbc ? QStringLiteral("空欄ならすべて (PostgreSQL なら public)")
                                         : QStringLiteral("空欄なら public"));
    m_cmdBrowse->setVisible(file);
    m_txtDatabase->setPlaceholderText(file ? QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽのﾌｧｲﾙ")
                                      : odbc ? QStringLiteral("odbc.ini のﾃﾞｰﾀｿｰｽ名 (DSN)")
                                             : QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ名"));
}

void ConnectionSettingsWindow::onCmdBrowseClicked()
{
    const QString path = m_interaction.chooseOpenFile(
        {QStringLiteral("SQLite ﾃﾞｰﾀﾍﾞｰｽ (*.db *.sqlite *.sqlite3)"),
         QStringLiteral("すべてのﾌｧｲﾙ (*)")},
        QFileInfo(m_txtDatabase->text()).absolutePath(), m_txtDatabase->text());
    if (!path.isEmpty()) {
        m_txtDatabase->setText(path);
    }
}

void ConnectionSettingsWindow::onCmdTestClicked()
{
    if (m_reading->isRunning()) {
        return;
    }
    ConnectionSetting connection = recordFromControls();
    if (connection.Name.trimmed().isEmpty()) {
        connection.Name = QStringLiteral("(名前なし)");
    }
    DatabaseTarget target;
    try {
        target = {databaseUrlOf(connection), connection.RememberPassword};
    } catch (const Error& error) {
        m_interaction.showMessage(error.description(), MessageIcon::Exclamation, MessageButtons::Ok,
                                  Answer::Ok);
        return;
    }
    m_lblTest->clear();
    m_reading->start(target, [this](const DatabaseUrl& url, const std::atomic_bool&) {
        const size_t tables = readDatabaseDefinitions(url).size();
        return [this, tables] {
            m_lblTest->setText(QStringLiteral("接続できました (ﾃｰﾌﾞﾙ %1 個)").arg(tables));
        };
    });
}

ConnectionSetting ConnectionSettingsWindow::recordFromControls() const
{
    return {m_name->nameText(),    m_cmbKind->currentData().toString(),
            m_txtHost->text(),     m_txtPort->text(),
            m_txtDatabase->text(), m_txtUser->text(),
            m_txtSchema->text(),   m_chkRemember->isChecked()};
}

void ConnectionSettingsWindow::showRecord(const ConnectionSetting& record)
{
    m_name->setNameText(record.Name);
    const int kind = m_cmbKind->findData(record.Kind.trimmed().toLower());
    m_cmbKind->setCurrentIndex(kind < 0 ? 0 : kind);
    m_txtHost->setText(record.Host);
    m_txtPort->setText(record.Port);
    m_txtDatabase->setText(record.Database);
    m_txtUser->setText(record.User);
    m_txtSchema->setText(record.Schema);
    m_chkRemember->setChecked(record.RememberPassword);
}

} // namespace tavrune
