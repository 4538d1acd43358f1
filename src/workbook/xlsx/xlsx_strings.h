#pragma once

#include "workbook/package/xml_namespace.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrune {

class SaxPartParser;
class WorkbookData;
class ZipArchive;

// Throws through parser: a text of the part is longer than a workbook may hold.
[[noreturn]] void failXlsxTextTooLong(const SaxPartParser& parser);

// Collects the text of one string item (<si> of the shared strings, <is> of an
// inline string cell) from parser events: the plain text or the rich-text runs
// joined, phonetic runs left out, _xHHHH_ escapes decoded, blanks kept as stored.
// Depths count open elements, the item's own element included.
class XlsxStringItem
{
public:
    // The item's element opened at depth.
    void open(int depth);
    bool isOpen() const { return m_itemDepth > 0; }
    // An element opened at depth inside the item.
    void startElement(XmlNamespace ns, std::string_view name, int depth);
    // An element at depth ended; true when it was the item's own.
    bool endElement(int depth);
    // Character data while depth elements are open. Throws through parser once the
    // text grows past the longest text a workbook may hold.
    void characters(std::string_view text, int depth, const SaxPartParser& parser);
    QString text() const;

private:
    int m_itemDepth = 0;
    int m_textDepth = 0; // of the <t> being read
    int m_skipDepth = 0; // of a phonetic run being skipped
    std::string m_bytes;
    qsizetype m_length = 0; // in UTF-16 code units, as the bound counts
};

// What the threads reading a workbook's parts share: its text pool and its count
// of cells, each changed under one lock. Readers count cells in batches, so that
// the threads do not meet on every cell.
class XlsxWorkbookSink
{
public:
    explicit XlsxWorkbookSink(WorkbookData& workbook);

    quint32 addString(const QString& text);
    void countCells(qsizetype count);

private:
    WorkbookData& m_workbook;
    std::mutex m_mutex;
};

// The shared strings' places in the workbook's pool, filled by the thread reading
// the shared strings while other threads read the sheets: a cell that refers to a
// string not read yet waits for it.
class XlsxSharedStringTable
{
public:
    XlsxSharedStringTable();

    // The next string was read and added to the pool at poolIndex.
    void add(quint32 poolIndex);
    // No more strings come: the part was read to its end, or reading it failed.
    void finish();
    // Asks the reading thread to stop after the string it is reading: the sheets
    // have every string they need.
    void stopReading() { m_stopReading.store(true); }
    bool stopRequested() const { return m_stopReading.load(std::memory_order_relaxed); }

    // Where string index lies in the pool, once it is read; none when the part
    // ends before it.
    std::optional<quint32> poolIndex(quint32 index);
    // The number of strings of the part, once it is read to its end.
    quint32 count();

private:
    void publish(bool finished);
    // Waits, counted among the waiters publish() wakes, until condition holds; it
    // is checked under the lock.
    template <typename Condition> void waitUntil(Condition condition);

    static constexpr quint32 kBlock = 4096;
    // Strings read and not yet shown to the sheets' threads, at most: each showing
    // takes the lock.
    static constexpr quint32 kPublishEvery = 256;

    // Blocks of kBlock places, enough for the most strings a workbook may hold, so
    // that the list of blocks never moves while it is read.
    std::vector<std::unique_ptr<quint32[]>> m_blocks;
    quint32 m_read = 0; // by the reading thread alone
    std::atomic<quint32> m_published = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::atomic<bool> m_stopReading = false;
    bool m_finished = false; // under m_mutex
    int m_waiting = 0;       // under m_mutex
};

// Adds every shared string of the part to the workbook's pool in order, through
// sink, and their places to table. Does not finish table.
void readXlsxSharedStrings(ZipArchive& archive, const QString& part, XlsxWorkbookSink& sink,
                           XlsxSharedStringTable& table);

} // namespace tavrune
