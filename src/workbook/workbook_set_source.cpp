#include "workbook/workbook_set_source.h"

#include "common/error.h"
#include "workbook/cell_address.h"

#include <limits>

namespace tavrune {

namespace {

[[noreturn]] void outOfRange(const QString& what)
{
    throw Error(ErrorNumber::SubscriptOutOfRange,
                QStringLiteral("インデックスが有効範囲にありません: %1").arg(what));
}

void requireHandle(const WorksheetHandle& sheet)
{
    if (!sheet.isValid()) {
        throw Error(ErrorNumber::ObjectNotSet, QStringLiteral("シートが指定されていません。"));
    }
}

} // namespace

WorksheetHandle::WorksheetHandle(std::shared_ptr<const WorkbookData> workbook, qsizetype index)
    : m_workbook(std::move(workbook)), m_index(index)
{
}

QString WorkbookConnection::cellValueAt(const WorksheetHandle& sheet, CellAddress address)
{
    return cellValue(sheet, formatCellAddress(address));
}

std::unique_ptr<WorkbookConnection> WorkbookConnection::sheetReader()
{
    return nullptr;
}

const SheetData& WorksheetHandle::sheet() const
{
    return m_workbook->sheets().at(static_cast<size_t>(m_index));
}

// Carries out the operations on the source's set of workbooks. Reads go to a copy
// of the set taken when attaching (the workbooks' contents are shared, not
// copied), so that a workbook read again by a later attachment does not change
// what this one sees; what it opens or closes itself shows in the copy too.
class WorkbookSetConnection : public WorkbookConnection
{
public:
    explicit WorkbookSetConnection(WorkbookSetSource& source) : m_source(source) { takeView(); }

    void openWorkbook(const QString& path) override
    {
        m_source.openWorkbook(path);
        takeView();
    }

    qint16 workbookCount() override
    {
        const qsizetype count = m_books.size();
        if (count > std::numeric_limits<qint16>::max()) {
            throw Error(ErrorNumber::Overflow, QStringLiteral("開いているブックが多すぎます。"));
        }
        return static_cast<qint16>(count);
    }

    QString workbookName(qint16 index) override { return bookAt(index).name; }
    QString workbookPath(qint16 index) override { return bookAt(index).path; }

    void activateWorkbook(const QString& name) override
    {
        m_active = bookIndex(name);
        if (const qsizetype inSource = m_source.indexOfName(name); inSource >= 0) {
            m_source.m_active = inSource;
        }
    }

    void closeWorkbook(const QString& name) override
    {
        const qsizetype index = bookIndex(name);
        m_books.removeAt(index);
        m_active = m_active == index ? -1 : m_active > index ? m_active - 1 : m_active;
        const qsizetype inSource = m_source.indexOfName(name);
        if (inSource >= 0) {
            m_source.m_books.removeAt(inSource);
            if (m_source.m_active == inSource) {
                m_source.m_active = -1;
            } else if (m_source.m_active > inSource) {
                --m_source.m_active;
            }
        }
        m_source.workbookClosed();
    }

    QList<WorksheetHandle> activeWorkbookSheets() override
    {
        if (m_active < 0) {
            throw Error(ErrorNumber::ObjectNotSet,
                        QStringLiteral("アクティブなブックがありません。"));
        }
        const auto& data = m_books.at(m_active).data;
        QList<WorksheetHandle> sheets;
        sheets.reserve(static_cast<qsizetype>(data->sheets().size()));
        for (size_t i = 0; i < data->sheets().size(); ++i) {
            sheets.append(WorksheetHandle(data, static_cast<qsizetype>(i)));
        }
        return sheets;
    }

    QString sheetName(const WorksheetHandle& sheet) override
    {
        requireHandle(sheet);
        return sheet.sheet().name();
    }

    bool hasWorkbook(const QString& name) override
    {
        return WorkbookSetSource::indexOfName(m_books, name) >= 0;
    }

    WorksheetHandle worksheetAt(const QString& name, qint16 index) override
    {
        const auto& data = m_books.at(bookIndex(name)).data;
        if (index < 1 || static_cast<size_t>(index) > data->sheets().size()) {
            outOfRange(QStringLiteral("ブック \"%1\" のシート %2").arg(name).arg(index));
        }
        return WorksheetHandle(data, index - 1);
    }

