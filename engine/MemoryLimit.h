#pragma once
// How many bytes one picture or painting may ask for: the machine's physical memory. Readers and canvas
// creation compare what a size needs with this before they allocate, so that a size the machine cannot
// hold is refused at once with OutOfMemory. Asking the allocator is no answer: where the system grants
// memory it does not have (Linux overcommits), a huge buffer is "allocated" and the process is killed
// when the buffer is filled.

#include <cstdint>

// The physical memory of the machine in bytes, capped to what this process can address.
std::uint64_t MemoryLimitBytes();

// True when `bytes` is no more than MemoryLimitBytes().
bool FitsInMemory(std::uint64_t bytes);

// a × b, or the largest value when the product does not fit (so that it never fits in memory).
std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b);
// a + b, saturating in the same way.
std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b);

// Makes MemoryLimitBytes() answer `bytes` while it lives, so that tests can reach the refusals with
// small sizes. Not for use outside tests; scopes nest.
class ScopedMemoryLimit {
public:
    explicit ScopedMemoryLimit(std::uint64_t bytes);
    ~ScopedMemoryLimit();
    ScopedMemoryLimit(const ScopedMemoryLimit&) = delete;
    ScopedMemoryLimit& operator=(const ScopedMemoryLimit&) = delete;

private:
    std::uint64_t previous;
};
