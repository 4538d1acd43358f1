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
