#pragma once

#include "schema/definition_differences.h"

#include <QString>
#include <optional>
#include <vector>

namespace tavrune {

enum class DifferenceFormat
{
    Text,     // one line each
    Markdown, // a table
    Json,     // an array of objects
};

// The format a --diff-format value names (text, markdown, json; any letter case).
std::optional<DifferenceFormat> differenceFormatFromName(const QString& name);

// The differences as a report in that format, in their order. In text, each is one
// line, "kind: TABLE[.COLUMN][ what: "old" -> "new"] (older place -> newer place)[, note]",
// with line breaks, tabs, quotes and backslashes inside values escaped.
QString differenceReport(const std::vector<Difference>& differences, DifferenceFormat format);

} // namespace tavrune
