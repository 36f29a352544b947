#include "engine/RowScheduler.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Worker threads that live for the whole program and wait for the next call while idle.
class WorkerPool {
public:
    ~WorkerPool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : workers_) {
            t.join();
        }
    }

    void Run(std::int32_t count, std::int32_t threads, const std::function<void(std::int32_t)>& piece) {
        const std::lock_guard<std::mutex> callLock(callMutex_);
        const std::int32_t helpers = std::min(threads, count) - 1;
        if (!EnsureWorkers(helpers)) {
            for (std::int32_t i = 0; i < count; ++i) {
                piece(i);
            }
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            piece_ = &piece;
            count_ = count;
            next_.store(0, std::memory_order_relaxed);
            wanted_ = helpers;
            running_ = helpers;
            ++generation_;
        }
        wake_.notify_all();
        Work(piece, count);
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return running_ == 0; });
        piece_ = nullptr;
    }

private:
    bool EnsureWorkers(std::int32_t helpers) {
        try {
            while (static_cast<std::int32_t>(workers_.size()) < helpers) {
                const std::int32_t index = static_cast<std::int32_t>(workers_.size());
                workers_.emplace_back([this, index] { Loop(index); });
            }
        } catch (...) {
            return false; // no thread to be had: the caller does the work alone
        }
        return true;
    }

    void Work(const std::function<void(std::int32_t)>& piece, std::int32_t count) {
        for (;;) {
            const std::int32_t i = next_.fetch_add(1, std::memory_order_relaxed);
            if (i >= count) {
                return;
            }
            piece(i);
        }
    }

    void Loop(std::int32_t index) {
        std::uint64_t seen = 0;
        for (;;) {
            const std::function<void(std::int32_t)>* piece = nullptr;
            std::int32_t count = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || (generation_ != seen && index < wanted_); });
                if (stopping_) {
                    return;
                }
                seen = generation_;
                piece = piece_;
                count = count_;
            }
            Work(*piece, count);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                --running_;
            }
            done_.notify_one();
        }
    }

    std::mutex callMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> workers_;
    const std::function<void(std::int32_t)>* piece_ = nullptr;
    std::int32_t count_ = 0;
    std::atomic<std::int32_t> next_{0};
    std::int32_t wanted_ = 0;
    std::int32_t running_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
};

WorkerPool& Pool() {
    static WorkerPool pool;
    return pool;
}

} // namespace

std::int32_t RenderThreadCount() {
    if (const char* value = std::getenv("NURIMOKO_THREADS")) {
        char* end = nullptr;
        const long n = std::strtol(value, &end, 10);
        if (end != value && *end == '\0' && n > 0) {
            return static_cast<std::int32_t>(std::min(n, 256L));
        }
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<std::int32_t>(std::min(hardware, 256u)) : 1;
}

void RunPieces(std::int32_t count, std::int32_t threads, const std::function<void(std::int32_t)>& piece) {
    if (count <= 0) {
        return;
    }
    if (threads <= 1 || count == 1) {
        for (std::int32_t i = 0; i < count; ++i) {
            piece(i);
        }
        return;
    }
    Pool().Run(count, threads, piece);
}
