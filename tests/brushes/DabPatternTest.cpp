#include "brushes/DabPattern.h"

#include <gtest/gtest.h>

#include <cmath>

#include "StoppedClocks.h"
#include "brushes/BrushSettings.h"
#include "brushes/RandomSource.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Settings of `kind` whose random table holds `prefix` and then `rest` everywhere else, cursor at 0,
// so a generator's reads can be followed value by value.
BrushSettings WithTable(BrushKind kind, std::vector<float> prefix, float rest) {
    BrushSettings s = BrushSettings::ForKind(kind);
    std::fill(s.randomTable.begin(), s.randomTable.end(), rest);
    std::copy(prefix.begin(), prefix.end(), s.randomTable.begin());
    s.randomCursor = 0;
    return s;
}

float Distance(const Metaball& m) {
    return static_cast<float>(std::hypot(m.x, m.y));
}

bool SamePattern(const std::vector<Metaball>& a, const std::vector<Metaball>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z ||
            a[i].innerRadius != b[i].innerRadius || a[i].outerRadius != b[i].outerRadius ||
            a[i].red != b[i].red || a[i].transparency != b[i].transparency ||
            a[i].thickness != b[i].thickness) {
            return false;
        }
    }
    return true;
}

const BrushKind kGeneratingKinds[] = {
    BrushKind::Simple,        BrushKind::RainbowPattern, BrushKind::Watercolour, BrushKind::Stipple,
    BrushKind::Multi,         BrushKind::Faded,          BrushKind::Spray,       BrushKind::Heaped,
    BrushKind::ParallelLines, BrushKind::Bellows,        BrushKind::Radial,      BrushKind::Circle,
    BrushKind::Rough,
};

} // namespace

TEST(DabPattern, SameCursorGivesTheSamePattern) {
    ScopedRandomClock clock(1800000000);
    for (const BrushKind kind : kGeneratingKinds) {
        SCOPED_TRACE(BrushKindCaption(kind));
        BrushSettings a = BrushSettings::ForKind(kind);
        a.randomCursor = 4321;
        BrushSettings b = a;
        ASSERT_EQ(a.BuildDabPattern(), Result::Success);
        ASSERT_EQ(b.BuildDabPattern(), Result::Success);
        EXPECT_FALSE(a.dabPattern.empty());
        EXPECT_EQ(a.dabPatternCount, static_cast<std::int32_t>(a.dabPattern.size()));
        EXPECT_TRUE(SamePattern(a.dabPattern, b.dabPattern));
        EXPECT_EQ(a.randomCursor, b.randomCursor);
    }
}

TEST(DabPattern, RandomKindsChangeWithTheCursor) {
    const BrushKind randomKinds[] = {BrushKind::Watercolour, BrushKind::Stipple, BrushKind::Multi,
                                     BrushKind::Faded,       BrushKind::Spray,   BrushKind::Heaped,
                                     BrushKind::Radial,      BrushKind::Rough};
    ScopedRandomClock clock(1800000000);
    for (const BrushKind kind : randomKinds) {
        SCOPED_TRACE(BrushKindCaption(kind));
        BrushSettings a = BrushSettings::ForKind(kind);
        BrushSettings b = a;
        b.randomCursor = 17;
        a.BuildDabPattern();
        b.BuildDabPattern();
        EXPECT_FALSE(SamePattern(a.dabPattern, b.dabPattern));
    }
}

TEST(DabPattern, StipplePatternsOfTheSameSecondStillDiffer) {
    ScopedRandomClock clock(1800000000);
    BrushSettings s = BrushSettings::ForKind(BrushKind::Stipple);
    s.BuildDabPattern();
    const std::vector<Metaball> first = s.dabPattern;
    s.BuildDabPattern();
    EXPECT_FALSE(SamePattern(first, s.dabPattern));
}

TEST(DabPattern, CopiesOfOneRecordBuiltInTheSameSecondDifferUnderFreshSeeds) {
    // Every stroke builds its pattern from a fresh copy of the tool box's record: same table, same
    // cursor. Only the seed can set two quick strokes apart.
    const BrushKind randomKinds[] = {BrushKind::Watercolour, BrushKind::Stipple, BrushKind::Multi,
                                     BrushKind::Faded,       BrushKind::Spray,   BrushKind::Heaped,
                                     BrushKind::Radial,      BrushKind::Rough};
    for (const BrushKind kind : randomKinds) {
        SCOPED_TRACE(BrushKindCaption(kind));
        BrushSettings record;
        std::vector<Metaball> pinned[2];
        {
            ScopedRandomClock clock(1800000000);
            record = BrushSettings::ForKind(kind);
            for (std::vector<Metaball>& pattern : pinned) {
                BrushSettings copy = record;
                copy.BuildDabPattern();
                pattern = copy.dabPattern;
            }
        }
        // The calendar seeding gives both strokes the same pattern.
        EXPECT_TRUE(SamePattern(pinned[0], pinned[1]));

        const StoppedClocks sameSecond;
        BrushSettings a = record;
        BrushSettings b = record;
        a.BuildDabPattern();
        b.BuildDabPattern();
        EXPECT_FALSE(SamePattern(a.dabPattern, b.dabPattern));
    }
}

