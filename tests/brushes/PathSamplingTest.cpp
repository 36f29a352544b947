#include "brushes/PathSampling.h"

#include <gtest/gtest.h>

#include <cmath>

#include "brushes/BrushSettings.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Settings of `kind` whose dab spacing is `spacing` (the inner radius for these kinds).
BrushSettings Spaced(BrushKind kind, float spacing) {
    BrushSettings s = BrushSettings::ForKind(kind);
    s.particle.innerRadius = spacing;
    s.particle.outerRadius = 2.0f * spacing;
    s.particle.outerRadiusSq = 4.0f * spacing * spacing;
    return s;
}

float Gap(const DabPlacement& a, const DabPlacement& b) {
    return static_cast<float>(std::hypot(b.x - a.x, b.y - a.y));
}

int CountAt(const std::vector<DabPlacement>& placements, float x, float y) {
    int count = 0;
    for (const DabPlacement& p : placements) {
        count += (std::fabs(p.x - x) < 1e-3f && std::fabs(p.y - y) < 1e-3f) ? 1 : 0;
    }
    return count;
}

} // namespace

TEST(PathAngles, DirectionAngleIsInZeroTo360) {
    struct Case {
        float dx, dy, expected;
    };
    const Case cases[] = {{1, 0, 0},     {0, 1, 90},        {-1, 0, 180}, {0, -1, 270},    {1, -1, 315},
                          {-1, -1, 225}, {0.000001f, 0, 0}, {0, 0, 0},    {3, 4, 53.1301f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        EXPECT_NEAR(DirectionAngle(c.dx, c.dy), c.expected, 1e-3);
    }
}

TEST(PathAngles, RadialAngleByTheArcTangent) {
    struct Case {
        float dx, dy, expected;
    };
    const Case cases[] = {{5, 0, 0},  {-5, 0, 180}, {0, 5, 90},    {0, -5, 270}, {0, 0, 0},
                          {1, 1, 45}, {-1, 1, 135}, {-1, -1, 225}, {1, -1, 315}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        EXPECT_NEAR(RadialAngle(c.dx, c.dy), c.expected, 1e-4);
    }
}

TEST(PathSampling, StraightLineOfLength100WithSpacing10) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    s.placements = {{1, 1, 1, 1, 1}}; // emptied first
    ASSERT_EQ(s.SamplePath({{0, 0}, {60, 80}}, PathKind::StraightLine, 1), Result::Success);
    ASSERT_EQ(s.placements.size(), 11u);
    for (std::size_t k = 0; k < 11; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(s.placements[k].x, 6.0f * static_cast<float>(k), 1e-4);
        EXPECT_NEAR(s.placements[k].y, 8.0f * static_cast<float>(k), 1e-4);
        EXPECT_FLOAT_EQ(s.placements[k].z, 0.0f);
        EXPECT_FLOAT_EQ(s.placements[k].angle, 0.0f);
        EXPECT_FLOAT_EQ(s.placements[k].scale, 1.0f);
    }
}

TEST(PathSampling, StraightLineOfLengthZeroGivesTwoPlacements) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    s.SamplePath({{7, 9}, {7, 9}}, PathKind::StraightLine, 0);
    ASSERT_EQ(s.placements.size(), 2u);
    EXPECT_EQ(CountAt(s.placements, 7, 9), 2);
}

TEST(PathSampling, OpenPolylineSharesItsCorners) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    s.SamplePath({{0, 0}, {30, 0}, {30, 40}}, PathKind::Polyline, 0);
    // 4 samples on the first segment, 5 on the second of which the first is the shared corner.
    ASSERT_EQ(s.placements.size(), 8u);
    EXPECT_EQ(CountAt(s.placements, 30, 0), 1);
    EXPECT_EQ(CountAt(s.placements, 30, 40), 1);
}

