#include "persistence/RasterImage.h"

#include <cmath>
#include <limits>
#include <utility>

#include <gtest/gtest.h>

namespace {

struct Bgr {
    std::uint8_t blue, green, red;
    bool operator==(const Bgr&) const = default;
};

Bgr PixelOf(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = image.PixelAt(x, y);
    return Bgr{p[0], p[1], p[2]};
}

void SetPixel(RasterImage& image, int x, int y, Bgr c) {
    std::uint8_t* p = image.PixelAt(x, y);
    p[0] = c.blue;
    p[1] = c.green;
    p[2] = c.red;
}

// Every pixel gets a colour that tells where it is.
RasterImage Numbered(int width, int height) {
    RasterImage image;
    EXPECT_EQ(image.CreateRgb(width, height), Result::Success);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SetPixel(image, x, y, Bgr{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7});
        }
    }
    return image;
}

RasterImage Solid(int width, int height, Bgr c) {
    RasterImage image;
    EXPECT_EQ(image.CreateRgb(width, height), Result::Success);
    image.Fill(c.red, c.green, c.blue);
    return image;
}

bool PaddingIsZero(const RasterImage& image) {
    for (int y = 0; y < image.height; ++y) {
        for (int i = image.width * image.bytesPerPixel; i < image.rowStride; ++i) {
            if (image.Row(y)[i] != 0) {
                return false;
            }
        }
    }
    return true;
}

constexpr Bgr kWhite{255, 255, 255};
constexpr Bgr kBlack{0, 0, 0};
constexpr Bgr kGrey128{128, 128, 128};

} // namespace

TEST(RasterImageTest, StrideIsRoundedUpToFourBytes) {
    struct Case {
        int width, bytesPerPixel, stride;
    };
    for (const Case c : {Case{1, 3, 4}, Case{3, 3, 12}, Case{5, 3, 16}, Case{4, 3, 12}, Case{1, 1, 4},
                         Case{4, 1, 4}, Case{5, 1, 8}, Case{0, 3, 0}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.bytesPerPixel);
        EXPECT_EQ(RasterImage::StrideFor(c.width, c.bytesPerPixel), c.stride);
    }
}

TEST(RasterImageTest, CreateSetsLayoutAndZeroesRows) {
    RasterImage image;
    ASSERT_EQ(image.Create(5, 3, 1, 16), Result::Success);
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.bytesPerPixel, 1);
    EXPECT_EQ(image.rowStride, 8);
    EXPECT_EQ(image.dataSize, 24u);
    EXPECT_EQ(image.paletteCount, 16);
    EXPECT_EQ(image.palette.size(), 48u);
    ASSERT_EQ(image.data.size(), 24u);
    for (std::uint8_t b : image.data) {
        EXPECT_EQ(b, 0);
    }

    // Re-creating frees the old palette.
    ASSERT_EQ(image.CreateRgb(5, 3), Result::Success);
    EXPECT_EQ(image.bytesPerPixel, 3);
    EXPECT_EQ(image.rowStride, 16);
    EXPECT_EQ(image.paletteCount, 0);
    EXPECT_TRUE(image.palette.empty());
    EXPECT_EQ(image.data.size(), 48u);
}

TEST(RasterImageTest, CreateRefusesImpossibleSizesWithoutCrashing) {
    RasterImage image;
    // More than 4 GiB of rows cannot be described by the data size: out of memory, nothing allocated.
    EXPECT_EQ(image.CreateRgb(70000, 70000), Result::OutOfMemory);
    EXPECT_EQ(image.bytesPerPixel, 0);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.CreateRgb(std::numeric_limits<std::int32_t>::max(), 2), Result::OutOfMemory);
    EXPECT_TRUE(image.IsEmpty());

    EXPECT_EQ(image.CreateRgb(-4, 4), Result::BadParameter);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Create(4, 4, 1, -1), Result::BadParameter);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(RasterImageTest, CopiesAreDeepAndSelfCopyKeepsTheImage) {
    RasterImage original;
    ASSERT_EQ(original.Create(3, 2, 1, 2), Result::Success);
    original.palette = {1, 2, 3, 4, 5, 6};
    original.data[0] = 1;

    RasterImage copy(original);
    EXPECT_EQ(copy.width, 3);
    EXPECT_EQ(copy.height, 2);
    EXPECT_EQ(copy.paletteCount, 2);
    EXPECT_EQ(copy.palette, original.palette);
    EXPECT_EQ(copy.data, original.data);

    copy.data[0] = 9;
    copy.palette[0] = 9;
    EXPECT_EQ(original.data[0], 1);
    EXPECT_EQ(original.palette[0], 1);

    RasterImage assigned;
    assigned = original;
    EXPECT_EQ(assigned.data, original.data);

    RasterImage& alias = original;
    original.CopyFrom(alias);
    EXPECT_EQ(original.width, 3);
    EXPECT_EQ(original.data[0], 1);
    EXPECT_EQ(original.palette, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    RasterImage empty;
    copy.CopyFrom(empty);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.width, 0);
}

