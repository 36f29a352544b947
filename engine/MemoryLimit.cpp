#include "engine/MemoryLimit.h"

#include <atomic>
#include <cstddef>
#include <limits>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

// 0: no test limit.
std::atomic<std::uint64_t> testLimit{0};

// The one place that asks the platform. 0 when it cannot tell.
std::uint64_t PhysicalMemoryBytes() {
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status)) {
        return 0;
    }
    // A 32-bit process can use less than the machine holds.
    return status.ullTotalPhys < status.ullTotalVirtual ? status.ullTotalPhys : status.ullTotalVirtual;
#elif defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return SaturatingProduct(static_cast<std::uint64_t>(pages), static_cast<std::uint64_t>(pageSize));
#else
    return 0;
#endif
}

std::uint64_t MachineLimit() {
    // The machine's memory does not change while the program runs.
    static const std::uint64_t limit = [] {
        std::uint64_t bytes = PhysicalMemoryBytes();
        if (bytes == 0) {
            // Unknown: a figure every machine that runs the program has.
            bytes = std::uint64_t{1} << 31;
        }
        const auto addressable = static_cast<std::uint64_t>(std::numeric_limits<std::size_t>::max());
        return bytes < addressable ? bytes : addressable;
    }();
    return limit;
}

} // namespace

std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > kMax / a) {
        return kMax;
    }
    return a * b;
}

std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b) {
    return b > kMax - a ? kMax : a + b;
}

std::uint64_t MemoryLimitBytes() {
    const std::uint64_t test = testLimit.load();
    return test != 0 ? test : MachineLimit();
}

bool FitsInMemory(std::uint64_t bytes) {
    return bytes <= MemoryLimitBytes();
}

ScopedMemoryLimit::ScopedMemoryLimit(std::uint64_t bytes) : previous(testLimit.load()) {
    testLimit.store(bytes == 0 ? 1 : bytes);
}

ScopedMemoryLimit::~ScopedMemoryLimit() {
    testLimit.store(previous);
}
