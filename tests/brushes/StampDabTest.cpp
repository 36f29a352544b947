#include <gtest/gtest.h>

#include <cmath>

#include "brushes/BrushSettings.h"
#include "brushes/RandomSource.h"
#include "engine/PaintCanvas.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A canvas whose height snapshot rises across it, so every position has its own base height.
class StampDabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(canvas.Create(200, 150), Result::Success);
        for (std::int32_t row = 0; row < canvas.height; ++row) {
            for (std::int32_t col = 0; col < canvas.width; ++col) {
                canvas.heightSnapshot[canvas.PixelIndex(col, row)] =
                    static_cast<float>(col) * 0.25f + static_cast<float>(row) * 0.125f;
            }
        }
    }

    static float Window(const Metaball& m) { return std::max(2.0f, 2.0f * m.innerRadius / 1.414f); }

    ScopedRandomClock clock{1800000000};
    PaintCanvas canvas;
};

} // namespace

TEST_F(StampDabTest, UnturnedPlacementKeepsOffsetsAndLiftsEachParticle) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::ParallelLines);
    s.BuildDabPattern();
    s.placements = {{100.0f, 70.0f, 0.0f, 0.0f, 1.0f}};
    const std::vector<Metaball> pattern = s.dabPattern;
    const std::int32_t cursor = s.randomCursor;
    std::vector<Metaball> out(3);
    ASSERT_EQ(s.StampDab(canvas, 0, out), Result::Success);
    ASSERT_EQ(out.size(), pattern.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(out[i].x, 100.0f + pattern[i].x);
        EXPECT_FLOAT_EQ(out[i].y, 70.0f + pattern[i].y);
        EXPECT_FLOAT_EQ(out[i].z, pattern[i].z + canvas.BaseHeight(out[i].x, out[i].y, Window(out[i])));
        EXPECT_FLOAT_EQ(out[i].innerRadius, pattern[i].innerRadius);
    }
    // The row's ends stand on different heights of the ramp.
    EXPECT_NE(out.front().z - pattern.front().z, out.back().z - pattern.back().z);
    // A kind that keeps its pattern neither rebuilds it nor reads the table.
    EXPECT_EQ(s.randomCursor, cursor);
}

TEST_F(StampDabTest, ScaleAndAngleTurnTheOffsets) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::ParallelLines);
    s.BuildDabPattern();
    s.placements = {{50.0f, 60.0f, 0.0f, 90.0f, 1.5f}};
    std::vector<Metaball> out;
    ASSERT_EQ(s.StampDab(canvas, 0, out), Result::Success);
    ASSERT_EQ(out.size(), s.dabPattern.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE(i);
        // (dx, dy) × 1.5 turned by 90°: (−1.5 dy, 1.5 dx).
        EXPECT_NEAR(out[i].x, 50.0f - 1.5f * s.dabPattern[i].y, 1e-4);
        EXPECT_NEAR(out[i].y, 60.0f + 1.5f * s.dabPattern[i].x, 1e-4);
        EXPECT_FLOAT_EQ(out[i].z, s.dabPattern[i].z + canvas.BaseHeight(out[i].x, out[i].y, Window(out[i])));
    }
}

TEST_F(StampDabTest, BellowsStandsOnTheBaseHeightOfItsCentre) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Bellows);
    s.BuildDabPattern();
    s.placements = {{120.0f, 40.0f, 0.0f, 30.0f, 1.0f}};
    std::vector<Metaball> out;
    ASSERT_EQ(s.StampDab(canvas, 0, out), Result::Success);
    ASSERT_EQ(out.size(), s.dabPattern.size());
    const float base = canvas.BaseHeight(120.0f, 40.0f, 2.0f);
    EXPECT_GT(base, 0.0f);
    for (std::size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(out[i].z, s.dabPattern[i].z + base);
    }
}

TEST_F(StampDabTest, RadialTurnsByADrawnAngle) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Radial);
    s.BuildDabPattern();
    s.placements = {{100.0f, 75.0f, 0.0f, 0.0f, 1.0f}};
    const std::int32_t cursor = s.randomCursor;
    const double turn =
        static_cast<double>(s.randomTable[static_cast<std::size_t>(cursor)]) * 360.0 * kPi / 180.0;
    std::vector<Metaball> out;
    ASSERT_EQ(s.StampDab(canvas, 0, out), Result::Success);
    EXPECT_EQ(s.randomCursor, cursor + 1);
    ASSERT_EQ(out.size(), s.dabPattern.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const Metaball& p = s.dabPattern[i];
        EXPECT_NEAR(out[i].x, 100.0 + p.x * std::cos(turn) - p.y * std::sin(turn), 1e-3);
        EXPECT_NEAR(out[i].y, 75.0 + p.x * std::sin(turn) + p.y * std::cos(turn), 1e-3);
    }
}