TEST(PathSampling, ClosedPolylineGivesEachCornerOnce) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    const std::vector<CanvasPoint> triangle = {{0, 0}, {30, 0}, {0, 40}};
    s.SamplePath(triangle, PathKind::Polyline, 1);
    // Sides 30, 50 and 40 give 4, 6 and 5 samples; shared ends are taken once.
    ASSERT_EQ(s.placements.size(), 12u);
    for (const CanvasPoint& corner : triangle) {
        EXPECT_EQ(CountAt(s.placements, corner.x, corner.y), 1);
    }
    EXPECT_FLOAT_EQ(s.placements.front().x, 0.0f);
    EXPECT_FLOAT_EQ(s.placements.front().y, 0.0f);
    EXPECT_NEAR(s.placements.back().x, 0.0f, 1e-4);
    EXPECT_NEAR(s.placements.back().y, 10.0f, 1e-4);
    for (std::size_t i = 1; i < s.placements.size(); ++i) {
        EXPECT_NEAR(Gap(s.placements[i - 1], s.placements[i]), 10.0f, 1e-3);
    }
}

TEST(PathSampling, ClosedFlagOnlyClosesPolylinesAndCurves) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    s.SamplePath({{0, 0}, {100, 0}}, PathKind::StraightLine, 1);
    EXPECT_EQ(s.placements.size(), 11u);
}

TEST(PathSampling, PolylineOfOnePointPaintsNothing) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    EXPECT_EQ(s.SamplePath({{5, 5}}, PathKind::Polyline, 0), Result::Success);
    EXPECT_TRUE(s.placements.empty());
    s.SamplePath({}, PathKind::Curve, 1);
    EXPECT_TRUE(s.placements.empty());
}

TEST(PathSampling, RegularPolygonSides) {
    struct Case {
        double adjacentDegrees;
        std::size_t sides;
    };
    const Case cases[] = {{90.0, 4}, {150.0, 3}, {120.0, 3}, {0.5, 360}, {72.0, 5}};
    const CanvasPoint centre{100, 100};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.adjacentDegrees);
        const float a = static_cast<float>(c.adjacentDegrees * kPi / 180.0);
        const CanvasPoint adjacent{100 + 50 * std::cos(a), 100 + 50 * std::sin(a)};
        const std::vector<CanvasPoint> vertices = RegularPolygonVertices(centre, {180, 100}, adjacent);
        ASSERT_EQ(vertices.size(), c.sides);
        EXPECT_FLOAT_EQ(vertices[0].x, 180.0f);
        EXPECT_NEAR(vertices[0].y, 100.0f, 1e-4);
        for (const CanvasPoint& v : vertices) {
            EXPECT_NEAR(std::hypot(v.x - 100.0f, v.y - 100.0f), 80.0, 1e-3);
        }
    }
}

TEST(PathSampling, RegularPolygonIsSampledAsAClosedPolyline) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    // A square of radius 100: sides of 141.4 give 15 samples each, 14 of them new.
    s.SamplePath({{0, 0}, {100, 0}, {0, 50}}, PathKind::RegularPolygon, 0);
    ASSERT_EQ(s.placements.size(), 56u);
    EXPECT_EQ(CountAt(s.placements, 100, 0), 1);
    EXPECT_EQ(CountAt(s.placements, 0, 100), 1);
    EXPECT_EQ(CountAt(s.placements, -100, 0), 1);
    EXPECT_EQ(CountAt(s.placements, 0, -100), 1);
}

TEST(PathSampling, CircumferenceSpacing) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    s.SamplePath({{50, 50}, {150, 50}}, PathKind::Circumference, 0);
    // 2π·100 ÷ 10 + 0.5 → 63, one more placement, the start not repeated.
    ASSERT_EQ(s.placements.size(), 64u);
    for (std::size_t j = 0; j < s.placements.size(); ++j) {
        const double angle = static_cast<double>(j) * 2.0 * kPi / 64.0;
        EXPECT_NEAR(s.placements[j].x, 50.0 + 100.0 * std::cos(angle), 1e-3);
        EXPECT_NEAR(s.placements[j].y, 50.0 + 100.0 * std::sin(angle), 1e-3);
        EXPECT_FLOAT_EQ(s.placements[j].angle, 0.0f);
    }
}

TEST(PathSampling, CircumferenceOfRadiusZeroGivesTwoPlacementsAtTheCentre) {
    BrushSettings s = Spaced(BrushKind::Bellows, 4.0f);
    s.SamplePath({{20, 30}, {20, 30}}, PathKind::Circumference, 0);
    ASSERT_EQ(s.placements.size(), 2u);
    EXPECT_EQ(CountAt(s.placements, 20, 30), 2);
}

