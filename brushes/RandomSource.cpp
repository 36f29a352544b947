#include "brushes/RandomSource.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <utility>

namespace {

std::int64_t SystemSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::uint64_t SystemNanoseconds() {
    // The wall clock differs between runs; the steady clock adds what the wall clock's steps miss.
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count()) ^
           (static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(steady).count())
            << 32);
}

// A bijection of 64-bit words that spreads every input bit over the whole output.
std::uint64_t Mix64(std::uint64_t z) {
    z += 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

// A bijection of 32-bit words: different counts always give different seeds.
std::uint32_t Mix32(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    h ^= h >> 16;
    return h;
}

} // namespace

// std::mt19937 default-constructs with the published default seed 5489.
RandomSource::RandomSource() : engine_(), clock_(SystemSeconds), fineClock_(SystemNanoseconds) {}

void RandomSource::Seed(std::uint32_t seed) {
    engine_.seed(seed);
}

void RandomSource::Reseed() {
    if (seeding_ == Seeding::CalendarSeconds) {
        SeedFromClock();
    } else {
        Seed(FreshSeed());
    }
}

void RandomSource::SeedFromClock() {
    Seed(static_cast<std::uint32_t>(Now()));
}

std::uint32_t RandomSource::FreshSeed() {
    if (!freshBaseTaken_) {
        const std::uint64_t mixed = Mix64(fineClock_());
        freshBase_ = static_cast<std::uint32_t>(mixed ^ (mixed >> 32));
        freshBaseTaken_ = true;
    }
    return Mix32(freshBase_ + freshCount_++);
}

void RandomSource::SetClock(Clock clock) {
    clock_ = clock ? std::move(clock) : Clock(SystemSeconds);
}

void RandomSource::SetFineClock(FineClock clock) {
    fineClock_ = clock ? std::move(clock) : FineClock(SystemNanoseconds);
    freshBaseTaken_ = false;
    freshCount_ = 0;
}

std::int64_t RandomSource::Now() const {
    return clock_();
}

std::uint32_t RandomSource::NextWord() {
    return static_cast<std::uint32_t>(engine_());
}

double RandomSource::Draw() {
    return static_cast<double>(NextWord()) / 4294967295.0;
}

std::int32_t RandomSource::DrawWhole(std::int32_t low, std::int32_t high) {
    if (low > high) {
        std::swap(low, high);
    }
    const double u = Draw();
    const double lo = static_cast<double>(low) - 0.5;
    const double hi = static_cast<double>(high) + 0.5;
    const double f = (hi - lo) * u + lo;
    // std::round rounds half away from zero.
    const double whole = std::clamp(std::round(f), static_cast<double>(low), static_cast<double>(high));
    return static_cast<std::int32_t>(whole);
}

RandomSource& ProgramRandom() {
    static RandomSource source;
    return source;
}

ScopedRandomClock::ScopedRandomClock(std::int64_t seconds) {
    ProgramRandom().SetClock([seconds] { return seconds; });
    ProgramRandom().SetSeeding(RandomSource::Seeding::CalendarSeconds);
}

ScopedRandomClock::~ScopedRandomClock() {
    ProgramRandom().SetClock({});
    ProgramRandom().SetSeeding(RandomSource::Seeding::Fresh);
}
