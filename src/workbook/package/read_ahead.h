#pragma once

#include "common/thread_budget.h"

#include <QtGlobal>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrune {

class XmlGuard;

// Reads a guarded part on a thread of the budget, a few blocks ahead of the one
// consuming them, so that inflating and checking the bytes overlap with parsing
// them. Only that thread uses the guard until stop().
class ReadAhead
{
public:
    // Starts the thread; throws std::system_error when the budget has none or none
    // can be had.
    explicit ReadAhead(XmlGuard& source);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // As the guard reads: the bytes copied, 0 at the end, -1 from the read on which
    // the guard stopped. What the thread caught is rethrown here.
    qint64 read(char* data, qint64 maxSize);
    // Ends the thread; the guard's state may then be read on this thread.
    void stop();

private:
    struct Block
    {
        std::vector<char> bytes;
        qint64 size = 0; // -1: the guard stopped
        std::exception_ptr error;
    };
    static constexpr size_t kBlocks = 4;
    static constexpr qint64 kBlockSize = 64 * 1024;

    void run();

    XmlGuard& m_source;
    std::array<Block, kBlocks> m_blocks;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_filled = 0;   // blocks filled so far
    size_t m_consumed = 0; // blocks used up so far
    qint64 m_offset = 0;   // into the block being consumed
    bool m_stopping = false;
    bool m_stopped = false; // the thread is joined
    ThreadBudget::Share m_threads{1};
    std::thread m_thread;
};

} // namespace tavrune
