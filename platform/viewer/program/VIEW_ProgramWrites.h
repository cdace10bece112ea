// The output's PNG files written on a few threads: each write is pure work
// over a buffer of its own. The threads block SIGINT, SIGTERM and SIGHUP,
// which the main thread alone handles.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

enum class VIEW_WriteResult { NotRun, Written, Failed };

// Threads for count writes: the cores this process may use, at most four,
// at most count, at least one.
int VIEW_WriteThreads(size_t count);

// Runs the writes on threads threads (one: on the calling thread), taken in
// order; once stop answers true no further write starts. Each write's
// result, in order.
std::vector<VIEW_WriteResult> VIEW_RunWrites(const std::vector<std::function<bool()>>& writes, int threads,
                                             const std::function<bool()>& stop);