TEST(RasterImageTest, MovingLeavesTheSourceEmpty) {
    RasterImage source;
    ASSERT_EQ(source.CreateRgb(5, 3), 0);
    source.Fill(10, 20, 30);
    RasterImage target(std::move(source));
    EXPECT_EQ(target.width, 5);
    EXPECT_EQ(target.rowStride, 16);
    EXPECT_EQ(PixelOf(target, 4, 2), (Bgr{30, 20, 10}));
    // A moved-from image must not claim a size it has no pixels for.
    EXPECT_EQ(source.width, 0);
    EXPECT_EQ(source.height, 0);
    EXPECT_EQ(source.bytesPerPixel, 0);
    EXPECT_EQ(source.dataSize, 0u);
    EXPECT_TRUE(source.IsEmpty());

    RasterImage other;
    ASSERT_EQ(other.CreateRgb(2, 2), 0);
    other = std::move(target);
    EXPECT_EQ(other.width, 5);
    EXPECT_EQ(target.width, 0);
    EXPECT_TRUE(target.IsEmpty());
}

TEST(RasterImageTest, ClearZeroesEveryField) {
    RasterImage image;
    ASSERT_EQ(image.Create(4, 4, 1, 256), Result::Success);
    image.Clear();
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.bytesPerPixel, 0);
    EXPECT_EQ(image.rowStride, 0);
    EXPECT_EQ(image.paletteCount, 0);
    EXPECT_EQ(image.dataSize, 0u);
    EXPECT_TRUE(image.data.empty());
    EXPECT_TRUE(image.palette.empty());
}

TEST(RasterImageTest, SetRowsCopiesAtMostTheImage) {
    RasterImage image;
    ASSERT_EQ(image.CreateRgb(2, 2), Result::Success);
    std::vector<std::uint8_t> rows(64, 0xAB);
    image.SetRows(static_cast<std::uint32_t>(rows.size()), rows.data(), image.rowStride, 24);
    EXPECT_EQ(image.data.size(), 16u);
    EXPECT_EQ(image.data, std::vector<std::uint8_t>(16, 0xAB));

    RasterImage partial;
    ASSERT_EQ(partial.CreateRgb(2, 2), Result::Success);
    partial.SetRows(8, rows.data(), partial.rowStride, 24);
    EXPECT_EQ(partial.Row(0)[0], 0xAB);
    EXPECT_EQ(partial.Row(1)[0], 0);
}

TEST(RasterImageTest, CopyRectClipsToTheImage) {
    const RasterImage source = Numbered(10, 8);
    RasterImage target = Solid(10, 8, kBlack);

    ASSERT_EQ(target.CopyRect(source, UpdateRect::Make(7, -3, 20, 2)), Result::Success);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 7 && y <= 2;
            EXPECT_EQ(PixelOf(target, x, y), inside ? PixelOf(source, x, y) : kBlack) << x << "," << y;
        }
    }
    EXPECT_TRUE(PaddingIsZero(target));
}

