#include "common/parallel_pieces.h"
#include "common/thread_budget.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using tavrune::runInParallel;
using tavrune::ThreadBudget;

TEST(runInParallel, RunsThePiecesBeforeTheFirstFailureInOrderAndRethrowsIt)
{
    struct Case
    {
        size_t count;
        size_t maxThreads;
        std::vector<size_t> failing;
        std::string thrown;
    };
    const Case cases[] = {
        {0, 4, {}, ""},        {1, 1, {}, ""},          {200, 4, {}, ""},
        {200, 1, {7, 3}, "3"}, {200, 8, {150, 9}, "9"}, {200, 200, {199}, "199"},
    };
    for (const Case& c : cases) {
        std::vector<size_t> results(c.count);
        std::vector<std::atomic<bool>> busy(c.maxThreads);
        std::string thrown;
        try {
            runInParallel(c.count, c.maxThreads, [&](size_t piece, size_t thread) {
                // A thread's number is its own while its piece runs.
                EXPECT_FALSE(busy.at(thread).exchange(true));
                results[piece] = piece + 1;
                busy[thread] = false;
                if (std::count(c.failing.begin(), c.failing.end(), piece) > 0) {
                    throw std::runtime_error(std::to_string(piece));
                }
            });
        } catch (const std::runtime_error& error) {
            thrown = error.what();
        }
        EXPECT_EQ(thrown, c.thrown) << c.count;
        const size_t first =
            c.failing.empty() ? c.count : *std::min_element(c.failing.begin(), c.failing.end());
        for (size_t piece = 0; piece < first; ++piece) {
            ASSERT_EQ(results[piece], piece + 1) << c.count;
        }
    }
}

TEST(runInParallel, NestedPiecesRunOnNoMoreThreadsThanTheBudgetAndGiveThemBack)
{
    std::atomic<size_t> running = 0;
    std::atomic<size_t> most = 0;
    runInParallel(8, 8, [&](size_t, size_t) {
        runInParallel(8, 8, [&](size_t, size_t) {
            const size_t now = ++running;
            for (size_t seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            for (int i = 0; i < 100; ++i) {
                std::this_thread::yield();
            }
            --running;
        });
    });
    EXPECT_LE(most.load(), ThreadBudget::total() + 1);
    const ThreadBudget::Share all(ThreadBudget::total());
    EXPECT_EQ(all.size(), ThreadBudget::total());
}
