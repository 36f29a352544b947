#include "brushes/BrushSettings.h"

#include <gtest/gtest.h>

#include "StoppedClocks.h"
#include "brushes/RandomSource.h"

namespace {

constexpr std::int64_t kSecond = 1800000000;

// The cursor skip that a pattern built at kSecond makes.
std::int32_t SkipAt(std::int64_t second) {
    RandomSource source;
    source.Seed(static_cast<std::uint32_t>(second));
    return source.DrawWhole(10, 50);
}

} // namespace

TEST(BrushSettings, RecordDefaults) {
    ScopedRandomClock clock(kSecond);
    const BrushSettings s;
    EXPECT_EQ(s.kind, BrushKind::Simple);
    EXPECT_EQ(s.pathKind, PathKind::Freehand);
    EXPECT_EQ(s.closed, 0);
    EXPECT_FLOAT_EQ(s.brushSize, 60.0f);
    EXPECT_FLOAT_EQ(s.particle.red, 1.0f);
    EXPECT_FLOAT_EQ(s.particle.green, 1.0f);
    EXPECT_FLOAT_EQ(s.particle.blue, 0.0f);
    EXPECT_FLOAT_EQ(s.particle.innerRadius, 30.0f);
    EXPECT_FLOAT_EQ(s.particle.outerRadius, 60.0f);
    EXPECT_FLOAT_EQ(s.particle.outerRadiusSq, 3600.0f);
    EXPECT_FLOAT_EQ(s.particle.thickness, 1.0f);
    EXPECT_FLOAT_EQ(s.particle.reserved1, 0.3f);
    EXPECT_FLOAT_EQ(s.particle.reserved2, 0.8f);
    EXPECT_FLOAT_EQ(s.particle.transparency, 0.0f);
    EXPECT_FLOAT_EQ(s.particle.highlight, 1.0f);
    EXPECT_FLOAT_EQ(s.particle.reserved3, 200.0f);
    EXPECT_FLOAT_EQ(s.particle.reserved4, 0.0f);
    EXPECT_FLOAT_EQ(s.particle.rainbow, 0.0f);
    EXPECT_FLOAT_EQ(s.density, 1.0f);
    EXPECT_TRUE(s.dabPattern.empty());
    EXPECT_EQ(s.dabPatternCount, 0);
    EXPECT_EQ(s.randomTableSize, 10000);
    EXPECT_EQ(s.randomTable.size(), 10000u);
    EXPECT_EQ(s.randomCursor, 0);
    EXPECT_TRUE(s.placements.empty());
}

TEST(BrushSettings, RandomTableHoldsDrawsSeededFromTheClock) {
    ScopedRandomClock clock(kSecond);
    const BrushSettings a;
    const BrushSettings b;
    EXPECT_EQ(a.randomTable, b.randomTable);

    RandomSource reference;
    reference.Seed(static_cast<std::uint32_t>(kSecond));
    for (int i = 0; i < 10000; ++i) {
        const float expected = static_cast<float>(reference.Draw());
        ASSERT_EQ(a.randomTable[static_cast<std::size_t>(i)], expected) << i;
    }

    ScopedRandomClock later(kSecond + 1);
    const BrushSettings c;
    EXPECT_NE(a.randomTable, c.randomTable);
}

TEST(BrushSettings, RecordsCreatedInTheSameSecondGetTheirOwnTables) {
    const StoppedClocks sameSecond;
    const BrushSettings a;
    const BrushSettings b;
    EXPECT_NE(a.randomTable, b.randomTable);
    for (const float value : b.randomTable) {
        ASSERT_GE(value, 0.0f);
        ASSERT_LE(value, 1.0f);
    }
}

