#include "workbook/xlsx_reader.h"

#include "workbook/xlsx_package.h"
#include "workbook/xlsx_strings.h"
#include "workbook/xlsx_styles.h"
#include "workbook/xlsx_worksheet.h"
#include "workbook/zip_archive.h"

namespace tavrune {

namespace {

// A <sheet> of the workbook part.
struct SheetEntry
{
    QString name;
    QString relationshipId;
};

const XlsxRelationship* findRelationship(const std::vector<XlsxRelationship>& relationships,
                                         XlsxRelationshipKind kind)
{
    for (const XlsxRelationship& relationship : relationships) {
        if (relationship.kind == kind) {
            return &relationship;
        }
    }
    return nullptr;
}

const XlsxRelationship* findRelationship(const std::vector<XlsxRelationship>& relationships,
                                         const QString& id)
{
    for (const XlsxRelationship& relationship : relationships) {
        if (relationship.id == id) {
            return &relationship;
        }
    }
    return nullptr;
}

// Reads the sheet list in document order and the date system.
std::vector<SheetEntry> readWorkbookPart(ZipArchive& archive, const QString& part, bool& date1904)
{
    XlsxPartReader reader(archive, part);
    std::vector<SheetEntry> sheets;
    date1904 = false;
    while (reader.next() != QXmlStreamReader::EndDocument) {
        if (reader.isStart(XlsxNamespace::Main, u"workbookPr")) {
            const QStringView value = reader.xml().attributes().value(QLatin1String("date1904"));
            date1904 = value == u"1" || value == u"true";
        } else if (reader.isStart(XlsxNamespace::Main, u"sheet")) {
            SheetEntry entry;
            for (const QXmlStreamAttribute& attribute : reader.xml().attributes()) {
                if (attribute.namespaceUri().isEmpty() && attribute.name() == u"name") {
                    entry.name = attribute.value().toString();
                } else if (attribute.name() == u"id" &&
                           classifyXlsxNamespace(attribute.namespaceUri()) ==
                               XlsxNamespace::Relationships) {
                    entry.relationshipId = attribute.value().toString();
                }
            }
            if (entry.relationshipId.isEmpty()) {
                reader.fail(QStringLiteral("%1 のシート \"%2\" に関係 ID がありません")
                                .arg(part, entry.name));
            }
            sheets.push_back(std::move(entry));
        }
    }
    return sheets;
}

} // namespace

WorkbookData readXlsxWorkbook(const QString& path)
{
    ZipArchive archive(path);

    const std::vector<XlsxRelationship> packageRelationships = readXlsxRelationships(archive, {});
    const XlsxRelationship* office =
        findRelationship(packageRelationships, XlsxRelationshipKind::OfficeDocument);
    if (office == nullptr) {
        failXlsx(path, QStringLiteral("_rels/.rels にブックのパートへの関係がありません"));
    }
    const QString workbookPart = office->target;
    if (!archive.contains(workbookPart)) {
        failXlsx(path, QStringLiteral("ブックのパート %1 がありません").arg(workbookPart));
    }
    const std::vector<XlsxRelationship> relationships =
        readXlsxRelationships(archive, workbookPart);

    WorkbookData workbook;
    XlsxSheetContext context;
    const std::vector<SheetEntry> sheets =
        readWorkbookPart(archive, workbookPart, context.date1904);
    workbook.setDate1904(context.date1904);

    if (const XlsxRelationship* styles =
            findRelationship(relationships, XlsxRelationshipKind::Styles)) {
        context.cellStyles = readXlsxCellStyles(archive, styles->target);
    }
    if (const XlsxRelationship* strings =
            findRelationship(relationships, XlsxRelationshipKind::SharedStrings)) {
        context.sharedStrings = readXlsxSharedStrings(archive, strings->target, workbook);
    }

    for (const SheetEntry& entry : sheets) {
        const XlsxRelationship* relationship =
            findRelationship(relationships, entry.relationshipId);
        if (relationship == nullptr) {
            failXlsx(path, QStringLiteral("シート \"%1\" の関係 %2 が %3 の関係にありません")
                               .arg(entry.name, entry.relationshipId, workbookPart));
        }
        // Chart, dialog and macro sheets are not worksheets and are left out.
        if (relationship->kind != XlsxRelationshipKind::Worksheet) {
            continue;
        }
        if (!archive.contains(relationship->target)) {
            failXlsx(path, QStringLiteral("シート \"%1\" のパート %2 がありません")
                               .arg(entry.name, relationship->target));
        }
        SheetData& sheet = workbook.addSheet(entry.name);
        readXlsxWorksheet(archive, relationship->target, context, workbook, sheet);
    }
    return workbook;
}

} // namespace tavrune