TEST(PathSampling, CircumferenceTurnsRadiallyForParallelLines) {
    BrushSettings s = Spaced(BrushKind::ParallelLines, 10.0f);
    s.SamplePath({{0, 0}, {0, 100}}, PathKind::Circumference, 0);
    ASSERT_EQ(s.placements.size(), 64u);
    EXPECT_FLOAT_EQ(s.placements[0].angle, 0.0f);
    EXPECT_NEAR(s.placements[16].angle, 90.0f, 1e-3);
    EXPECT_NEAR(s.placements[32].angle, 180.0f, 1e-3);
    EXPECT_NEAR(s.placements[40].angle, 225.0f, 1e-3);
}

TEST(PathSampling, ArcInTheStartDirectionIsAFullTurnEitherWay) {
    struct Case {
        ArcSweep sweep;
        float quarterY;
    };
    const Case cases[] = {{ArcSweep::Counterclockwise, 100.0f}, {ArcSweep::Clockwise, -100.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.sweep));
        BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
        s.SamplePath({{0, 0}, {100, 0}, {40, 0}}, PathKind::Arc, 0, c.sweep);
        // 2π·100 ÷ 10 + 0.5 → 63 steps, both ends included.
        ASSERT_EQ(s.placements.size(), 64u);
        EXPECT_EQ(CountAt(s.placements, 100, 0), 2);
        const double quarter = 2.0 * kPi * 16.0 / 63.0;
        EXPECT_NEAR(s.placements[16].x, 100.0 * std::cos(quarter), 1e-3);
        EXPECT_NEAR(s.placements[16].y, c.quarterY * std::sin(quarter), 1e-3);
    }
}

TEST(PathSampling, ArcFollowsTheSweepDirection) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    s.SamplePath({{0, 0}, {100, 0}, {0, 30}}, PathKind::Arc, 0, ArcSweep::Counterclockwise);
    ASSERT_EQ(s.placements.size(), 17u); // a quarter: 157.1 ÷ 10 + 0.5 → 16 steps
    EXPECT_NEAR(s.placements.back().x, 0.0f, 1e-3);
    EXPECT_NEAR(s.placements.back().y, 100.0f, 1e-3);
    EXPECT_GT(s.placements[1].y, 0.0f);

    s.SamplePath({{0, 0}, {100, 0}, {0, 30}}, PathKind::Arc, 0, ArcSweep::Clockwise);
    ASSERT_EQ(s.placements.size(), 48u); // three quarters: 471.2 ÷ 10 + 0.5 → 47 steps
    EXPECT_NEAR(s.placements.back().x, 0.0f, 1e-3);
    EXPECT_NEAR(s.placements.back().y, 100.0f, 1e-3);
    EXPECT_LT(s.placements[1].y, 0.0f);
}

TEST(PathSampling, ArcOfRadiusZeroHasItsTwoEnds) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    s.SamplePath({{5, 5}, {5, 5}, {9, 5}}, PathKind::Arc, 0, ArcSweep::Counterclockwise);
    ASSERT_EQ(s.placements.size(), 2u);
    EXPECT_EQ(CountAt(s.placements, 5, 5), 2);
}

