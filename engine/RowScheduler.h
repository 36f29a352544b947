#pragma once
// Spreads independent pieces of work (the rows of a render pass, the bands of a load) over worker
// threads. The workers sleep between calls; every call returns only when all its pieces are done, which
// is the barrier between passes. Results never depend on the thread count because each piece writes
// only its own output.

#include <cstdint>
#include <functional>

// Threads rendering and loading use: NURIMOKO_THREADS when it holds a positive number (1 is the plain
// single-threaded path), otherwise the machine's hardware threads.
std::int32_t RenderThreadCount();

// Calls piece(i) for every i in [0, count) on up to `threads` threads (the caller is one of them) and
// returns when all have returned. `piece` must not throw.
void RunPieces(std::int32_t count, std::int32_t threads, const std::function<void(std::int32_t)>& piece);