TEST(RasterImageTest, CopyRectFailures) {
    const RasterImage source = Numbered(10, 8);
    RasterImage target = Solid(10, 8, kBlack);
    EXPECT_EQ(target.CopyRect(source, UpdateRect::Make(10, 0, 15, 5)), Result::OutsideImage);
    EXPECT_EQ(target.CopyRect(source, UpdateRect::Make(-5, -5, -1, -1)), Result::OutsideImage);
    EXPECT_EQ(target.CopyRect(source, UpdateRect::Empty()), Result::OutsideImage);

    RasterImage smaller = Solid(9, 8, kBlack);
    EXPECT_EQ(smaller.CopyRect(source, UpdateRect::Make(0, 0, 2, 2)), Result::SizeMismatch);

    RasterImage palette;
    ASSERT_EQ(palette.Create(10, 8, 1, 256), Result::Success);
    EXPECT_EQ(palette.CopyRect(source, UpdateRect::Make(0, 0, 2, 2)), Result::BadParameter);
    EXPECT_EQ(PixelOf(target, 0, 0), kBlack);
}

TEST(RasterImageTest, CopyOverlapCopiesTheCommonLowerLeftPart) {
    const RasterImage source = Solid(100, 50, Bgr{1, 2, 3});
    RasterImage target = Solid(80, 60, kWhite);
    ASSERT_EQ(target.CopyOverlap(source), Result::Success);
    EXPECT_EQ(PixelOf(target, 0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(PixelOf(target, 79, 49), (Bgr{1, 2, 3}));
    EXPECT_EQ(PixelOf(target, 0, 50), kWhite);
    EXPECT_EQ(PixelOf(target, 79, 59), kWhite);
    EXPECT_TRUE(PaddingIsZero(target));

    RasterImage palette;
    ASSERT_EQ(palette.Create(4, 4, 1, 2), Result::Success);
    EXPECT_EQ(target.CopyOverlap(palette), Result::BadParameter);
    RasterImage emptyRgb;
    ASSERT_EQ(emptyRgb.CreateRgb(0, 0), Result::Success);
    EXPECT_EQ(target.CopyOverlap(emptyRgb), Result::NoData);
}

TEST(RasterImageTest, ScaleFromEnlargesByNearestNeighbour) {
    const RasterImage source = Numbered(2, 2);
    RasterImage target = Solid(6, 6, kWhite);
    ASSERT_EQ(target.ScaleFrom(1, 1, 2.0f, source), Result::Success);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 4;
            if (inside) {
                EXPECT_EQ(PixelOf(target, x, y), PixelOf(source, (x - 1) / 2, (y - 1) / 2));
            } else {
                EXPECT_EQ(PixelOf(target, x, y), kWhite);
            }
        }
    }
}

TEST(RasterImageTest, ScaleFromSkipsWhatFallsOutsideTheTarget) {
    const RasterImage source = Numbered(8, 8);
    RasterImage target = Solid(3, 3, kWhite);
    // Starting below and left of the target: target (0, 0) shows source (2, 2) at scale 1.
    ASSERT_EQ(target.ScaleFrom(-2, -2, 1.0f, source), Result::Success);
    EXPECT_EQ(PixelOf(target, 0, 0), PixelOf(source, 2, 2));
    EXPECT_EQ(PixelOf(target, 2, 1), PixelOf(source, 4, 3));

    // Half size: every second source pixel.
    RasterImage half = Solid(8, 8, kWhite);
    ASSERT_EQ(half.ScaleFrom(0, 0, 0.5f, source), Result::Success);
    EXPECT_EQ(PixelOf(half, 1, 3), PixelOf(source, 3, 7));
    EXPECT_EQ(PixelOf(half, 4, 0), kWhite);
}

TEST(RasterImageTest, ScaleFromFailuresLeaveTheTargetAlone) {
    const RasterImage source = Numbered(4, 4);
    RasterImage target = Solid(4, 4, kWhite);
    EXPECT_EQ(target.ScaleFrom(0, 0, 0.0f, source), Result::BadParameter);
    EXPECT_EQ(target.ScaleFrom(0, 0, -1.0f, source), Result::BadParameter);
    EXPECT_EQ(target.ScaleFrom(0, 0, std::nanf(""), source), Result::BadParameter);
    EXPECT_EQ(target.ScaleFrom(0, 0, 0.1f, source), Result::BelowMinimum);
    RasterImage palette;
    ASSERT_EQ(palette.Create(4, 4, 1, 2), Result::Success);
    EXPECT_EQ(target.ScaleFrom(0, 0, 1.0f, palette), Result::BadParameter);
    RasterImage empty;
    ASSERT_EQ(empty.CreateRgb(0, 0), Result::Success);
    EXPECT_EQ(target.ScaleFrom(0, 0, 1.0f, empty), Result::NoData);
    EXPECT_EQ(target.data, Solid(4, 4, kWhite).data);
}

