#include "workbook/xlsx/xlsx_reader.h"

#include "common/thread_budget.h"
#include "workbook/allocation_failure.h"
#include "workbook/package/sax_part_parser.h"
#include "workbook/package/zip_archive.h"
#include "workbook/quoted_text.h"
#include "workbook/unreadable_file.h"
#include "workbook/xlsx/xlsx_package.h"
#include "workbook/xlsx/xlsx_strings.h"
#include "workbook/xlsx/xlsx_styles.h"
#include "workbook/xlsx/xlsx_worksheet.h"

#include <exception>
#include <system_error>
#include <thread>

namespace tavrune {

namespace {

// A <sheet> of the workbook part.
struct SheetEntry
{
    QString name;
    QString relationshipId;
};

// The sheet list in document order and the date system of the workbook part.
class WorkbookPartHandler : public XmlPartHandler
{
public:
    explicit WorkbookPartHandler(const SaxPartParser& parser) : m_parser(parser) {}

    void startElement(XmlNamespace ns, std::string_view name, const XmlAttribute* attributes,
                      int count) override;
    void endElement(XmlNamespace, std::string_view) override {}
    void characters(std::string_view) override {}

    std::vector<SheetEntry>& sheets() { return m_sheets; }
    bool date1904() const { return m_date1904; }

private:
    void addSheet(const XmlAttribute* attributes, int count);

    const SaxPartParser& m_parser;
    std::vector<SheetEntry> m_sheets;
    bool m_date1904 = false;
};

void WorkbookPartHandler::startElement(XmlNamespace ns, std::string_view name,
                                       const XmlAttribute* attributes, int count)
{
    if (ns != XmlNamespace::Spreadsheet) {
        return;
    }
    if (name == "workbookPr") {
        const std::string_view value = plainAttribute(attributes, count, "date1904");
        m_date1904 = value == "1" || value == "true";
    } else if (name == "sheet") {
        addSheet(attributes, count);
    }
}

void WorkbookPartHandler::addSheet(const XmlAttribute* attributes, int count)
{
    // Every entry counts, worksheet or not, so that a long list of chart sheets is
    // refused as soon as it passes the bound.
    if (static_cast<qsizetype>(m_sheets.size()) >= WorkbookData::kMaxSheets) {
        m_parser.fail(QStringLiteral("%1 のシートの数が上限 %2 を超えています")
                          .arg(m_parser.part())
                          .arg(WorkbookData::kMaxSheets));
    }
    SheetEntry entry;
    for (int i = 0; i < count; ++i) {
        const XmlAttribute& attribute = attributes[i];
        if (attribute.plain && attribute.name == "name") {
            entry.name = utf8Text(attribute.value);
            if (entry.name.size() > WorkbookData::kMaxSheetNameLength) {
                m_parser.fail(QStringLiteral("%1 のシート名 \"%2\" が上限 %3 文字を超えています")
                                  .arg(m_parser.part(), quotedText(entry.name))
                                  .arg(WorkbookData::kMaxSheetNameLength));
            }
        } else if (attribute.ns == XmlNamespace::Relationships && attribute.name == "id") {
            entry.relationshipId = utf8Text(attribute.value);
            if (entry.relationshipId.size() > XlsxRelationships::kMaxIdLength) {
                m_parser.fail(QStringLiteral("%1 の関係 ID \"%2\" が長すぎます")
                                  .arg(m_parser.part(), quotedText(entry.relationshipId)));
            }
        }
    }
    if (entry.relationshipId.isEmpty()) {
        m_parser.fail(QStringLiteral("%1 のシート \"%2\" に関係 ID がありません")
                          .arg(m_parser.part(), entry.name));
    }
    m_sheets.push_back(std::move(entry));
}

// Reads the sheet list in document order and the date system.
std::vector<SheetEntry> readWorkbookPart(ZipArchive& archive, const QString& part, bool& date1904)
{
    SaxPartParser parser(archive, part);
    WorkbookPartHandler handler(parser);
    parser.parse(handler);
    date1904 = handler.date1904();
    return std::move(handler.sheets());
}

// Checks every sheet and adds it to the workbook, then reads their parts together.
void readSheets(ZipArchive& archive, const QString& path, const QString& workbookPart,
                const XlsxRelationships& relationships, const std::vector<SheetEntry>& sheets,
                const XlsxSheetContext& context, XlsxWorkbookSink& sink, WorkbookData& workbook)
{
    std::vector<std::pair<QString, qsizetype>> worksheets; // part, sheet index
    for (const SheetEntry& entry : sheets) {
        const XlsxRelationship* relationship = relationships.find(entry.relationshipId);
        if (relationship == nullptr) {
            failUnreadable(path, QStringLiteral("シート \"%1\" の関係 %2 が %3 の関係にありません")
                                     .arg(entry.name, quotedText(entry.relationshipId),
                                          quotedText(workbookPart)));
        }
        // Chart, dialog and macro sheets are not worksheets and are left out.
        if (relationship->kind != XlsxRelationshipKind::Worksheet) {
            continue;
        }
        if (!archive.contains(relationship->target)) {
            failUnreadable(path, QStringLiteral("シート \"%1\" のパート %2 がありません")
                                     .arg(entry.name, quotedText(relationship->target)));
        }
        workbook.addSheet(entry.name);
        worksheets.emplace_back(relationship->target,
                                static_cast<qsizetype>(workbook.sheets().size()) - 1);
    }
    // The sheets stay where they are from here on, so the readers may hold them.
    std::vector<XlsxSheetPart> parts;
    parts.reserve(worksheets.size());
    for (const auto& [part, index] : worksheets) {
        parts.push_back({part, &workbook.sheets()[static_cast<size_t>(index)]});
    }
    readXlsxWorksheets(archive, parts, context, sink);
}

// Reads the shared strings on a thread of the budget while the sheets are read, or
// at once when the budget has none. The table is always finished, so no sheet
// waits for ever, and the thread always joined.
class SharedStringsReader
{
public:
    SharedStringsReader(ZipArchive& archive, const QString& part, XlsxWorkbookSink& sink,
                        XlsxSharedStringTable& table)
        : m_table(table)
    {
        if (part.isEmpty()) {
            table.finish();
            return;
        }
        const auto read = [this, &archive, part, &sink] {
            try {
                readXlsxSharedStrings(archive, part, sink, m_table);
            } catch (...) {
                m_error = std::current_exception();
            }
            m_table.finish();
        };
        if (m_threads.takeMore(1) == 0) {
            read();
            return;
        }
        try {
            m_thread = std::thread([this, read] {
                read();
                // Read: the sheets' reading may have the thread.
                m_threads.release();
            });
        } catch (const std::system_error&) {
            m_threads.release();
            read();
        }
    }
    ~SharedStringsReader() { join(); }
    SharedStringsReader(const SharedStringsReader&) = delete;
    SharedStringsReader& operator=(const SharedStringsReader&) = delete;