TEST(DabPattern, KeepTestReadsOneValuePerCandidate) {
    BrushSettings s = WithTable(BrushKind::Circle, {0.5f, 0.5001f, 0.0f, 1.0f}, 0.0f);
    const std::vector<DabOffset> candidates = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
    AppendKeptParticles(s, candidates, 0.5f);
    ASSERT_EQ(s.dabPattern.size(), 2u);
    EXPECT_FLOAT_EQ(s.dabPattern[0].x, 1.0f);
    EXPECT_FLOAT_EQ(s.dabPattern[1].x, 3.0f);
    EXPECT_EQ(s.randomCursor, 4);

    s.randomCursor = 0;
    AppendKeptParticles(s, candidates, 1.0f);
    EXPECT_EQ(s.dabPattern.size(), 4u);
    EXPECT_EQ(s.randomCursor, 4);
}

TEST(DabPattern, StippleReadsDistanceAngleHeightPerCandidate) {
    // Brush radius 1: fewer than 4 fit, so the minimum of 4 candidates applies.
    BrushSettings s = WithTable(BrushKind::Stipple, {0.5f, 0.25f, 1.0f}, 1.0f);
    s.brushSize = 2.0f;
    ASSERT_EQ(BuildStipplePattern(s), Result::Success);
    ASSERT_EQ(s.dabPattern.size(), 4u);
    EXPECT_NEAR(s.dabPattern[0].x, 0.0f, 1e-6);
    EXPECT_NEAR(s.dabPattern[0].y, 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(s.dabPattern[0].z, 0.2f); // thickness × R × 0.2
    EXPECT_EQ(s.randomCursor, 4 * 3 + 4);
    for (const Metaball& m : s.dabPattern) {
        EXPECT_LE(Distance(m), 1.0f + 1e-6f);
    }
}

TEST(DabPattern, StippleCountFollowsAreaAndDensity) {
    ScopedRandomClock clock(1800000000);
    BrushSettings s = BrushSettings::ForKind(BrushKind::Stipple);
    // π·20²·0.5 ÷ π·2.4² = 34.7 → 35, halved → 17.
    s.BuildDabPattern();
    EXPECT_EQ(s.dabPattern.size(), 17u);
    for (const Metaball& m : s.dabPattern) {
        EXPECT_LE(Distance(m), 20.0f + 1e-4f);
        EXPECT_GE(m.z, 0.0f);
        EXPECT_LE(m.z, 4.0f + 1e-5f);
    }
    s.brushSize = 0.5f;
    s.BuildDabPattern();
    EXPECT_EQ(s.dabPattern.size(), 4u);
}

TEST(DabPattern, MultiRejectsOutsideTheDisc) {
    // Brush radius 10: 18 candidates wanted. The first attempt lands in a corner and is rejected.
    BrushSettings s = WithTable(BrushKind::Multi, {0.0f, 0.0f, 0.3f, 0.75f, 0.5f, 1.0f}, 0.5f);
    s.brushSize = 20.0f;
    ASSERT_EQ(BuildMultiPattern(s), Result::Success);
    ASSERT_EQ(s.dabPattern.size(), 18u);
    EXPECT_FLOAT_EQ(s.dabPattern[0].x, 5.0f);
    EXPECT_FLOAT_EQ(s.dabPattern[0].y, 0.0f);
    EXPECT_FLOAT_EQ(s.dabPattern[0].z, 2.5f); // R × t × u3 × 0.25
    EXPECT_FLOAT_EQ(s.dabPattern[1].z, 1.25f);
    EXPECT_EQ(s.randomCursor, 19 * 3 + 18);
}

TEST(DabPattern, MultiWithBrushSizeZeroIsEmptyAfterTwentyAttempts) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Multi);
    s.brushSize = 0.0f;
    s.randomCursor = 100;
    ASSERT_EQ(BuildMultiPattern(s), Result::Success);
    EXPECT_TRUE(s.dabPattern.empty());
    EXPECT_EQ(s.randomCursor, 100 + 20 * 3);
}

