#pragma once

#include "generation/table_text_expander.h"
#include "settings/settings_records.h"
#include "support/memory_workbook_source.h"
#include "support/workbook_builder.h"

#include <gtest/gtest.h>
#include <memory>

namespace tavrune::test {

// A table-definition sheet in memory with the usual layout: table name in C3,
// title in C4, extra cells in E1 to E4, columns from row 7 with title B, type C,
// length D, scale E, index F, not-null G, default H, comment I.
class ExpansionTest : public ::testing::Test
{
protected:
    ExpansionTest();

    // Expands one line of the first sheet; the first call opens the workbook built
    // so far, which cannot change after that.
    QString expand(const QString& line);
    // Adds a column row at the next free row; empty texts are left out.
    void addColumn(const QString& title, const QString& type, const QString& length = {},
                   const QString& scale = {}, const QString& index = {},
                   const QString& notNull = {}, const QString& defaultValue = {},
                   const QString& comment = {});

    WorkbookBuilder m_book;
    FormatSetting m_format;
    MemoryWorkbookSource m_source;
    int m_nextRow = 7;
    bool m_opened = false;
};

} // namespace tavrune::test