TEST_F(StampDabTest, RandomKindsBuildAFreshPatternPerDab) {
    const BrushKind kinds[] = {BrushKind::Watercolour, BrushKind::Stipple, BrushKind::Spray,
                               BrushKind::Heaped, BrushKind::Rough};
    for (const BrushKind kind : kinds) {
        SCOPED_TRACE(BrushKindCaption(kind));
        BrushSettings s = BrushSettings::ForKind(kind);
        s.BuildDabPattern();
        s.placements = {{100.0f, 75.0f, 0.0f, 0.0f, 1.0f}, {100.0f, 75.0f, 0.0f, 0.0f, 1.0f}};
        std::vector<Metaball> first;
        std::vector<Metaball> second;
        ASSERT_EQ(s.StampDab(canvas, 0, first), Result::Success);
        EXPECT_EQ(first.size(), s.dabPattern.size());
        ASSERT_EQ(s.StampDab(canvas, 1, second), Result::Success);
        ASSERT_FALSE(first.empty());
        EXPECT_TRUE(first.size() != second.size() || first[0].x != second[0].x || first[0].y != second[0].y);
        for (const Metaball& m : second) {
            EXPECT_LE(std::hypot(m.x - 100.0f, m.y - 75.0f), s.brushSize * 0.5f + 1e-3f);
        }
    }
}

TEST_F(StampDabTest, PlaneHeightModeLiftsEverythingToThePlane) {
    canvas.heightMode = 0;
    canvas.planeHeight = 12.0f;
    BrushSettings s = BrushSettings::ForKind(BrushKind::Heaped);
    s.placements = {{20.0f, 20.0f, 0.0f, 0.0f, 1.0f}};
    std::vector<Metaball> out;
    ASSERT_EQ(s.StampDab(canvas, 0, out), Result::Success);
    ASSERT_EQ(out.size(), s.dabPattern.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_FLOAT_EQ(out[i].z, s.dabPattern[i].z + 12.0f);
    }
}

TEST_F(StampDabTest, NoBrushAndKindsActingOnPaintStampNothing) {
    const BrushKind kinds[] = {BrushKind::NoBrush, BrushKind::Eraser, BrushKind::Recolour, BrushKind::Stir,
                               BrushKind::Eyedropper};
    for (const BrushKind kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        BrushSettings s = BrushSettings::ForKind(kind);
        s.dabPattern.resize(2); // stale particles must not reach the canvas
        s.placements = {{10.0f, 10.0f, 0.0f, 0.0f, 1.0f}};
        std::vector<Metaball> out(1);
        EXPECT_EQ(s.StampDab(canvas, 0, out), Result::Success);
        EXPECT_TRUE(out.empty());
    }
}

TEST_F(StampDabTest, IndexOutsideThePlacementsIsRefused) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Simple);
    s.BuildDabPattern();
    s.placements = {{10.0f, 10.0f, 0.0f, 0.0f, 1.0f}};
    std::vector<Metaball> out(2);
    EXPECT_EQ(s.StampDab(canvas, 1, out), Result::IndexOutOfRange);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(s.StampDab(canvas, -1, out), Result::IndexOutOfRange);
}

TEST_F(StampDabTest, StampedParticlesDepositOnTheCanvas) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Simple);
    s.BuildDabPattern();
    s.placements = {{100.5f, 75.5f, 0.0f, 0.0f, 1.0f}};
    std::vector<Metaball> out;
    ASSERT_EQ(s.StampDab(canvas, 0, out), Result::Success);
    UpdateRect rect;
    ASSERT_EQ(canvas.AddMetaballs(out, rect), Result::Success);
    EXPECT_EQ(canvas.store->Count(), 1);
    EXPECT_EQ(rect, UpdateRect::Make(69, 44, 131, 106));
}

TEST(StampDabAt, TurnsAndMovesWithoutBaseHeight) {
    ScopedRandomClock clock(1800000000);
    BrushSettings s = BrushSettings::ForKind(BrushKind::ParallelLines);
    s.BuildDabPattern();
    std::vector<Metaball> out(1); // appended to, not replaced
    ASSERT_EQ(s.StampDabAt(30.0f, 40.0f, 180.0f, out), Result::Success);
    ASSERT_EQ(out.size(), 1 + s.dabPattern.size());
    for (std::size_t i = 0; i < s.dabPattern.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(out[i + 1].x, 30.0f - s.dabPattern[i].x, 1e-4);
        EXPECT_NEAR(out[i + 1].y, 40.0f - s.dabPattern[i].y, 1e-4);
        EXPECT_FLOAT_EQ(out[i + 1].z, s.dabPattern[i].z);
    }
}

