#pragma once

#include <cstddef>

namespace tavrune {

// The threads parallel work may start besides the threads that ask for them: one
// fewer than the cores, at least one, for the whole program. Every mechanism that
// starts threads takes them here and gives them back when done, and does its work
// on the asking thread when it gets none, so that parallel work inside parallel
// work, or several readings at once, never run more threads than the cores.
class ThreadBudget
{
public:
    static size_t total();
    // Whether a thread is left at this moment; taking one may still get none.
    static bool hasSpare();

    // Threads taken from the budget, given back when the share goes.
    class Share
    {
    public:
        // Takes up to wanted threads: fewer, or none, when the budget is spent.
        explicit Share(size_t wanted = 0);
        ~Share();
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

        size_t size() const { return m_size; }
        // Takes up to wanted threads more; returns how many it got.
        size_t takeMore(size_t wanted);
        // Gives every thread back before the share goes.
        void release();

    private:
        size_t m_size = 0;
    };
};

} // namespace tavrune
