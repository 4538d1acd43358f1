#include "workbook/package/read_ahead.h"

#include "workbook/package/xml_guard.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace tavrune {

ReadAhead::ReadAhead(XmlGuard& source) : m_source(source)
{
    if (m_threads.size() == 0) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    for (Block& block : m_blocks) {
        block.bytes.resize(static_cast<size_t>(kBlockSize));
    }
    m_thread = std::thread([this] { run(); });
}

ReadAhead::~ReadAhead()
{
    stop();
}

void ReadAhead::stop()
{
    if (m_stopped) {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
    m_stopped = true;
}

void ReadAhead::run()
{
    for (;;) {
        Block* block = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || m_filled - m_consumed < kBlocks; });
            if (m_stopping) {
                return;
            }
            block = &m_blocks[m_filled % kBlocks];
        }
        // The block is the thread's own until it is counted as filled.
        qint64 size = -1;
        std::exception_ptr error;
        try {
            size = m_source.read(block->bytes.data(), kBlockSize);
            if (m_source.failed()) {
                size = -1;
            }
        } catch (...) {
            error = std::current_exception();
        }
        {
            const std::lock_guard lock(m_mutex);
            block->size = size;
            block->error = error;
            ++m_filled;
        }
        m_changed.notify_all();
        if (size <= 0) {
            // The part is read: other work may have the thread.
            m_threads.release();
            return;
        }
    }
}

qint64 ReadAhead::read(char* data, qint64 maxSize)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_filled > m_consumed; });
    Block& block = m_blocks[m_consumed % kBlocks];
    if (block.error) {
        std::rethrow_exception(block.error);
    }
    if (block.size <= 0) {
        return block.size; // the end, or the guard stopped: kept for every later read
    }
    const qint64 take = std::min(maxSize, block.size - m_offset);
    std::memcpy(data, block.bytes.data() + m_offset, static_cast<size_t>(take));
    m_offset += take;
    if (m_offset == block.size) {
        m_offset = 0;
        ++m_consumed;
        lock.unlock();
        m_changed.notify_all();
    }
    return take;
}

} // namespace tavrune