TEST(StampDabAt, RebuildsRandomPatternsButNotFixedOnes) {
    ScopedRandomClock clock(1800000000);
    BrushSettings radial = BrushSettings::ForKind(BrushKind::Radial);
    radial.BuildDabPattern();
    const std::int32_t before = radial.randomCursor;
    std::vector<Metaball> out;
    radial.StampDabAt(0.0f, 0.0f, 0.0f, out);
    EXPECT_NE(radial.randomCursor, before);
    EXPECT_EQ(out.size(), radial.dabPattern.size());

    BrushSettings circle = BrushSettings::ForKind(BrushKind::Circle);
    circle.BuildDabPattern();
    const std::int32_t fixed = circle.randomCursor;
    out.clear();
    circle.StampDabAt(0.0f, 0.0f, 0.0f, out);
    EXPECT_EQ(circle.randomCursor, fixed);
    EXPECT_EQ(out.size(), circle.dabPattern.size());
}

TEST_F(StampDabTest, PenPressureThinsEveryDabAndShrinksScatteredOnes) {
    struct Case {
        BrushKind kind;
        bool scatters; // the dab is laid as by a brush of size × (0.3 + 0.7 p)
        bool perDab;   // ... by building its pattern at that size; else by shrinking the stroke's pattern
    };
    const Case cases[] = {
        {BrushKind::Simple, false, false},        {BrushKind::RainbowPattern, false, false},
        {BrushKind::ParallelLines, false, false}, {BrushKind::Bellows, false, false},
        {BrushKind::Radial, false, false},        {BrushKind::Circle, false, false},
        {BrushKind::Multi, true, false},          {BrushKind::Faded, true, false},
        {BrushKind::Watercolour, true, true},     {BrushKind::Stipple, true, true},
        {BrushKind::Spray, true, true},           {BrushKind::Heaped, true, true},
        {BrushKind::Rough, true, true},
    };
    for (const float pressure : {0.25f, 0.6f}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << BrushKindCaption(c.kind) << " at pressure " << pressure);
            BrushSettings brush = BrushSettings::ForKind(c.kind);
            brush.particle.thickness = 0.8f;
            brush.BuildDabPattern();
            const float size = 0.3f + 0.7f * pressure;

            // The same dab at full pressure, by a brush of the smaller size where the pattern is built
            // per dab.
            BrushSettings full = brush;
            if (c.perDab) {
                full.brushSize = brush.brushSize * size;
            }
            full.placements = {{100.0f, 75.0f, 0.0f, 0.0f, 1.0f}};
            std::vector<Metaball> expected;
            ASSERT_EQ(full.StampDab(canvas, 0, expected), Result::Success);

            BrushSettings light = brush;
            light.placements = {DabPlacement{100.0f, 75.0f, 0.0f, 0.0f, 1.0f, pressure}};
            std::vector<Metaball> out;
            ASSERT_EQ(light.StampDab(canvas, 0, out), Result::Success);

            ASSERT_FALSE(out.empty());
            ASSERT_EQ(out.size(), expected.size());
            for (std::size_t i = 0; i < out.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_FLOAT_EQ(out[i].thickness, expected[i].thickness * pressure);
                EXPECT_NEAR(out[i].thickness, 0.8f * pressure, 1e-6f);
                EXPECT_EQ(out[i].innerRadius, expected[i].innerRadius);
                EXPECT_EQ(out[i].outerRadius, expected[i].outerRadius);
                if (c.scatters && !c.perDab) {
                    const Metaball& at = light.dabPattern[i];
                    EXPECT_FLOAT_EQ(out[i].x, 100.0f + size * at.x);
                    EXPECT_FLOAT_EQ(out[i].y, 75.0f + size * at.y);
                    EXPECT_FLOAT_EQ(out[i].z,
                                    size * at.z + canvas.BaseHeight(out[i].x, out[i].y, Window(out[i])));
                } else {
                    EXPECT_EQ(out[i].x, expected[i].x);
                    EXPECT_EQ(out[i].y, expected[i].y);
                    EXPECT_EQ(out[i].z, expected[i].z);
                }
                if (c.scatters) {
                    EXPECT_LE(std::hypot(out[i].x - 100.0f, out[i].y - 75.0f),
                              brush.brushSize * 0.5f * size + 1e-3f);
                }
            }
            // The record keeps its size and particle for the next dab.
            EXPECT_EQ(light.brushSize, brush.brushSize);
            EXPECT_EQ(light.particle.innerRadius, brush.particle.innerRadius);
            EXPECT_EQ(light.particle.thickness, 0.8f);
            EXPECT_EQ(light.randomCursor, full.randomCursor);
        }
    }
}
