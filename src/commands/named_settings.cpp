#include "commands/named_settings.h"

#include "common/error.h"
#include "common/trim_spaces.h"
#include "common/user_interaction.h"

namespace tavrune {

namespace {

QString kindName(SettingKind kind)
{
    switch (kind) {
    case SettingKind::File:
        return QStringLiteral("ファイル設定");
    case SettingKind::Format:
        return QStringLiteral("フォーマット設定");
    case SettingKind::Change:
        return QStringLiteral("変更設定");
    case SettingKind::Connection:
        break;
    }
    return QStringLiteral("接続設定");
}

QString overwriteQuestion(SettingKind kind)
{
    return kindName(kind) + QStringLiteral("を上書きしますか？");
}

QString deleteQuestion(SettingKind kind)
{
    return kindName(kind) + QStringLiteral("を削除しますか？");
}

} // namespace

FileSetting asShown(const FileSetting& record)
{
    FileSetting shown = record;
    shown.OutputFile = record.OutputFile == 1 ? 1 : 0;
    for (qint16& check : shown.OutputFileStrCheck) {
        check = check == 1 ? 1 : 0;
    }
    return shown;
}

FormatSetting asShown(const FormatSetting& record)
{
    return record;
}

ChangeSetting asShown(const ChangeSetting& record)
{
    return record;
}

ConnectionSetting asShown(const ConnectionSetting& record)
{
    // The window's box shows the first kind for one it does not know.
    ConnectionSetting shown = record;
    shown.Kind = record.Kind.trimmed().toLower();
    if (shown.Kind != u"mysql" && shown.Kind != u"sqlite" && shown.Kind != u"odbc") {
        shown.Kind = QStringLiteral("postgresql");
    }
    return shown;
}

template <typename Record>
NamedSettings<Record>::NamedSettings(SettingKind kind, QList<Record>& records, NameBox& nameBox,
                                     SettingView<Record>& view, UserInteraction& interaction,
                                     WindowState& windowState, std::function<bool()> save)
    : m_kind(kind), m_records(records), m_nameBox(nameBox), m_view(view),
      m_interaction(interaction), m_windowState(windowState), m_save(std::move(save))
{
}

template <typename Record> void NamedSettings<Record>::registerSetting()
{
    const QString name = trimSpaces(m_nameBox.nameText());
    m_nameBox.setNameText(name);
    if (name.isEmpty()) {
        m_interaction.showMessage(QStringLiteral("設定名を入力してください。"),
                                  MessageIcon::Exclamation, MessageButtons::Ok, Answer::Ok);
        m_nameBox.focusName();
        return;
    }
    std::optional<qsizetype> target = findSettingByName(m_records, name);
    if (target && m_interaction.showMessage(overwriteQuestion(m_kind), MessageIcon::Question,
                                            MessageButtons::YesNo, Answer::No) != Answer::Yes) {
        return;
    }
    Record record;
    try {
        record = m_view.recordFromControls();
    } catch (const Error& error) {
        // A field that cannot be stored (a start row beyond the integer range):
        // nothing is registered.
        m_interaction.showMessage(error.description(), MessageIcon::Stop, MessageButtons::Ok,
                                  Answer::Ok);
        return;
    }
    record.Name = name;
    const QList<Record> before = m_records;
    if (target) {
        m_records[*target] = record;
    } else {
        m_records.append(record);
    }
    if (!m_save()) {
        // Not registered, as the save has said: the controls keep the edits, still
        // marked as unregistered, so that closing asks before they are lost.
        m_records = before;
        return;
    }
    if (!target) {
        m_nameBox.appendName(name);
    }
    m_interaction.showMessage(QStringLiteral("登録しました。"), MessageIcon::Information,
                              MessageButtons::Ok, Answer::Ok);
}

template <typename Record> void NamedSettings<Record>::deleteSetting()
{
    const std::optional<qsizetype> position = findSettingByName(m_records, m_nameBox.nameText());
    if (!position) {
        return;
    }
    if (m_interaction.showMessage(deleteQuestion(m_kind), MessageIcon::Question,
                                  MessageButtons::YesNo, Answer::No) != Answer::Yes) {
        return;
    }
    const QList<Record> before = m_records;
    m_records.removeAt(*position);
    if (!m_save()) {
        m_records = before; // still in the file, as the save has said
        return;
    }
    m_nameBox.removeName(*position);
    m_nameBox.setNameText(QString());
}

template <typename Record> bool NamedSettings<Record>::choose(qsizetype position)
{
    if (position < 0 || position >= m_records.size()) {
        return false;
    }
    m_nameBox.chooseName(position);
    m_view.showRecord(m_records.at(position));
    m_windowState.setChosenPosition(m_kind, position);
    return true;
}

template <typename Record> void NamedSettings<Record>::showNames()
{
    for (const Record& record : m_records) {
        m_nameBox.appendName(record.Name);
    }
    m_nameBox.chooseName(-1);
    m_nameBox.setNameText(QString());
}

template <typename Record> bool NamedSettings<Record>::hasUnregisteredEdits() const
{
    Record shown;
    try {
        shown = asShown(m_view.recordFromControls());
    } catch (const Error&) {
        return true; // typed, and not registrable as it stands
    }
    const std::optional<qsizetype> position = findSettingByName(m_records, m_nameBox.nameText());
    if (position) {
        return asShown(m_records.at(*position)) != shown;
    }
    // Nothing registered under the name shown: whatever was typed would be lost.
    Record empty;
    empty.Name = shown.Name;
    return asShown(empty) != shown;
}

template class NamedSettings<FileSetting>;
template class NamedSettings<FormatSetting>;
template class NamedSettings<ChangeSetting>;
template class NamedSettings<ConnectionSetting>;

} // namespace tavrune