TEST(BrushSettings, PerKindDefaults) {
    struct Case {
        BrushKind kind;
        float brushSize;
        float e;
        float density;
        float thickness;
        float transparency;
        float rainbow;
        float reserved1;
    };
    const Case cases[] = {
        {BrushKind::Simple, 60, 30, 1, 1, 0, 0, 0.3f},
        {BrushKind::RainbowPattern, 60, 30, 1, 1, 0.5f, 0.3f, 0},
        {BrushKind::Watercolour, 50, 1, 1, 0.35f, 0.3f, 0, 0.3f},
        {BrushKind::Stipple, 40, 1.2f, 0.5f, 1, 0, 0, 0.3f},
        {BrushKind::Multi, 40, 1.2f, 0.5f, 1, 0, 0, 0.3f},
        {BrushKind::Faded, 40, 1.2f, 0.5f, 1, 0, 0, 0.3f},
        {BrushKind::Spray, 40, 1.2f, 0.5f, 1, 0, 0, 0.3f},
        {BrushKind::Heaped, 40, 4, 0.5f, 1, 0, 0, 0.3f},
        {BrushKind::ParallelLines, 40, 2, 1, 1, 0, 0, 0.3f},
        {BrushKind::Bellows, 40, 3, 1, 1, 0, 0, 0.3f},
        {BrushKind::Radial, 40, 1.1f, 0.25f, 1, 0, 0, 0.3f},
        {BrushKind::Circle, 40, 2, 1, 1, 0, 0, 0.3f},
        {BrushKind::Rough, 40, 1.25f, 0.5f, 1, 0, 0, 0.3f},
        {BrushKind::Eraser, 40, 1, 1, 1, 0, 0, 0.3f},
        {BrushKind::Eyedropper, 0, 1, 1, 1, 0, 0, 0.3f},
        {BrushKind::Recolour, 20, 1, 1, 1, 0, 0, 0.3f},
        {BrushKind::Stir, 40, 1, 1, 1, 0, 0, 0.3f},
        {BrushKind::NoBrush, 40, 1, 1, 1, 0, 0, 0.3f},
    };
    ASSERT_EQ(std::size(cases), static_cast<std::size_t>(BrushKindCount));
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        BrushSettings s;
        // Values the defaults must overwrite.
        s.particle.red = 0.2f;
        s.particle.blue = 0.7f;
        s.dabPattern.resize(3);
        s.dabPatternCount = 3;
        s.ApplyKindDefaults(c.kind);
        EXPECT_EQ(s.kind, c.kind);
        EXPECT_FLOAT_EQ(s.brushSize, c.brushSize);
        EXPECT_FLOAT_EQ(s.density, c.density);
        EXPECT_FLOAT_EQ(s.particle.innerRadius, c.e);
        EXPECT_FLOAT_EQ(s.particle.outerRadius, 2 * c.e);
        EXPECT_FLOAT_EQ(s.particle.outerRadiusSq, 4 * c.e * c.e);
        EXPECT_FLOAT_EQ(s.particle.thickness, c.thickness);
        EXPECT_FLOAT_EQ(s.particle.transparency, c.transparency);
        EXPECT_FLOAT_EQ(s.particle.rainbow, c.rainbow);
        EXPECT_FLOAT_EQ(s.particle.reserved1, c.reserved1);
        EXPECT_FLOAT_EQ(s.particle.red, 1.0f);
        EXPECT_FLOAT_EQ(s.particle.green, 1.0f);
        EXPECT_FLOAT_EQ(s.particle.blue, 0.0f);
        EXPECT_EQ(s.dabPatternCount, 0);
        EXPECT_TRUE(s.dabPattern.empty());
    }
}

TEST(BrushSettings, CopiesAreDeep) {
    BrushSettings original = BrushSettings::ForKind(BrushKind::Stipple);
    original.BuildDabPattern();
    original.placements.push_back({1, 2, 0, 30, 1});
    BrushSettings copy = original;
    EXPECT_EQ(copy.randomCursor, original.randomCursor);
    EXPECT_EQ(copy.randomTable, original.randomTable);
    ASSERT_EQ(copy.dabPattern.size(), original.dabPattern.size());

    copy.randomTable[0] = -5.0f;
    copy.dabPattern[0].x = 999.0f;
    copy.placements[0].x = 77.0f;
    EXPECT_NE(original.randomTable[0], -5.0f);
    EXPECT_NE(original.dabPattern[0].x, 999.0f);
    EXPECT_FLOAT_EQ(original.placements[0].x, 1.0f);

    BrushSettings assigned;
    assigned = original;
    EXPECT_EQ(assigned.randomTable, original.randomTable);
    EXPECT_EQ(assigned.dabPattern.size(), original.dabPattern.size());
}

TEST(BrushSettings, NextRandomReadsTheTableAndWraps) {
    BrushSettings s;
    s.randomCursor = 9998;
    EXPECT_EQ(s.NextRandom(), s.randomTable[9998]);
    EXPECT_EQ(s.randomCursor, 9999);
    EXPECT_EQ(s.NextRandom(), s.randomTable[9999]);
    EXPECT_EQ(s.randomCursor, 0);
    EXPECT_EQ(s.NextRandom(), s.randomTable[0]);
    EXPECT_EQ(s.randomCursor, 1);
}

TEST(BrushSettings, NextRandomSurvivesABrokenCursorOrTable) {
    BrushSettings s;
    s.randomCursor = 12345;
    EXPECT_EQ(s.NextRandom(), s.randomTable[0]);
    s.randomTable.clear();
    EXPECT_EQ(s.NextRandom(), 0.0f);
}

TEST(BrushSettings, ParticleSizeKeepsTheRadiusRatio) {
    BrushSettings s;
    s.particle.innerRadius = 4.0f;
    s.particle.outerRadius = 10.0f;
    s.SetParticleSize(2.0f);
    EXPECT_FLOAT_EQ(s.particle.outerRadius, 5.0f);
    EXPECT_FLOAT_EQ(s.particle.outerRadiusSq, 25.0f);

    // An outer radius below the inner one is raised to it.
    s.particle.innerRadius = 4.0f;
    s.particle.outerRadius = 2.0f;
    s.SetParticleSize(3.0f);
    EXPECT_FLOAT_EQ(s.particle.outerRadius, 3.0f);

    // Without an old inner radius there is no ratio to keep: the default 2 is used, never a NaN.
    s.particle.innerRadius = 0.0f;
    s.particle.outerRadius = 0.0f;
    s.SetParticleSize(1.5f);
    EXPECT_FLOAT_EQ(s.particle.outerRadius, 3.0f);
}

