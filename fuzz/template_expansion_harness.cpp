#include "common/error.h"
#include "generation/split_lines.h"
#include "generation/table_text_expander.h"
#include "harnesses.h"
#include "settings/setting_fields.h"
#include "support/memory_workbook_source.h"
#include "support/workbook_builder.h"

#include <QByteArrayView>

namespace tavrune::fuzz {

namespace {

// A table-definition sheet with the usual layout and a few cells of every kind.
WorkbookData makeWorkbook()
{
    WorkbookBuilder book;
    book.sheet(QStringLiteral("顧客"))
        .text(QStringLiteral("B3"), QStringLiteral("テーブル名"))
        .text(QStringLiteral("C3"), QStringLiteral("CUSTOMER"))
        .text(QStringLiteral("B4"), QStringLiteral("テーブルタイトル"))
        .text(QStringLiteral("C4"), QStringLiteral("顧客マスタ"))
        .number(QStringLiteral("E1"), 45296.5, NumberStyle::Date)
        .boolean(QStringLiteral("E2"), true)
        .error(QStringLiteral("E3"), QStringLiteral("#N/A"))
        .text(QStringLiteral("E4"), QStringLiteral("  [%TableName] '\"\r\n"));
    const char* rows[][9] = {
        {"1", "CUSTOMER_ID", "NUMBER", "10", "", "○", "○", "", "顧客ID"},
        {"2", "CUSTOMER_NAME", "VARCHAR2", "100", "", "", "○", "'x'", "氏名"},
        {"3", "BIRTH_DATE", "DATE", "", "", "", "", "", "生年月日"},
        {"4", "POINT", "NUMBER", "(7,2)", "2", "*", "", "0", "保有ポイント"},
        {"5", "[%RowTitle]", "CHAR", "1,000", "-1", "○", "×", "[%Index]", "[%Comment]"},
    };
    const QString columns = QStringLiteral("ABCDEFGHI");
    int row = 7;
    for (const auto& values : rows) {
        for (int i = 0; i < 9; ++i) {
            if (*values[i]) {
                book.text(columns.at(i) + QString::number(row), QString::fromUtf8(values[i]));
            }
        }
        ++row;
    }
    book.number(QStringLiteral("D12"), 1e300).text(QStringLiteral("B13"), QStringLiteral("TAIL"));
    book.sheet(QStringLiteral("空"));
    return book.build();
}

} // namespace

// The input is split at NUL bytes into the template and the fields of the format
// setting, in declaration order; missing fields are empty.
int fuzzTemplateExpansion(const uint8_t* data, size_t size)
{
    static MemoryWorkbookSource* const source = [] {
        auto* s = new MemoryWorkbookSource;
        s->addOpenWorkbook(QStringLiteral("Book1.xlsx"), makeWorkbook());
        return s;
    }();
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0');
    qsizetype next = 0;
    auto field = [&] { return next < parts.size() ? QString::fromUtf8(parts[next++]) : QString(); };
    const QString templateText = field();
    source->clearReadLog();
    try {
        // Every field after the name, in the editor's order, as the editor reads it.
        FormatSetting format;
        for (int f = int(FormatField::TableName); f <= int(FormatField::Etc4); ++f) {
            setFormatFieldText(format, static_cast<FormatField>(f), field());
        }
        auto connection = source->attach();
        const WorksheetHandle sheet = connection->worksheetAt(QStringLiteral("Book1.xlsx"), 1);
        const TableTextExpander expander(*connection, format);
        for (const QString& line : splitLines(templateText, QStringLiteral("本文"))) {
            volatile qsizetype sink = expander.expandLine(sheet, line).size();
            (void)sink;
        }
    } catch (const Error&) {
        // Bad references and overflows end in a clear error.
    }
    return 0;
}

} // namespace tavrune::fuzz
