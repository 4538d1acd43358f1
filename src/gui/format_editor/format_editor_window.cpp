#include "gui/format_editor/format_editor_window.h"

#include "settings/window_state.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrune {

namespace {

struct FieldRow
{
    FormatField field;
    const char* objectName;
    const char16_t* hint; // the placeholder the field feeds, or the hint beside it
};

// Grouped as a sheet is read: the table's cells, the column letters and their
// marks, the extra cells.
const FieldRow kRows[] = {
    {FormatField::TableName, "txtTableName", u"[%TableName]"},
    {FormatField::TableTitle, "txtTableTitle", u"[%TableTitle]"},
    {FormatField::RowStart, "txtRowStart", u""},
    {FormatField::RowTitle, "txtRowTitle", u"[%RowTitle]"},
    {FormatField::RowType, "txtRowType", u"[%RowType]"},
    {FormatField::RowLength, "txtRowLength", u""},
    {FormatField::RowScale, "txtRowScale", u""},
    {FormatField::Index, "txtIndex", u"[%Index]"},
    {FormatField::StrIndex, "txtStrIndex", u"( [%*] ： すべて )"},
    {FormatField::NotNull, "txtNotNull", u"[%NotNull]"},
    {FormatField::StrNotNull, "txtStrNotNull", u"( [%*] ： すべて )"},
    {FormatField::SetNotNull, "txtSetNotNull", u""},
    {FormatField::Default, "txtDefault", u"[%Default]"},
    {FormatField::SetDefault, "txtSetDefault", u""},
    {FormatField::Comment, "txtComment", u"[%Comment]"},
    {FormatField::Etc1, "txtEtc1", u"[%etc1]"},
    {FormatField::Etc2, "txtEtc2", u"[%etc2]"},
    {FormatField::Etc3, "txtEtc3", u"[%etc3]"},
    {FormatField::Etc4, "txtEtc4", u"[%etc4]"},
};

// Rows after which a little space separates the groups.
bool endsGroup(FormatField field)
{
    return field == FormatField::RowStart || field == FormatField::RowScale ||
           field == FormatField::Comment;
}

// The fields' area: it asks for the whole form, which the window gets where the
// screen holds it, and scrolls in whatever less it is given.
class FieldScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget()->sizeHint() + QSize(frame + verticalScrollBar()->sizeHint().width(), frame);
    }
};

} // namespace

FormatEditorWindow::FormatEditorWindow(FormatSettings& formats, WindowState& windowState,
                                       UserInteraction& interaction, std::function<bool()> save,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmFormat"));
    setWindowTitle(QStringLiteral("ﾌｫｰﾏｯﾄ設定"));
    m_name = std::make_unique<NameComboBox>(this);
    m_settings = std::make_unique<NamedSettings<FormatSetting>>(
        SettingKind::Format, formats, *m_name, static_cast<SettingView<FormatSetting>&>(*this),
        interaction, windowState, std::move(save));

    auto* layout = new QVBoxLayout(this);
    auto* top = m_name->makeRow(
        *this, m_modified, [this](int position) { choosePosition(position); },
        [this] { showModifiedMark(); }, [this] { m_settings->registerSetting(); },
        [this] { m_settings->deleteSetting(); });
    layout->addLayout(top);

    auto* scroll = new FieldScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrFormat"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* frame = new QGroupBox(scroll);
    frame->setObjectName(QStringLiteral("fraFormat"));
    auto* grid = new QGridLayout(frame);
    int row = 0;
    for (const FieldRow& fieldRow : kRows) {
        auto* label = new QLabel(formatFieldLabel(fieldRow.field), frame);
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QString::fromLatin1(fieldRow.objectName));
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &FormatEditorWindow::showModifiedMark);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(QString::fromUtf16(fieldRow.hint), frame), row, 2);
        m_fields.insert(fieldRow.field, edit);
        ++row;
        if (endsGroup(fieldRow.field)) {
            grid->setRowMinimumHeight(row++, 6);
        }
    }
    scroll->setWidget(frame);
    layout->addWidget(scroll, 1);

    // Ctrl+F switches back and forth between this window and the main window.
    auto* toMain = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    toMain->setContext(Qt::WindowShortcut);
    connect(toMain, &QShortcut::activated, this, &FormatEditorWindow::mainWindowWanted);
    // Its size is known before the first showing, which places it by that size
    // and cuts it to the screen.
    resize(sizeHint());
}

FormatEditorWindow::~FormatEditorWindow() = default;

FormatSetting FormatEditorWindow::format() const
{
    FormatSetting format;
    format.Name = m_name->nameText();
    for (const FieldRow& row : kRows) {
        setFormatFieldText(format, row.field, fieldText(row.field));
    }
    return format;
}

QString FormatEditorWindow::fieldText(FormatField which) const
{
    return field(which)->text();
}

void FormatEditorWindow::showNames()
{
    m_settings->showNames();
}

bool FormatEditorWindow::choosePosition(qsizetype position)
{
    const bool chosen = m_settings->choose(position);
    showModifiedMark();
    return chosen;
}

bool FormatEditorWindow::hasUnregisteredEdits() const
{
    return m_settings->hasUnregisteredEdits();
}

void FormatEditorWindow::showModifiedMark()
{
    m_modified->setText(hasUnregisteredEdits() ? QStringLiteral("*") : QString());
    Q_EMIT fieldsEdited();
}

void FormatEditorWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

bool FormatEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A field that gets the focus, by mouse or key, has its whole text selected,
    // so typing replaces it. After a click the press would undo the selection, so
    // it is made once the click has been handled.
    if (event->type() == QEvent::FocusIn) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- The controls of the named formats ----

FormatSetting FormatEditorWindow::recordFromControls() const
{
    return format();
}

void FormatEditorWindow::showRecord(const FormatSetting& record)
{
    m_name->setNameText(record.Name);
    for (const FieldRow& row : kRows) {
        field(row.field)->setText(formatFieldText(record, row.field));
    }
}

} // namespace tavrune
