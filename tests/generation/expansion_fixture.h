#pragma once

#include "generation/table_text_expander.h"
#include "settings/settings_records.h"
#include "support/memory_workbook_source.h"
#include "support/sample_format.h"
#include "support/workbook_builder.h"

#include <QStringList>
#include <functional>
#include <initializer_list>

namespace tavrune::test {

// A table-definition sheet in memory with the usual layout (sampleFormat).
class SheetExpansion
{
public:
    SheetExpansion();

    // Adds column rows at the next free rows, one a line, each written "title|type|
    // length|scale|index|not-null|default|comment"; empty texts are left out, an
    // empty line is a gap.
    SheetExpansion& rows(const QString& rows);
    // Expands one line of the first sheet; the first call opens the workbook built
    // so far, which cannot change after that.
    QString expand(const QString& line);
    // The description of the error expanding the line throws; a test failure when
    // it throws none.
    QString errorOf(const QString& line);

    WorkbookBuilder m_book;
    FormatSetting m_format;
    MemoryWorkbookSource m_source;
    int m_nextRow = 7;
    bool m_opened = false;
};

// One line expanded over a fresh sheet: its column rows, a change to the format,
// what the line gives ("error <number>: <description>" when it fails) and, when
// given, every cell read for it in order.
struct ExpansionCase
{
    const char* rule;
    QString rows;
    QString line;
    QString expected;
    std::function<void(FormatSetting&)> format = {};
    QStringList reads = {};
};

void expectExpansions(std::initializer_list<ExpansionCase> cases);

// Every entry of a directory, hidden ones too, so that a temporary file left
// behind shows.
QStringList entries(const QString& dir);

} // namespace tavrune::test
