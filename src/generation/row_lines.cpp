#include "generation/row_lines.h"

#include "common/parallel_pieces.h"
#include "common/thread_budget.h"
#include "generation/text_rules.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

namespace tavrune {

namespace {

// Rows a thread makes at a time when a sheet's lines are made on several.
constexpr qint64 kRowsPerPiece = 2048;

// A run of rows and the lines made of them, up to the first empty title (ended)
// or the first failure.
struct RowPiece
{
    RowPiece(qint64 from, qint64 to) : first(from), last(to) {}

    qint64 first = 0;
    qint64 last = 0;
    LineJoiner lines;
    bool ended = false;
    std::exception_ptr error;
};

void makePiece(SheetCellReader& cells, const FormatSetting& format,
               const RowLineMakerFactory& makerFor, ExpansionLimit* limit, RowPiece& piece)
{
    try {
        const RowLineMaker lineOf = makerFor(cells);
        qsizetype lines = 0;
        for (qint64 row = piece.first; row <= piece.last; ++row) {
            if (limit != nullptr) {
                limit->throwIfCancelled();
            }
            if (cells.columnCell(format.RowTitle, row, FormatField::RowTitle).isEmpty()) {
                piece.ended = true;
                return;
            }
            std::optional<QString> line = lineOf(row);
            if (!line) {
                continue;
            }
            if (limit != nullptr) {
                // The comma and the line break the joiner puts before it count too.
                const qsizetype added = lineCount(*line);
                if (!limit->fits(lines + added, piece.lines.size() + line->size() + 3)) {
                    limit->markCut();
                    piece.ended = true;
                    return;
                }
                lines += added;
            }
            piece.lines.add(*line);
        }
    } catch (...) {
        piece.error = std::current_exception();
    }
}

} // namespace

QString makeRowLines(SheetCellReader& cells, const FormatSetting& format, bool independentRows,
                     const RowLineMakerFactory& makerFor, ExpansionLimit* limit, bool* split)
{
    const qint64 lastRow = cells.lastUsedRow();
    std::vector<RowPiece> pieces;
    for (qint64 first = format.RowStart; first <= lastRow; first += kRowsPerPiece) {
        pieces.emplace_back(first, std::min(lastRow, first + kRowsPerPiece - 1));
    }
    std::vector<std::unique_ptr<WorkbookConnection>> readers;
    if (independentRows && limit == nullptr && pieces.size() > 1) {
        const size_t wanted = std::min(ThreadBudget::total(), pieces.size() - 1);
        for (size_t i = 0; i < wanted; ++i) {
            std::unique_ptr<WorkbookConnection> reader = cells.connectionForThread();
            if (!reader) {
                break;
            }
            readers.push_back(std::move(reader));
        }
    }
    if (split != nullptr) {
        *split = !readers.empty();
    }
    if (readers.empty()) {
        RowPiece all(format.RowStart, lastRow);
        makePiece(cells, format, makerFor, limit, all);
        if (all.error) {
            std::rethrow_exception(all.error);
        }
        return all.lines.take();
    }
    // Each thread the budget gives reads through a connection of its own.
    std::vector<SheetCellReader> threadCells;
    threadCells.reserve(readers.size());
    for (const std::unique_ptr<WorkbookConnection>& reader : readers) {
        threadCells.emplace_back(*reader, cells.sheet());
    }
    runInParallel(pieces.size(), readers.size() + 1, [&](size_t piece, size_t thread) {
        makePiece(thread == 0 ? cells : threadCells[thread - 1], format, makerFor, nullptr,
                  pieces[piece]);
    });
    // Sized once: a long sheet's text is tens of megabytes, too much to copy as it grows.
    qsizetype size = 0;
    for (const RowPiece& piece : pieces) {
        size += piece.lines.size() + 3;
    }
    LineJoiner lines;
    lines.reserve(size);
    // As one pass would: up to the first empty title, the first failure in that
    // range thrown; pieces past the end are not looked at.
    for (RowPiece& piece : pieces) {
        if (piece.error) {
            std::rethrow_exception(piece.error);
        }
        if (!piece.lines.isEmpty()) {
            lines.add(piece.lines.take());
        }
        if (piece.ended) {
            break;
        }
    }
    return lines.take();
}

} // namespace tavrune