TEST(PathSampling, ParallelLinesTurnAndStretchAroundAPolylineCorner) {
    BrushSettings s = Spaced(BrushKind::ParallelLines, 10.0f);
    s.SamplePath({{0, 0}, {100, 0}, {100, 100}}, PathKind::Polyline, 0);
    ASSERT_EQ(s.placements.size(), 21u);
    struct Case {
        std::size_t index;
        float angle;
        float scale;
    };
    const Case cases[] = {{0, -90.0f, 1.0f}, {5, -69.66f, 1.0665f}, {10, -48.78f, 1.3295f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_NEAR(s.placements[c.index].angle, c.angle, 0.01);
        EXPECT_NEAR(s.placements[c.index].scale, c.scale, 0.0001);
    }
    EXPECT_FLOAT_EQ(s.placements[10].x, 100.0f);
    EXPECT_FLOAT_EQ(s.placements[10].y, 0.0f);
    // The open end's bisector is the last segment's own direction, but the turn stops at t = 10 ÷ 11.
    EXPECT_NEAR(s.placements[20].angle, -3.778f, 0.01);
    EXPECT_NEAR(s.placements[20].scale, 1.0022f, 0.0001);
}

TEST(PathSampling, ClosedPathsTurnWithTheWrappedNeighbours) {
    BrushSettings s = Spaced(BrushKind::Bellows, 10.0f / 2.25f);
    s.SamplePath({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, PathKind::Polyline, 1);
    ASSERT_EQ(s.placements.size(), 40u);
    // The first corner's bisector runs between the closing side (down) and the first (right).
    EXPECT_NEAR(s.placements[0].angle, 315.0f - 90.0f, 0.01);
    EXPECT_NEAR(s.placements[0].scale, std::sqrt(2.0), 1e-4);
}

TEST(PathSampling, SpacingOfZeroGivesNothing) {
    const PathKind paths[] = {PathKind::StraightLine,  PathKind::Polyline, PathKind::Curve,
                              PathKind::Circumference, PathKind::Arc,      PathKind::RegularPolygon};
    BrushSettings s = BrushSettings::ForKind(BrushKind::Stipple);
    s.brushSize = 0.0f;
    for (const PathKind path : paths) {
        SCOPED_TRACE(PathKindCaption(path));
        EXPECT_EQ(s.SamplePath({{0, 0}, {50, 0}, {50, 50}}, path, 0), Result::Success);
        EXPECT_TRUE(s.placements.empty());
    }
}

TEST(PathSampling, FreehandIsNotSampled) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    EXPECT_EQ(s.SamplePath({{0, 0}, {50, 0}}, PathKind::Freehand, 0), Result::Success);
    EXPECT_TRUE(s.placements.empty());
}

TEST(CurveSampling, TwoPointsGiveAStraightChord) {
    BrushSettings s = Spaced(BrushKind::ParallelLines, 10.0f);
    s.SamplePath({{0, 0}, {100, 0}}, PathKind::Curve, 0);
    // Length 100: trunc(100 ÷ 10 + 1) = 11 samples.
    ASSERT_EQ(s.placements.size(), 11u);
    EXPECT_FLOAT_EQ(s.placements.front().x, 0.0f);
    EXPECT_FLOAT_EQ(s.placements.back().x, 100.0f);
    for (const DabPlacement& p : s.placements) {
        EXPECT_NEAR(p.y, 0.0f, 1e-5);
        EXPECT_NEAR(p.angle, -90.0f, 1e-3);
    }
}

TEST(CurveSampling, OpenCurvePassesThroughItsPoints) {
    const std::vector<CanvasPoint> points = {{0, 0}, {50, 40}, {100, 0}, {150, 40}};
    const std::vector<CanvasPoint> samples = SampleCurvePoints(points, false, 5.0f);
    ASSERT_GT(samples.size(), 4u);
    EXPECT_EQ(samples.front(), points.front());
    EXPECT_EQ(samples.back(), points.back());
    for (const CanvasPoint& p : points) {
        int hits = 0;
        for (const CanvasPoint& q : samples) {
            hits += (std::fabs(q.x - p.x) < 1e-3f && std::fabs(q.y - p.y) < 1e-3f) ? 1 : 0;
        }
        EXPECT_EQ(hits, 1);
    }
    for (std::size_t i = 1; i < samples.size(); ++i) {
        EXPECT_LT(std::hypot(samples[i].x - samples[i - 1].x, samples[i].y - samples[i - 1].y), 7.0);
        EXPECT_FALSE(samples[i] == samples[i - 1]);
    }
}

TEST(CurveSampling, ClosedCurveDoesNotRepeatItsFirstPoint) {
    BrushSettings s = Spaced(BrushKind::Simple, 10.0f);
    const std::vector<CanvasPoint> square = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    s.SamplePath(square, PathKind::Curve, 1);
    ASSERT_GT(s.placements.size(), 30u);
    for (const CanvasPoint& corner : square) {
        EXPECT_EQ(CountAt(s.placements, corner.x, corner.y), 1);
    }
    EXPECT_FLOAT_EQ(s.placements.front().x, 0.0f);
    EXPECT_FALSE(s.placements.back().x == 0.0f && s.placements.back().y == 0.0f);
    // The closed curve bulges outside the square, symmetric about its centre.
    float lowest = 0.0f;
    for (const DabPlacement& p : s.placements) {
        lowest = std::min(lowest, p.y);
    }
    EXPECT_LT(lowest, -1.0f);
}

TEST(CurveSampling, ClosedCurveOfOnePointGivesNothing) {
    EXPECT_TRUE(SampleCurvePoints({{3, 3}}, true, 5.0f).empty());
    EXPECT_TRUE(SampleCurvePoints({{3, 3}}, false, 5.0f).empty());
}

TEST(CurveSampling, ShortChordIsRefusedAndLeftOut) {
    const BezierPiece tiny{{0, 0}, {3, 3}, {6, 3}, {0.005f, 0}};
    std::vector<CanvasPoint> out;
    EXPECT_EQ(SampleBezierPiece(tiny, 1.0f, out), Result::BelowMinimum);
    EXPECT_TRUE(out.empty());

    // A repeated first point makes a piece of no chord: the curve starts with the next piece.
    const std::vector<CanvasPoint> samples = SampleCurvePoints({{0, 0}, {0, 0}, {100, 0}}, false, 10.0f);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.front(), (CanvasPoint{0, 0}));
    EXPECT_EQ(samples.back(), (CanvasPoint{100, 0}));
}

