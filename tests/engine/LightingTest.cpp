#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "EngineTestSupport.h"
#include "engine/PaintCanvas.h"

namespace {

using enginetest::Ball;
using enginetest::PaintDab;
using enginetest::RenderedPixel;

// A pixel evaluated as flat paint facing the viewer, the way the pixel update leaves opaque paint.
void SetFlatPaint(SurfaceRecord& record, float coverage, float grey) {
    record.coverage = coverage;
    record.surfaceZ = 1.0f;
    record.red = record.green = record.blue = grey;
    record.transparency = 0.0f;
    record.highlight = 1.0f;
    record.rainbow = 0.0f;
    record.normal.Set(0.0f, 0.0f, 1.0f);
    record.transmission = 0.0f;
}

class Compose : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(canvas.Create(4, 3), Result::Success); }
    const std::uint8_t* ComposeOne(int x, int y) {
        canvas.Compose(UpdateRect::Make(x, y, x, y));
        return RenderedPixel(canvas, x, y);
    }
    PaintCanvas canvas;
};

TEST_F(Compose, FlatOpaqueWhiteIsTheSameOverAnyBackground) {
    const std::uint8_t backgrounds[][3] = {{0, 0, 0}, {255, 255, 255}, {12, 200, 99}};
    for (const auto& bg : backgrounds) {
        SCOPED_TRACE(testing::Message() << int(bg[0]) << "," << int(bg[1]) << "," << int(bg[2]));
        canvas.backgroundImage.Fill(bg[0], bg[1], bg[2]);
        SetFlatPaint(canvas.Surface(1, 1), 1.0f, 1.0f);
        const std::uint8_t* pixel = ComposeOne(1, 1);
        // (diffuse 0.717 + ambient 0.2) × 255; both highlights are far off the normal.
        EXPECT_EQ(pixel[0], 233);
        EXPECT_EQ(pixel[1], 233);
        EXPECT_EQ(pixel[2], 233);
    }
}

TEST_F(Compose, HalfCoverageOfBlackOverWhiteShowsHalfTheBackground) {
    SetFlatPaint(canvas.Surface(2, 0), 0.5f, 0.0f);
    const std::uint8_t* pixel = ComposeOne(2, 0);
    EXPECT_EQ(pixel[0], 127);
    EXPECT_EQ(pixel[1], 127);
    EXPECT_EQ(pixel[2], 127);
}

TEST_F(Compose, BarePixelsShowTheBackgroundBytesExactly) {
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* p = canvas.backgroundImage.PixelAt(x, y);
            p[0] = static_cast<std::uint8_t>(17 * x + 3);
            p[1] = static_cast<std::uint8_t>(91 * y + 1);
            p[2] = static_cast<std::uint8_t>(x * y + 250);
        }
    }
    canvas.Compose(UpdateRect::Make(-5, -5, 50, 50));
    EXPECT_EQ(canvas.renderedImage.data, canvas.backgroundImage.data);
}

TEST_F(Compose, CleanPixelsKeepTheirRenderedBytes) {
    canvas.backgroundImage.Fill(1, 2, 3);
    canvas.MarkDirty(UpdateRect::Make(1, 1, 1, 1), 0);
    canvas.Compose(UpdateRect::Make(0, 0, 3, 2));
    EXPECT_EQ(RenderedPixel(canvas, 1, 1)[0], 255);
    EXPECT_EQ(RenderedPixel(canvas, 2, 1)[0], 3);
}

TEST_F(Compose, AnyRainbowStrengthTurnsAmbientOff) {
    const struct {
        float rainbow;
        std::uint8_t expected;
    } cases[] = {{0.0f, 233}, {1e-6f, 182}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rainbow);
        SurfaceRecord& record = canvas.Surface(0, 0);
        SetFlatPaint(record, 1.0f, 1.0f);
        record.highlight = 0.0f;
        record.rainbow = c.rainbow;
        EXPECT_EQ(ComposeOne(0, 0)[2], c.expected);
    }
}

