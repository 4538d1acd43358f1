#include "cli/write_workbook_command.h"

#include "common/error.h"
#include "database/database_catalog.h"

#include <QFileInfo>

namespace tavrune {

void runWriteWorkbook(const WriteWorkbookRequest& request)
{
    const QString output = QFileInfo(request.output).absoluteFilePath();
    if (!request.overwrite && QFileInfo::exists(output)) {
        throw Error(ErrorNumber::PathFileAccess,
                    QStringLiteral("\"%1\" には既に同名のファイルが存在します。上書きするには "
                                   "--overwrite を指定してください。")
                        .arg(output));
    }
    std::vector<TableDefinition> tables = readDatabaseDefinitions(request.database);
    if (!request.tables.isEmpty()) {
        std::vector<TableDefinition> chosen;
        for (const QString& name : request.tables) {
            const auto found = std::find_if(tables.begin(), tables.end(), [&](const auto& table) {
                return table.name.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (found == tables.end()) {
                throw Error(ErrorNumber::SubscriptOutOfRange,
                            QStringLiteral("--table \"%1\": その名前のテーブルはデータベースに"
                                           "ありません。")
                                .arg(name));
            }
            chosen.push_back(*found);
        }
        tables = std::move(chosen);
    }
    // A SQLite database is a file read here, never one to write over.
    const QStringList inputs = request.database.kind == DatabaseKind::Sqlite
                                   ? QStringList{request.database.database}
                                   : QStringList{};
    const std::atomic_bool neverCancelled = false;
    writeDefinitionWorkbook(output, tables, request.format, request.layout, inputs, neverCancelled);
}

} // namespace tavrune