    QString cellValue(const WorksheetHandle& sheet, const QString& address) override
    {
        requireHandle(sheet);
        m_source.cellRead(sheet, address);
        const std::optional<CellAddress> cell = parseCellAddress(address);
        if (!cell) {
            throw Error(ErrorNumber::ApplicationDefined,
                        QStringLiteral("シート \"%1\" のセル番地 \"%2\" が正しくありません。")
                            .arg(sheet.sheet().name(), address));
        }
        return sheet.workbook().cellText(sheet.sheet(), *cell);
    }

    QString cellValueAt(const WorksheetHandle& sheet, CellAddress address) override
    {
        requireHandle(sheet);
        m_source.cellReadAt(sheet, address);
        return sheet.workbook().cellText(sheet.sheet(), address, m_rowHint);
    }

    qint32 lastUsedRow(const WorksheetHandle& sheet) override
    {
        requireHandle(sheet);
        return static_cast<qint32>(sheet.sheet().lastUsedRow());
    }

    std::unique_ptr<WorkbookConnection> sheetReader() override
    {
        // Reads of handed-out sheets touch only their workbook's content, which
        // never changes; observed reads must keep their order on this thread.
        if (m_source.observesCellReads()) {
            return nullptr;
        }
        return std::make_unique<WorkbookSetConnection>(m_source);
    }

private:
    using OpenBook = WorkbookSetSource::OpenBook;

    void takeView()
    {
        m_books = m_source.m_books;
        m_active = m_source.m_active;
    }

    const OpenBook& bookAt(qint16 index) const
    {
        if (index < 1 || index > m_books.size()) {
            outOfRange(QStringLiteral("ブック %1").arg(index));
        }
        return m_books.at(index - 1);
    }

    qsizetype bookIndex(const QString& name) const
    {
        const qsizetype index = WorkbookSetSource::indexOfName(m_books, name);
        if (index < 0) {
            outOfRange(QStringLiteral("ブック \"%1\" は開いていません").arg(name));
        }
        return index;
    }

    WorkbookSetSource& m_source;
    QList<OpenBook> m_books;
    qsizetype m_active = -1;
    RowHint m_rowHint; // the row read last: a template reads along a row
};

namespace {

// A source frozen at one moment: its attachments never read a file again.
class WorkbookSnapshot final : public WorkbookSetSource
{
protected:
    void openWorkbook(const QString& path) override
    {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("\"%1\" を開けません: 読み込んだ時点のブックだけを使う処理の"
                                   "途中です。")
                        .arg(path));
    }
};

} // namespace

QStringList WorkbookSetSource::openPaths() const
{
    QStringList paths;
    for (const OpenBook& book : m_books) {
        paths.append(book.path);
    }
    return paths;
}

std::unique_ptr<WorkbookSource> WorkbookSetSource::snapshot() const
{
    std::unique_ptr<WorkbookSetSource> copy = emptySnapshot();
    copy->m_books = m_books;
    copy->m_active = m_active;
    return copy;
}

std::unique_ptr<WorkbookSetSource> WorkbookSetSource::emptySnapshot() const
{
    return std::make_unique<WorkbookSnapshot>();
}

std::unique_ptr<WorkbookConnection> WorkbookSetSource::attach()
{
    beforeAttach();
    return std::make_unique<WorkbookSetConnection>(*this);
}

void WorkbookSetSource::cellRead(const WorksheetHandle&, const QString&) {}

void WorkbookSetSource::cellReadAt(const WorksheetHandle&, CellAddress) {}

qsizetype WorkbookSetSource::indexOfName(const QString& name) const
{
    return indexOfName(m_books, name);
}

qsizetype WorkbookSetSource::indexOfName(const QList<OpenBook>& books, const QString& name)
{
    for (qsizetype i = 0; i < books.size(); ++i) {
        if (books.at(i).name.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

void WorkbookSetSource::requireNameFree(const QString& name, const QString& path) const
{
    const qsizetype sameName = indexOfName(name);
    if (sameName >= 0 && m_books.at(sameName).path != path) {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("同じ名前のブック \"%1\" が既に開いているため、\"%2\" "
                                   "を開けません。")
                        .arg(m_books.at(sameName).name, path));
    }
}

void WorkbookSetSource::addOrReplace(OpenBook book)
{
    requireNameFree(book.name, book.path);
    for (qsizetype i = 0; i < m_books.size(); ++i) {
        if (m_books.at(i).path == book.path) {
            m_books[i] = std::move(book);
            m_active = i;
            return;
        }
    }
    m_books.append(std::move(book));
    m_active = m_books.size() - 1;
}

} // namespace tavrune
