#include "workbook/xlsx/xlsx_package.h"

#include "common/error.h"
#include "workbook/package/xml_guard.h"
#include "workbook/package/xml_namespace.h"
#include "workbook/package/zip_archive.h"
#include "workbook/quoted_text.h"
#include "workbook/unreadable_file.h"
#include "workbook/workbook_data.h"

#include <QStringList>

namespace tavrune {

namespace {

QLatin1String latin1(std::string_view text)
{
    return QLatin1String(text.data(), static_cast<qsizetype>(text.size()));
}

// Relationship types are these namespaces followed by "/" and the kind.
bool stripTypePrefix(QStringView type, std::string_view prefixText, QStringView& kind)
{
    const QLatin1String prefix = latin1(prefixText);
    if (type.size() > prefix.size() && type.startsWith(prefix) && type[prefix.size()] == u'/') {
        kind = type.mid(prefix.size() + 1);
        return true;
    }
    return false;
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

XlsxRelationshipKind classifyXlsxRelationshipType(QStringView type)
{
    QStringView kind;
    if (!stripTypePrefix(type, xml_uri::kRelationshipsTransitional, kind) &&
        !stripTypePrefix(type, xml_uri::kRelationshipsStrict, kind)) {
        return XlsxRelationshipKind::Other;
    }
    if (kind == u"officeDocument") {
        return XlsxRelationshipKind::OfficeDocument;
    }
    if (kind == u"worksheet") {
        return XlsxRelationshipKind::Worksheet;
    }
    if (kind == u"sharedStrings") {
        return XlsxRelationshipKind::SharedStrings;
    }
    if (kind == u"styles") {
        return XlsxRelationshipKind::Styles;
    }
    return XlsxRelationshipKind::Other;
}

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

XlsxPartReader::XlsxPartReader(ZipArchive& archive, const QString& part)
    : m_device(archive.open(part)), m_file(archive.path()), m_part(quotedText(part))
{
    if (!m_device) {
        fail(QStringLiteral("%1 がありません").arg(m_part));
    }
    m_guard = std::make_unique<XmlGuard>(*m_device, m_part);
    m_xml.setDevice(m_guard.get());
}

XlsxPartReader::~XlsxPartReader() = default;

QXmlStreamReader::TokenType XlsxPartReader::next()
{
    return readNextToken(m_xml, *m_guard, m_file, m_part);
}

XmlNamespace XlsxPartReader::elementNamespace() const
{
    return classifyXmlNamespace(m_xml.namespaceUri());
}

bool XlsxPartReader::isStart(XmlNamespace ns, QStringView localName) const
{
    return m_xml.tokenType() == QXmlStreamReader::StartElement && m_xml.name() == localName &&
           elementNamespace() == ns;
}

bool XlsxPartReader::isEnd(XmlNamespace ns, QStringView localName) const
{
    return m_xml.tokenType() == QXmlStreamReader::EndElement && m_xml.name() == localName &&
           elementNamespace() == ns;
}

void XlsxPartReader::fail(const QString& why) const
{
    failUnreadable(m_file, why);
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

XlsxRelationships readXlsxRelationships(ZipArchive& archive, const QString& sourcePart)
{
    const QString relsPart = xlsxRelationshipsPartName(sourcePart);
    if (!archive.contains(relsPart)) {
        failUnreadable(archive.path(),
                       QStringLiteral("関係の定義 %1 がありません").arg(quotedText(relsPart)));
    }
    XlsxPartReader reader(archive, relsPart);
    XlsxRelationships relationships;
    qsizetype count = 0;
    qsizetype worksheets = 0;
    while (reader.next() != QXmlStreamReader::EndDocument) {
        if (!reader.isStart(XmlNamespace::PackageRelationships, u"Relationship")) {
            continue;
        }
        if (++count > XlsxRelationships::kMaxRelationships) {
            reader.fail(QStringLiteral("%1 の関係の数が上限 %2 を超えています")
                            .arg(reader.part())
                            .arg(XlsxRelationships::kMaxRelationships));
        }
        const QXmlStreamAttributes attributes = reader.xml().attributes();
        if (attributes.value(QLatin1String("TargetMode")) == u"External") {
            continue;
        }
        const QStringView id = attributes.value(QLatin1String("Id"));
        if (id.size() > XlsxRelationships::kMaxIdLength) {
            reader.fail(QStringLiteral("%1 の関係 ID \"%2\" が長すぎます")
                            .arg(reader.part(), quotedText(id)));
        }
        if (relationships.byId.contains(id.toString())) {
            continue; // the first of an id counts
        }
        XlsxRelationship relationship;
        relationship.id = id.toString();
        relationship.kind = classifyXlsxRelationshipType(attributes.value(QLatin1String("Type")));
        const bool needed = relationship.kind == XlsxRelationshipKind::Worksheet ||
                            (relationship.kind != XlsxRelationshipKind::Other &&
                             !relationships.find(relationship.kind));
        if (needed) {
            const QStringView target = attributes.value(QLatin1String("Target"));
            if (target.size() > XlsxRelationships::kMaxTargetLength) {
                reader.fail(QStringLiteral("%1 の関係 %2 の参照先 \"%3\" が長すぎます")
                                .arg(reader.part(), quotedText(id), quotedText(target)));
            }
            relationship.target = resolveXlsxTarget(sourcePart, target.toString());
        }
        if (relationship.kind == XlsxRelationshipKind::Worksheet &&
            ++worksheets > WorkbookData::kMaxSheets) {
            reader.fail(QStringLiteral("%1 のワークシートの関係の数が上限 %2 を超えています")
                            .arg(reader.part())
                            .arg(WorkbookData::kMaxSheets));
        }
        if (needed && relationship.kind != XlsxRelationshipKind::Worksheet) {
            relationships.firstOfKind.push_back(relationship);
        }
        relationships.byId.insert(relationship.id, std::move(relationship));
    }
    return relationships;
}

} // namespace tavrune
