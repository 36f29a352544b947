#include "AllocationFailure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> countdown{-1};
} // namespace

namespace allocationfailure {
void FailAfter(long successes) {
    countdown.store(successes);
}
void Disarm() {
    countdown.store(-1);
}
} // namespace allocationfailure

// Replaces the program's allocation functions, all on top of malloc and free, so that every form of
// new, including the non-throwing one, passes through the countdown.
void* operator new(std::size_t size) {
    long remaining = countdown.load();
    while (remaining >= 0) {
        if (remaining == 0) {
            throw std::bad_alloc();
        }
        if (countdown.compare_exchange_weak(remaining, remaining - 1)) {
            break;
        }
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return ::operator new(size, std::nothrow);
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
