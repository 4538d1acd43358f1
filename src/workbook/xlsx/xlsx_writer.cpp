#include "workbook/xlsx/xlsx_writer.h"

#include "common/error.h"
#include "workbook/cell_address.h"
#include "workbook/package/xml_guard.h"
#include "workbook/package/xml_namespace.h"
#include "workbook/package/zip_archive.h"
#include "workbook/quoted_text.h"
#include "workbook/unreadable_file.h"
#include "workbook/xlsx/xlsx_package.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <deque>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <new>
#include <optional>
#include <vector>
#include <zip.h>

namespace tavrune {

namespace {

constexpr char kContentTypesPart[] = "[Content_Types].xml";
constexpr char kWorksheetContentType[] =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

const xmlChar* xmlText(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}

QString fromXml(const xmlChar* text)
{
    return text == nullptr ? QString() : QString::fromUtf8(reinterpret_cast<const char*>(text));
}

struct XmlDocFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;

bool isElement(const xmlNode* node, const char* name)
{
    return node != nullptr && node->type == XML_ELEMENT_NODE &&
           xmlStrEqual(node->name, xmlText(name));
}

xmlNode* childElement(xmlNode* parent, const char* name)
{
    for (xmlNode* node = parent->children; node != nullptr; node = node->next) {
        if (isElement(node, name)) {
            return node;
        }
    }
    return nullptr;
}

std::vector<xmlNode*> childElements(xmlNode* parent, const char* name)
{
    std::vector<xmlNode*> found;
    for (xmlNode* node = parent->children; node != nullptr; node = node->next) {
        if (isElement(node, name)) {
            found.push_back(node);
        }
    }
    return found;
}

bool hasChildElements(const xmlNode* parent)
{
    for (const xmlNode* node = parent->children; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            return true;
        }
    }
    return false;
}

QString property(xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetNoNsProp(node, xmlText(name));
    QString text = fromXml(value);
    xmlFree(value);
    return text;
}

void setProperty(xmlNode* node, const char* name, const QString& value)
{
    xmlSetProp(node, xmlText(name), xmlText(value.toUtf8().constData()));
}

void removeNode(xmlNode* node)
{
    xmlUnlinkNode(node);
    xmlFreeNode(node);
}

xmlNode* newElement(xmlNode* parent, const char* name)
{
    xmlNode* node = xmlNewDocNode(parent->doc, parent->ns, xmlText(name), nullptr);
    if (node == nullptr) {
        throw std::bad_alloc();
    }
    return node;
}

void addText(xmlNode* node, const QString& text)
{
    // Taken as text: the writer escapes it.
    xmlNodeAddContent(node, xmlText(text.toUtf8().constData()));
}

bool isRelationshipsNamespace(const xmlNs* ns)
{
    if (ns == nullptr || ns->href == nullptr) {
        return false;
    }
    const std::string_view href(reinterpret_cast<const char*>(ns->href));
    return href == xml_uri::kRelationshipsTransitional || href == xml_uri::kRelationshipsStrict;
}

// The value of the element's relationship id (r:id), empty when it has none.
QString relationshipId(xmlNode* node)
{
    for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        if (isRelationshipsNamespace(attribute->ns) &&
            xmlStrEqual(attribute->name, xmlText("id"))) {
            xmlChar* value = xmlGetNsProp(node, attribute->name, attribute->ns->href);
            QString text = fromXml(value);
            xmlFree(value);
            return text;
        }
    }
    return {};
}

QByteArray serialise(xmlDoc* doc)
{
    xmlChar* bytes = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &bytes, &size, "UTF-8");
    if (bytes == nullptr) {
        throw std::bad_alloc();
    }
    QByteArray result(reinterpret_cast<const char*>(bytes), size);
    xmlFree(bytes);
    return result;
}

// Spreadsheet texts carry characters XML cannot as _xHHHH_, and so an underscore
// that would read as the start of such an escape.
QString encodeXlsxEscapes(const QString& text)
{
    QString result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        const bool forbidden =
            (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
        bool escapeLike = c == u'_' && i + 6 < size && text[i + 1] == u'x' && text[i + 6] == u'_';
        for (qsizetype k = i + 2; escapeLike && k < i + 6; ++k) {
            const char16_t digit = text[k].unicode();
            escapeLike = (digit >= u'0' && digit <= u'9') || (digit >= u'a' && digit <= u'f') ||
                         (digit >= u'A' && digit <= u'F');
        }
        if (forbidden || escapeLike) {
            result += QStringLiteral("_x%1_").arg(
                QString::number(c, 16).toUpper().rightJustified(4, u'0'));
        } else {
            result += text[i];
        }
    }
    return result;
}

