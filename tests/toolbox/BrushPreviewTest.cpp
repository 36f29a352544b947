#include <gtest/gtest.h>

#include <QScrollBar>
#include <cmath>
#include <memory>

#include "QtTestApp.h"
#include "ToolBoxTestSupport.h"
#include "toolbox/BrushPreview.h"
#include "toolbox/CDlgToolBox.h"

namespace {

struct Counts {
    int white = 0;
    int grey = 0;
    int black = 0;
    int other = 0;
};

Counts Count(const RasterImage& image) {
    Counts c;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.PixelAt(x, y);
            if (p[0] == 255 && p[1] == 255 && p[2] == 255) {
                ++c.white;
            } else if (p[0] == 128 && p[1] == 128 && p[2] == 128) {
                ++c.grey;
            } else if (p[0] == 0 && p[1] == 0 && p[2] == 0) {
                ++c.black;
            } else {
                ++c.other;
            }
        }
    }
    return c;
}

bool IsBlack(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = image.PixelAt(x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

} // namespace

TEST(BrushShapePreview, EyedropperIsPlainWhiteAndToolsShowOnlyTheirOutline) {
    BrushShapePreview shape;
    ASSERT_EQ(shape.Create(90, 80), Result::Success);
    ASSERT_EQ(shape.Draw(BrushSettings::ForKind(BrushKind::Eyedropper)), Result::Success);
    EXPECT_EQ(Count(shape.Image()).white, 90 * 80);
    for (BrushKind kind : {BrushKind::Eraser, BrushKind::Recolour, BrushKind::Stir}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ASSERT_EQ(shape.Draw(BrushSettings::ForKind(kind)), Result::Success);
        const Counts c = Count(shape.Image());
        EXPECT_GT(c.grey, 0);
        EXPECT_EQ(c.black, 0);
        EXPECT_EQ(c.other, 0);
    }
}

TEST(BrushShapePreview, SimpleShowsADiscOfAQuarterAndACircleOfHalfTheBrushSize) {
    BrushShapePreview shape;
    ASSERT_EQ(shape.Create(90, 80), Result::Success);
    BrushSettings simple = BrushSettings::ForKind(BrushKind::Simple);
    ASSERT_FLOAT_EQ(simple.brushSize, 60.0f);
    ASSERT_EQ(shape.Draw(simple), Result::Success);
    const RasterImage& image = shape.Image();
    const int cx = 45;
    const int cy = 40;
    EXPECT_TRUE(IsBlack(image, cx, cy));
    EXPECT_TRUE(IsBlack(image, cx + 13, cy));
    // Between the disc (radius 15) and the circle (radius 30) the picture is white.
    EXPECT_FALSE(IsBlack(image, cx + 22, cy));
    EXPECT_FALSE(IsBlack(image, cx, cy + 22));
    // The black circle of radius 30 covers the grey brush outline.
    bool ring = false;
    for (int dx = 28; dx <= 31; ++dx) {
        ring = ring || IsBlack(image, cx + dx, cy);
    }
    EXPECT_TRUE(ring);
}

TEST(BrushShapePreview, ParallelLinesDrawTheirCentreLine) {
    BrushShapePreview shape;
    ASSERT_EQ(shape.Create(120, 80), Result::Success);
    BrushSettings lines = BrushSettings::ForKind(BrushKind::ParallelLines);
    lines.brushSize = 100.0f;
    lines.density = 0.05f;
    lines.SetParticleSize(0.5f);
    ASSERT_EQ(shape.Draw(lines), Result::Success);
    // Between the small particles the grey line runs along the centre row.
    int grey = 0;
    for (int x = 10; x < 110; ++x) {
        grey += shape.Image().PixelAt(x, 40)[0] == 128;
    }
    EXPECT_GT(grey, 50);
}

TEST(PaintSample, TransparencyLetsTheCheckerboardThroughAndThicknessChangesTheShading) {
    PaintSample sample;
    ASSERT_EQ(sample.Prepare(60, 50), Result::Success);
    EXPECT_FLOAT_EQ(sample.Particle().innerRadius, 20.0f);
    EXPECT_FLOAT_EQ(sample.Particle().outerRadius, 40.0f);
    EXPECT_FLOAT_EQ(sample.Particle().x, 30.0f);
    const ToolColour red{0.0f, 0.5f, 1.0f};
    sample.Render(red, 0.0f, 1.0f, 1.0f);
    const RasterImage opaque = sample.Image();
    const std::uint8_t* centre = opaque.PixelAt(30, 25);
    EXPECT_GT(centre[2], centre[1] + 60); // red paint
    sample.Render(red, 1.0f, 1.0f, 1.0f);
    const RasterImage clear = sample.Image();
    EXPECT_NE(opaque.data, clear.data);
    // Clear paint shows the checkerboard's two greys through it: two points a cell apart differ.
    int differing = 0;
    for (int x = 22; x < 38; ++x) {
        differing += clear.PixelAt(x, 25)[1] != clear.PixelAt(x + 12, 25)[1];
    }
    EXPECT_GT(differing, 0);
    sample.Render(red, 0.0f, 1.0f, 0.2f);
    EXPECT_NE(sample.Image().data, opaque.data);
    // Rendering the same again gives the same picture: only one particle is ever on the sample.
    sample.Render(red, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(sample.Image().data, opaque.data);
}

TEST(ToolBoxPreviews, FollowTheBarsAndTheKind) {
    TestApp();
    RecordingView view;
    CDlgToolBox box(&view, nullptr);
    const RasterImage before = box.SampleImage();
    box.Bar(CDlgToolBox::TransparencyBar)->setValue(100);
    EXPECT_NE(box.SampleImage().data, before.data);
    box.SelectBrushKind(static_cast<int>(BrushKind::Eyedropper));
    const RasterImage& shape = box.ShapeImage();
    EXPECT_EQ(Count(shape).white, shape.width * shape.height);
    box.SelectBrushKind(0);
    EXPECT_GT(Count(box.ShapeImage()).black, 0);
    const int blackAt60 = Count(box.ShapeImage()).black;
    box.Bar(CDlgToolBox::BrushSizeBar)->setValue(20);
    EXPECT_LT(Count(box.ShapeImage()).black, blackAt60);
}
