#pragma once

#include "schema/definition_differences.h"
#include "settings/change_settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tavrune {

// The statement that creates a table of the newer definitions, as the change
// setting's file setting writes it.
using CreateTableText = std::function<QString(const TableDefinition& table)>;

struct ChangeStatement
{
    QString text;
    bool destructive = false;
};

// The script that takes a database built from the older definitions to the newer
// ones, statement by statement, in an order databases accept: the header; then in
// the newer sheet order each added table's CREATE, or each changed table's key
// dropped, columns removed, columns changed (type, NOT NULL, default, comment),
// columns added and moved (in the newer order, each after the one before it), key
// added and title changed; or, where the setting rebuilds tables, one rebuild of
// every table that differs in more than its extra cells; the removed tables; the
// footer. A template left
// empty writes nothing; a statement that repeats the one before it for the same
// column is written once (a database that restates the whole column for every
// change). leaveOutDestructive leaves out every statement that may lose data,
// which leftOut then names.
struct ChangeScript
{
    std::vector<ChangeStatement> statements;
    QStringList leftOut;

    // The statements, CR LF after each.
    QString text() const;
};

ChangeScript makeChangeScript(const std::vector<TableDefinition>& older,
                              const std::vector<TableDefinition>& newer,
                              const ChangeSetting& setting, const CreateTableText& create,
                              bool leaveOutDestructive);

} // namespace tavrune
