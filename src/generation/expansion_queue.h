#pragma once

#include "common/thread_budget.h"
#include "generation/split_lines.h"
#include "settings/settings_records.h"
#include "workbook/workbook_source.h"

#include <QByteArray>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tavrune {

// One template line expanded for a sheet and encoded for the output file, or why
// it could not be.
struct ExpandedLine
{
    std::optional<QByteArray> bytes; // none when the expansion failed
    char32_t unrepresentable = 0;    // a character the output encoding lacks
    std::exception_ptr error;        // what the expansion threw
};

// The lines one sheet writes: those of the header, the body and the footer, each
// ending at the first line that failed. Parts a sheet does not write stay empty.
struct ExpandedSheet
{
    std::exception_ptr failure; // a failure outside any line, such as memory running out
    std::vector<ExpandedLine> header;
    std::vector<ExpandedLine> body;
    std::vector<ExpandedLine> footer;
};

// A sheet a run will write, and which of the optional parts it writes.
struct ExpansionJob
{
    WorksheetHandle sheet;
    bool header = false;
    bool footer = false;
};

// Expands the templates for the sheets of a run ahead of it, on threads of the
// budget when the connection can hand out readers for them, so that expanding the
// next sheets overlaps writing this one. A sheet's lines, errors included, are
// those that expanding them on the run's thread gives; they come out in the run's
// order. At most a few sheets are held ahead. Without readers or threads every
// sheet is expanded on the calling thread when it is taken.
class ExpansionQueue
{
public:
    // format, file (for its output options) and lines, file's templates split,
    // must outlive the queue.
    ExpansionQueue(WorkbookConnection& connection, const FormatSetting& format,
                   const FileSetting& file, const TemplateLines& lines,
                   std::vector<ExpansionJob> jobs);
    ~ExpansionQueue();
    ExpansionQueue(const ExpansionQueue&) = delete;
    ExpansionQueue& operator=(const ExpansionQueue&) = delete;

    qsizetype size() const { return static_cast<qsizetype>(m_jobs.size()); }

    // The lines of job index; jobs are taken in order, each once. Waits for a
    // worker that has begun it, and expands it here when none has.
    ExpandedSheet take(qsizetype index);
    // Passes over job index without its lines.
    void skip(qsizetype index);

private:
    enum class State
    {
        Waiting,
        Running,
        Done,
    };

    void work(WorkbookConnection& reader);
    ExpandedSheet expand(WorkbookConnection& reader, const ExpansionJob& job) const;
    // Claims job index for this thread when nobody has; false when somebody has.
    // Called with the mutex held.
    bool claim(qsizetype index);

    WorkbookConnection& m_connection;
    const FormatSetting& m_format;
    const FileSetting& m_file;
    const TemplateLines& m_lines;
    std::vector<ExpansionJob> m_jobs;
    std::vector<State> m_states;
    std::vector<ExpandedSheet> m_results;
    qsizetype m_next = 0;  // the first job nobody has claimed
    qsizetype m_taken = 0; // jobs before this were taken or skipped
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<WorkbookConnection>> m_readers;
    ThreadBudget::Share m_threads;
    std::vector<std::thread> m_workers;
};

} // namespace tavrune
