#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "engine/FieldEvaluation.h"
#include "engine/PaintCanvas.h"
#include "engine/RenderPasses.h"

namespace {

using enginetest::Ball;
using enginetest::PaintDab;

TEST(MetaballField, FallsLinearlyToHalfAtTheInnerRadiusThenQuadraticallyToZero) {
    const Metaball m = Ball(0.0f, 0.0f, 0.0f, 6.0f, 12.0f, 2.0f);
    const struct {
        float x, y, z;
        float field;
    } cases[] = {
        {0.0f, 0.0f, 0.0f, 1.0f},    {3.0f, 0.0f, 0.0f, 0.75f},
        {0.0f, 6.0f, 0.0f, 0.5f},    {9.0f, 0.0f, 0.0f, 0.125f}, // 0.5 × (3 / 6)²
        {0.0f, 0.0f, 18.0f, 0.125f},                             // the height is divided by the thickness
        {12.0f, 0.0f, 0.0f, 0.0f},   {0.0f, 0.0f, 30.0f, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << "," << c.z);
        EXPECT_NEAR(MetaballField(m, c.x, c.y, c.z), c.field, 1e-6f);
    }
    // A flat metaball at its own height contributes nothing rather than a NaN.
    const Metaball flat = Ball(0.0f, 0.0f, 0.0f, 6.0f, 12.0f, 0.0f);
    EXPECT_EQ(MetaballField(flat, 1.0f, 0.0f, 0.0f), 0.0f);
}

class SurfaceEvaluation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(canvas.Create(100, 100), Result::Success); }
    PaintCanvas canvas;
};

TEST_F(SurfaceEvaluation, SingleOpaqueWhiteMetaballGivesItsSphereAndShade) {
    const UpdateRect rect = PaintDab(canvas, {Ball(50.5f, 50.5f, 0.0f, 6.0f, 12.0f)});
    EXPECT_EQ(rect, UpdateRect::Make(37, 37, 63, 63));
    EXPECT_FLOAT_EQ(canvas.grid->At(50, 50).entries[0].top, std::sqrt(143.5f));

    const SurfaceRecord& centre = canvas.Surface(50, 50);
    EXPECT_EQ(centre.coverage, 1.0f);
    EXPECT_NEAR(centre.surfaceZ, 6.0f, 0.02f);
    EXPECT_EQ(centre.red, 1.0f);
    EXPECT_EQ(centre.transparency, 0.0f);
    EXPECT_FLOAT_EQ(centre.highlight, 1.0f);
    EXPECT_EQ(centre.transmission, 0.0f);
    EXPECT_NEAR(centre.normal.z, 1.0f, 1e-3f);
    const std::uint8_t* pixel = enginetest::RenderedPixel(canvas, 50, 50);
    EXPECT_EQ(pixel[0], 233);
    EXPECT_EQ(pixel[1], 233);
    EXPECT_EQ(pixel[2], 233);

    // Off the core disc the surface is lower; far away there is none.
    EXPECT_LT(canvas.Surface(54, 50).surfaceZ, centre.surfaceZ);
    EXPECT_EQ(canvas.Surface(54, 50).coverage, 1.0f);
    EXPECT_EQ(canvas.Surface(57, 50).coverage, 0.0f);
    EXPECT_EQ(canvas.Surface(38, 38).surfaceZ, 0.0f);
    // Normals lean outward from the dome.
    EXPECT_GT(canvas.Surface(53, 50).normal.x, 0.0f);
    EXPECT_LT(canvas.Surface(47, 50).normal.x, 0.0f);
    EXPECT_GT(canvas.Surface(50, 53).normal.y, 0.0f);
    EXPECT_EQ(canvas.pendingRect, rect);
}

TEST_F(SurfaceEvaluation, WithoutAntiAliasingCoverageIsAllOrNothing) {
    PaintDab(canvas, {Ball(50.3f, 50.6f, 0.0f, 6.0f, 12.0f)});
    for (const SurfaceRecord& record : canvas.surface) {
        EXPECT_TRUE(record.coverage == 0.0f || record.coverage == 1.0f);
    }
}

TEST_F(SurfaceEvaluation, AntiAliasingResamplesTheRimInNinths) {
    canvas.antiAliasing = 1;
    PaintDab(canvas, {Ball(50.3f, 50.6f, 0.0f, 6.0f, 12.0f)});
    int partial = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            const SurfaceRecord& record = canvas.Surface(x, y);
            const float ninths = record.coverage * 9.0f;
            EXPECT_NEAR(ninths, std::round(ninths), 1e-4f) << x << "," << y;
            if (record.coverage > 0.0f && record.coverage < 1.0f) {
                ++partial;
                EXPECT_EQ(record.edgeFlag, 1) << x << "," << y;
            }
            if (record.edgeFlag == 1) {
                EXPECT_TRUE(enginetest::ListHolds(canvas, x, y, 0)) << "edge pixels lie at the paint";
            }
        }
    }
    EXPECT_GT(partial, 8);
    EXPECT_EQ(canvas.Surface(50, 50).edgeFlag, 0);
    EXPECT_EQ(canvas.Surface(50, 50).coverage, 1.0f);
}