// (1 + cos φ) / 2 for the film phase, written independently of the engine's form.
float ExpectedFilm(float normalDotLight, float film, float wavelength, float strength) {
    const double u = normalDotLight * film * 2.0 * 900.0 / wavelength + 0.5;
    const double phase = (u - std::trunc(u)) * 2.0 * std::numbers::pi;
    return static_cast<float>(std::min(1.0, (1.0 + std::cos(phase)) / 2.0 * strength));
}

TEST_F(Compose, IridescenceFollowsTheFilmIndexAndTreatsNonPositiveAsOne) {
    const float p = canvas.lights[0].z; // the flat normal (0, 0, 1) against light 0
    const struct {
        float filmIndex;
        float effective;
    } cases[] = {{1.0f, 1.0f}, {0.0f, 1.0f}, {-2.0f, 1.0f}, {1.333f, 1.333f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filmIndex);
        canvas.filmIndex = c.filmIndex;
        SurfaceRecord& record = canvas.Surface(3, 2);
        SetFlatPaint(record, 1.0f, 0.0f); // black paint shows only the film colours
        record.highlight = 0.0f;
        record.rainbow = 1.0f;
        const std::uint8_t* pixel = ComposeOne(3, 2);
        EXPECT_NEAR(pixel[2], ExpectedFilm(p, c.effective, 620.0f, 1.0f) * 255.0f, 1.0f);
        EXPECT_NEAR(pixel[1], ExpectedFilm(p, c.effective, 530.0f, 1.0f) * 255.0f, 1.0f);
        EXPECT_NEAR(pixel[0], ExpectedFilm(p, c.effective, 485.0f, 1.0f) * 255.0f, 1.0f);
    }
    // The two indices give visibly different colours, so the cases above tell them apart.
    EXPECT_GT(std::fabs(ExpectedFilm(p, 1.0f, 620.0f, 1.0f) - ExpectedFilm(p, 1.333f, 620.0f, 1.0f)), 0.1f);
}

TEST_F(Compose, BrightValuesAreClippedAt255) {
    SurfaceRecord& record = canvas.Surface(1, 2);
    SetFlatPaint(record, 1.0f, 1.0f);
    record.highlight = 1e9f;
    const std::uint8_t* pixel = ComposeOne(1, 2);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 255);
}

TEST_F(Compose, TransparentPaintAddsItsTransmittedColourAndLetsTheBackgroundThrough) {
    canvas.backgroundImage.Fill(100, 100, 100);
    SurfaceRecord& record = canvas.Surface(0, 1);
    SetFlatPaint(record, 1.0f, 1.0f);
    record.highlight = 0.0f;
    record.transparency = 1.0f; // fully clear: no lit colour of its own
    record.transmittedRed = 0.2f;
    record.transmittedGreen = 0.4f;
    record.transmittedBlue = 0.6f;
    record.transmission = 0.5f;
    const std::uint8_t* pixel = ComposeOne(0, 1);
    EXPECT_EQ(pixel[2], 101); // 0.2 × 255 + 100 × 0.5
    EXPECT_EQ(pixel[1], 152);
    EXPECT_EQ(pixel[0], 203);
    // Opaque paint ignores a stale transmitted colour.
    record.transparency = 0.0f;
    record.transmission = 0.0f;
    EXPECT_EQ(ComposeOne(0, 1)[2], 233);
}

TEST_F(Compose, PaletteBackgroundsAreLookedUp) {
    RasterImage palette;
    ASSERT_EQ(palette.Create(4, 3, 1, 2), Result::Success);
    palette.palette = {255, 0, 0, 0, 0, 255}; // red, blue
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            *palette.PixelAt(x, y) = static_cast<std::uint8_t>((x + y) % 2);
        }
    }
    canvas.backgroundImage = palette;
    canvas.Compose(UpdateRect::Make(0, 0, 3, 2));
    EXPECT_EQ(RenderedPixel(canvas, 0, 0)[2], 255);
    EXPECT_EQ(RenderedPixel(canvas, 0, 0)[0], 0);
    EXPECT_EQ(RenderedPixel(canvas, 1, 0)[2], 0);
    EXPECT_EQ(RenderedPixel(canvas, 1, 0)[0], 255);
    EXPECT_EQ(canvas.renderedImage.bytesPerPixel, 3);
}

