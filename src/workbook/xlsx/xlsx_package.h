#pragma once

#include <QHash>
#include <QString>
#include <vector>

namespace tavrune {

class ZipArchive;

// What a relationship points at, by its type.
enum class XlsxRelationshipKind : quint8
{
    Other,
    OfficeDocument,
    Worksheet,
    SharedStrings,
    Styles,
};

struct XlsxRelationship
{
    QString id;
    XlsxRelationshipKind kind = XlsxRelationshipKind::Other;
    QString target; // part name, resolved against the source part; empty for Other
};

// The relationships of one part, looked up by id or by kind; of several with one id
// or kind the first counts. Only worksheets keep all their targets; of the other
// kinds a reader uses just the first.
struct XlsxRelationships
{
    // Bounds on one relationships part.
    static constexpr qsizetype kMaxRelationships = 100'000;
    static constexpr qsizetype kMaxIdLength = 255;
    static constexpr qsizetype kMaxTargetLength = 1000;

    QHash<QString, XlsxRelationship> byId;
    std::vector<XlsxRelationship> firstOfKind;

    const XlsxRelationship* find(const QString& id) const;
    const XlsxRelationship* find(XlsxRelationshipKind kind) const;
};

// The name of the part holding the relationships of sourcePart ("" for the package).
QString xlsxRelationshipsPartName(const QString& sourcePart);

// A relationship target as a part name: relative to the source part's folder, or
// from the package root when it starts with a slash; "." and ".." resolved.
QString resolveXlsxTarget(const QString& sourcePart, const QString& target);

// Decodes the _xHHHH_ escapes spreadsheet texts use for characters XML cannot carry;
// "_x005F_" stands for the underscore, so "_x005F_x000D_" reads "_x000D_".
QString decodeXlsxEscapes(const QString& text);

// The relationships of sourcePart; throws naming the file when their part is missing
// or passes a bound.
XlsxRelationships readXlsxRelationships(ZipArchive& archive, const QString& sourcePart);

} // namespace tavrune
