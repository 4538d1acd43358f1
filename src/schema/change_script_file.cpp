#include "schema/change_script_file.h"

#include "common/cp932_text.h"
#include "common/error.h"
#include "common/trim_spaces.h"
#include "generation/output_files.h"
#include "generation/output_target.h"
#include "generation/split_lines.h"
#include "generation/table_text_expander.h"

#include <memory>

namespace tavrune {

CreateTableText createTablesBy(WorkbookConnection& connection, const FormatSetting& format,
                               const FileSetting& create)
{
    // The expander reads the format it is given for as long as it lives.
    struct Expansion
    {
        Expansion(WorkbookConnection& connection, const FormatSetting& given)
            : format(given), expander(connection, format)
        {
        }
        const FormatSetting format;
        const TableTextExpander expander;
    };
    auto expansion = std::make_shared<const Expansion>(connection, format);
    const QStringList body = splitTemplates(create).body;
    return [&connection, expansion, body](const TableDefinition& table) {
        for (const WorksheetHandle& sheet : connection.activeWorkbookSheets()) {
            if (connection.sheetName(sheet) == table.sheet) {
                QStringList lines;
                for (const QString& line : body) {
                    lines.append(expansion->expander.expandLine(sheet, line));
                }
                return lines.join(QStringLiteral("\r\n"));
            }
        }
        return QString();
    };
}

QString changeScriptPath(const ChangeSetting& setting, const FileSetting& create)
{
    const QString name = trimSpaces(setting.FileName);
    if (name.isEmpty()) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("変更設定 \"%1\" にファイル名がありません。").arg(setting.Name));
    }
    return addPathSeparator(create.OutputDir) + name;
}

void writeChangeScript(const QString& text, const QString& path, const FileSetting& create,
                       OutputTarget& output, UserInteraction& interaction, bool replace)
{
    output.ensureOutputDir(create.OutputDir, interaction);
    output.openOutputFile(path, replace);
    try {
        if (const QByteArray mark = byteOrderMark(create.Encoding); !mark.isEmpty()) {
            output.writeOutputLine(mark);
        }
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        for (qsizetype n = 0; n + 1 < lines.size(); ++n) {
            char32_t unrepresentable = 0;
            const std::optional<QByteArray> bytes =
                encodeOutputLine(lines[n], create.Encoding, create.LineEnding, &unrepresentable);
            if (!bytes) {
                throw Error(ErrorNumber::ApplicationDefined,
                            QStringLiteral("文字 %1 は%2 で書けないため、%3変更スクリプトの %4 "
                                           "行目を出力できません。")
                                .arg(describeCodePoint(unrepresentable),
                                     encodingDescription(create.Encoding),
                                     output.destinationPhrase(path))
                                .arg(n + 1));
            }
            output.writeOutputLine(*bytes);
        }
        output.commitOutputFile();
    } catch (...) {
        output.abortOutputFile();
        throw;
    }
}

} // namespace tavrune