TEST(RasterImageTest, GetPixelColorReadsRedGreenBlueAsFloats) {
    RasterImage image = Solid(3, 3, kBlack);
    SetPixel(image, 1, 2, Bgr{0, 51, 255});
    FloatColour colour;
    ASSERT_EQ(image.GetPixelColor(1, 2, colour), Result::Success);
    EXPECT_FLOAT_EQ(colour.red, 1.0f);
    EXPECT_FLOAT_EQ(colour.green, 0.2f);
    EXPECT_FLOAT_EQ(colour.blue, 0.0f);
    for (auto [x, y] : {std::pair{-1, 0}, std::pair{3, 0}, std::pair{0, -1}, std::pair{0, 3}}) {
        EXPECT_EQ(image.GetPixelColor(x, y, colour), Result::OutsideImage);
    }
}

TEST(RasterImageTest, ExpandPaletteTurnsIndicesIntoColours) {
    RasterImage image;
    ASSERT_EQ(image.Create(3, 2, 1, 2), Result::Success);
    image.palette = {10, 20, 30, 40, 50, 60};
    image.Row(0)[0] = 0;
    image.Row(0)[1] = 1;
    image.Row(1)[2] = 200; // past the palette
    ASSERT_EQ(image.ExpandPalette(), Result::Success);
    EXPECT_EQ(image.bytesPerPixel, 3);
    EXPECT_EQ(image.paletteCount, 0);
    EXPECT_TRUE(image.palette.empty());
    EXPECT_EQ(image.rowStride, 12);
    EXPECT_EQ(PixelOf(image, 0, 0), (Bgr{30, 20, 10}));
    EXPECT_EQ(PixelOf(image, 1, 0), (Bgr{60, 50, 40}));
    EXPECT_EQ(PixelOf(image, 2, 1), kBlack);
    EXPECT_TRUE(PaddingIsZero(image));

    RasterImage rgb = Numbered(3, 3);
    const auto before = rgb.data;
    EXPECT_EQ(rgb.ExpandPalette(), Result::Success);
    EXPECT_EQ(rgb.data, before);
}

TEST(RasterImageTest, FillWritesBlueGreenRedAndLeavesPadding) {
    RasterImage image = Solid(5, 2, Bgr{3, 2, 1});
    EXPECT_EQ(image.Row(1)[0], 3);
    EXPECT_EQ(image.Row(1)[1], 2);
    EXPECT_EQ(image.Row(1)[2], 1);
    EXPECT_TRUE(PaddingIsZero(image));
}

TEST(RasterImageTest, FillRowAndColumnClampTheColour) {
    RasterImage image = Solid(4, 3, kBlack);
    image.FillRow(1, FloatColour{2.0f, 0.5f, -1.0f});
    image.FillColumn(3, FloatColour{0.0f, 1.0f, 0.2f});
    image.FillRow(3, FloatColour{1.0f, 1.0f, 1.0f});
    image.FillColumn(-1, FloatColour{1.0f, 1.0f, 1.0f});
    EXPECT_EQ(PixelOf(image, 0, 1), (Bgr{0, 127, 255}));
    EXPECT_EQ(PixelOf(image, 2, 1), (Bgr{0, 127, 255}));
    EXPECT_EQ(PixelOf(image, 3, 1), (Bgr{51, 255, 0}));
    EXPECT_EQ(PixelOf(image, 3, 2), (Bgr{51, 255, 0}));
    EXPECT_EQ(PixelOf(image, 0, 0), kBlack);
    EXPECT_EQ(PixelOf(image, 0, 2), kBlack);
}

