#pragma once

#include "workbook/package/xml_namespace.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>
#include <memory>
#include <string_view>
#include <vector>

namespace tavrune {

class XmlGuard;
class ZipArchive;
class ZipEntryDevice;

// What a relationship points at, by its type.
enum class XlsxRelationshipKind : quint8
{
    Other,
    OfficeDocument,
    Worksheet,
    SharedStrings,
    Styles,
};

XlsxRelationshipKind classifyXlsxRelationshipType(QStringView type);

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

// One XML part of a package read as a stream. Every failure throws an error naming
// the file and the part.
class XlsxPartReader
{
public:
    // Throws when the part is missing.
    XlsxPartReader(ZipArchive& archive, const QString& part);
    ~XlsxPartReader();

    QXmlStreamReader::TokenType next();
    QXmlStreamReader& xml() { return m_xml; }
    const QString& part() const { return m_part; }
    const QString& file() const { return m_file; }

    // Whether the current token starts (or ends) the element ns:localName.
    bool isStart(XmlNamespace ns, QStringView localName) const;
    bool isEnd(XmlNamespace ns, QStringView localName) const;
    XmlNamespace elementNamespace() const;

    [[noreturn]] void fail(const QString& why) const;

private:
    std::unique_ptr<ZipEntryDevice> m_device;
    std::unique_ptr<XmlGuard> m_guard;
    QXmlStreamReader m_xml;
    QString m_file;
    QString m_part;
};

// The relationships of sourcePart; throws naming the file when their part is missing
// or passes a bound.
XlsxRelationships readXlsxRelationships(ZipArchive& archive, const QString& sourcePart);

} // namespace tavrune
