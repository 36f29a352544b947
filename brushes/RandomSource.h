#pragma once
// The program's one random generator: MT19937 with its published seeding and tempering.
// Brush patterns read a table filled from it; the generator itself only seeds, skips and fills.

#include <cstdint>
#include <functional>
#include <random>

class RandomSource {
public:
    // Calendar time in whole seconds.
    using Clock = std::function<std::int64_t()>;
    // A high-resolution reading in nanoseconds.
    using FineClock = std::function<std::uint64_t()>;

    // How Reseed chooses its seed.
    enum class Seeding {
        // A new seed every time: no two strokes or patterns repeat, however quickly they follow.
        Fresh,
        // The calendar clock's current second, so everything seeded within one second starts alike;
        // with a pinned clock the whole run is reproducible.
        CalendarSeconds,
    };

    // Unseeded until the first Seed: the generator then behaves as if seeded with 5489.
    RandomSource();

    void Seed(std::uint32_t seed);
    // The seeding at the creation of every brush settings record and at every pattern build.
    void Reseed();
    // Seeds with the clock's current second.
    void SeedFromClock();
    // A seed this source has not handed out before (for 2^32 seeds): the fine clock's reading when
    // the first is needed, mixed with the number of seeds taken since.
    std::uint32_t FreshSeed();

    void SetSeeding(Seeding rule) { seeding_ = rule; }
    Seeding SeedingRule() const { return seeding_; }

    // An empty clock restores the system calendar clock.
    void SetClock(Clock clock);
    std::int64_t Now() const;
    // An empty clock restores the system's high-resolution clock. Fresh seeds start again from the
    // new clock's reading.
    void SetFineClock(FineClock clock);

    // The next tempered 32-bit word.
    std::uint32_t NextWord();
    // The next word divided by 2^32 - 1: a value in [0, 1], both ends included.
    double Draw();
    // A whole number in [low, high], every value with an equal share of [0, 1].
    std::int32_t DrawWhole(std::int32_t low, std::int32_t high);

private:
    std::mt19937 engine_;
    Clock clock_;
    FineClock fineClock_;
    Seeding seeding_ = Seeding::Fresh;
    bool freshBaseTaken_ = false;
    std::uint32_t freshBase_ = 0;
    std::uint32_t freshCount_ = 0;
};

// The generator shared by the whole program.
RandomSource& ProgramRandom();

// While alive, ProgramRandom() seeds by the calendar second and its clock stands at `seconds`, so
// every settings record and pattern is seeded with exactly that number; afterwards the system clock
// and fresh seeds return.
class ScopedRandomClock {
public:
    explicit ScopedRandomClock(std::int64_t seconds);
    ~ScopedRandomClock();
    ScopedRandomClock(const ScopedRandomClock&) = delete;
    ScopedRandomClock& operator=(const ScopedRandomClock&) = delete;
};
