#include "background/BackgroundSettings.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "background/HlsColour.h"

namespace {

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

Rgb ColourAt(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = image.PixelAt(x, y);
    return Rgb{p[2], p[1], p[0]};
}

BackgroundSettings WithCanvas(int width, int height) {
    BackgroundSettings settings;
    EXPECT_EQ(settings.workingImage.CreateRgb(width, height), Result::Success);
    settings.workingImage.Fill(1, 2, 3);
    return settings;
}

// Every pixel of the picture tells where it is: red 7, green its row, blue its column.
RasterImage Numbered(int width, int height) {
    RasterImage image;
    EXPECT_EQ(image.CreateRgb(width, height), Result::Success);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.PixelAt(x, y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 7;
        }
    }
    return image;
}

// The smoothed rainbow worked out independently in double precision.
std::vector<std::array<double, 3>> ReferenceRainbow(int count, double startHue, double endHue, int passes) {
    std::vector<std::array<double, 3>> colours(count);
    for (int i = 0; i < count; ++i) {
        const double hue = startHue + (endHue - startHue) * i / (count - 1);
        const PaintColour c = HlsToRgb(static_cast<float>(hue), 0.5f, 1.0f);
        colours[i] = {std::clamp<double>(c.red, 0, 1), std::clamp<double>(c.green, 0, 1),
                      std::clamp<double>(c.blue, 0, 1)};
    }
    for (int pass = 0; pass < passes; ++pass) {
        const auto copy = colours;
        for (int i = 0; i < count; ++i) {
            const int lo = std::max(0, i - passes);
            const int hi = std::min(count - 1, i + passes);
            for (int ch = 0; ch < 3; ++ch) {
                double sum = 0;
                for (int j = lo; j <= hi; ++j) {
                    sum += copy[j][ch];
                }
                colours[i][ch] = std::clamp(sum / (hi - lo + 1), 0.0, 1.0);
            }
        }
    }
    return colours;
}

// The largest difference in byte steps between the picture's lines and the reference.
int LargestDifference(const RasterImage& image, bool rows,
                      const std::vector<std::array<double, 3>>& reference) {
    int largest = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const int index = static_cast<int>(i);
        const Rgb got =
            rows ? ColourAt(image, image.width / 2, index) : ColourAt(image, index, image.height / 2);
        const int want[3] = {static_cast<int>(reference[i][0] * 255), static_cast<int>(reference[i][1] * 255),
                             static_cast<int>(reference[i][2] * 255)};
        largest = std::max({largest, std::abs(got.red - want[0]), std::abs(got.green - want[1]),
                            std::abs(got.blue - want[2])});
    }
    return largest;
}

} // namespace

TEST(BackgroundSettingsTest, InitialValues) {
    const BackgroundSettings settings;
    EXPECT_EQ(settings.solidColour, (RgbBytes{255, 255, 255}));
    EXPECT_EQ(settings.gradientColour1, (RgbBytes{0, 200, 255}));
    EXPECT_EQ(settings.gradientColour2, (RgbBytes{255, 255, 255}));
    EXPECT_EQ(settings.gradientDirection, FillDirection::Down);
    EXPECT_EQ(settings.rainbowDirection, FillDirection::Down);
    EXPECT_EQ(settings.drawingArea, 3);
    EXPECT_EQ(settings.heightMode, 1);
    EXPECT_EQ(settings.planeHeight, 0);
    EXPECT_EQ(settings.gridSpacing, 15);
    EXPECT_EQ(settings.gridColour, (RgbBytes{128, 128, 128}));
    EXPECT_TRUE(settings.snap);
}

TEST(BackgroundSettingsTest, SolidFillsEveryPixel) {
    BackgroundSettings settings = WithCanvas(5, 3);
    settings.solidColour = RgbBytes{10, 20, 30};
    settings.FillSolid();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(ColourAt(settings.workingImage, x, y), (Rgb{10, 20, 30}));
        }
    }
}