// A sheet name as a formula quotes it.
QString quotedSheetReference(const QString& sheet)
{
    return u'\'' + QString(sheet).replace(u'\'', QStringLiteral("''")) + QStringLiteral("'!");
}

// A defined name's formula with its references to sheet made references to copy.
QString renameSheetReferences(const QString& formula, const QString& sheet, const QString& copy)
{
    const QString quoted = quotedSheetReference(sheet);
    const QString plain = sheet + u'!';
    const QString replacement = quotedSheetReference(copy);
    QString result;
    bool inString = false;
    for (qsizetype i = 0; i < formula.size();) {
        const QChar c = formula[i];
        if (c == u'"') {
            inString = !inString;
        } else if (!inString) {
            const QStringView rest = QStringView(formula).mid(i);
            const bool startsName =
                i == 0 || QStringLiteral(",( =+-*/&:^<>;").contains(formula[i - 1]);
            if (rest.startsWith(quoted, Qt::CaseInsensitive)) {
                result += replacement;
                i += quoted.size();
                continue;
            }
            if (startsName && rest.startsWith(plain, Qt::CaseInsensitive)) {
                result += replacement;
                i += plain.size();
                continue;
            }
        }
        result += c;
        ++i;
    }
    return result;
}

// Parts read through the XML guard, the only ones parsed: a relationship may
// name a part of any name as the workbook or a sheet.
bool isXmlPartName(const QString& name)
{
    return name.endsWith(u".xml", Qt::CaseInsensitive) ||
           name.endsWith(u".rels", Qt::CaseInsensitive);
}

struct PackagePart
{
    QString name; // as stored, without a leading slash
    QByteArray bytes;
};

// The part name a relationship's target gives, or none for an external one.
QString internalTarget(xmlNode* relationship, const QString& sourcePart)
{
    if (property(relationship, "TargetMode").compare(u"External", Qt::CaseInsensitive) == 0) {
        return {};
    }
    return resolveXlsxTarget(sourcePart, property(relationship, "Target"));
}

bool typeIs(xmlNode* relationship, QStringView kind)
{
    return property(relationship, "Type").endsWith(u'/' + kind.toString());
}

