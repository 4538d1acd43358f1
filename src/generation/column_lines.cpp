#include "generation/column_lines.h"

#include "generation/column_type.h"
#include "generation/row_lines.h"
#include "generation/text_rules.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
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
        ColumnType type = readColumnType(m_cells, m_format, row);
        m_typeName = std::move(type.name);
        return std::move(type.text);
    }

    // Whether a row has taken the type rule, whose type then carries over.
    bool typeRuleTaken() const { return m_typeRuleTaken; }

    QString rowLine(const QString& line, const RowPattern& pattern, qint64 row)
    {
        // The cells are read in this order, the type only when the line holds its
        // placeholder once the title is in.
        const QString title = m_cells.columnCell(m_format.RowTitle, row, FormatField::RowTitle);
        const bool onePass = pattern.usable() && !title.contains(u'%');
        QString text;
        if (!onePass) {
            text = line;
            replaceAll(text, kRowTitle, title);
        }
        const bool holdsType =
            onePass ? pattern.holdsType() : containsIgnoringAsciiCase(text, kRowType);
        const QString type = holdsType ? typeText(row) : QString();
        m_typeRuleTaken = m_typeRuleTaken || holdsType;
        const QString mark = m_cells.columnCell(m_format.NotNull, row, FormatField::NotNull);
        const QString notNull =
            markMatches(mark, m_format.StrNotNull) ? m_format.SetNotNull : QString();
        const QString defaultValue = defaultText(
            m_format, m_typeName, m_cells.columnCell(m_format.Default, row, FormatField::Default));
        const QString comment = m_cells.columnCell(m_format.Comment, row, FormatField::Comment);
        const std::array<QString, RowPattern::kCount> values = {title, type, notNull, defaultValue,
                                                                comment};
        if (onePass && std::none_of(values.begin(), values.end(),
                                    [](const QString& value) { return value.contains(u'%'); })) {
            return cleanUpLine(pattern.fill(values));
        }
        if (onePass) {
            text = line;
            replaceAll(text, kRowTitle, title);
        }
        replaceAll(text, kRowType, type);
        replaceAll(text, kNotNull, notNull);
        replaceAll(text, kDefault, defaultValue);
        replaceAll(text, kComment, comment);
        return cleanUpLine(text);
    }

private:
    SheetCellReader& m_cells;
    const FormatSetting& m_format;
    // The type of the last row that took the type rule; decides apostrophes
    // around defaults.
    QString m_typeName;
    bool m_typeRuleTaken = false;
};

} // namespace

void expandColumnLines(QString& text, SheetCellReader& cells, const FormatSetting& format,
                       ExpansionLimit* limit)
{
    if (!containsIgnoringAsciiCase(text, kRowTitle)) {
        return;
    }
    const RowPattern pattern(text);
    // Rows depend on each other through the type of the last row that took the
    // type rule, which decides the apostrophes of later defaults. When the line
    // holds the type, every row takes the rule and makes its own; otherwise a row
    // takes it only when its title brings the placeholder in, and once one did,
    // the lines are made again one row after the other. The cells read, and so the
    // first failure, do not depend on that.
    const bool everyRowTakesType = containsIgnoringAsciiCase(text, kRowType);
    std::atomic<bool> typeCarried = false;
    const RowLineMakerFactory makerFor = [&](SheetCellReader& reader) -> RowLineMaker {
        auto builder = std::make_shared<ColumnLineBuilder>(reader, format);
        return [builder, &text, &pattern, &typeCarried, everyRowTakesType](qint64 row) {
            std::optional<QString> line = builder->rowLine(text, pattern, row);
            if (!everyRowTakesType && builder->typeRuleTaken()) {
                typeCarried = true;
            }
            return line;
        };
    };
    bool split = false;
    QString lines = makeRowLines(cells, format, true, makerFor, limit, &split);
    if (split && typeCarried) {
        lines = makeRowLines(cells, format, false, makerFor, limit);
    }
    text = std::move(lines);
}

} // namespace tavrune
