#include <gtest/gtest.h>

#include <set>

#include "QtTestApp.h"
#include "toolbox/ButtonFaces.h"

namespace {

std::vector<RasterImage> AllPictures() {
    std::vector<RasterImage> pictures;
    for (int k = 0; k < BrushKindCount - 1; ++k) {
        RasterImage image;
        EXPECT_EQ(BrushFacePicture(static_cast<BrushKind>(k), image), Result::Success) << "brush kind " << k;
        pictures.push_back(image);
    }
    for (int k = 0; k < PathKindCount; ++k) {
        RasterImage image;
        EXPECT_EQ(PathFacePicture(static_cast<PathKind>(k), image), Result::Success) << "path kind " << k;
        pictures.push_back(image);
    }
    return pictures;
}

} // namespace

TEST(ButtonFaces, TwentyFourDistinctPicturesOf64By64) {
    TestApp();
    const std::vector<RasterImage> pictures = AllPictures();
    ASSERT_EQ(pictures.size(), 24u);
    std::set<std::vector<std::uint8_t>> distinct;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE(i);
        const RasterImage& p = pictures[i];
        EXPECT_EQ(p.width, 64);
        EXPECT_EQ(p.height, 64);
        EXPECT_EQ(p.bytesPerPixel, 3);
        // Something is drawn: the picture is not one flat colour.
        const std::set<std::uint8_t> values(p.data.begin(), p.data.end());
        EXPECT_GT(values.size(), 8u);
        distinct.insert(p.data);
    }
    EXPECT_EQ(distinct.size(), 24u);
}

TEST(ButtonFaces, NoBrushHasNoPicture) {
    RasterImage image;
    EXPECT_NE(BrushFacePicture(BrushKind::NoBrush, image), Result::Success);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(ButtonImagePair, NotSelectedIsDarkerAndSelectedKeepsTheMiddle) {
    RasterImage bitmap;
    ASSERT_EQ(bitmap.CreateRgb(64, 64), Result::Success);
    bitmap.Fill(200, 100, 50);
    ButtonImagePair pair;
    ASSERT_EQ(pair.Build(bitmap), Result::Success);
    const std::uint8_t* plain = pair.selected.PixelAt(32, 32);
    EXPECT_EQ(plain[0], 50);
    EXPECT_EQ(plain[1], 100);
    EXPECT_EQ(plain[2], 200);
    const std::uint8_t* dim = pair.notSelected.PixelAt(32, 32);
    EXPECT_NEAR(dim[2], 200 * 0.83, 1.0);
    EXPECT_NEAR(dim[1], 100 * 0.83, 1.0);
    // The darkened borders sit on opposite sides: selected left, not selected right.
    EXPECT_LT(pair.selected.PixelAt(0, 32)[2], plain[2]);
    EXPECT_EQ(pair.selected.PixelAt(63, 32)[2], plain[2]);
    EXPECT_LT(pair.notSelected.PixelAt(63, 32)[2], dim[2]);
    EXPECT_EQ(pair.notSelected.PixelAt(0, 32)[2], dim[2]);
}

TEST(ButtonImagePair, PalettePicturesAreExpandedAndEmptyOnesRefused) {
    RasterImage palette;
    ASSERT_EQ(palette.Create(16, 16, 1, 2), Result::Success);
    palette.palette = {0, 0, 0, 10, 20, 30};
    std::fill(palette.data.begin(), palette.data.end(), 1);
    ButtonImagePair pair;
    ASSERT_EQ(pair.Build(palette), Result::Success);
    EXPECT_EQ(pair.selected.bytesPerPixel, 3);
    EXPECT_EQ(pair.selected.PixelAt(8, 8)[2], 10);
    EXPECT_NE(ButtonImagePair().Build(RasterImage()), Result::Success);
}