TEST(CurveSampling, ShortPieceGivesItsTwoEnds) {
    const BezierPiece piece{{0, 0}, {1, 0}, {2, 0}, {3, 0}};
    std::vector<CanvasPoint> out;
    ASSERT_EQ(SampleBezierPiece(piece, 10.0f, out), Result::Success);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], (CanvasPoint{0, 0}));
    EXPECT_EQ(out[1], (CanvasPoint{3, 0}));
}

TEST(FreehandPlacement, PaintingKindsPlaceAtEveryStep) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Stipple);
    DabPlacement p;
    ASSERT_TRUE(s.FreehandPlacement({12.5f, 40.5f}, {{12, 9}}, p));
    EXPECT_FLOAT_EQ(p.x, 12.5f);
    EXPECT_FLOAT_EQ(p.y, 40.5f);
    EXPECT_FLOAT_EQ(p.z, 0.0f);
    EXPECT_FLOAT_EQ(p.angle, 0.0f);
    EXPECT_FLOAT_EQ(p.scale, 1.0f);
}

TEST(FreehandPlacement, BellowsWaitsForTheFourthMove) {
    BrushSettings s = BrushSettings::ForKind(BrushKind::Bellows);
    std::vector<WindowPoint> list;
    DabPlacement p;
    // The press is a step and is then entered a second time.
    list.push_back({10, 50});
    EXPECT_FALSE(s.FreehandPlacement({10.5f, 50.5f}, list, p));
    list.push_back({10, 50});
    for (int move = 1; move <= 4; ++move) {
        SCOPED_TRACE(move);
        list.push_back({10 + 5 * move, 50});
        const bool placed = s.FreehandPlacement({10.5f + 5.0f * move, 50.5f}, list, p);
        EXPECT_EQ(placed, move == 4);
    }
    // Moving right on screen: the pattern stands across, at 90 − 0.
    EXPECT_FLOAT_EQ(p.angle, 90.0f);
    EXPECT_FLOAT_EQ(p.x, 30.5f);
}

TEST(FreehandPlacement, ParallelLinesDirectionInWindowCoordinates) {
    struct Case {
        WindowPoint last;
        bool placed;
        float angle;
    };
    const Case cases[] = {
        {{0, 10}, true, 0.0f},                            // down the window: 90 − 90
        {{0, -10}, true, -180.0f},                        // up the window: 90 − 270
        {{-10, 0}, true, -90.0f},                         // left: 90 − 180
        {{10, 10}, true, 45.0f},   {{0, 0}, false, 0.0f}, // no movement over the last six positions
    };
    const BrushSettings s = BrushSettings::ForKind(BrushKind::ParallelLines);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.last.x << "," << c.last.y);
        const std::vector<WindowPoint> list = {{0, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, c.last};
        DabPlacement p;
        EXPECT_EQ(s.FreehandPlacement({0, 0}, list, p), c.placed);
        if (c.placed) {
            EXPECT_NEAR(p.angle, c.angle, 1e-4);
        }
    }
}
