#include "generation/sheet_preview.h"

#include "common/error.h"
#include "generation/generation_run.h"
#include "generation/sheet_cell_reader.h"
#include "generation/split_lines.h"
#include "generation/table_text_expander.h"
#include "settings/setting_fields.h"

#include <new>

namespace tavrune {

SheetPreview previewSheet(WorkbookSource& source, const QString& workbookName, qint16 sheetIndex,
                          const FormatSetting& typedFormat, const QString& rowStartText,
                          const FileSetting& file)
{
    SheetPreview preview;
    try {
        const FormatSetting format = workingFormat(typedFormat, rowStartText);
        const std::unique_ptr<WorkbookConnection> connection = source.Attach();
        const WorksheetHandle sheet = connection->WorksheetAt(workbookName, sheetIndex);
        if (file.OutputFile == 0) {
            SheetCellReader cells(*connection, sheet);
            QString name = cells.cell(format.TableTitle, FormatField::TableTitle);
            if (file.OutputFileStrCheck[0] == 1) {
                name = file.OutputFileStr[0] + name;
            }
            if (file.OutputFileStrCheck[1] == 1) {
                name += file.OutputFileStr[1];
            }
            preview.fileName = name;
        } else {
            preview.fileName = file.OutputFileName;
        }
        const TableTextExpander expander(*connection, format);
        QStringList lines;
        const auto expand = [&](const QString& text, FileField field) {
            for (const QString& line : SplitLines(text, fileFieldName(field))) {
                lines.append(expander.ExpandLine(sheet, line));
            }
        };
        // Empty header and footer templates write nothing; the body always writes.
        if (!file.Text[1].isEmpty()) {
            expand(file.Text[1], FileField::Header);
        }
        expand(file.Text[0], FileField::Body);
        if (!file.Text[2].isEmpty()) {
            expand(file.Text[2], FileField::Footer);
        }
        preview.text = lines.join(QStringLiteral("\r\n"))
                           .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    } catch (const Error& error) {
        preview.error = error.description();
        preview.text.clear();
    } catch (const std::bad_alloc&) {
        preview.error = QStringLiteral("メモリが足りないためプレビューを作れません。");
        preview.text.clear();
    }
    return preview;
}

} // namespace tavrune