TEST_F(SurfaceEvaluation, ErasedMetaballsLeaveNoSurface) {
    canvas.backgroundImage.Fill(30, 60, 90);
    canvas.antiAliasing = 1;
    UpdateRect rect =
        PaintDab(canvas, {Ball(50.5f, 50.5f, 0.0f, 6.0f, 12.0f), Ball(52.5f, 50.5f, 3.0f, 6.0f, 12.0f)});
    ASSERT_EQ(canvas.Surface(50, 50).coverage, 1.0f);
    canvas.BeginOperation();
    UpdateRect erased;
    ASSERT_EQ(canvas.EraseIds({0, 1}, erased), 1);
    canvas.Render(erased);
    canvas.EndOperation();
    for (int y = rect.y0; y <= rect.y1; ++y) {
        for (int x = rect.x0; x <= rect.x1; ++x) {
            const SurfaceRecord& record = canvas.Surface(x, y);
            EXPECT_EQ(record.coverage, 0.0f);
            EXPECT_EQ(record.surfaceZ, 0.0f);
            EXPECT_EQ(record.red, 0.0f);
            EXPECT_EQ(record.highlight, 0.0f);
            EXPECT_EQ(canvas.paintedMask[canvas.PixelIndex(x, y)], 0);
            const std::uint8_t* shown = enginetest::RenderedPixel(canvas, x, y);
            EXPECT_EQ(shown[0], 90);
            EXPECT_EQ(shown[1], 60);
            EXPECT_EQ(shown[2], 30);
        }
    }
}

TEST_F(SurfaceEvaluation, SearchNeverGoesBelowTheCanvasPlane) {
    // Sunk 5 deep, the sphere of radius 6 still shows a cap about 1 high; sunk 7 deep it shows nothing.
    PaintDab(canvas, {Ball(30.5f, 30.5f, -5.0f, 6.0f, 12.0f), Ball(70.5f, 70.5f, -7.0f, 6.0f, 12.0f)});
    EXPECT_EQ(canvas.Surface(30, 30).coverage, 1.0f);
    EXPECT_NEAR(canvas.Surface(30, 30).surfaceZ, 1.0f, 0.05f);
    EXPECT_EQ(canvas.Surface(70, 70).coverage, 0.0f);
}

TEST_F(SurfaceEvaluation, PaintTooFarAboveThePlaneForAStepToRegisterHasNoSurface) {
    // Only a damaged document holds such paint; the search must end instead of stepping in place.
    Metaball lofty = Ball(50.5f, 50.5f, 1e9f, 6.0f, 12.0f);
    lofty.transparency = 0.5f;
    PaintDab(canvas, {lofty, Ball(20.5f, 20.5f, 0.0f, 6.0f, 12.0f)});
    EXPECT_EQ(canvas.Surface(50, 50).coverage, 0.0f);
    EXPECT_EQ(canvas.Surface(20, 20).coverage, 1.0f);
}

TEST_F(SurfaceEvaluation, OverlappingMetaballsMergeAndBlendTheirColours) {
    PaintDab(canvas, {enginetest::Coloured(Ball(46.5f, 50.5f, 0.0f, 6.0f, 12.0f), 1.0f, 0.0f, 0.0f),
                      enginetest::Coloured(Ball(54.5f, 50.5f, 0.0f, 6.0f, 12.0f), 0.0f, 0.0f, 1.0f)});
    const SurfaceRecord& middle = canvas.Surface(50, 50);
    // Alone, neither sphere reaches 4 pixels from its centre this high; together their fields add up.
    EXPECT_GT(middle.surfaceZ, std::sqrt(36.0f - 16.0f));
    EXPECT_NEAR(middle.red, middle.blue, 1e-3f);
    EXPECT_NEAR(middle.red + middle.blue, 1.0f, 1e-3f);
    EXPECT_GT(canvas.Surface(44, 50).red, 0.9f);
}

TEST_F(SurfaceEvaluation, TransparencyIsBlendedAlongItsSteepCurve) {
    Metaball clear = Ball(50.5f, 50.5f, 0.0f, 6.0f, 12.0f);
    clear.transparency = 0.5f;
    PaintDab(canvas, {clear});
    // t = √((2 − a) × a)
    EXPECT_NEAR(canvas.Surface(50, 50).transparency, std::sqrt(0.75f), 1e-5f);
}

TEST_F(SurfaceEvaluation, RenderOfAnEmptyRectangleRecomputesNothing) {
    canvas.Surface(5, 5).coverage = 0.25f;
    UpdateRect rect = UpdateRect::Empty();
    EXPECT_EQ(canvas.Render(rect), Result::Success);
    EXPECT_EQ(rect, UpdateRect::Empty());
    EXPECT_EQ(canvas.Surface(5, 5).coverage, 0.25f);
    EXPECT_EQ(canvas.pendingRect, UpdateRect::PendingEmpty());
}

