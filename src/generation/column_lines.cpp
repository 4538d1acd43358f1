#include "generation/column_lines.h"

#include "generation/text_rules.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace tavrune {

namespace {

const QString kRowTitle = QStringLiteral("[%RowTitle]");
const QString kRowType = QStringLiteral("[%RowType]");
const QString kNotNull = QStringLiteral("[%NotNull]");
const QString kDefault = QStringLiteral("[%Default]");
const QString kComment = QStringLiteral("[%Comment]");

// The column line cut at its placeholders, so that a row's values go in with one
// pass. Replacing the placeholders one after the other gives the same text as long
// as no "%" stands outside them or in a value: every placeholder then found is one
// that was in the line from the start.
class RowPattern
{
public:
    static constexpr int kTitle = 0;
    static constexpr int kType = 1;
    static constexpr int kCount = 5;

    explicit RowPattern(const QString& line)
    {
        static const QString* const placeholders[kCount] = {&kRowTitle, &kRowType, &kNotNull,
                                                            &kDefault, &kComment};
        QString literal;
        for (qsizetype i = 0; i < line.size();) {
            int found = -1;
            if (line[i] == u'[') {
                for (int k = 0; k < kCount && found < 0; ++k) {
                    if (matchesIgnoringAsciiCase(line, i, *placeholders[k])) {
                        found = k;
                    }
                }
            }
            if (found < 0) {
                m_usable = m_usable && line[i] != u'%';
                literal += line[i++];
                continue;
            }
            m_literals.push_back(literal);
            literal.clear();
            m_slots.push_back(found);
            m_holdsType = m_holdsType || found == kType;
            i += placeholders[found]->size();
        }
        m_literals.push_back(literal);
    }

    bool usable() const { return m_usable; }
    bool holdsType() const { return m_holdsType; }

    QString fill(const std::array<QString, kCount>& values) const
    {
        QString line = m_literals[0];
        for (size_t n = 0; n < m_slots.size(); ++n) {
            line += values[static_cast<size_t>(m_slots[n])];
            line += m_literals[n + 1];
        }
        return line;
    }

private:
    std::vector<QString> m_literals; // one more than the slots: around them
    std::vector<int> m_slots;        // the placeholder of each, by its number
    bool m_usable = true;
    bool m_holdsType = false;
};

class ColumnLineBuilder
{
public:
    ColumnLineBuilder(SheetCellReader& cells, const FormatSetting& format)
        : m_cells(cells), m_format(format)
    {
    }

    QString typeText(qint64 row)
    {
        QString type = trimSpaces(m_cells.columnCell(m_format.RowType, row, FormatField::RowType));
        m_typeName = type;
        if (type.isEmpty() || m_format.RowLength == m_format.RowType) {
            return type;
        }
        const QString length = m_cells.columnCell(m_format.RowLength, row, FormatField::RowLength);
        if (!isNumericLength(length)) {
            return type;
        }
        if (!length.startsWith(u'(')) {
            type += u'(';
        }
        type += length;
        if (m_format.RowScale != m_format.RowLength) {
            const QString scale = m_cells.columnCell(m_format.RowScale, row, FormatField::RowScale);
            if (!scale.isEmpty()) {
                type += u',' + scale;
            }
        }
        if (!trimSpaces(type).endsWith(u')')) {
            type += u')';
        }
        return type;
    }

    QString defaultText(const QString& value) const
    {
        if (trimSpaces(value).isEmpty()) {
            return {};
        }
        if (containsIgnoringAsciiCase(m_typeName, QStringLiteral("CHAR"))) {
            return m_format.SetDefault + QStringLiteral(" '") + value + u'\'';
        }
        return m_format.SetDefault + u' ' + value;
    }