TEST(RasterImageTest, CheckerboardStartsWhiteInTheLowerLeftCell) {
    RasterImage image = Solid(50, 30, Bgr{9, 9, 9});
    image.FillCheckerboard(20, 0, 0, 0);
    EXPECT_EQ(PixelOf(image, 0, 0), kWhite);
    EXPECT_EQ(PixelOf(image, 19, 19), kWhite);
    EXPECT_EQ(PixelOf(image, 20, 0), kBlack);
    EXPECT_EQ(PixelOf(image, 40, 0), kWhite);
    EXPECT_EQ(PixelOf(image, 0, 20), kBlack);
    EXPECT_EQ(PixelOf(image, 20, 29), kWhite);
    EXPECT_EQ(PixelOf(image, 49, 29), kBlack);

    image.FillCheckerboard(0, 1, 2, 3);
    EXPECT_EQ(PixelOf(image, 0, 0), (Bgr{3, 2, 1}));
}

TEST(RasterImageTest, DarkenBorderPaintsThreePixelsPerChosenSide) {
    struct Case {
        bool left, right, top, bottom;
        int x, y;
        bool dark;
    };
    const Case cases[] = {
        {true, false, false, false, 2, 5, true},   {true, false, false, false, 3, 5, false},
        {false, true, false, false, 7, 5, true},   {false, true, false, false, 6, 5, false},
        {false, false, true, false, 5, 7, true},   {false, false, true, false, 5, 0, false},
        {false, false, false, true, 5, 0, true},   {false, false, false, true, 5, 3, false},
        {false, false, false, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.left << c.right << c.top << c.bottom << " " << c.x << "," << c.y);
        RasterImage image = Solid(10, 10, kWhite);
        image.DarkenBorder(c.left, c.right, c.top, c.bottom);
        EXPECT_EQ(PixelOf(image, c.x, c.y), c.dark ? (Bgr{64, 64, 64}) : kWhite);
    }
    RasterImage narrow = Solid(2, 2, kWhite);
    narrow.DarkenBorder(true, true, true, true);
    EXPECT_EQ(PixelOf(narrow, 1, 1), (Bgr{64, 64, 64}));
}

TEST(RasterImageTest, FilledCircleCoversTheDisc) {
    RasterImage image = Solid(10, 10, kBlack);
    image.DrawCircle(5.0f, 5.0f, 2.0f, 255, 0, 0, true);
    // Row 5: m = 0.5, h = sqrt(3.75) = 1.94, so columns 3 to 6.
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(PixelOf(image, x, 5), (x >= 3 && x <= 6) ? (Bgr{0, 0, 255}) : kBlack) << x;
    }
    // Row 3: m = -1.5, h = sqrt(1.75) = 1.32, so columns 3 to 6.
    EXPECT_EQ(PixelOf(image, 3, 3), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelOf(image, 2, 3), kBlack);
    EXPECT_EQ(PixelOf(image, 5, 2), kBlack);
    EXPECT_EQ(PixelOf(image, 5, 7), kBlack);

    // A circle reaching past the edges only touches pixels inside.
    RasterImage edge = Solid(4, 4, kBlack);
    edge.DrawCircle(0.0f, 0.0f, 3.0f, 0, 255, 0, true);
    EXPECT_EQ(PixelOf(edge, 0, 0), (Bgr{0, 255, 0}));
    EXPECT_EQ(PixelOf(edge, 3, 3), kBlack);
    EXPECT_TRUE(PaddingIsZero(edge));
}

TEST(RasterImageTest, CircleOutlineMarksTheEndsOfRowsAndColumns) {
    RasterImage image = Solid(10, 10, kBlack);
    image.DrawCircle(5.0f, 5.0f, 3.0f, 0, 0, 255, false);
    const Bgr blue{255, 0, 0};
    // Row 5: h = sqrt(8.75) = 2.96: ends at columns 2 and 7; the inside stays empty.
    EXPECT_EQ(PixelOf(image, 2, 5), blue);
    EXPECT_EQ(PixelOf(image, 7, 5), blue);
    EXPECT_EQ(PixelOf(image, 5, 5), kBlack);
    EXPECT_EQ(PixelOf(image, 5, 2), blue);
    EXPECT_EQ(PixelOf(image, 5, 7), blue);

    // Row ends and column ends that truncate to 0 are left out: rows 2 and 3 end at x = 0.
    RasterImage edge = Solid(6, 6, kBlack);
    edge.DrawCircle(2.0f, 3.0f, 2.0f, 0, 0, 255, false);
    EXPECT_EQ(PixelOf(edge, 0, 2), kBlack);
    EXPECT_EQ(PixelOf(edge, 0, 3), kBlack);
    EXPECT_EQ(PixelOf(edge, 3, 2), blue);
    EXPECT_EQ(PixelOf(edge, 0, 1), blue);
    EXPECT_EQ(PixelOf(edge, 0, 4), blue);
}