// The plain package: one empty worksheet and the least styles a spreadsheet program
// wants.
const char* const kPlainParts[][2] = {
    {kContentTypesPart,
     R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/></Types>)"},
    {"_rels/.rels",
     R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
    {"xl/workbook.xml",
     R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><bookViews><workbookView/></bookViews><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
    {"xl/_rels/workbook.xml.rels",
     R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>)"},
    {"xl/worksheets/sheet1.xml",
     R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1"/><sheetViews><sheetView workbookViewId="0"/></sheetViews><sheetFormatPr defaultRowHeight="15"/><sheetData/><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)"},
    {"xl/styles.xml",
     R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts count="1"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts><fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs><cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>)"},
};

} // namespace

struct XlsxWriter::Package
{
    QString path; // the template's, for messages; empty for the plain package
    std::map<QString, PackagePart> parts; // by ZipArchive::normalise of the name
    QString workbookPart;
    XmlDoc workbook;
    XmlDoc workbookRelationships;
    XmlDoc contentTypes;
    XmlDoc sheet;              // the template sheet, rows and cells numbered
    XmlDoc sheetRelationships; // its relationships, or none
    QString sheetPart;
    QString sheetName;
    QString sheetType; // its relationship type and content type
    QString sheetContentType;
    std::vector<XmlDoc> localNames; // the defined names of the template sheet
    int added = 0;

    [[noreturn]] void fail(const QString& why) const;
    void readTemplate(const QString& templatePath);
    void readPlain();
    XmlDoc parse(const QString& part) const;
    const PackagePart* find(const QString& name) const;
    void put(const QString& name, QByteArray bytes);
    void remove(const QString& name);
    QString freePartName(const QString& folder, const QString& stem,
                         const QString& extension) const;
    void prepare(const QString& wantedSheet);
    void numberRowsAndCells();
    void takeDefinedNames(int templateIndex);
    void fillCells(xmlDoc* doc, const XlsxSheet& sheet, quint32 styleRow) const;
    QString copyRelationships(xmlDoc* sheetDoc);
    void addOverride(const QString& part, const QString& contentType);
    void keepReachableParts();
};

void XlsxWriter::Package::fail(const QString& why) const
{
    if (path.isEmpty()) {
        throw Error(ErrorNumber::ApplicationDefined, why);
    }
    failUnreadable(path, why);
}

const PackagePart* XlsxWriter::Package::find(const QString& name) const
{
    const auto it = parts.find(ZipArchive::normalise(name));
    return it == parts.end() ? nullptr : &it->second;
}

void XlsxWriter::Package::put(const QString& name, QByteArray bytes)
{
    PackagePart& part = parts[ZipArchive::normalise(name)];
    if (part.name.isEmpty()) {
        part.name = name.startsWith(u'/') ? name.mid(1) : name;
    }
    part.bytes = std::move(bytes);
}

void XlsxWriter::Package::remove(const QString& name)
{
    parts.erase(ZipArchive::normalise(name));
}

QString XlsxWriter::Package::freePartName(const QString& folder, const QString& stem,
                                          const QString& extension) const
{
    for (int n = 1;; ++n) {
        const QString name = folder + stem + QString::number(n) + extension;
        if (find(name) == nullptr) {
            return name;
        }
    }
}

XmlDoc XlsxWriter::Package::parse(const QString& part) const
{
    const PackagePart* found = find(part);
    if (found == nullptr) {
        fail(QStringLiteral("%1 がありません").arg(quotedText(part)));
    }
    if (!isXmlPartName(found->name)) {
        fail(QStringLiteral("%1 は XML のパーツではありません").arg(quotedText(part)));
    }
    if (found->bytes.size() > kMaxTemplateXmlPart) {
        fail(QStringLiteral("%1 が上限 %2 バイトを超えています")
                 .arg(quotedText(part))
                 .arg(kMaxTemplateXmlPart));
    }
    // No network and no entities: the guard has refused document type declarations.
    XmlDoc doc(xmlReadMemory(found->bytes.constData(), static_cast<int>(found->bytes.size()),
                             nullptr, nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc || xmlDocGetRootElement(doc.get()) == nullptr) {
        const xmlError* error = xmlGetLastError();
        fail(QStringLiteral("%1 を XML として読めません: %2")
                 .arg(quotedText(part),
                      error != nullptr ? QString::fromUtf8(error->message).trimmed() : QString()));
    }
    return doc;
}

void XlsxWriter::Package::readTemplate(const QString& templatePath)
{
    path = templatePath;
    ZipArchive archive(templatePath);
    qint64 total = 0;
    for (const QString& name : archive.entryNames()) {
        if (name.endsWith(u'/')) {
            continue; // a folder entry
        }
        std::unique_ptr<ZipEntryDevice> device = archive.open(name);
        QByteArray bytes;
        const bool xml = isXmlPartName(name);
        // Every XML part passes the guard, since some of them are parsed whole.
        std::optional<XmlGuard> guard;
        if (xml) {
            guard.emplace(*device, quotedText(name));
        }
        char buffer[64 * 1024];
        for (;;) {
            const qint64 got =
                xml ? guard->read(buffer, sizeof buffer) : device->read(buffer, sizeof buffer);
            if (guard && guard->failed()) {
                fail(guard->failure());
            }
            if (got < 0 || !device->failure().isEmpty()) {
                fail(device->failure().isEmpty()
                         ? QStringLiteral("%1 を読めません").arg(quotedText(name))
                         : device->failure());
            }
            if (got == 0) {
                break;
            }
            total += got;
            if (total > kMaxTemplateSize) {
                fail(QStringLiteral("ひな形のパーツの合計が上限 %1 バイトを超えています")
                         .arg(kMaxTemplateSize));
            }
            bytes.append(buffer, got);
        }
        put(name, std::move(bytes));
    }
}

void XlsxWriter::Package::readPlain()
{
    for (const auto& [name, text] : kPlainParts) {
        put(QString::fromLatin1(name), QByteArray(text));
    }
}

void XlsxWriter::Package::prepare(const QString& wantedSheet)
{
    const XmlDoc rootRelationships = parse(QStringLiteral("_rels/.rels"));
    for (xmlNode* relationship :
         childElements(xmlDocGetRootElement(rootRelationships.get()), "Relationship")) {
        if (workbookPart.isEmpty() && typeIs(relationship, u"officeDocument")) {
            workbookPart = internalTarget(relationship, QString());
        }
    }
    if (workbookPart.isEmpty()) {
        fail(QStringLiteral("ブックのパーツがありません"));
    }
    workbook = parse(workbookPart);
    const QString relationshipsPart = xlsxRelationshipsPartName(workbookPart);
    workbookRelationships = parse(relationshipsPart);
    contentTypes = parse(QString::fromLatin1(kContentTypesPart));
    xmlNode* workbookRoot = xmlDocGetRootElement(workbook.get());
    xmlNode* sheets = childElement(workbookRoot, "sheets");
    if (sheets == nullptr) {
        fail(QStringLiteral("%1 にシートの一覧がありません").arg(quotedText(workbookPart)));
    }

    QHash<QString, xmlNode*> relationshipById;
    for (xmlNode* relationship :
         childElements(xmlDocGetRootElement(workbookRelationships.get()), "Relationship")) {
        relationshipById.insert(property(relationship, "Id"), relationship);
    }
    // The template's sheets go, and with them the calculation chain, which names
    // their cells.
    int templateIndex = -1;
    const std::vector<xmlNode*> sheetList = childElements(sheets, "sheet");
    for (int index = 0; index < static_cast<int>(sheetList.size()); ++index) {
        xmlNode* entry = sheetList[index];
        xmlNode* relationship = relationshipById.value(relationshipId(entry));
        const QString name = property(entry, "name");
        const bool worksheet = relationship != nullptr && typeIs(relationship, u"worksheet");
        const bool wanted =
            wantedSheet.isEmpty() ? worksheet : name.compare(wantedSheet, Qt::CaseInsensitive) == 0;
        if (templateIndex < 0 && wanted) {
            if (!worksheet) {
                fail(
                    QStringLiteral("シート %1 はワークシートではありません").arg(quotedText(name)));
            }
            templateIndex = index;
            sheetName = name;
            sheetType = property(relationship, "Type");
            sheetPart = internalTarget(relationship, workbookPart);
            sheet = parse(sheetPart);
            if (find(xlsxRelationshipsPartName(sheetPart)) != nullptr) {
                sheetRelationships = parse(xlsxRelationshipsPartName(sheetPart));
            }
        }
        removeNode(entry);
    }
    if (templateIndex < 0) {
        fail(wantedSheet.isEmpty()
                 ? QStringLiteral("ワークシートがありません")
                 : QStringLiteral("シート %1 がありません").arg(quotedText(wantedSheet)));
    }
    for (xmlNode* relationship : relationshipById) {
        if (typeIs(relationship, u"worksheet") || typeIs(relationship, u"chartsheet") ||
            typeIs(relationship, u"dialogsheet") || typeIs(relationship, u"xlMacrosheet") ||
            typeIs(relationship, u"calcChain")) {
            const QString part = internalTarget(relationship, workbookPart);
            if (!part.isEmpty()) {
                remove(part);
                remove(xlsxRelationshipsPartName(part));
            }
            removeNode(relationship);
        }
    }
    sheetContentType = QString::fromLatin1(kWorksheetContentType);
    for (xmlNode* override : childElements(xmlDocGetRootElement(contentTypes.get()), "Override")) {
        if (ZipArchive::normalise(property(override, "PartName")) ==
            ZipArchive::normalise(sheetPart)) {
            sheetContentType = property(override, "ContentType");
        }
    }
    // The first sheet is the one shown.
    if (xmlNode* views = childElement(workbookRoot, "bookViews")) {
        for (xmlNode* view : childElements(views, "workbookView")) {
            xmlUnsetProp(view, xmlText("activeTab"));
            xmlUnsetProp(view, xmlText("firstSheet"));
        }
    }
    takeDefinedNames(templateIndex);
    numberRowsAndCells();
}

// Keeps the names of the template sheet (print area, print titles) for its copies;
// the names of other sheets and those naming any sheet's cells go with the sheets.
void XlsxWriter::Package::takeDefinedNames(int templateIndex)
{
    xmlNode* names = childElement(xmlDocGetRootElement(workbook.get()), "definedNames");
    if (names == nullptr) {
        return;
    }
    for (xmlNode* name : childElements(names, "definedName")) {
        const QString local = property(name, "localSheetId");
        if (!local.isEmpty() && local.toInt() == templateIndex) {
            XmlDoc copy(xmlNewDoc(xmlText("1.0")));
            xmlDocSetRootElement(copy.get(), xmlDocCopyNode(name, copy.get(), 1));
            localNames.push_back(std::move(copy));
        }
        xmlChar* content = xmlNodeGetContent(name);
        const bool namesCells = fromXml(content).contains(u'!');
        xmlFree(content);
        if (!local.isEmpty() || namesCells) {
            removeNode(name);
        }
    }
}

// Gives every row and cell of the template sheet its number, so that cells are
// found and placed by them.
void XlsxWriter::Package::numberRowsAndCells()
{
    xmlNode* sheetData = childElement(xmlDocGetRootElement(sheet.get()), "sheetData");
    if (sheetData == nullptr) {
        fail(QStringLiteral("シート %1 にセルの一覧がありません").arg(quotedText(sheetName)));
    }
    qint64 lastRow = 0;
    for (xmlNode* row : childElements(sheetData, "row")) {
        const QString number = property(row, "r");
        const qint64 rowNumber = number.isEmpty() ? lastRow + 1 : number.toLongLong();
        if (rowNumber <= lastRow || rowNumber > kMaxRow) {
            fail(QStringLiteral("シート %1 の行の番号 %2 が正しくありません")
                     .arg(quotedText(sheetName), quotedText(number)));
        }
        lastRow = rowNumber;
        setProperty(row, "r", QString::number(rowNumber));
        int lastColumn = 0;
        for (xmlNode* cell : childElements(row, "c")) {
            const QString reference = property(cell, "r");
            std::optional<CellAddress> address = parseCellAddress(reference);
            if (reference.isEmpty() && lastColumn < kMaxColumn) {
                address = CellAddress{static_cast<quint32>(rowNumber),
                                      static_cast<quint16>(lastColumn + 1)};
            }
            if (!address || address->row != rowNumber || address->column <= lastColumn) {
                fail(QStringLiteral("シート %1 のセルの番地 %2 が正しくありません")
                         .arg(quotedText(sheetName), quotedText(reference)));
            }
            lastColumn = address->column;
            setProperty(cell, "r", formatCellAddress(*address));
        }
    }
}

void XlsxWriter::Package::fillCells(xmlDoc* doc, const XlsxSheet& filled, quint32 styleRow) const
{
    xmlNode* sheetData = childElement(xmlDocGetRootElement(doc), "sheetData");
    std::map<quint32, xmlNode*> rows;
    for (xmlNode* row : childElements(sheetData, "row")) {
        rows.emplace(property(row, "r").toUInt(), row);
    }
    const auto styleIt = rows.find(styleRow);
    xmlNode* style = styleRow > 0 && styleIt != rows.end() ? styleIt->second : nullptr;
    auto rowNode = [&](quint32 number) {
        const auto it = rows.lower_bound(number);
        if (it != rows.end() && it->first == number) {
            return it->second;
        }
        xmlNode* row = newElement(sheetData, "row");
        if (style != nullptr && number > styleRow) {
            for (xmlAttr* attribute = style->properties; attribute != nullptr;
                 attribute = attribute->next) {
                if (attribute->ns == nullptr && !xmlStrEqual(attribute->name, xmlText("r")) &&
                    !xmlStrEqual(attribute->name, xmlText("spans"))) {
                    xmlChar* value = xmlGetNoNsProp(style, attribute->name);
                    xmlSetProp(row, attribute->name, value);
                    xmlFree(value);
                }
            }
            for (xmlNode* cell : childElements(style, "c")) {
                xmlNode* copy = newElement(row, "c");
                const std::optional<CellAddress> address = parseCellAddress(property(cell, "r"));
                setProperty(copy, "r", formatCellAddress(CellAddress{number, address->column}));
                if (const QString s = property(cell, "s"); !s.isEmpty()) {
                    setProperty(copy, "s", s);
                }
                xmlAddChild(row, copy);
            }
        }
        setProperty(row, "r", QString::number(number));
        if (it == rows.end()) {
            xmlAddChild(sheetData, row);
        } else {
            xmlAddPrevSibling(it->second, row);
        }
        rows.emplace(number, row);
        return row;
    };
    for (const auto& [place, value] : filled.cells) {
        xmlNode* row = rowNode(place.first);
        xmlNode* cell = nullptr;
        xmlNode* after = nullptr; // the first cell to the right
        for (xmlNode* existing : childElements(row, "c")) {
            const quint16 column = parseCellAddress(property(existing, "r"))->column;
            if (column == place.second) {
                cell = existing;
                break;
            }
            if (column > place.second) {
                after = existing;
                break;
            }
        }
        if (cell == nullptr) {
            cell = newElement(row, "c");
            setProperty(cell, "r", formatCellAddress(CellAddress{place.first, place.second}));
            if (after != nullptr) {
                xmlAddPrevSibling(after, cell);
            } else {
                xmlAddChild(row, cell);
            }
        }
        // What the template held goes, its style stays.
        while (cell->children != nullptr) {
            removeNode(cell->children);
        }
        for (const char* attribute : {"t", "cm", "vm", "ph"}) {
            xmlUnsetProp(cell, xmlText(attribute));
        }
        if (value.number) {
            addText(xmlNewChild(cell, cell->ns, xmlText("v"), nullptr), value.text);
        } else {
            setProperty(cell, "t", QStringLiteral("inlineStr"));
            xmlNode* text = xmlNewChild(xmlNewChild(cell, cell->ns, xmlText("is"), nullptr),
                                        cell->ns, xmlText("t"), nullptr);
            const QString escaped = encodeXlsxEscapes(value.text);
            if (escaped != escaped.trimmed()) {
                xmlNodeSetSpacePreserve(text, 1);
            }
            addText(text, escaped);
        }
    }
    // The used range as the cells now stand.
    quint32 lastRow = 0;
    quint16 lastColumn = 0;
    for (const auto& [number, row] : rows) {
        for (xmlNode* cell : childElements(row, "c")) {
            lastRow = std::max(lastRow, number);
            lastColumn = std::max(lastColumn, parseCellAddress(property(cell, "r"))->column);
        }
    }
    if (xmlNode* dimension = childElement(xmlDocGetRootElement(doc), "dimension")) {
        setProperty(dimension, "ref",
                    lastRow == 0 ? QStringLiteral("A1")
                                 : QStringLiteral("A1:") +
                                       formatCellAddress(CellAddress{lastRow, lastColumn}));
    }
}

// The copy's relationships: external ones and the printer settings of its page
// setup (copied) stay; what another part would have to be copied for (drawings,
// comments, tables) goes with the elements naming it, and so do further printer
// settings, which a page setup cannot name and each of which would cost a copy.
QString XlsxWriter::Package::copyRelationships(xmlDoc* sheetDoc)
{
    if (!sheetRelationships) {
        return {};
    }
    XmlDoc copy(xmlCopyDoc(sheetRelationships.get(), 1));
    QSet<QString> dropped;
    bool printerSettingsCopied = false;
    for (xmlNode* relationship : childElements(xmlDocGetRootElement(copy.get()), "Relationship")) {
        const QString target = internalTarget(relationship, sheetPart);
        if (target.isEmpty()) {
            continue;
        }
        const PackagePart* original = find(target);
        if (typeIs(relationship, u"printerSettings") && original != nullptr &&
            !printerSettingsCopied) {
            printerSettingsCopied = true;
            const QString oldTarget = property(relationship, "Target");
            const qsizetype slash = oldTarget.lastIndexOf(u'/');
            const qsizetype folderEnd = target.lastIndexOf(u'/') + 1;
            const qsizetype dot = target.lastIndexOf(u'.');
            const QString extension = dot > folderEnd ? target.mid(dot) : QString();
            const QString name =
                freePartName(target.left(folderEnd), QStringLiteral("printerSettings"), extension);
            QString contentType;
            for (xmlNode* override :
                 childElements(xmlDocGetRootElement(contentTypes.get()), "Override")) {
                if (ZipArchive::normalise(property(override, "PartName")) ==
                    ZipArchive::normalise(target)) {
                    contentType = property(override, "ContentType");
                }
            }
            put(name, original->bytes);
            if (!contentType.isEmpty()) {
                addOverride(name, contentType);
            }
            setProperty(relationship, "Target", oldTarget.left(slash + 1) + name.mid(folderEnd));
            continue;
        }
        dropped.insert(property(relationship, "Id"));
        removeNode(relationship);
    }
    std::vector<xmlNode*> pending{xmlDocGetRootElement(sheetDoc)};
    while (!pending.empty()) {
        xmlNode* node = pending.back();
        pending.pop_back();
        for (xmlNode* child = node->children; child != nullptr;) {
            xmlNode* next = child->next;
            if (child->type == XML_ELEMENT_NODE) {
                if (dropped.contains(relationshipId(child))) {
                    removeNode(child);
                } else {
                    pending.push_back(child);
                }
            }
            child = next;
        }
    }
    xmlNode* root = xmlDocGetRootElement(sheetDoc);
    for (const char* container : {"hyperlinks", "tableParts", "oleObjects", "controls"}) {
        if (xmlNode* node = childElement(root, container);
            node != nullptr && !hasChildElements(node)) {
            removeNode(node);
        }
    }
    if (xmlNode* tables = childElement(root, "tableParts")) {
        setProperty(tables, "count", QString::number(childElements(tables, "tablePart").size()));
    }
    if (!hasChildElements(xmlDocGetRootElement(copy.get()))) {
        return {};
    }
    return QString::fromUtf8(serialise(copy.get()));
}

void XlsxWriter::Package::addOverride(const QString& part, const QString& contentType)
{
    xmlNode* root = xmlDocGetRootElement(contentTypes.get());
    xmlNode* override = newElement(root, "Override");
    setProperty(override, "PartName", u'/' + part);
    setProperty(override, "ContentType", contentType);
    xmlAddChild(root, override);
}

// Leaves out every part no relationship reaches from the package's, and the content
// types of parts gone.
void XlsxWriter::Package::keepReachableParts()
{
    QSet<QString> reached{ZipArchive::normalise(QString::fromLatin1(kContentTypesPart))};
    std::deque<QString> pending{QString()};
    while (!pending.empty()) {
        const QString source = pending.front();
        pending.pop_front();
        const QString relationshipsPart = xlsxRelationshipsPartName(source);
        if (find(relationshipsPart) == nullptr) {
            continue;
        }
        reached.insert(ZipArchive::normalise(relationshipsPart));
        const XmlDoc relationships = parse(relationshipsPart);
        for (xmlNode* relationship :
             childElements(xmlDocGetRootElement(relationships.get()), "Relationship")) {
            const QString target = internalTarget(relationship, source);
            if (!target.isEmpty() && find(target) != nullptr &&
                !reached.contains(ZipArchive::normalise(target))) {
                reached.insert(ZipArchive::normalise(target));
                pending.push_back(target);
            }
        }
    }
    std::erase_if(parts, [&](const auto& part) { return !reached.contains(part.first); });
    for (xmlNode* override : childElements(xmlDocGetRootElement(contentTypes.get()), "Override")) {
        if (find(property(override, "PartName")) == nullptr) {
            removeNode(override);
        }
    }
}

XlsxWriter::XlsxWriter() : m_package(std::make_unique<Package>())
{
    m_package->readPlain();
    m_package->prepare(QString());
}

XlsxWriter::XlsxWriter(const QString& path, const QString& sheetName)
    : m_package(std::make_unique<Package>())
{
    m_package->readTemplate(path);
    m_package->prepare(sheetName);
}

XlsxWriter::~XlsxWriter() = default;

void XlsxWriter::addSheet(const XlsxSheet& sheet, quint32 styleRow)
{
    Package& package = *m_package;
    XmlDoc doc(xmlCopyDoc(package.sheet.get(), 1));
    if (!doc) {
        throw std::bad_alloc();
    }
    package.fillCells(doc.get(), sheet, styleRow);
    const int index = package.added++;
    xmlNode* root = xmlDocGetRootElement(doc.get());
    // One selected tab: sheets selected together would be edited together.
    if (xmlNode* views = childElement(root, "sheetViews"); views != nullptr && index > 0) {
        for (xmlNode* view : childElements(views, "sheetView")) {
            xmlUnsetProp(view, xmlText("tabSelected"));
        }
    }
    const QString workbookFolder =
        package.workbookPart.left(package.workbookPart.lastIndexOf(u'/') + 1);
    const QString part = package.freePartName(workbookFolder + QStringLiteral("worksheets/"),
                                              QStringLiteral("sheet"), QStringLiteral(".xml"));
    const QString relationships = package.copyRelationships(doc.get());
    package.put(part, serialise(doc.get()));
    if (!relationships.isEmpty()) {
        package.put(xlsxRelationshipsPartName(part), relationships.toUtf8());
    }
    package.addOverride(part, package.sheetContentType);

    xmlNode* workbookRelationships = xmlDocGetRootElement(package.workbookRelationships.get());
    QSet<QString> ids;
    for (xmlNode* relationship : childElements(workbookRelationships, "Relationship")) {
        ids.insert(property(relationship, "Id"));
    }
    QString id;
    for (int n = 1; id.isEmpty() || ids.contains(id); ++n) {
        id = QStringLiteral("rId%1").arg(n);
    }
    xmlNode* relationship = newElement(workbookRelationships, "Relationship");
    setProperty(relationship, "Id", id);
    setProperty(relationship, "Type", package.sheetType);
    setProperty(relationship, "Target", part.mid(workbookFolder.size()));
    xmlAddChild(workbookRelationships, relationship);

    xmlNode* workbookRoot = xmlDocGetRootElement(package.workbook.get());
    xmlNode* sheets = childElement(workbookRoot, "sheets");
    xmlNode* entry = newElement(sheets, "sheet");
    setProperty(entry, "name", sheet.name);
    setProperty(entry, "sheetId", QString::number(index + 1));
    const xmlChar* relationshipsUri =
        xmlText(xmlStrEqual(workbookRoot->ns != nullptr ? workbookRoot->ns->href : nullptr,
                            xmlText(xml_uri::kMainStrict.data()))
                    ? xml_uri::kRelationshipsStrict.data()
                    : xml_uri::kRelationshipsTransitional.data());
    xmlNs* ns = xmlSearchNsByHref(package.workbook.get(), workbookRoot, relationshipsUri);
    if (ns == nullptr) {
        ns = xmlNewNs(workbookRoot, relationshipsUri, xmlText("r"));
    }
    xmlSetNsProp(entry, ns, xmlText("id"), xmlText(id.toUtf8().constData()));
    xmlAddChild(sheets, entry);

    if (!package.localNames.empty()) {
        xmlNode* names = childElement(workbookRoot, "definedNames");
        for (const XmlDoc& name : package.localNames) {
            xmlNode* copy =
                xmlDocCopyNode(xmlDocGetRootElement(name.get()), package.workbook.get(), 1);
            setProperty(copy, "localSheetId", QString::number(index));
            xmlChar* content = xmlNodeGetContent(copy);
            const QString formula =
                renameSheetReferences(fromXml(content), package.sheetName, sheet.name);
            xmlFree(content);
            xmlNodeSetContent(copy, nullptr);
            addText(copy, formula);
            xmlAddChild(names, copy);
        }
    }
}

QByteArray XlsxWriter::package()
{
    Package& package = *m_package;
    xmlNode* workbookRoot = xmlDocGetRootElement(package.workbook.get());
    if (xmlNode* names = childElement(workbookRoot, "definedNames");
        names != nullptr && !hasChildElements(names)) {
        removeNode(names);
    }
    package.put(package.workbookPart, serialise(package.workbook.get()));
    package.put(xlsxRelationshipsPartName(package.workbookPart),
                serialise(package.workbookRelationships.get()));
    // The sheet titles the document properties list would name the template's.
    if (const PackagePart* app = package.find(QStringLiteral("docProps/app.xml"))) {
        const QString name = app->name;
        XmlDoc doc = package.parse(name);
        xmlNode* root = xmlDocGetRootElement(doc.get());
        for (const char* list : {"HeadingPairs", "TitlesOfParts"}) {
            if (xmlNode* node = childElement(root, list)) {
                removeNode(node);
            }
        }
        package.put(name, serialise(doc.get()));
    }
    package.keepReachableParts();
    const QString contentTypesName = QString::fromLatin1(kContentTypesPart);
    package.put(contentTypesName, serialise(package.contentTypes.get()));

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer == nullptr) {
        throw std::bad_alloc();
    }
    zip_source_keep(buffer);
    auto failZip = [&](const QString& why) {
        zip_source_free(buffer);
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("zip を組み立てられません: %1").arg(why));
    };
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        failZip(QString::fromUtf8(zip_error_strerror(&error)));
    }
    // The content types first, as readers that stream the package want them.
    std::vector<const PackagePart*> order{package.find(contentTypesName)};
    for (const auto& [key, part] : package.parts) {
        if (&part != order.front()) {
            order.push_back(&part);
        }
    }
    for (const PackagePart* part : order) {
        zip_source_t* source =
            zip_source_buffer(archive, part->bytes.constData(), part->bytes.size(), 0);
        if (source == nullptr ||
            zip_file_add(archive, part->name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            const QString why = QString::fromUtf8(zip_strerror(archive));
            if (source != nullptr) {
                zip_source_free(source);
            }
            zip_discard(archive);
            failZip(why);
        }
    }
    if (zip_close(archive) < 0) {
        const QString why = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        failZip(why);
    }
    QByteArray bytes;
    if (zip_source_open(buffer) < 0 || zip_source_seek(buffer, 0, SEEK_END) < 0) {
        failZip(QString::fromUtf8(zip_error_strerror(zip_source_error(buffer))));
    }
    bytes.resize(zip_source_tell(buffer));
    zip_source_seek(buffer, 0, SEEK_SET);
    if (zip_source_read(buffer, bytes.data(), bytes.size()) != bytes.size()) {
        zip_source_close(buffer);
        failZip(QString::fromUtf8(zip_error_strerror(zip_source_error(buffer))));
    }
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

} // namespace tavrune
