#include <gtest/gtest.h>

#include "toolbox/ColourImages.h"

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb At(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = image.PixelAt(x, y);
    return Rgb{p[2], p[1], p[0]};
}

} // namespace

TEST(HueBar, RedAtBothEndsWithTheMarginsAndTheHuesInBetween) {
    RasterImage bar;
    ASSERT_EQ(BuildHueBar(bar, 110, 6), Result::Success);
    ASSERT_EQ(bar.width, 110);
    EXPECT_EQ(At(bar, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(bar, 5, 3), (Rgb{255, 0, 0}));   // hue clamped to 0 inside the left margin
    EXPECT_EQ(At(bar, 109, 5), (Rgb{255, 0, 0})); // and to 1 inside the right one
    // Column 55: hue −0.05 + 55 × 0.01 = 0.5, cyan.
    const Rgb middle = At(bar, 55, 2);
    EXPECT_LE(middle.r, 1);
    EXPECT_GE(middle.g, 254);
    EXPECT_GE(middle.b, 254);
    EXPECT_EQ(At(bar, 55, 0), At(bar, 55, 5));
}

TEST(LightnessSaturationField, GreyAlongTheBottomAndFullColourInTheTopMiddle) {
    RasterImage field;
    ASSERT_EQ(BuildLightnessSaturationField(field, 110, 110, 0.0f), Result::Success);
    EXPECT_EQ(At(field, 0, 0), (Rgb{0, 0, 0}));          // lightness 0
    EXPECT_EQ(At(field, 109, 50), (Rgb{255, 255, 255})); // lightness 1
    const Rgb bottom = At(field, 60, 0);                 // saturation 0: grey
    EXPECT_EQ(bottom.r, bottom.g);
    EXPECT_EQ(bottom.g, bottom.b);
    EXPECT_EQ(At(field, 55, 109), (Rgb{255, 0, 0})); // lightness −0.05 + 55 × 0.01 = 0.5, saturation 1
    // Another hue repaints the same field.
    ASSERT_EQ(BuildLightnessSaturationField(field, 110, 110, 1.0f / 3.0f), Result::Success);
    EXPECT_EQ(At(field, 55, 109), (Rgb{0, 255, 0}));
}
