#include "common/error.h"
#include "fuzz_support.h"
#include "harnesses.h"
#include "schema/definition_workbook.h"
#include "support/sample_format.h"

#include <QFile>

namespace tavrune::fuzz {

namespace {

// A table of two columns, one of them the key, with texts the writer escapes.
std::vector<TableDefinition> makeTables()
{
    TableDefinition table{{}, u"CUSTOMER"_qs, u"顧客 & <マスタ>"_qs, {u"e1"_qs}, {}, {}};
    table.columns = {
        {0, u"ID"_qs, {u"NUMBER"_qs, u"10"_qs, {}, {}}, true, true, {}, u"番号"_qs},
        {0, u"NAME"_qs, {u"CHAR"_qs, u"4"_qs, {}, {}}, false, false, u"'A'"_qs, u" _x000D_\x01"_qs},
    };
    return {table};
}

} // namespace

// The input is the template workbook; its first worksheet is copied for the table.
int fuzzXlsxTemplate(const uint8_t* data, size_t size)
{
    static const std::vector<TableDefinition> tables = makeTables();
    static const FormatSetting format = test::sampleFormat();
    static const std::atomic_bool cancelled = false;
    const QString templatePath = writeScratchFile(data, size, ".template.xlsx");
    const QString output = scratchPath(".definitions.xlsx");
    try {
        writeDefinitionWorkbook(output, tables, format, {templatePath, {}}, {}, cancelled);
    } catch (const Error&) {
        // A template that cannot be taken ends in a clear error.
    }
    QFile::remove(output);
    return 0;
}

} // namespace tavrune::fuzz
