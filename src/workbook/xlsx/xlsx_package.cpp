#include "workbook/xlsx/xlsx_package.h"

#include "workbook/package/sax_part_parser.h"
#include "workbook/package/xml_namespace.h"
#include "workbook/package/zip_archive.h"
#include "workbook/quoted_text.h"
#include "workbook/unreadable_file.h"
#include "workbook/workbook_data.h"

#include <QStringList>

namespace tavrune {

namespace {

// Relationship types are these namespaces followed by "/" and the kind.
bool stripTypePrefix(std::string_view type, std::string_view prefix, std::string_view& kind)
{
    if (type.size() > prefix.size() && type.starts_with(prefix) && type[prefix.size()] == '/') {
        kind = type.substr(prefix.size() + 1);
        return true;
    }
    return false;
}

XlsxRelationshipKind classifyRelationshipType(std::string_view type)
{
    std::string_view kind;
    if (!stripTypePrefix(type, xml_uri::kRelationshipsTransitional, kind) &&
        !stripTypePrefix(type, xml_uri::kRelationshipsStrict, kind)) {
        return XlsxRelationshipKind::Other;
    }
    if (kind == "officeDocument") {
        return XlsxRelationshipKind::OfficeDocument;
    }
    if (kind == "worksheet") {
        return XlsxRelationshipKind::Worksheet;
    }
    if (kind == "sharedStrings") {
        return XlsxRelationshipKind::SharedStrings;
    }
    if (kind == "styles") {
        return XlsxRelationshipKind::Styles;
    }
    return XlsxRelationshipKind::Other;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

} // namespace

QString xlsxRelationshipsPartName(const QString& sourcePart)
{
    QString normal = sourcePart;
    normal.replace(u'\\', u'/');
    const qsizetype slash = normal.lastIndexOf(u'/');
    return normal.left(slash + 1) + QStringLiteral("_rels/") + normal.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString resolveXlsxTarget(const QString& sourcePart, const QString& target)
{
    QString normalTarget = target;
    normalTarget.replace(u'\\', u'/');
    QStringList segments;
    if (!normalTarget.startsWith(u'/')) {
        QString source = sourcePart;
        source.replace(u'\\', u'/');
        segments = source.left(source.lastIndexOf(u'/') + 1).split(u'/', Qt::SkipEmptyParts);
    }
    for (const QString& segment : normalTarget.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == u"..") {
            if (!segments.isEmpty()) {
                segments.removeLast();
            }
        } else if (segment != u".") {
            segments.append(segment);
        }
    }
    return segments.join(u'/');
}

QString decodeXlsxEscapes(const QString& text)
{
    qsizetype from = text.indexOf(u"_x");
    if (from < 0) {
        return text;
    }
    QString result;
    qsizetype copied = 0;
    const qsizetype size = text.size();
    while (from >= 0 && from + 7 <= size) {
        int value = 0;
        bool escape = text[from + 6] == u'_';
        for (qsizetype i = from + 2; escape && i < from + 6; ++i) {
            const int digit = hexDigit(text[i]);
            escape = digit >= 0;
            value = value * 16 + digit;
        }
        if (escape) {
            result += QStringView(text).mid(copied, from - copied);
            result += QChar(static_cast<char16_t>(value));
            copied = from + 7;
            from = text.indexOf(u"_x", copied);
        } else {
            from = text.indexOf(u"_x", from + 1);
        }
    }
    result += QStringView(text).mid(copied);
    return result;
}

const XlsxRelationship* XlsxRelationships::find(const QString& id) const
{
    const auto it = byId.constFind(id);
    return it == byId.constEnd() ? nullptr : &it.value();
}

const XlsxRelationship* XlsxRelationships::find(XlsxRelationshipKind kind) const
{
    for (const XlsxRelationship& relationship : firstOfKind) {
        if (relationship.kind == kind) {
            return &relationship;
        }
    }
    return nullptr;
}

namespace {

// Reads the <Relationship> entries of a relationships part.
class RelationshipsHandler : public XmlPartHandler
{
public:
    RelationshipsHandler(const SaxPartParser& parser, const QString& sourcePart)
        : m_parser(parser), m_sourcePart(sourcePart)
    {
    }

    void startElement(XmlNamespace ns, std::string_view name, const XmlAttribute* attributes,
                      int count) override;
    void endElement(XmlNamespace, std::string_view) override {}
    void characters(std::string_view) override {}

    XlsxRelationships& relationships() { return m_relationships; }

private:
    const SaxPartParser& m_parser;
    const QString& m_sourcePart;
    XlsxRelationships m_relationships;
    qsizetype m_count = 0;
    qsizetype m_worksheets = 0;
};

void RelationshipsHandler::startElement(XmlNamespace ns, std::string_view name,
                                        const XmlAttribute* attributes, int count)
{
    if (ns != XmlNamespace::PackageRelationships || name != "Relationship") {
        return;
    }
    if (++m_count > XlsxRelationships::kMaxRelationships) {
        m_parser.fail(QStringLiteral("%1 の関係の数が上限 %2 を超えています")
                          .arg(m_parser.part())
                          .arg(XlsxRelationships::kMaxRelationships));
    }
    if (plainAttribute(attributes, count, "TargetMode") == "External") {
        return;
    }
    const QString id = utf8Text(plainAttribute(attributes, count, "Id"));
    if (id.size() > XlsxRelationships::kMaxIdLength) {
        m_parser.fail(QStringLiteral("%1 の関係 ID \"%2\" が長すぎます")
                          .arg(m_parser.part(), quotedText(id)));
    }
    if (m_relationships.byId.contains(id)) {
        return; // the first of an id counts
    }
    XlsxRelationship relationship;
    relationship.id = id;
    relationship.kind = classifyRelationshipType(plainAttribute(attributes, count, "Type"));
    const bool needed = relationship.kind == XlsxRelationshipKind::Worksheet ||
                        (relationship.kind != XlsxRelationshipKind::Other &&
                         !m_relationships.find(relationship.kind));
    if (needed) {
        const QString target = utf8Text(plainAttribute(attributes, count, "Target"));
        if (target.size() > XlsxRelationships::kMaxTargetLength) {
            m_parser.fail(QStringLiteral("%1 の関係 %2 の参照先 \"%3\" が長すぎます")
                              .arg(m_parser.part(), quotedText(id), quotedText(target)));
        }
        relationship.target = resolveXlsxTarget(m_sourcePart, target);
    }
    if (relationship.kind == XlsxRelationshipKind::Worksheet &&
        ++m_worksheets > WorkbookData::kMaxSheets) {
        m_parser.fail(QStringLiteral("%1 のワークシートの関係の数が上限 %2 を超えています")
                          .arg(m_parser.part())
                          .arg(WorkbookData::kMaxSheets));
    }
    if (needed && relationship.kind != XlsxRelationshipKind::Worksheet) {
        m_relationships.firstOfKind.push_back(relationship);
    }
    m_relationships.byId.insert(relationship.id, std::move(relationship));
}

} // namespace

XlsxRelationships readXlsxRelationships(ZipArchive& archive, const QString& sourcePart)
{
    const QString relsPart = xlsxRelationshipsPartName(sourcePart);
    if (!archive.contains(relsPart)) {
        failUnreadable(archive.path(),
                       QStringLiteral("関係の定義 %1 がありません").arg(quotedText(relsPart)));
    }
    SaxPartParser parser(archive, relsPart);
    RelationshipsHandler handler(parser, sourcePart);
    parser.parse(handler);
    return std::move(handler.relationships());
}

} // namespace tavrune
