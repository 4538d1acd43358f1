#include "common/parallel_pieces.h"
#include "common/thread_budget.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>
#include <vector>

using tavrune::runInParallel;
using tavrune::ThreadBudget;

TEST(runInParallel, RunsThePiecesBeforeTheFirstFailureInOrderAndRethrowsIt)
{
    // count, most threads, the pieces that throw, the piece thrown (count: none)
    const std::tuple<size_t, size_t, std::vector<size_t>, size_t> cases[] = {
        {0, 4, {}, 0},       {1, 1, {}, 1},         {200, 4, {}, 200},
        {200, 1, {7, 3}, 3}, {200, 8, {150, 9}, 9}, {200, 200, {199}, 199},
    };
    for (const auto& [count, maxThreads, failing, first] : cases) {
        std::vector<char> done(count);
        std::vector<std::atomic<bool>> busy(maxThreads);
        size_t thrown = count;
        try {
            runInParallel(count, maxThreads, [&](size_t piece, size_t thread) {
                // A thread's number is its own while its piece runs.
                EXPECT_FALSE(busy.at(thread).exchange(true));
                done[piece] = 1;
                busy[thread] = false;
                if (std::count(failing.begin(), failing.end(), piece) > 0) {
                    throw piece;
                }
            });
        } catch (size_t piece) {
            thrown = piece;
        }
        EXPECT_EQ(thrown, first) << count;
        EXPECT_EQ(std::count(done.begin(), done.begin() + first, 1), first) << count;
    }
}

TEST(runInParallel, NestedPiecesRunOnNoMoreThreadsThanTheBudgetAndGiveThemBack)
{
    std::atomic<size_t> running = 0, most = 0;
    runInParallel(8, 8, [&](size_t, size_t) {
        runInParallel(8, 8, [&](size_t, size_t) {
            const size_t now = ++running;
            for (size_t seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            std::this_thread::yield();
            --running;
        });
    });
    EXPECT_LE(most.load(), ThreadBudget::total() + 1);
    EXPECT_EQ(ThreadBudget::Share(ThreadBudget::total()).size(), ThreadBudget::total());
}
