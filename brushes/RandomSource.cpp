#include "brushes/RandomSource.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <utility>

namespace {

std::int64_t SystemSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

// std::mt19937 default-constructs with the published default seed 5489.
RandomSource::RandomSource() : engine_(), clock_(SystemSeconds) {}

void RandomSource::Seed(std::uint32_t seed) {
    engine_.seed(seed);
}

void RandomSource::SeedFromClock() {
    Seed(static_cast<std::uint32_t>(Now()));
}

void RandomSource::SetClock(Clock clock) {
    clock_ = clock ? std::move(clock) : Clock(SystemSeconds);
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
}

ScopedRandomClock::~ScopedRandomClock() {
    ProgramRandom().SetClock({});
}
