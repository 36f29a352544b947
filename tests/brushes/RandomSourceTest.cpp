#include "brushes/RandomSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

TEST(RandomSource, UnseededGeneratorBehavesAsSeededWith5489) {
    RandomSource source;
    // The published MT19937 reference outputs for seed 5489.
    EXPECT_EQ(source.NextWord(), 3499211612u);
    EXPECT_EQ(source.NextWord(), 581869302u);
    RandomSource seeded;
    seeded.Seed(5489);
    EXPECT_EQ(seeded.NextWord(), 3499211612u);
}

TEST(RandomSource, TenThousandthWordMatchesTheReferenceGenerator) {
    RandomSource source;
    std::uint32_t word = 0;
    for (int i = 0; i < 10000; ++i) {
        word = source.NextWord();
    }
    EXPECT_EQ(word, 4123659995u);
}

TEST(RandomSource, DrawIsTheWordOverTheLargestWord) {
    RandomSource source;
    EXPECT_DOUBLE_EQ(source.Draw(), 3499211612.0 / 4294967295.0);
    EXPECT_DOUBLE_EQ(source.Draw(), 581869302.0 / 4294967295.0);
}

TEST(RandomSource, SeedingFromTheClockUsesItsWholeSecond) {
    RandomSource a;
    RandomSource b;
    a.SetClock([] { return std::int64_t{1700000000}; });
    EXPECT_EQ(a.Now(), 1700000000);
    a.SeedFromClock();
    b.Seed(1700000000u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(a.NextWord(), b.NextWord());
    }
}

TEST(RandomSource, EmptyClockRestoresTheSystemClock) {
    RandomSource source;
    source.SetClock([] { return std::int64_t{5}; });
    source.SetClock({});
    EXPECT_GT(source.Now(), 1600000000);
}

TEST(RandomSource, ScopedClockFixesTheProgramGeneratorsSecond) {
    ASSERT_EQ(ProgramRandom().SeedingRule(), RandomSource::Seeding::Fresh);
    {
        ScopedRandomClock clock(1234);
        EXPECT_EQ(ProgramRandom().Now(), 1234);
        EXPECT_EQ(ProgramRandom().SeedingRule(), RandomSource::Seeding::CalendarSeconds);
    }
    EXPECT_GT(ProgramRandom().Now(), 1600000000);
    EXPECT_EQ(ProgramRandom().SeedingRule(), RandomSource::Seeding::Fresh);
}

TEST(RandomSource, FreshSeedsNeverRepeatEvenWhileTheClocksStandStill) {
    RandomSource source;
    source.SetClock([] { return std::int64_t{1700000000}; });
    source.SetFineClock([] { return std::uint64_t{1700000000000000000ull}; });
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 200000; ++i) {
        ASSERT_TRUE(seen.insert(source.FreshSeed()).second) << "seed " << i << " repeats an earlier one";
    }
}

TEST(RandomSource, FreshSeedsStartFromTheFineClock) {
    // Two runs whose clocks differ by a nanosecond start apart; equal clocks start alike.
    const auto firstSeeds = [](std::uint64_t nanoseconds) {
        RandomSource source;
        source.SetFineClock([nanoseconds] { return nanoseconds; });
        return std::vector<std::uint32_t>{source.FreshSeed(), source.FreshSeed(), source.FreshSeed()};
    };
    EXPECT_EQ(firstSeeds(1700000000000000000ull), firstSeeds(1700000000000000000ull));
    const std::vector<std::uint32_t> a = firstSeeds(1700000000000000000ull);
    const std::vector<std::uint32_t> b = firstSeeds(1700000000000000001ull);
    for (const std::uint32_t seed : a) {
        EXPECT_EQ(std::count(b.begin(), b.end(), seed), 0);
    }
}

TEST(RandomSource, ReseedFollowsTheSeedingRule) {
    struct Case {
        const char* what;
        RandomSource::Seeding rule;
        bool likeTheSecond;
    };
    const Case cases[] = {
        {"calendar seconds", RandomSource::Seeding::CalendarSeconds, true},
        {"fresh", RandomSource::Seeding::Fresh, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RandomSource source;
        source.SetClock([] { return std::int64_t{1700000000}; });
        source.SetFineClock([] { return std::uint64_t{99}; });
        source.SetSeeding(c.rule);
        RandomSource twin = source;
        RandomSource bySecond;
        bySecond.Seed(1700000000u);
        RandomSource byFreshSeed;
        byFreshSeed.Seed(twin.FreshSeed());

        source.Reseed();
        RandomSource& expected = c.likeTheSecond ? bySecond : byFreshSeed;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(source.NextWord(), expected.NextWord());
        }
        // Seeded twice in the same second: alike by the calendar, apart when fresh.
        const std::uint32_t first = [&] {
            source.Reseed();
            return source.NextWord();
        }();
        source.Reseed();
        EXPECT_EQ(source.NextWord() == first, c.likeTheSecond);
    }
}

TEST(RandomSource, WholeNumbersCoverTheRangeWithEqualEnds) {
    RandomSource source;
    source.Seed(42);
    std::map<std::int32_t, int> counts;
    const int draws = 410000;
    for (int i = 0; i < draws; ++i) {
        const std::int32_t v = source.DrawWhole(10, 50);
        ASSERT_GE(v, 10);
        ASSERT_LE(v, 50);
        ++counts[v];
    }
    ASSERT_EQ(counts.size(), 41u);
    // Each value owns an equal share of [0, 1], the ends included: about 10000 each.
    for (const auto& [value, count] : counts) {
        SCOPED_TRACE(value);
        EXPECT_NEAR(count, 10000, 600);
    }
}

TEST(RandomSource, WholeNumberOfASingleValueRange) {
    RandomSource source;
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(source.DrawWhole(7, 7), 7);
    }
}
