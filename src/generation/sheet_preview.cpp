#include "generation/sheet_preview.h"

#include "common/error.h"
#include "generation/expansion_limit.h"
#include "generation/generation_run.h"
#include "generation/output_files.h"
#include "generation/sheet_cell_reader.h"
#include "generation/split_lines.h"
#include "generation/table_text_expander.h"
#include "settings/setting_fields.h"

#include <algorithm>
#include <new>

namespace tavrune {

namespace {

// Cuts text to the preview's bounds; whether anything was cut.
bool cutToBounds(QString& text)
{
    qsizetype end = std::min(text.size(), kMaxPreviewChars);
    // The break after the last line allowed, when it comes before end.
    qsizetype lineBreak = -1;
    for (qsizetype n = 0; n < kMaxPreviewLines && lineBreak < end; ++n) {
        lineBreak = text.indexOf(u'\n', lineBreak + 1);
        if (lineBreak < 0) {
            break;
        }
    }
    if (lineBreak >= 0 && lineBreak < end) {
        end = lineBreak;
    }
    if (end == text.size()) {
        return false;
    }
    if (end > 0 && text.at(end - 1).isHighSurrogate()) {
        --end;
    }
    text.truncate(end);
    return true;
}

} // namespace

SheetPreview previewSheet(WorkbookSource& source, const QString& workbookName, qint16 sheetIndex,
                          const FormatSetting& typedFormat, const FileSetting& file,
                          const std::atomic_bool& cancelled)
{
    SheetPreview preview;
    ExpansionLimit limit(cancelled, kMaxPreviewLines, kMaxPreviewChars);
    try {
        const FormatSetting format = workingFormat(typedFormat);
        const std::unique_ptr<WorkbookConnection> connection = source.attach();
        const WorksheetHandle sheet = connection->worksheetAt(workbookName, sheetIndex);
        if (file.OutputFile == 0) {
            SheetCellReader cells(*connection, sheet);
            preview.fileName =
                tableFileName(file, cells.cell(format.TableTitle, FormatField::TableTitle));
        } else {
            preview.fileName = file.OutputFileName;
        }
        const TableTextExpander expander(*connection, format, &limit);
        QStringList lines;
        const auto expand = [&](Template which) {
            for (const QString& line :
                 splitLines(file.text(which), fileFieldName(templateField(which)))) {
                limit.throwIfCancelled();
                // Nothing is shown after a gap: once lines were left out, the rest are.
                if (limit.isCut() || !limit.fits(1, 0)) {
                    limit.markCut();
                    return;
                }
                QString expanded = expander.expandLine(sheet, line);
                limit.count(lineCount(expanded), expanded.size() + 2);
                lines.append(std::move(expanded));
            }
        };
        // Empty header and footer templates write nothing; the body always writes.
        if (!file.text(Template::Header).isEmpty()) {
            expand(Template::Header);
        }
        expand(Template::Body);
        if (!file.text(Template::Footer).isEmpty()) {
            expand(Template::Footer);
        }
        preview.text = lines.join(QStringLiteral("\r\n"))
                           .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        // A line of its own may pass the bounds: a long cell, many placeholders.
        preview.cut = cutToBounds(preview.text) || limit.isCut();
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::UserDeclined) {
            throw;
        }
        preview = {preview.fileName, {}, error.description()};
    } catch (const std::bad_alloc&) {
        preview = {
            preview.fileName, {}, QStringLiteral("メモリが足りないためプレビューを作れません。")};
    }
    return preview;
}

} // namespace tavrune