    QString rowLine(const QString& line, const RowPattern& pattern, qint64 row)
    {
        // The cells are read in this order, the type only when the line holds its
        // placeholder once the title is in.
        const QString title = m_cells.columnCell(m_format.RowTitle, row, FormatField::RowTitle);
        const bool onePass = pattern.usable() && !title.contains(u'%');
        QString text;
        if (!onePass) {
            text = line;
            ReplaceAll(text, kRowTitle, title);
        }
        const bool holdsType =
            onePass ? pattern.holdsType() : containsIgnoringAsciiCase(text, kRowType);
        const QString type = holdsType ? typeText(row) : QString();
        const QString mark = m_cells.columnCell(m_format.NotNull, row, FormatField::NotNull);
        const QString notNull =
            markMatches(mark, m_format.StrNotNull) ? m_format.SetNotNull : QString();
        const QString defaultValue =
            defaultText(m_cells.columnCell(m_format.Default, row, FormatField::Default));
        const QString comment = m_cells.columnCell(m_format.Comment, row, FormatField::Comment);
        const std::array<QString, RowPattern::kCount> values = {title, type, notNull, defaultValue,
                                                                comment};
        if (onePass && std::none_of(values.begin(), values.end(),
                                    [](const QString& value) { return value.contains(u'%'); })) {
            return cleanUpLine(pattern.fill(values));
        }
        if (onePass) {
            text = line;
            ReplaceAll(text, kRowTitle, title);
        }
        ReplaceAll(text, kRowType, type);
        ReplaceAll(text, kNotNull, notNull);
        ReplaceAll(text, kDefault, defaultValue);
        ReplaceAll(text, kComment, comment);
        return cleanUpLine(text);
    }

private:
    SheetCellReader& m_cells;
    const FormatSetting& m_format;
    // The type of the last row that took the type rule; decides apostrophes
    // around defaults.
    QString m_typeName;
};

// Rows a thread expands at a time when a sheet's lines are made on several.
constexpr qint64 kRowsPerPiece = 2048;
// Threads helping with one sheet's lines.
constexpr size_t kMaxHelpers = 3;

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

void expandPiece(SheetCellReader& cells, const FormatSetting& format, const QString& text,
                 const RowPattern& pattern, RowPiece& piece)
{
    try {
        ColumnLineBuilder builder(cells, format);
        for (qint64 row = piece.first; row <= piece.last; ++row) {
            if (cells.columnCell(format.RowTitle, row, FormatField::RowTitle).isEmpty()) {
                piece.ended = true;
                return;
            }
            piece.lines.add(builder.rowLine(text, pattern, row));
        }
    } catch (...) {
        piece.error = std::current_exception();
    }
}

} // namespace

void ExpandColumnLines(QString& text, SheetCellReader& cells, const FormatSetting& format)
{
    if (!containsIgnoringAsciiCase(text, kRowTitle)) {
        return;
    }
    const qint64 lastRow = cells.lastUsedRow();
    const RowPattern pattern(text);
    std::vector<RowPiece> pieces;
    for (qint64 first = format.RowStart; first <= lastRow; first += kRowsPerPiece) {
        pieces.emplace_back(first, std::min(lastRow, first + kRowsPerPiece - 1));
    }
    // Rows are independent of each other when each takes the type rule: the type
    // decides the apostrophes of its own row's default. Otherwise the last type read
    // carries over, and the rows go one after the other.
    std::vector<std::unique_ptr<WorkbookConnection>> readers;
    if (pieces.size() > 1 && containsIgnoringAsciiCase(text, kRowType)) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const size_t wanted = std::min<size_t>({cores - 1, kMaxHelpers, pieces.size() - 1});
        for (size_t i = 0; i < wanted; ++i) {
            std::unique_ptr<WorkbookConnection> reader = cells.connectionForThread();
            if (!reader) {
                break;
            }
            readers.push_back(std::move(reader));
        }
    }
    if (readers.empty()) {
        RowPiece all(format.RowStart, lastRow);
        expandPiece(cells, format, text, pattern, all);
        if (all.error) {
            std::rethrow_exception(all.error);
        }
        text = all.lines.take();
        return;
    }
    std::atomic<size_t> next = 0;
    const auto work = [&](SheetCellReader& reader) {
        for (size_t k = next++; k < pieces.size(); k = next++) {
            expandPiece(reader, format, text, pattern, pieces[k]);
        }
    };
    std::vector<std::thread> helpers;
    for (const std::unique_ptr<WorkbookConnection>& reader : readers) {
        try {
            helpers.emplace_back([&] {
                SheetCellReader cellsHere(*reader, cells.sheet());
                work(cellsHere);
            });
        } catch (const std::system_error&) {
            break; // no more threads to be had: those there are do the work
        }
    }
    work(cells);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    // As one pass would: up to the first empty title, the first failure in that
    // range thrown; pieces past the end are not looked at.
    LineJoiner lines;
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
    text = lines.take();
}

} // namespace tavrune
