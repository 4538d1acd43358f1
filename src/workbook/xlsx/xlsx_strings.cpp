#include "workbook/xlsx/xlsx_strings.h"

#include "workbook/package/sax_part_parser.h"
#include "workbook/package/zip_archive.h"
#include "workbook/workbook_data.h"
#include "workbook/xlsx/xlsx_package.h"

namespace tavrune {

void XlsxStringItem::open(int depth)
{
    m_itemDepth = depth;
    m_textDepth = 0;
    m_skipDepth = 0;
    m_bytes.clear();
    m_length = 0;
}

void XlsxStringItem::startElement(XmlNamespace ns, std::string_view name, int depth)
{
    // Inside a phonetic run, or inside a <t> whose own text alone counts.
    if (m_skipDepth != 0 || m_textDepth != 0 || ns != XmlNamespace::Spreadsheet) {
        return;
    }
    // <t> directly in the item or in a run <r>.
    if (name == "t") {
        m_textDepth = depth;
    } else if (name == "rPh" || name == "phoneticPr") {
        m_skipDepth = depth; // the reading aid, not part of the text
    }
}

bool XlsxStringItem::endElement(int depth)
{
    if (depth == m_skipDepth) {
        m_skipDepth = 0;
    }
    if (depth == m_textDepth) {
        m_textDepth = 0;
    }
    if (depth == m_itemDepth) {
        m_itemDepth = 0;
        return true;
    }
    return false;
}

void XlsxStringItem::characters(std::string_view text, int depth, const SaxPartParser& parser)
{
    if (m_textDepth == 0 || depth != m_textDepth) {
        return;
    }
    // Checked as the text grows, so that a text in many pieces cannot grow past the
    // bound before it is checked.
    m_length += utf16Length(text);
    if (m_length > WorkbookData::kMaxTextLength) {
        failXlsxTextTooLong(parser);
    }
    m_bytes.append(text);
}

QString XlsxStringItem::text() const
{
    return decodeXlsxEscapes(
        QString::fromUtf8(m_bytes.data(), static_cast<qsizetype>(m_bytes.size())));
}

void failXlsxTextTooLong(const SaxPartParser& parser)
{
    parser.fail(QStringLiteral("%1 の文字列が上限 %2 文字を超えています")
                    .arg(parser.part())
                    .arg(WorkbookData::kMaxTextLength));
}

XlsxWorkbookSink::XlsxWorkbookSink(WorkbookData& workbook) : m_workbook(workbook) {}

quint32 XlsxWorkbookSink::addString(const QString& text)
{
    const std::lock_guard lock(m_mutex);
    return m_workbook.addString(text);
}

void XlsxWorkbookSink::countCells(qsizetype count)
{
    const std::lock_guard lock(m_mutex);
    m_workbook.countCells(count);
}

XlsxSharedStringTable::XlsxSharedStringTable()
    : m_blocks(static_cast<size_t>(WorkbookData::kMaxStrings / kBlock + 1))
{
}

void XlsxSharedStringTable::add(quint32 poolIndex)
{
    // The pool refuses more strings than a workbook may hold before this could
    // run out of blocks.
    std::unique_ptr<quint32[]>& block = m_blocks.at(m_read / kBlock);
    if (!block) {
        block = std::make_unique<quint32[]>(kBlock);
    }
    block[m_read % kBlock] = poolIndex;
    ++m_read;
    if (m_read % kPublishEvery == 0) {
        publish(false);
    }
}

void XlsxSharedStringTable::finish()
{
    publish(true);
}

void XlsxSharedStringTable::publish(bool finished)
{
    bool notify = false;
    {
        const std::lock_guard lock(m_mutex);
        m_published.store(m_read, std::memory_order_release);
        m_finished = m_finished || finished;
        notify = m_waiting > 0;
    }
    if (notify) {
        m_changed.notify_all();
    }
}

std::optional<quint32> XlsxSharedStringTable::poolIndex(quint32 index)
{
    if (index >= m_published.load(std::memory_order_acquire)) {
        waitUntil([&] { return index < m_published.load() || m_finished; });
        if (index >= m_published.load()) {
            return std::nullopt;
        }
    }
    return m_blocks[index / kBlock][index % kBlock];
}

quint32 XlsxSharedStringTable::count()
{
    waitUntil([&] { return m_finished; });
    return m_published.load();
}

template <typename Condition> void XlsxSharedStringTable::waitUntil(Condition condition)
{
    std::unique_lock lock(m_mutex);
    ++m_waiting;
    m_changed.wait(lock, condition);
    --m_waiting;
}

namespace {

class SharedStringsHandler : public XmlPartHandler
{
public:
    SharedStringsHandler(SaxPartParser& parser, ZipArchive& archive, XlsxWorkbookSink& sink,
                         XlsxSharedStringTable& table)
        : m_parser(parser), m_archive(archive), m_sink(sink), m_table(table)
    {
    }

    void startElement(XmlNamespace ns, std::string_view name, const XmlAttribute*, int) override
    {
        ++m_depth;
        if (m_item.isOpen()) {
            m_item.startElement(ns, name, m_depth);
        } else if (ns == XmlNamespace::Spreadsheet && name == "si") {
            m_item.open(m_depth);
        }
    }

    void endElement(XmlNamespace, std::string_view) override
    {
        if (m_item.isOpen() && m_item.endElement(m_depth)) {
            const QString text = m_item.text();
            m_table.add(m_sink.addString(text));
            m_archive.grantForText(text.size(), true);
            if (m_table.stopRequested()) {
                m_parser.finishEarly();
            }
        }
        --m_depth;
    }

    void characters(std::string_view text) override
    {
        if (m_item.isOpen()) {
            m_item.characters(text, m_depth, m_parser);
        }
    }

private:
    SaxPartParser& m_parser;
    ZipArchive& m_archive;
    XlsxWorkbookSink& m_sink;
    XlsxSharedStringTable& m_table;
    XlsxStringItem m_item;
    int m_depth = 0;
};

} // namespace

void readXlsxSharedStrings(ZipArchive& archive, const QString& part, XlsxWorkbookSink& sink,
                           XlsxSharedStringTable& table)
{
    // Read beside the sheets, which keep the cores busy: no thread reads ahead.
    SaxPartParser parser(archive, part, SaxPartParser::Input::OnDemand);
    SharedStringsHandler handler(parser, archive, sink, table);
    parser.parse(handler);
}

} // namespace tavrune
