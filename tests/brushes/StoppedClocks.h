#pragma once
// Stops both clocks of the program's generator while alive, keeping fresh seeding: everything seeded
// meanwhile happens "within the same second" and even the same nanosecond.

#include "brushes/RandomSource.h"

class StoppedClocks {
public:
    explicit StoppedClocks(std::int64_t seconds = 1800000000,
                           std::uint64_t nanoseconds = 1800000000123456789ull) {
        RandomSource& random = ProgramRandom();
        random.SetClock([seconds] { return seconds; });
        random.SetFineClock([nanoseconds] { return nanoseconds; });
        random.SetSeeding(RandomSource::Seeding::Fresh);
    }
    ~StoppedClocks() {
        RandomSource& random = ProgramRandom();
        random.SetClock({});
        random.SetFineClock({});
        random.SetSeeding(RandomSource::Seeding::Fresh);
    }
    StoppedClocks(const StoppedClocks&) = delete;
    StoppedClocks& operator=(const StoppedClocks&) = delete;
};
