#include "background/Grid.h"

#include <gtest/gtest.h>

namespace {

RasterImage Black(int width, int height) {
    RasterImage image;
    EXPECT_EQ(image.CreateRgb(width, height), Result::Success);
    return image;
}

bool Drawn(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = image.PixelAt(x, y);
    return p[0] != 0 || p[1] != 0 || p[2] != 0;
}

constexpr RgbBytes kGrey{128, 128, 128};

} // namespace

TEST(GridTest, EverySecondLineIsDashed) {
    RasterImage image = Black(100, 80);
    DrawGrid(image, UpdateRect::Make(0, 0, 99, 79), 15, kGrey);

    // Solid rows 0, 30, 60; dashed rows 15, 45, 75 with columns 4, 5, 6, 11, 12, 13 ... drawn.
    for (int y : {0, 30, 60}) {
        for (int x = 0; x < 100; ++x) {
            EXPECT_TRUE(Drawn(image, x, y)) << x << "," << y;
        }
    }
    for (int y : {15, 45, 75}) {
        for (int x = 0; x < 100; ++x) {
            const bool onColumnLine = x % 15 == 0 && ((x / 15) % 2 == 0 || y % 7 >= 4);
            EXPECT_EQ(Drawn(image, x, y), x % 7 >= 4 || onColumnLine) << x << "," << y;
        }
    }
    // Columns likewise, with the dash pattern running along the rows.
    for (int y = 0; y < 80; ++y) {
        EXPECT_TRUE(Drawn(image, 0, y)) << y;
        EXPECT_TRUE(Drawn(image, 90, y)) << y;
        // Solid row lines cross column 15; dashed ones leave it out (15 % 7 is 1).
        const bool onRowLine = y % 30 == 0;
        EXPECT_EQ(Drawn(image, 15, y), y % 7 >= 4 || onRowLine) << y;
    }
    EXPECT_FALSE(Drawn(image, 1, 1));
    EXPECT_FALSE(Drawn(image, 14, 29));

    const std::uint8_t* p = image.PixelAt(0, 0);
    EXPECT_EQ(p[0], 128);
    EXPECT_EQ(p[1], 128);
    EXPECT_EQ(p[2], 128);
}

TEST(GridTest, ColourIsWrittenBlueGreenRed) {
    RasterImage image = Black(4, 4);
    DrawGrid(image, UpdateRect::Make(0, 0, 3, 3), 2, RgbBytes{10, 20, 30});
    const std::uint8_t* p = image.PixelAt(1, 0);
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
}

TEST(GridTest, DrawingPieceByPieceEqualsDrawingWhole) {
    RasterImage whole = Black(57, 43);
    DrawGrid(whole, UpdateRect::Make(0, 0, 56, 42), 6, kGrey);

    RasterImage pieces = Black(57, 43);
    for (int y0 = -5; y0 < 50; y0 += 11) {
        for (int x0 = -3; x0 < 60; x0 += 13) {
            DrawGrid(pieces, UpdateRect::Make(x0, y0, x0 + 12, y0 + 10), 6, kGrey);
        }
    }
    EXPECT_EQ(pieces.data, whole.data);
}

TEST(GridTest, OnlyTheRectangleIsTouched) {
    RasterImage image = Black(40, 40);
    DrawGrid(image, UpdateRect::Make(10, 10, 19, 19), 5, kGrey);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (x < 10 || x > 19 || y < 10 || y > 19) {
                EXPECT_FALSE(Drawn(image, x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(Drawn(image, 10, 12));
    EXPECT_TRUE(Drawn(image, 13, 10));
}

TEST(GridTest, NothingIsDrawnWithoutAUsableImageSpacingOrRectangle) {
    const RasterImage clean = Black(20, 20);
    struct Case {
        const char* name;
        UpdateRect rect;
        int spacing;
    };
    const Case cases[] = {
        {"spacing 0", UpdateRect::Make(0, 0, 19, 19), 0},
        {"negative spacing", UpdateRect::Make(0, 0, 19, 19), -15},
        {"invalid rectangle", UpdateRect::Empty(), 5},
        {"rectangle outside", UpdateRect::Make(25, 25, 40, 40), 5},
        {"rectangle below", UpdateRect::Make(-10, -10, -1, -1), 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasterImage image = clean;
        DrawGrid(image, c.rect, c.spacing, kGrey);
        EXPECT_EQ(image.data, clean.data);
    }
    RasterImage palette;
    ASSERT_EQ(palette.Create(20, 20, 1, 2), Result::Success);
    DrawGrid(palette, UpdateRect::Make(0, 0, 19, 19), 5, kGrey);
    EXPECT_EQ(palette.data, std::vector<std::uint8_t>(palette.data.size(), 0));

    // A spacing larger than the image leaves only the lines on row 0 and column 0.
    RasterImage wide = clean;
    DrawGrid(wide, UpdateRect::Make(0, 0, 19, 19), 2147483647, kGrey);
    EXPECT_TRUE(Drawn(wide, 5, 0));
    EXPECT_TRUE(Drawn(wide, 0, 5));
    EXPECT_FALSE(Drawn(wide, 5, 5));
}