    // Waits until the strings are read; throws what reading them threw.
    void finish()
    {
        join();
        if (m_error) {
            std::rethrow_exception(m_error);
        }
    }

    // Stops reading once the sheets have every string they refer to. What the
    // strings' part holds past that point is neither read nor checked, whether the
    // reading got there or not, so the outcome never depends on timing.
    void stopEarly()
    {
        m_table.stopReading();
        join();
    }

private:
    void join()
    {
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    XlsxSharedStringTable& m_table;
    ThreadBudget::Share m_threads;
    std::thread m_thread;
    std::exception_ptr m_error;
};

WorkbookData readPackage(const QString& path, quint32 lastRow)
{
    ZipArchive archive(path);

    const XlsxRelationships packageRelationships = readXlsxRelationships(archive, {});
    const XlsxRelationship* office =
        packageRelationships.find(XlsxRelationshipKind::OfficeDocument);
    if (office == nullptr) {
        failUnreadable(path, QStringLiteral("_rels/.rels にブックのパートへの関係がありません"));
    }
    const QString workbookPart = office->target;
    if (!archive.contains(workbookPart)) {
        failUnreadable(
            path, QStringLiteral("ブックのパート %1 がありません").arg(quotedText(workbookPart)));
    }
    const XlsxRelationships relationships = readXlsxRelationships(archive, workbookPart);

    WorkbookData workbook(path);
    XlsxSheetContext context;
    context.lastRow = lastRow;
    const std::vector<SheetEntry> sheets =
        readWorkbookPart(archive, workbookPart, context.date1904);
    workbook.setDate1904(context.date1904);

    if (const XlsxRelationship* styles = relationships.find(XlsxRelationshipKind::Styles)) {
        context.cellStyles = readXlsxCellStyles(archive, styles->target);
    }
    XlsxWorkbookSink sink(workbook);
    XlsxSharedStringTable sharedStrings;
    context.sharedStrings = &sharedStrings;
    const XlsxRelationship* strings = relationships.find(XlsxRelationshipKind::SharedStrings);
    SharedStringsReader stringsReader(archive, strings != nullptr ? strings->target : QString(),
                                      sink, sharedStrings);
    try {
        readSheets(archive, path, workbookPart, relationships, sheets, context, sink, workbook);
    } catch (...) {
        // The shared strings come before every sheet, so their failure is the one a
        // reading of one part after the other would meet first.
        stringsReader.finish();
        throw;
    }
    // Rows below lastRow were not read, so the strings only they refer to are not
    // needed either.
    if (lastRow < kMaxRow) {
        stringsReader.stopEarly();
    } else {
        stringsReader.finish();
    }
    return workbook;
}

} // namespace

WorkbookData readXlsxWorkbook(const QString& path)
{
    return readReportingAllocationFailure(path, [&path] { return readPackage(path, kMaxRow); });
}

WorkbookData readXlsxWorkbookUpToRow(const QString& path, quint32 lastRow)
{
    return readReportingAllocationFailure(path, [&] { return readPackage(path, lastRow); });
}

} // namespace tavrune
