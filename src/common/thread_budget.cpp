#include "common/thread_budget.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace tavrune {

namespace {

std::atomic<size_t>& spareThreads()
{
    static std::atomic<size_t> spare = ThreadBudget::total();
    return spare;
}

} // namespace

size_t ThreadBudget::total()
{
    static const size_t threads = std::max(2u, std::thread::hardware_concurrency()) - 1;
    return threads;
}

bool ThreadBudget::hasSpare()
{
    return spareThreads().load(std::memory_order_relaxed) > 0;
}

ThreadBudget::Share::Share(size_t wanted)
{
    takeMore(wanted);
}

ThreadBudget::Share::~Share()
{
    release();
}

size_t ThreadBudget::Share::takeMore(size_t wanted)
{
    std::atomic<size_t>& spare = spareThreads();
    size_t left = spare.load();
    size_t got = 0;
    do {
        got = std::min(left, wanted);
        if (got == 0) {
            return 0;
        }
    } while (!spare.compare_exchange_weak(left, left - got));
    m_size += got;
    return got;
}

void ThreadBudget::Share::release()
{
    if (m_size > 0) {
        spareThreads() += m_size;
        m_size = 0;
    }
}

} // namespace tavrune
