#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <utility>

namespace tavrune {

// One cell to write: a text, or a number given as its decimal text.
struct XlsxCell
{
    QString text;
    bool number = false;
};

// The cells of one sheet to write, by row and column (both from 1).
struct XlsxSheet
{
    QString name;
    std::map<std::pair<quint32, quint16>, XlsxCell> cells;
};

// Writes an .xlsx package whose sheets are copies of one worksheet with cells set:
// the sheet of a template workbook, whose look every copy keeps (a filled cell keeps
// its style), or an empty sheet of a plain package. The template's other parts are
// kept as far as the copied sheets and the package's own parts reach them; its
// sheets, the calculation chain and what only they use are left out.
class XlsxWriter
{
public:
    // Bounds on a template: the bytes of all its parts, and of each XML part, which
    // is held as a tree.
    static constexpr qint64 kMaxTemplateSize = 64 << 20;
    static constexpr qint64 kMaxTemplateXmlPart = 16 << 20;

    // A plain package: one empty sheet, the default style.
    XlsxWriter();
    // The package of the template workbook at path; sheetName names the worksheet
    // every sheet copies (the first worksheet when empty). Throws an error naming the
    // file, and the part or sheet, when the template cannot be taken.
    XlsxWriter(const QString& path, const QString& sheetName);
    ~XlsxWriter();
    XlsxWriter(const XlsxWriter&) = delete;
    XlsxWriter& operator=(const XlsxWriter&) = delete;

    // Adds a copy of the template sheet named sheet.name with its cells set. A row
    // at or below styleRow that the template lacks takes the styles of styleRow, cell
    // by cell (0: no such row).
    void addSheet(const XlsxSheet& sheet, quint32 styleRow);
    // The bytes of the .xlsx file holding the sheets added.
    QByteArray package();

private:
    struct Package;
    std::unique_ptr<Package> m_package;
};

} // namespace tavrune
