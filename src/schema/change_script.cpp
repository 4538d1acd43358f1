#include "schema/change_script.h"

#include "generation/column_type.h"
#include "generation/text_rules.h"

namespace tavrune {

namespace {

const TableDefinition* findTable(const std::vector<TableDefinition>& tables, const QString& name)
{
    for (const TableDefinition& table : tables) {
        if (QString::compare(table.name, name, Qt::CaseInsensitive) == 0) {
            return &table;
        }
    }
    return nullptr;
}

const ColumnDefinition* findColumn(const TableDefinition& table, const QString& title)
{
    for (const ColumnDefinition& column : table.columns) {
        if (QString::compare(column.title, title, Qt::CaseInsensitive) == 0) {
            return &column;
        }
    }
    return nullptr;
}

// "AFTER title" of the column before it, "FIRST" for the first one.
QString afterText(const TableDefinition& table, const QString& title)
{
    const ColumnDefinition* previous = nullptr;
    for (const ColumnDefinition& column : table.columns) {
        if (QString::compare(column.title, title, Qt::CaseInsensitive) == 0) {
            break;
        }
        previous = &column;
    }
    return previous == nullptr ? QStringLiteral("FIRST")
                               : QStringLiteral("AFTER ") + previous->title;
}

class ScriptBuilder
{
public:
    ScriptBuilder(const ChangeSetting& setting, const CreateTableText& create, bool leaveOut)
        : m_setting(setting), m_create(create), m_leaveOut(leaveOut)
    {
    }

    ChangeScript script;

    void add(ChangeTemplate which, QList<std::pair<QString, QString>> values, bool destructive,
             const QString& what)
    {
        QString text = m_setting.text(which);
        if (text.isEmpty()) {
            return;
        }
        for (const auto& [placeholder, value] : values) {
            replaceAll(text, placeholder, value);
        }
        if (trimSpaces(text).isEmpty()) {
            return;
        }
        if (destructive && m_leaveOut) {
            if (!script.leftOut.contains(what)) {
                script.leftOut.append(what);
            }
            return;
        }
        if (!script.statements.empty() && script.statements.back().text == text &&
            what == m_lastWhat) {
            return;
        }
        m_lastWhat = what;
        script.statements.push_back({text, destructive});
    }

    void addTable(const TableDefinition& table)
    {
        m_lastWhat.clear();
        script.statements.push_back({m_create(table), false});
    }

    void changeTable(const TableDefinition& older, const TableDefinition& newer,
                     const std::vector<const Difference*>& differences)
    {
        const QList<std::pair<QString, QString>> tableValues = this->tableValues(older, newer);
        bool columnsChanged = false;
        bool rebuilds = false;
        bool destructive = false;
        for (const Difference* d : differences) {
            columnsChanged = columnsChanged || d->kind != DifferenceKind::TableChanged;
            // Extra cells are the sheet's own; anything else is the database's too.
            rebuilds = rebuilds || !d->what.startsWith(u"etc");
            destructive = destructive || d->destructive;
        }
        if (!m_setting.text(ChangeTemplate::TableRebuilt).isEmpty()) {
            if (rebuilds) {
                add(ChangeTemplate::TableRebuilt,
                    tableValues +
                        QList<std::pair<QString, QString>>{
                            {QStringLiteral("[%CreateTable]"), m_create(newer)}},
                    destructive, newer.name);
            }
            return;
        }
        if (columnsChanged) {
            changeColumns(older, newer, differences, tableValues);
        }
        for (const Difference* d : differences) {
            if (d->kind == DifferenceKind::TableChanged && d->what == u"title") {
                add(ChangeTemplate::TitleChanged, tableValues, false, newer.name);
            }
        }
    }

private:
    QList<std::pair<QString, QString>> tableValues(const TableDefinition& older,
                                                   const TableDefinition& newer) const
    {
        QStringList kept;
        QStringList oldKept;
        for (const ColumnDefinition& column : newer.columns) {
            if (const ColumnDefinition* before = findColumn(older, column.title)) {
                kept.append(column.title);
                oldKept.append(before->title);
            }
        }
        const QString separator = QStringLiteral(", ");
        return {{QStringLiteral("[%TableName]"), newer.name},
                {QStringLiteral("[%OldTableName]"), older.name},
                {QStringLiteral("[%TableTitle]"), newer.title},
                {QStringLiteral("[%OldTableTitle]"), older.title},
                {QStringLiteral("[%Index]"), newer.key().join(separator)},
                {QStringLiteral("[%OldIndex]"), older.key().join(separator)},
                {QStringLiteral("[%KeptColumns]"), kept.join(separator)},
                {QStringLiteral("[%OldKeptColumns]"), oldKept.join(separator)}};
    }

