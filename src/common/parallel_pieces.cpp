#include "common/parallel_pieces.h"

#include "common/thread_budget.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace tavrune {

void runInParallel(size_t count, size_t maxThreads,
                   const std::function<void(size_t piece, size_t thread)>& run)
{
    std::vector<std::exception_ptr> errors(count);
    std::atomic<size_t> next = 0;
    std::atomic<bool> failed = false;
    // A thread looks for a failure before it takes a piece, never after: every
    // piece before a failed one has been started and finishes. count: none left.
    const auto takePiece = [&] { return failed.load() ? count : std::min(next++, count); };
    const auto runPiece = [&](size_t piece, size_t thread) {
        try {
            run(piece, thread);
        } catch (...) {
            errors[piece] = std::current_exception();
            failed.store(true);
        }
    };
    const auto work = [&](size_t thread) {
        for (size_t piece = takePiece(); piece < count; piece = takePiece()) {
            runPiece(piece, thread);
        }
    };
    const size_t helpersAtMost = count > 1 && maxThreads > 1 ? std::min(count, maxThreads) - 1 : 0;
    ThreadBudget::Share threads;
    std::vector<std::thread> helpers;
    // Each helper holds a thread of the budget, so the list never grows past this.
    helpers.reserve(std::min(helpersAtMost, ThreadBudget::total()));
    bool canStart = true;
    const auto startHelpers = [&] {
        const size_t started = next.load();
        // The calling thread takes one of the pieces left.
        const size_t left = started < count ? count - started - 1 : 0;
        const size_t wanted = std::min(helpersAtMost - helpers.size(), left);
        for (size_t got = threads.takeMore(wanted); got > 0 && canStart; --got) {
            try {
                helpers.emplace_back(work, helpers.size() + 1);
            } catch (const std::system_error&) {
                canStart = false; // no more threads to be had: those there are do the work
            }
        }
    };
    for (;;) {
        if (canStart && helpers.size() < helpersAtMost) {
            startHelpers();
        }
        const size_t piece = takePiece();
        if (piece >= count) {
            break;
        }
        runPiece(piece, 0);
    }
    for (std::thread& helper : helpers) {
        helper.join();
    }
    for (const std::exception_ptr& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
    }
}

} // namespace tavrune
