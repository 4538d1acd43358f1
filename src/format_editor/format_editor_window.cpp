#include "format_editor/format_editor_window.h"

#include "settings/window_state.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavrune {

namespace {

struct FieldRow
{
    FormatField field;
    const char* objectName;
    const char16_t* hint; // the placeholder the field feeds, or the hint beside it
};

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

} // namespace

FormatEditorWindow::FormatEditorWindow(const FormatSettings& formats, WindowState& windowState,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_formats(formats), m_windowState(windowState)
{
    setObjectName(QStringLiteral("frmFormat"));
    setWindowTitle(QStringLiteral("ﾌｫｰﾏｯﾄ設定"));

    auto* layout = new QVBoxLayout(this);
    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("cmbName"));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    layout->addWidget(m_name);
    connect(m_name, &QComboBox::activated, this,
            [this](int position) { choosePosition(position); });

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fraFormat"));
    auto* grid = new QGridLayout(frame);
    int row = 0;
    for (const FieldRow& spec : kRows) {
        auto* label = new QLabel(formatFieldLabel(spec.field), frame);
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QString::fromLatin1(spec.objectName));
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(QString::fromUtf16(spec.hint), frame), row, 2);
        m_fields.insert(spec.field, edit);
        ++row;
    }
    layout->addWidget(frame);
}

FormatSetting FormatEditorWindow::fields() const
{
    FormatSetting format;
    format.Name = m_name->currentText();
    format.TableName = field(FormatField::TableName)->text();
    format.TableTitle = field(FormatField::TableTitle)->text();
    format.RowTitle = field(FormatField::RowTitle)->text();
    format.RowType = field(FormatField::RowType)->text();
    format.RowLength = field(FormatField::RowLength)->text();
    format.RowScale = field(FormatField::RowScale)->text();
    format.Index = field(FormatField::Index)->text();
    format.StrIndex = field(FormatField::StrIndex)->text();
    format.NotNull = field(FormatField::NotNull)->text();
    format.StrNotNull = field(FormatField::StrNotNull)->text();
    format.SetNotNull = field(FormatField::SetNotNull)->text();
    format.Default = field(FormatField::Default)->text();
    format.SetDefault = field(FormatField::SetDefault)->text();
    format.Comment = field(FormatField::Comment)->text();
    format.Etc = {field(FormatField::Etc1)->text(), field(FormatField::Etc2)->text(),
                  field(FormatField::Etc3)->text(), field(FormatField::Etc4)->text()};
    return format;
}

QString FormatEditorWindow::rowStartText() const
{
    return field(FormatField::RowStart)->text();
}

void FormatEditorWindow::showRecord(const FormatSetting& record)
{
    field(FormatField::TableName)->setText(record.TableName);
    field(FormatField::TableTitle)->setText(record.TableTitle);
    field(FormatField::RowStart)->setText(QString::number(record.RowStart));
    field(FormatField::RowTitle)->setText(record.RowTitle);
    field(FormatField::RowType)->setText(record.RowType);
    field(FormatField::RowLength)->setText(record.RowLength);
    field(FormatField::RowScale)->setText(record.RowScale);
    field(FormatField::Index)->setText(record.Index);
    field(FormatField::StrIndex)->setText(record.StrIndex);
    field(FormatField::NotNull)->setText(record.NotNull);
    field(FormatField::StrNotNull)->setText(record.StrNotNull);
    field(FormatField::SetNotNull)->setText(record.SetNotNull);
    field(FormatField::Default)->setText(record.Default);
    field(FormatField::SetDefault)->setText(record.SetDefault);
    field(FormatField::Comment)->setText(record.Comment);
    field(FormatField::Etc1)->setText(record.Etc[0]);
    field(FormatField::Etc2)->setText(record.Etc[1]);
    field(FormatField::Etc3)->setText(record.Etc[2]);
    field(FormatField::Etc4)->setText(record.Etc[3]);
}

void FormatEditorWindow::refreshNames()
{
    const QString typed = m_name->currentText();
    m_name->clear();
    for (const FormatSetting& format : m_formats) {
        m_name->addItem(format.Name);
    }
    m_name->setCurrentIndex(-1);
    m_name->setEditText(typed);
}

bool FormatEditorWindow::choosePosition(qsizetype position)
{
    if (position < 0 || position >= m_formats.size() || position >= m_name->count()) {
        return false;
    }
    m_name->setCurrentIndex(static_cast<int>(position));
    showRecord(m_formats.at(position));
    m_windowState.setChosenPosition(SettingKind::Format, position);
    return true;
}

void FormatEditorWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

} // namespace tavrune
