#pragma once

#include <cstddef>
#include <functional>

namespace tavrune {

// Runs run(piece, thread) for the pieces 0 to count - 1 on the calling thread
// (thread 0) and on up to maxThreads - 1 others (1, 2, ...) from the thread budget,
// those the budget frees later joining in. A thread may keep state by its number.
// Pieces start in order; once one has thrown no later piece starts, and when the
// pieces started are done the failure of the first in order is rethrown, the one
// running them one after the other meets.
void runInParallel(size_t count, size_t maxThreads,
                   const std::function<void(size_t piece, size_t thread)>& run);

} // namespace tavrune