TEST(BackgroundSettingsTest, GradientDownOnTwoRows) {
    BackgroundSettings settings = WithCanvas(3, 2);
    settings.FillGradient();
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(ColourAt(settings.workingImage, x, 0), (Rgb{255, 255, 255}));
        EXPECT_EQ(ColourAt(settings.workingImage, x, 1), (Rgb{127, 227, 255}));
    }
}

TEST(BackgroundSettingsTest, TheArrowPointsFromColourOneToColourTwo) {
    struct Case {
        FillDirection direction;
        bool rows;
        Rgb first, second, last;
    };
    // Colour 1 black, colour 2 white, four lines: 0, 1/4, 2/4, 3/4 of the way; the far end is not reached.
    const Case cases[] = {
        {FillDirection::Up, true, {0, 0, 0}, {63, 63, 63}, {191, 191, 191}},
        {FillDirection::Right, false, {0, 0, 0}, {63, 63, 63}, {191, 191, 191}},
        {FillDirection::Down, true, {255, 255, 255}, {191, 191, 191}, {63, 63, 63}},
        {FillDirection::Left, false, {255, 255, 255}, {191, 191, 191}, {63, 63, 63}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.direction));
        BackgroundSettings settings = WithCanvas(4, 4);
        settings.gradientColour1 = RgbBytes{0, 0, 0};
        settings.gradientColour2 = RgbBytes{255, 255, 255};
        settings.gradientDirection = c.direction;
        settings.FillGradient();
        const RasterImage& image = settings.workingImage;
        for (int across = 0; across < 4; ++across) {
            const auto at = [&](int index) {
                return c.rows ? ColourAt(image, across, index) : ColourAt(image, index, across);
            };
            EXPECT_EQ(at(0), c.first);
            EXPECT_EQ(at(1), c.second);
            EXPECT_EQ(at(3), c.last);
        }
    }
}

TEST(BackgroundSettingsTest, GradientRightStartsExactlyWithColourOne) {
    BackgroundSettings settings = WithCanvas(640, 2);
    settings.gradientDirection = FillDirection::Right;
    settings.gradientColour1 = RgbBytes{12, 200, 99};
    settings.FillGradient();
    EXPECT_EQ(ColourAt(settings.workingImage, 0, 0), (Rgb{12, 200, 99}));
    EXPECT_EQ(ColourAt(settings.workingImage, 0, 1), (Rgb{12, 200, 99}));
}