TEST_F(Compose, UnreadableBackgroundRepeatsThePreviousPixelAndStartsBlack) {
    RasterImage small;
    ASSERT_EQ(small.CreateRgb(2, 1), Result::Success);
    small.PixelAt(0, 0)[0] = 10;
    small.PixelAt(1, 0)[0] = 20;
    canvas.backgroundImage = small;
    canvas.Compose(UpdateRect::Make(0, 0, 3, 2));
    const std::uint8_t expectedBlue[3][4] = {{10, 20, 20, 20}, {20, 20, 20, 20}, {20, 20, 20, 20}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(RenderedPixel(canvas, x, y)[0], expectedBlue[y][x]) << x << "," << y;
        }
    }
    // A call that starts where nothing can be read has no previous pixel: black.
    canvas.Compose(UpdateRect::Make(2, 1, 3, 2));
    EXPECT_EQ(RenderedPixel(canvas, 2, 1)[0], 0);
    EXPECT_EQ(RenderedPixel(canvas, 3, 2)[0], 0);
    EXPECT_EQ(RenderedPixel(canvas, 1, 1)[0], 20);
}

class Transmission : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(canvas.Create(100, 100), Result::Success); }
    PaintCanvas canvas;
};

TEST_F(Transmission, ClearPaintLetsTheLightThatEntersReachTheBackground) {
    Metaball clear = Ball(50.5f, 50.5f, 0.0f, 6.0f, 12.0f);
    clear.transparency = 1.0f;
    PaintDab(canvas, {clear});
    const SurfaceRecord& record = canvas.Surface(50, 50);
    ASSERT_EQ(record.coverage, 1.0f);
    EXPECT_EQ(record.transparency, 1.0f);
    EXPECT_NEAR(record.transmission, 0.7f * record.normal.z + 0.3f, 1e-6f);
    EXPECT_EQ(record.transmittedRed, 0.0f);
    EXPECT_GE(RenderedPixel(canvas, 50, 50)[0], 254);
}

TEST_F(Transmission, OpaquePaintBelowAbsorbsTheRestAndColoursIt) {
    Metaball glaze = enginetest::Coloured(Ball(50.5f, 50.5f, 20.0f, 6.0f, 12.0f, 0.2f), 0.0f, 0.0f, 1.0f);
    glaze.transparency = 0.5f;
    const Metaball base = enginetest::Coloured(Ball(50.5f, 50.5f, 0.0f, 6.0f, 12.0f), 1.0f, 0.0f, 0.0f);
    PaintDab(canvas, {glaze, base});
    const SurfaceRecord& record = canvas.Surface(50, 50);
    // About 20 + 0.2 × 6; the search steps 0.5 through a field squeezed to a fifth, so the
    // interpolated height is coarse.
    EXPECT_NEAR(record.surfaceZ, 21.2f, 0.1f);
    EXPECT_NEAR(record.transparency, std::sqrt(0.75f), 1e-5f);
    EXPECT_EQ(record.transmission, 0.0f);
    EXPECT_GT(record.transmittedRed, 0.5f);
    EXPECT_GT(record.transmittedBlue, 0.0f);
    EXPECT_GT(record.transmittedRed, record.transmittedBlue);
    EXPECT_EQ(record.transmittedGreen, 0.0f);
}

TEST_F(Transmission, ThinPaintWithNothingAStepBelowPassesEverything) {
    Metaball thin = Ball(50.5f, 50.5f, 0.0f, 6.0f, 12.0f, 0.05f);
    thin.transparency = 0.5f;
    PaintDab(canvas, {thin});
    const SurfaceRecord& record = canvas.Surface(50, 50);
    ASSERT_EQ(record.coverage, 1.0f);
    EXPECT_NEAR(record.surfaceZ, 0.3f, 0.01f);
    EXPECT_EQ(record.transmission, 1.0f);
    EXPECT_EQ(record.transmittedRed, 0.0f);
    EXPECT_EQ(record.transmittedBlue, 0.0f);
}

} // namespace
