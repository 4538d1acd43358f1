#include "generation/expansion_queue.h"

#include "generation/output_files.h"
#include "generation/table_text_expander.h"

#include <algorithm>
#include <system_error>

namespace tavrune {

namespace {

// Sheets expanded ahead of the one being written, at most.
constexpr qsizetype kAhead = 8;

// Expands and encodes lines until one fails; false when one did.
bool expandPart(const TableTextExpander& expander, const WorksheetHandle& sheet,
                const QStringList& lines, const FileSetting& file, std::vector<ExpandedLine>& out)
{
    out.reserve(static_cast<size_t>(lines.size()));
    for (const QString& line : lines) {
        ExpandedLine result;
        try {
            result.bytes = encodeOutputLine(expander.expandLine(sheet, line), file.Encoding,
                                            file.LineEnding, &result.unrepresentable);
        } catch (...) {
            result.error = std::current_exception();
        }
        const bool ok = result.bytes.has_value();
        out.push_back(std::move(result));
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace

ExpansionQueue::ExpansionQueue(WorkbookConnection& connection, const FormatSetting& format,
                               const FileSetting& file, const TemplateLines& lines,
                               std::vector<ExpansionJob> jobs)
    : m_connection(connection), m_format(format), m_file(file), m_lines(lines),
      m_jobs(std::move(jobs)), m_states(m_jobs.size(), State::Waiting), m_results(m_jobs.size())
{
    if (m_jobs.size() < 2) {
        return;
    }
    const size_t workers = std::min(ThreadBudget::total(), m_jobs.size() - 1);
    for (size_t i = 0; i < workers; ++i) {
        std::unique_ptr<WorkbookConnection> reader = m_connection.sheetReader();
        if (!reader) {
            break;
        }
        m_readers.push_back(std::move(reader));
    }
    m_threads.takeMore(m_readers.size());
    m_readers.resize(m_threads.size());
    for (const std::unique_ptr<WorkbookConnection>& reader : m_readers) {
        try {
            m_workers.emplace_back([this, &reader] { work(*reader); });
        } catch (const std::system_error&) {
            break; // no more threads to be had: the run's own thread does the rest
        }
    }
}

ExpansionQueue::~ExpansionQueue()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
}

bool ExpansionQueue::claim(qsizetype index)
{
    // Jobs are claimed in order, so an unclaimed job is the next one.
    if (m_states[static_cast<size_t>(index)] != State::Waiting) {
        return false;
    }
    m_states[static_cast<size_t>(index)] = State::Running;
    m_next = index + 1;
    return true;
}

ExpandedSheet ExpansionQueue::take(qsizetype index)
{
    const auto at = static_cast<size_t>(index);
    std::unique_lock lock(m_mutex);
    while (m_states[at] != State::Done) {
        // While a worker expands this job, this thread expands the next one
        // nobody has begun, rather than wait.
        const qsizetype job = m_states[at] == State::Waiting ? index : m_next;
        if (job < size() && job < m_taken + kAhead && claim(job)) {
            lock.unlock();
            ExpandedSheet result = expand(m_connection, m_jobs[static_cast<size_t>(job)]);
            lock.lock();
            m_results[static_cast<size_t>(job)] = std::move(result);
            m_states[static_cast<size_t>(job)] = State::Done;
        } else {
            m_changed.wait(lock);
        }
    }
    ExpandedSheet result = std::move(m_results[at]);
    m_results[at] = {};
    m_taken = index + 1;
    lock.unlock();
    m_changed.notify_all();
    if (result.failure) {
        std::rethrow_exception(result.failure);
    }
    return result;
}

void ExpansionQueue::skip(qsizetype index)
{
    const auto at = static_cast<size_t>(index);
    std::unique_lock lock(m_mutex);
    if (!claim(index)) {
        m_changed.wait(lock, [&] { return m_states[at] == State::Done; });
        m_results[at] = {};
    }
    m_states[at] = State::Done;
    m_taken = index + 1;
    lock.unlock();
    m_changed.notify_all();
}

void ExpansionQueue::work(WorkbookConnection& reader)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock,
                       [&] { return m_stopping || m_next >= size() || m_next < m_taken + kAhead; });
        if (m_stopping || m_next >= size()) {
            return;
        }
        const qsizetype index = m_next;
        claim(index);
        lock.unlock();
        ExpandedSheet result = expand(reader, m_jobs[static_cast<size_t>(index)]);
        lock.lock();
        m_results[static_cast<size_t>(index)] = std::move(result);
        m_states[static_cast<size_t>(index)] = State::Done;
        m_changed.notify_all();
    }
}

ExpandedSheet ExpansionQueue::expand(WorkbookConnection& reader, const ExpansionJob& job) const
{
    ExpandedSheet result;
    try {
        const TableTextExpander expander(reader, m_format);
        if (job.header && !expandPart(expander, job.sheet, m_lines.header, m_file, result.header)) {
            return result;
        }
        if (!expandPart(expander, job.sheet, m_lines.body, m_file, result.body)) {
            return result;
        }
        if (job.footer) {
            expandPart(expander, job.sheet, m_lines.footer, m_file, result.footer);
        }
    } catch (...) {
        result = {};
        result.failure = std::current_exception();
    }
    return result;
}

} // namespace tavrune