TEST(BackgroundSettingsTest, RainbowMatchesTheSmoothedHueList) {
    struct Case {
        const char* name;
        int width, height;
        FillDirection direction;
        double startHue, endHue;
        int passes;
    };
    const Case cases[] = {
        {"640 x 480 down: six passes", 640, 480, FillDirection::Down, 360, 0, 6},
        {"150 wide right: two passes", 150, 20, FillDirection::Right, 0, 360, 2},
        {"150 wide up: passes follow the width", 150, 300, FillDirection::Up, 0, 360, 2},
        {"left", 300, 10, FillDirection::Left, 360, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackgroundSettings settings = WithCanvas(c.width, c.height);
        settings.rainbowDirection = c.direction;
        settings.FillRainbow();
        const bool rows = c.direction == FillDirection::Down || c.direction == FillDirection::Up;
        const int count = rows ? c.height : c.width;
        EXPECT_LE(LargestDifference(settings.workingImage, rows,
                                    ReferenceRainbow(count, c.startHue, c.endHue, c.passes)),
                  1);
        // The reference tells the pass counts apart, so the check above pins them down.
        EXPECT_GT(LargestDifference(settings.workingImage, rows,
                                    ReferenceRainbow(count, c.startHue, c.endHue, c.passes + 1)),
                  1);
        // Every line is one colour.
        for (int i = 0; i < count; i += 37) {
            const Rgb a =
                rows ? ColourAt(settings.workingImage, 0, i) : ColourAt(settings.workingImage, i, 0);
            const Rgb b = rows ? ColourAt(settings.workingImage, c.width - 1, i)
                               : ColourAt(settings.workingImage, i, c.height - 1);
            EXPECT_EQ(a, b) << i;
        }
    }
}

TEST(BackgroundSettingsTest, RainbowEndsAreRedTurningTowardsTheirNeighbours) {
    BackgroundSettings settings = WithCanvas(640, 480);
    settings.FillRainbow();
    // Down: hue 360 at the bottom, next to magenta; hue 0 at the top, next to orange.
    const Rgb bottom = ColourAt(settings.workingImage, 0, 0);
    const Rgb top = ColourAt(settings.workingImage, 0, 479);
    EXPECT_EQ(bottom.red, 255);
    EXPECT_EQ(bottom.green, 0);
    EXPECT_GT(bottom.blue, 0);
    EXPECT_EQ(top.red, 255);
    EXPECT_GT(top.green, 0);
    EXPECT_EQ(top.blue, 0);
}

TEST(BackgroundSettingsTest, RainbowNeedsTwoLines) {
    for (FillDirection direction : {FillDirection::Down, FillDirection::Right}) {
        BackgroundSettings settings = WithCanvas(1, 1);
        settings.rainbowDirection = direction;
        settings.FillRainbow();
        EXPECT_EQ(ColourAt(settings.workingImage, 0, 0), (Rgb{1, 2, 3}));
    }
    BackgroundSettings empty;
    empty.FillRainbow();
    empty.FillGradient();
    empty.FillSolid();
    EXPECT_TRUE(empty.workingImage.IsEmpty());
}

TEST(BackgroundSettingsTest, WidePictureCoversTheHeightAndIsCentredAcross) {
    BackgroundSettings settings = WithCanvas(640, 480);
    ASSERT_EQ(settings.FillFromImage(Numbered(100, 50)), Result::Success);
    // Scale 9.6, startX -160: the middle 640 of 960 scaled columns.
    const RasterImage& image = settings.workingImage;
    EXPECT_EQ(ColourAt(image, 0, 0), (Rgb{7, 0, 16}));
    EXPECT_EQ(ColourAt(image, 320, 240), (Rgb{7, 25, 50}));
    EXPECT_EQ(ColourAt(image, 639, 479), (Rgb{7, 49, 83}));
}

TEST(BackgroundSettingsTest, TallPictureCoversTheWidthAndIsCentredUpDown) {
    BackgroundSettings settings = WithCanvas(640, 480);
    ASSERT_EQ(settings.FillFromImage(Numbered(50, 100)), Result::Success);
    // Scale 12.8, startY -400.
    const RasterImage& image = settings.workingImage;
    EXPECT_EQ(ColourAt(image, 0, 0), (Rgb{7, 31, 0}));
    EXPECT_EQ(ColourAt(image, 639, 479), (Rgb{7, 68, 49}));
}

TEST(BackgroundSettingsTest, PalettePicturesAreExpandedFirst) {
    RasterImage picture;
    ASSERT_EQ(picture.Create(2, 2, 1, 2), Result::Success);
    picture.palette = {200, 100, 50, 1, 2, 3};
    picture.Row(1)[1] = 1;
    BackgroundSettings settings = WithCanvas(4, 4);
    ASSERT_EQ(settings.FillFromImage(picture), Result::Success);
    EXPECT_EQ(ColourAt(settings.workingImage, 0, 0), (Rgb{200, 100, 50}));
    EXPECT_EQ(ColourAt(settings.workingImage, 3, 3), (Rgb{1, 2, 3}));
    EXPECT_EQ(picture.bytesPerPixel, 1) << "the caller's picture stays as it was";
}

TEST(BackgroundSettingsTest, FailedFillLeavesTheWorkingImage) {
    BackgroundSettings settings = WithCanvas(8, 8);
    const auto before = settings.workingImage.data;
    RasterImage empty;
    ASSERT_EQ(empty.CreateRgb(0, 0), Result::Success);
    EXPECT_EQ(settings.FillFromImage(empty), Result::NoData);
    RasterImage nothing;
    EXPECT_EQ(settings.FillFromImage(nothing), Result::BadParameter);
    EXPECT_EQ(settings.workingImage.data, before);

    BackgroundSettings paletteCanvas;
    ASSERT_EQ(paletteCanvas.workingImage.Create(8, 8, 1, 2), Result::Success);
    EXPECT_EQ(paletteCanvas.FillFromImage(Numbered(4, 4)), Result::BadParameter);
}