TEST(DabPattern, FadedGrowsClearerTowardsTheRim) {
    BrushSettings s = WithTable(BrushKind::Faded, {0.0f, 0.0f, 0.3f, 0.75f, 0.5f, 1.0f}, 0.5f);
    s.brushSize = 20.0f;
    s.particle.transparency = 0.2f;
    ASSERT_EQ(BuildFadedPattern(s), Result::Success);
    ASSERT_EQ(s.dabPattern.size(), 18u);
    EXPECT_FLOAT_EQ(s.dabPattern[0].transparency, 0.6f); // 5 ÷ 10 × 0.8 + 0.2
    EXPECT_FLOAT_EQ(s.dabPattern[1].transparency, 0.2f); // at the centre
}

TEST(DabPattern, HeapedIsAHalfSphere) {
    BrushSettings s = WithTable(BrushKind::Heaped, {0.6f, 0.0f, 1.0f}, 0.0f);
    s.brushSize = 20.0f;
    ASSERT_EQ(BuildHeapedPattern(s), Result::Success);
    // π·10²·0.5 ÷ π·8² = 0.78 → 1, times 3.
    ASSERT_EQ(s.dabPattern.size(), 3u);
    EXPECT_FLOAT_EQ(s.dabPattern[0].x, 6.0f);
    EXPECT_NEAR(s.dabPattern[0].y, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(s.dabPattern[0].z, 4.0f); // √(100 − 36) × 1 × 1 × 0.5
    EXPECT_EQ(s.randomCursor, 3 * 3 + 3);

    s.brushSize = 1.0f;
    BuildHeapedPattern(s);
    EXPECT_EQ(s.dabPattern.size(), 2u);
}

TEST(DabPattern, ParallelLinesIsARowAcrossTheBrush) {
    BrushSettings s = WithTable(BrushKind::ParallelLines, {}, 0.5f);
    ASSERT_EQ(BuildParallelLinesPattern(s), Result::Success);
    // (40 ÷ 4 + 1) × 1 + 0.5 → 11 particles 4 apart.
    ASSERT_EQ(s.dabPattern.size(), 11u);
    for (std::size_t j = 0; j < 11; ++j) {
        SCOPED_TRACE(j);
        EXPECT_NEAR(s.dabPattern[j].x, -20.0f + 4.0f * static_cast<float>(j), 1e-5);
        EXPECT_FLOAT_EQ(s.dabPattern[j].y, 0.0f);
        EXPECT_FLOAT_EQ(s.dabPattern[j].z, 0.1f); // t × r × u × 0.1
    }
    EXPECT_EQ(s.randomCursor, 22);
}

TEST(DabPattern, ParallelLinesWithLowDensityHasBothEnds) {
    BrushSettings s = WithTable(BrushKind::ParallelLines, {}, 0.5f);
    s.density = 0.05f; // 11 × 0.05 + 0.5 → 1
    BuildParallelLinesPattern(s);
    ASSERT_EQ(s.dabPattern.size(), 2u);
    EXPECT_FLOAT_EQ(s.dabPattern[0].x, -20.0f);
    EXPECT_FLOAT_EQ(s.dabPattern[1].x, 20.0f);
}

TEST(DabPattern, BellowsIsAStandingHalfRing) {
    BrushSettings s = WithTable(BrushKind::Bellows, {}, 0.5f);
    ASSERT_EQ(BuildBellowsPattern(s), Result::Success);
    // π × 20 ÷ 3 + 0.5 → 21 points, 9° apart; no random values but the keep reads.
    ASSERT_EQ(s.dabPattern.size(), 21u);
    EXPECT_EQ(s.randomCursor, 21);
    for (std::size_t j = 0; j < 21; ++j) {
        SCOPED_TRACE(j);
        const double psi = static_cast<double>(j) * 9.0 * kPi / 180.0;
        EXPECT_NEAR(s.dabPattern[j].x, 20.0 * std::cos(psi), 1e-4);
        EXPECT_FLOAT_EQ(s.dabPattern[j].y, 0.0f);
        EXPECT_NEAR(s.dabPattern[j].z, 20.0 * std::sin(psi), 1e-4);
    }
}

TEST(DabPattern, BellowsOfATinyBrushHasBothEnds) {
    BrushSettings s = WithTable(BrushKind::Bellows, {}, 0.5f);
    s.brushSize = 0.5f; // π × 0.25 ÷ 3 + 0.5 → 0
    BuildBellowsPattern(s);
    ASSERT_EQ(s.dabPattern.size(), 2u);
    EXPECT_FLOAT_EQ(s.dabPattern[0].x, 0.25f);
    EXPECT_FLOAT_EQ(s.dabPattern[0].z, 0.0f);
    EXPECT_FLOAT_EQ(s.dabPattern[1].x, -0.25f);
    EXPECT_NEAR(s.dabPattern[1].z, 0.0f, 1e-6);
}

TEST(DabPattern, RadialDiametersFollowDensity) {
    struct Case {
        float density;
        std::size_t diameters;
    };
    const Case cases[] = {{0.05f, 1}, {0.25f, 2}, {1.0f, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.density);
        // Phase 90°, then every peak height u = 0.5.
        BrushSettings s = WithTable(BrushKind::Radial, {0.25f}, 0.5f);
        s.density = c.density;
        ASSERT_EQ(BuildRadialPattern(s), Result::Success);
        // 2 × 20 ÷ 1.1 + 0.5 → 36 points per diameter.
        const std::size_t points = 36;
        ASSERT_EQ(s.dabPattern.size(), c.diameters * points);
        EXPECT_EQ(s.randomCursor, static_cast<std::int32_t>(1 + c.diameters + c.diameters * points));
        for (std::size_t i = 0; i < c.diameters; ++i) {
            SCOPED_TRACE(i);
            const Metaball& start = s.dabPattern[i * points];
            const Metaball& end = s.dabPattern[i * points + points - 1];
            const double beta =
                (90.0 + 180.0 * static_cast<double>(i) / static_cast<double>(c.diameters)) * kPi / 180.0;
            EXPECT_NEAR(start.x, 20.0 * std::cos(beta), 1e-4);
            EXPECT_NEAR(start.y, 20.0 * std::sin(beta), 1e-4);
            EXPECT_NEAR(end.x, -start.x, 1e-4);
            EXPECT_NEAR(end.y, -start.y, 1e-4);
            EXPECT_NEAR(start.z, 0.0f, 1e-5);
            // A cone: peak h = 0.5 × 1 × 20 × 0.5 = 5 at the centre, points 40 ÷ 35 apart.
            const Metaball& inner = s.dabPattern[i * points + 17];
            const double d = std::fabs(20.0 - 17.0 * 40.0 / 35.0);
            EXPECT_NEAR(inner.z, (1.0 - d / 20.0) * 5.0, 1e-4);
        }
    }
}

TEST(DabPattern, CircleRingsAreThinnedByDensity) {
    BrushSettings s = WithTable(BrushKind::Circle, {}, 0.4f);
    ASSERT_EQ(BuildCirclePattern(s), Result::Success);
    // Rings of radius 0, 3, 6, … 18: 1 + 6 + 13 + 19 + 25 + 31 + 38 points; six phase reads.
    EXPECT_EQ(s.dabPattern.size(), 133u);
    EXPECT_EQ(s.randomCursor, 6 + 133);
    EXPECT_FLOAT_EQ(s.dabPattern[0].x, 0.0f);
    EXPECT_FLOAT_EQ(s.dabPattern[0].y, 0.0f);
    for (const Metaball& m : s.dabPattern) {
        EXPECT_FLOAT_EQ(m.z, 0.0f);
    }

    s.density = 0.5f;
    s.randomCursor = 0;
    BuildCirclePattern(s);
    EXPECT_EQ(s.dabPattern.size(), 133u); // every keep value 0.4 ≤ 0.5

    BrushSettings none = WithTable(BrushKind::Circle, {}, 0.6f);
    none.density = 0.5f;
    BuildCirclePattern(none);
    EXPECT_TRUE(none.dabPattern.empty());
}

TEST(DabPattern, CircleWithHalfDensityKeepsAboutHalf) {
    ScopedRandomClock clock(1800000000);
    BrushSettings s = BrushSettings::ForKind(BrushKind::Circle);
    s.density = 0.5f;
    std::size_t kept = 0;
    for (int i = 0; i < 20; ++i) {
        s.BuildDabPattern();
        kept += s.dabPattern.size();
    }
    EXPECT_NEAR(static_cast<double>(kept) / (20.0 * 133.0), 0.5, 0.06);
}

TEST(DabPattern, RoughThinsTowardsTheRim) {
    // Every value 0.5: a point survives where 1 − s ÷ R > 0.5^1.5, i.e. on rings closer than 12.93.
    BrushSettings s = WithTable(BrushKind::Rough, {}, 0.5f);
    s.density = 1.0f;
    ASSERT_EQ(BuildRoughPattern(s), Result::Success);
    // Rings 1.875 apart: the centre plus rings 1 to 6 with 6, 13, 19, 25, 31 and 38 points.
    ASSERT_EQ(s.dabPattern.size(), 133u);
    for (const Metaball& m : s.dabPattern) {
        const float d = Distance(m);
        EXPECT_LT(d, 12.93f);
        const float fade = 1.0f - d / 20.0f;
        EXPECT_NEAR(m.z, d == 0.0f ? 0.0f : 0.5f * 2.5f * fade, 1e-4);
    }
}

TEST(DabPattern, RoughOutermostRingKeepsAlmostNothing) {
    ScopedRandomClock clock(1800000000);
    BrushSettings s = BrushSettings::ForKind(BrushKind::Rough);
    s.density = 1.0f;
    // The outermost ring lies at 18.75 of 20 (f = 0.0625) with 63 points per build.
    std::size_t outer = 0;
    std::size_t inner = 0;
    for (int i = 0; i < 20; ++i) {
        s.BuildDabPattern();
        for (const Metaball& m : s.dabPattern) {
            const float d = Distance(m);
            outer += d > 18.0f ? 1 : 0;
            inner += (d > 1.0f && d < 2.0f) ? 1 : 0;
        }
    }
    EXPECT_LT(static_cast<double>(outer) / (20.0 * 63.0), 0.3);
    EXPECT_GT(static_cast<double>(inner) / (20.0 * 6.0), 0.7);
}

TEST(DabPattern, WatercolourHasTenParticlesInsideThePlacementRadius) {
    ScopedRandomClock clock(1800000000);
    BrushSettings s = BrushSettings::ForKind(BrushKind::Watercolour);
    s.particle.red = 0.4f;
    s.particle.green = 0.6f;
    s.particle.blue = 0.8f;
    for (int build = 0; build < 50; ++build) {
        ASSERT_EQ(s.BuildDabPattern(), Result::Success);
        ASSERT_EQ(s.dabPattern.size(), 10u);
        const float radius = 25.0f;
        const float r = s.particle.innerRadius;
        EXPECT_NEAR(r, 0.625 * 25.0 / std::sqrt(10.0), 1e-4);
        EXPECT_FLOAT_EQ(s.particle.outerRadius, 2.0f * r);
        for (const Metaball& m : s.dabPattern) {
            EXPECT_LE(Distance(m), radius - r + 1e-4f);
            EXPECT_FLOAT_EQ(m.z, 0.0f);
            EXPECT_GE(m.innerRadius, 0.5f * r - 1e-5f);
            EXPECT_LE(m.innerRadius, 1.5f * r + 1e-5f);
            EXPECT_FLOAT_EQ(m.outerRadius, 2.0f * m.innerRadius);
            EXPECT_GE(m.red, 0.3f - 1e-6f);
            EXPECT_LE(m.red, 0.5f + 1e-6f);
            EXPECT_LE(m.blue, 1.0f);
            EXPECT_FLOAT_EQ(m.thickness, 0.35f);
            EXPECT_GE(m.transparency, 0.3f * 0.75f - 1e-6f);
            EXPECT_LE(m.transparency, 1.0f);
        }
    }
}

TEST(DabPattern, WatercolourReadsEightValuesPerParticle) {
    BrushSettings s = WithTable(BrushKind::Watercolour, {}, 1.0f);
    s.particle.red = 0.4f;
    s.particle.green = 0.6f;
    s.particle.blue = 0.9f;
    s.particle.thickness = 2.0f;
    ASSERT_EQ(BuildWatercolourPattern(s), Result::Success);
    ASSERT_EQ(s.dabPattern.size(), 10u);
    EXPECT_EQ(s.randomCursor, 80);
    const float r = s.particle.innerRadius;
    const Metaball& m = s.dabPattern[0];
    EXPECT_NEAR(m.x, 25.0f - r, 1e-4); // u1 = 1: at the placement radius, angle 360°
    EXPECT_NEAR(m.y, 0.0f, 1e-4);
    EXPECT_FLOAT_EQ(m.innerRadius, 1.5f * r);
    EXPECT_FLOAT_EQ(m.red, 0.5f);
    EXPECT_FLOAT_EQ(m.green, 0.75f);
    EXPECT_FLOAT_EQ(m.blue, 1.0f); // 1.125 clamped
    const float clear = 0.3f + 0.7f * (25.0f - r) / 25.0f;
    EXPECT_NEAR(m.transparency, std::min(1.0f, 1.25f * clear), 1e-5);
    EXPECT_FLOAT_EQ(m.thickness, 1.0f); // thick paint varies between 1 and its thickness
    EXPECT_FLOAT_EQ(m.highlight, s.particle.highlight);
    EXPECT_FLOAT_EQ(m.reserved1, 0.2f);
    EXPECT_EQ(m.id, -1);
}