    static QList<std::pair<QString, QString>> columnValues(const TableDefinition& table,
                                                           const ColumnDefinition& column,
                                                           const ColumnDefinition* before)
    {
        const FormatSetting& format = table.format;
        return {{QStringLiteral("[%RowTitle]"), column.title},
                {QStringLiteral("[%RowType]"), column.type.text},
                {QStringLiteral("[%NotNull]"), column.notNull ? format.SetNotNull : QString()},
                {QStringLiteral("[%Default]"),
                 defaultText(format, column.type.name, column.defaultValue)},
                {QStringLiteral("[%Comment]"), column.comment},
                {QStringLiteral("[%OldRowTitle]"), before ? before->title : column.title},
                {QStringLiteral("[%OldRowType]"), before ? before->type.text : QString()},
                {QStringLiteral("[%After]"), afterText(table, column.title)}};
    }

    void changeColumns(const TableDefinition& older, const TableDefinition& newer,
                       const std::vector<const Difference*>& differences,
                       const QList<std::pair<QString, QString>>& tableValues)
    {
        const auto of = [&](DifferenceKind kind) {
            std::vector<const Difference*> found;
            for (const Difference* d : differences) {
                if (d->kind == kind) {
                    found.push_back(d);
                }
            }
            return found;
        };
        const bool keyChanged = !of(DifferenceKind::KeyChanged).empty();
        if (keyChanged && !older.key().isEmpty()) {
            add(ChangeTemplate::KeyDropped, tableValues, false, newer.name);
        }
        for (const Difference* d : of(DifferenceKind::ColumnRemoved)) {
            const ColumnDefinition* gone = findColumn(older, d->column);
            add(ChangeTemplate::ColumnRemoved, tableValues + columnValues(older, *gone, gone), true,
                newer.name + u'.' + gone->title);
        }
        for (const Difference* d : of(DifferenceKind::ColumnChanged)) {
            const ColumnDefinition* column = findColumn(newer, d->column);
            const ColumnDefinition* before = findColumn(older, d->column);
            const auto values = tableValues + columnValues(newer, *column, before);
            const QString what = newer.name + u'.' + column->title;
            if (d->what == u"type") {
                add(ChangeTemplate::TypeChanged, values, d->destructive, what);
            } else if (d->what == u"not null") {
                add(column->notNull ? ChangeTemplate::NotNullSet : ChangeTemplate::NotNullDropped,
                    values, false, what);
            } else if (d->what == u"default") {
                add(trimSpaces(column->defaultValue).isEmpty() ? ChangeTemplate::DefaultDropped
                                                               : ChangeTemplate::DefaultSet,
                    values, false, what);
            } else if (d->what == u"comment") {
                add(ChangeTemplate::CommentChanged, values, false, what);
            }
        }
        // Added and moved columns together, in the newer order, each placed after the
        // one before it, which is then in place already.
        for (const ColumnDefinition& column : newer.columns) {
            for (const Difference* d : differences) {
                const bool added = d->kind == DifferenceKind::ColumnAdded;
                if ((added || d->kind == DifferenceKind::ColumnMoved) &&
                    QString::compare(d->column, column.title, Qt::CaseInsensitive) == 0) {
                    add(added ? ChangeTemplate::ColumnAdded : ChangeTemplate::ColumnMoved,
                        tableValues + columnValues(newer, column, findColumn(older, column.title)),
                        false, newer.name + u'.' + column.title);
                }
            }
        }
        if (keyChanged && !newer.key().isEmpty()) {
            add(ChangeTemplate::KeyAdded, tableValues, false, newer.name);
        }
    }

    const ChangeSetting& m_setting;
    const CreateTableText& m_create;
    bool m_leaveOut;
    QString m_lastWhat; // what the last statement was written for
};

} // namespace

QString ChangeScript::text() const
{
    QString text;
    for (const ChangeStatement& statement : statements) {
        text += statement.text + QStringLiteral("\r\n");
    }
    return text;
}

ChangeScript makeChangeScript(const std::vector<TableDefinition>& older,
                              const std::vector<TableDefinition>& newer,
                              const ChangeSetting& setting, const CreateTableText& create,
                              bool leaveOutDestructive)
{
    const std::vector<Difference> differences = compareDefinitions(older, newer);
    ScriptBuilder builder(setting, create, leaveOutDestructive);
    builder.add(ChangeTemplate::Header, {}, false, QString());
    for (const TableDefinition& table : newer) {
        std::vector<const Difference*> own;
        bool added = false;
        for (const Difference& d : differences) {
            if (QString::compare(d.table, table.name, Qt::CaseInsensitive) == 0) {
                added = added || d.kind == DifferenceKind::TableAdded;
                own.push_back(&d);
            }
        }
        if (added) {
            builder.addTable(table);
        } else if (!own.empty()) {
            builder.changeTable(*findTable(older, table.name), table, own);
        }
    }
    for (const Difference& d : differences) {
        if (d.kind == DifferenceKind::TableRemoved) {
            const TableDefinition* gone = findTable(older, d.table);
            builder.add(ChangeTemplate::TableRemoved,
                        {{QStringLiteral("[%TableName]"), gone->name},
                         {QStringLiteral("[%TableTitle]"), gone->title}},
                        true, gone->name);
        }
    }
    builder.add(ChangeTemplate::Footer, {}, false, QString());
    return std::move(builder.script);
}

} // namespace tavrune