TEST(RasterImageTest, LinesAreGreyAndClipped) {
    RasterImage image = Solid(8, 6, kBlack);
    image.DrawLine(1.0f, 2.0f, 6.0f, 2.0f);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(PixelOf(image, x, 2), (x >= 1 && x <= 6) ? kGrey128 : kBlack) << x;
    }
    EXPECT_EQ(PixelOf(image, 3, 1), kBlack);

    RasterImage vertical = Solid(4, 4, kBlack);
    vertical.DrawLine(2.0f, -3.0f, 2.0f, 10.0f);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(PixelOf(vertical, 2, y), kGrey128) << y;
        EXPECT_EQ(PixelOf(vertical, 1, y), kBlack) << y;
    }

    // A diagonal plots along both axes.
    RasterImage diagonal = Solid(4, 4, kBlack);
    diagonal.DrawLine(0.0f, 0.0f, 3.0f, 3.0f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(PixelOf(diagonal, i, i), kGrey128) << i;
    }
    EXPECT_EQ(PixelOf(diagonal, 0, 3), kBlack);

    // Far away end points finish quickly and draw nothing.
    RasterImage far = Solid(4, 4, kBlack);
    far.DrawLine(-1e30f, 0.0f, 1e30f, 0.0f);
    far.DrawLine(0.0f, 1e9f, 0.0f, 2e9f);
    EXPECT_EQ(far.data, Solid(4, 4, kBlack).data);
}

TEST(RasterImageTest, ScaleBrightnessTruncatesAndSaturates) {
    RasterImage image = Solid(2, 1, Bgr{255, 101, 1});
    image.ScaleBrightness(0.5f);
    EXPECT_EQ(PixelOf(image, 1, 0), (Bgr{127, 50, 0}));
    image.ScaleBrightness(3.0f);
    EXPECT_EQ(PixelOf(image, 0, 0), (Bgr{255, 150, 0}));
    EXPECT_TRUE(PaddingIsZero(image));
}

TEST(RasterImageTest, FittedGeometryKeepsTheAspectRatioAndCentres) {
    struct Case {
        int width, height, targetWidth, targetHeight;
        FittedBox box;
    };
    const Case cases[] = {
        {200, 100, 100, 100, {0, 25, 100, 50}}, {100, 200, 100, 100, {25, 0, 50, 100}},
        {100, 100, 60, 40, {10, 0, 40, 40}},    {3, 1, 10, 10, {0, 3, 10, 3}},
        {0, 0, 10, 10, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " in " << c.targetWidth << "x" << c.targetHeight);
        RasterImage image;
        ASSERT_EQ(image.CreateRgb(c.width, c.height), Result::Success);
        EXPECT_EQ(image.FittedGeometry(c.targetWidth, c.targetHeight), c.box);
    }
}

TEST(RasterImageTest, ByteAndFloatConversions) {
    EXPECT_EQ(FloatToByte(1.0f), 255);
    EXPECT_EQ(FloatToByte(0.5f), 127);
    EXPECT_EQ(FloatToByte(0.999f), 254);
    EXPECT_EQ(FloatToByte(-0.5f), 0);
    EXPECT_EQ(FloatToByte(7.0f), 255);
    EXPECT_EQ(FloatToByte(std::nanf("")), 0);
    EXPECT_FLOAT_EQ(ByteToFloat(255), 1.0f);
    EXPECT_FLOAT_EQ(ByteToFloat(51), 0.2f);
}
