#include "support/workbook_test_support.h"

#include "common/error.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace tavrune::test {

QString fixturePath(const char* folder, const char* name)
{
    return QStringLiteral(TAVRUNE_TEST_DATA "/%1/%2")
        .arg(QString::fromUtf8(folder), QString::fromUtf8(name));
}

QStringList sheetNames(const WorkbookData& workbook)
{
    QStringList names;
    for (const SheetData& sheet : workbook.sheets()) {
        names.append(sheet.name());
    }
    return names;
}

QStringList sheetOutline(const WorkbookData& workbook)
{
    QStringList sheets;
    for (const SheetData& sheet : workbook.sheets()) {
        sheets.append(QStringLiteral("%1 %2 %3")
                          .arg(sheet.name())
                          .arg(sheet.lastUsedRow())
                          .arg(sheet.cellCount()));
    }
    return sheets;
}

const SheetData& sheetNamed(const WorkbookData& workbook, const QString& name)
{
    for (const SheetData& sheet : workbook.sheets()) {
        if (sheet.name() == name) {
            return sheet;
        }
    }
    throw std::runtime_error("no sheet " + name.toStdString());
}

QString text(const WorkbookData& workbook, const QString& sheet, const char* address)
{
    const std::optional<CellAddress> cell = parseCellAddress(QString::fromUtf8(address));
    if (!cell) {
        throw std::runtime_error(std::string("bad address ") + address);
    }
    return workbook.cellText(sheetNamed(workbook, sheet), *cell);
}

QString texts(const WorkbookData& workbook, const QString& reference)
{
    const qsizetype bang = reference.lastIndexOf(u'!');
    const QStringList ends = reference.mid(bang + 1).split(u':');
    const SheetData& sheet = sheetNamed(workbook, reference.left(bang));
    const CellAddress first = parseCellAddress(ends.first()).value();
    const CellAddress last = parseCellAddress(ends.last()).value();
    QStringList result;
    for (quint32 row = first.row; row <= last.row; ++row) {
        for (quint16 column = first.column; column <= last.column; ++column) {
            try {
                result.append(workbook.cellText(sheet, {row, column}));
            } catch (const Error&) {
                const Cell* cell = sheet.find({row, column});
                const bool error = cell && cell->kind == CellKind::Error;
                result.append(u'[' + (error ? workbook.string(cell->text) : u"?"_qs) + u']');
            }
        }
    }
    return result.join(u'|');
}

QString readErrorOf(const std::function<WorkbookData(const QString&)>& reader, const QString& path)
{
    try {
        reader(path);
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::ApplicationDefined) << error.what();
        EXPECT_TRUE(error.description().contains(path)) << error.what();
        return error.description();
    }
    ADD_FAILURE() << path.toStdString() << " was read without an error";
    return {};
}

} // namespace tavrune::test