TEST(BrushSettings, DabSpacingByKind) {
    struct Case {
        BrushKind kind;
        float expected;
    };
    // brushSize 48, innerRadius 4.
    const Case cases[] = {
        {BrushKind::Watercolour, 2.0f},   {BrushKind::Stipple, 8.0f},    {BrushKind::Eraser, 8.0f},
        {BrushKind::Recolour, 8.0f},      {BrushKind::Spray, 4.0f},      {BrushKind::Heaped, 4.0f},
        {BrushKind::Bellows, 9.0f},       {BrushKind::Radial, 6.0f},     {BrushKind::Simple, 4.0f},
        {BrushKind::ParallelLines, 4.0f}, {BrushKind::Circle, 4.0f},     {BrushKind::Multi, 4.0f},
        {BrushKind::Stir, 4.0f},          {BrushKind::Eyedropper, 4.0f},
    };
    BrushSettings s;
    s.brushSize = 48.0f;
    s.particle.innerRadius = 4.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        s.kind = c.kind;
        EXPECT_FLOAT_EQ(s.DabSpacing(), c.expected);
    }
}

TEST(BrushSettings, NoBrushBuildsNothing) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::NoBrush);
    const std::int32_t cursor = s.randomCursor;
    EXPECT_EQ(s.BuildDabPattern(), Result::Success);
    EXPECT_TRUE(s.dabPattern.empty());
    EXPECT_EQ(s.dabPatternCount, 0);
    EXPECT_EQ(s.randomCursor, cursor);

    std::vector<Metaball> out;
    EXPECT_EQ(s.StampDabAt(5, 5, 0, out), Result::Success);
    EXPECT_TRUE(out.empty());
}

TEST(BrushSettings, SimpleAtSize60IsOneParticleOfQuarterAndHalfTheSize) {
    ScopedRandomClock clock(kSecond);
    BrushSettings s = BrushSettings::ForKind(BrushKind::Simple);
    s.particle.red = 1.5f;
    s.particle.green = -0.25f;
    ASSERT_FLOAT_EQ(s.brushSize, 60.0f);
    EXPECT_EQ(s.BuildDabPattern(), Result::Success);
    ASSERT_EQ(s.dabPattern.size(), 1u);
    EXPECT_EQ(s.dabPatternCount, 1);
    const Metaball& m = s.dabPattern[0];
    EXPECT_FLOAT_EQ(m.innerRadius, 15.0f);
    EXPECT_FLOAT_EQ(m.outerRadius, 30.0f);
    EXPECT_FLOAT_EQ(m.outerRadiusSq, 900.0f);
    EXPECT_FLOAT_EQ(s.particle.innerRadius, 15.0f);
    EXPECT_FLOAT_EQ(m.x, 0.0f);
    EXPECT_FLOAT_EQ(m.y, 0.0f);
    EXPECT_FLOAT_EQ(m.z, 0.0f);
    // Particle construction: fixed reserved values, no id yet, colour clamped.
    EXPECT_FLOAT_EQ(m.reserved1, 0.2f);
    EXPECT_FLOAT_EQ(m.reserved2, 0.8f);
    EXPECT_EQ(m.id, -1);
    EXPECT_EQ(m.state, MetaballLive);
    EXPECT_FLOAT_EQ(m.red, 1.0f);
    EXPECT_FLOAT_EQ(m.green, 0.0f);
    // The pattern itself reads nothing: the cursor moved by the skip of this second alone.
    EXPECT_EQ(s.randomCursor, SkipAt(kSecond));
}

TEST(BrushSettings, EveryPatternSkipsTenToFiftyTableValuesFirst) {
    for (std::int64_t second = kSecond; second < kSecond + 20; ++second) {
        ScopedRandomClock clock(second);
        BrushSettings s = BrushSettings::ForKind(BrushKind::Eraser);
        s.randomCursor = 9990;
        s.BuildDabPattern();
        const std::int32_t skip = SkipAt(second);
        EXPECT_GE(skip, 10);
        EXPECT_LE(skip, 50);
        EXPECT_EQ(s.randomCursor, (9990 + skip) % 10000);
    }
}

TEST(BrushSettings, KindsActingOnPaintKeepTheirPattern) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Recolour);
    s.dabPattern.resize(2);
    EXPECT_EQ(s.BuildDabPattern(), Result::Success);
    EXPECT_EQ(s.dabPattern.size(), 2u);
    EXPECT_EQ(s.dabPatternCount, 2);
}