TEST_F(SurfaceEvaluation, RenderClampsItsRectangleAndSkipsCleanPixels) {
    UpdateRect added;
    ASSERT_EQ(canvas.AddMetaballs({Ball(50.5f, 50.5f, 0.0f, 6.0f, 12.0f)}, added), Result::Success);
    canvas.MarkDirty(UpdateRect::Make(50, 50, 50, 50), 0);
    UpdateRect rect = UpdateRect::Make(-10, 40, 60, 200);
    EXPECT_EQ(canvas.Render(rect), Result::Success);
    EXPECT_EQ(rect, UpdateRect::Make(0, 40, 60, 99));
    EXPECT_EQ(canvas.pendingRect, rect);
    EXPECT_EQ(canvas.Surface(50, 50).coverage, 0.0f);
    EXPECT_EQ(canvas.Surface(51, 50).coverage, 1.0f);
    EXPECT_EQ(canvas.Surface(50, 51).coverage, 1.0f);
    // The clean pixel keeps its rendered bytes.
    EXPECT_EQ(enginetest::RenderedPixel(canvas, 50, 50)[0], 255);
}

class Normals : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(canvas.Create(8, 8), Result::Success); }
    void Paint(int x, int y, float z) {
        canvas.Surface(x, y).coverage = 1.0f;
        canvas.Surface(x, y).surfaceZ = z;
    }
    PaintCanvas canvas;
};

TEST_F(Normals, FollowTheNeighboursThatHavePaint) {
    const struct {
        const char* name;
        std::vector<std::pair<int, int>> neighbours; // painted pixels around (4, 4)
        float z[3];
        float expected[3];
    } cases[] = {
        {"isolated", {}, {}, {0.0f, 0.0f, 0.0f}},
        {"only above", {{4, 5}}, {}, {-1.0f, 0.0f, 0.0f}},
        {"only below", {{4, 3}}, {}, {-1.0f, 0.0f, 0.0f}},
        {"only left", {{3, 4}}, {}, {0.0f, -1.0f, 0.0f}},
        {"flat cross", {{3, 4}, {5, 4}, {4, 3}, {4, 5}}, {}, {0.0f, 0.0f, 1.0f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(canvas.Create(8, 8), Result::Success);
        Paint(4, 4, 2.0f);
        for (const auto& [x, y] : c.neighbours) {
            Paint(x, y, 2.0f);
        }
        ComputeNormal(canvas, 4, 4);
        const Oru_NormalizedVector3D& n = canvas.Surface(4, 4).normal;
        EXPECT_NEAR(n.x, c.expected[0], 1e-6f);
        EXPECT_NEAR(n.y, c.expected[1], 1e-6f);
        EXPECT_NEAR(n.z, c.expected[2], 1e-6f);
    }
}

TEST_F(Normals, SlopeTiltsTheNormalAgainstTheRise) {
    Paint(3, 4, 0.0f);
    Paint(4, 4, 1.0f);
    Paint(5, 4, 2.0f);
    Paint(4, 3, 1.0f);
    Paint(4, 5, 1.0f);
    ComputeNormal(canvas, 4, 4);
    const Oru_NormalizedVector3D& n = canvas.Surface(4, 4).normal;
    // Cross product of (2, 0, 2) and (0, 2, 0), normalised.
    EXPECT_NEAR(n.x, -std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(n.y, 0.0f, 1e-6f);
    EXPECT_NEAR(n.z, std::sqrt(0.5f), 1e-6f);
    // At the canvas edge the pixel itself stands in for the missing neighbour.
    Paint(0, 0, 0.0f);
    Paint(1, 0, 3.0f);
    Paint(0, 1, 0.0f);
    ComputeNormal(canvas, 0, 0);
    // (1, 0, 3) × (0, 1, 0) = (-3, 0, 1).
    EXPECT_NEAR(canvas.Surface(0, 0).normal.x, -3.0f / std::sqrt(10.0f), 1e-6f);
    EXPECT_NEAR(canvas.Surface(0, 0).normal.z, 1.0f / std::sqrt(10.0f), 1e-6f);
}

TEST(EdgeTest, NeedsPaintedAndBarePixelsInTheBlock) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(5, 5), Result::Success);
    EXPECT_FALSE(IsEdgePixel(canvas, 2, 2));
    canvas.Surface(0, 0).coverage = 1.0f;
    EXPECT_TRUE(IsEdgePixel(canvas, 1, 1));
    EXPECT_TRUE(IsEdgePixel(canvas, 0, 0));
    EXPECT_FALSE(IsEdgePixel(canvas, 2, 2));
    for (SurfaceRecord& record : canvas.surface) {
        record.coverage = 0.5f;
    }
    EXPECT_FALSE(IsEdgePixel(canvas, 0, 0));
    EXPECT_FALSE(IsEdgePixel(canvas, 2, 2));
}

} // namespace
