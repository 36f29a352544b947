#pragma once
// The program's one random generator: MT19937 with its published seeding and tempering.
// Brush patterns read a table filled from it; the generator itself only seeds, skips and fills.

#include <cstdint>
#include <functional>
#include <random>

class RandomSource {
public:
    // Calendar time in whole seconds; tests replace it to make seeding deterministic.
    using Clock = std::function<std::int64_t()>;

    // Unseeded until the first Seed: the generator then behaves as if seeded with 5489.
    RandomSource();

    void Seed(std::uint32_t seed);
    // Seeds with the clock's current second.
    void SeedFromClock();
    // An empty clock restores the system calendar clock.
    void SetClock(Clock clock);
    std::int64_t Now() const;

    // The next tempered 32-bit word.
    std::uint32_t NextWord();
    // The next word divided by 2^32 - 1: a value in [0, 1], both ends included.
    double Draw();
    // A whole number in [low, high], every value with an equal share of [0, 1].
    std::int32_t DrawWhole(std::int32_t low, std::int32_t high);

private:
    std::mt19937 engine_;
    Clock clock_;
};

// The generator shared by the whole program.
RandomSource& ProgramRandom();

// Makes ProgramRandom() read a fixed second while alive; restores the system clock afterwards.
class ScopedRandomClock {
public:
    explicit ScopedRandomClock(std::int64_t seconds);
    ~ScopedRandomClock();
    ScopedRandomClock(const ScopedRandomClock&) = delete;
    ScopedRandomClock& operator=(const ScopedRandomClock&) = delete;
};
