#include "background/HlsColour.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

void ExpectColour(const PaintColour& c, float red, float green, float blue) {
    EXPECT_NEAR(c.red, red, 1e-6f);
    EXPECT_NEAR(c.green, green, 1e-6f);
    EXPECT_NEAR(c.blue, blue, 1e-6f);
}

PaintColour Rgb(float red, float green, float blue) {
    PaintColour c;
    c.red = red;
    c.green = green;
    c.blue = blue;
    return c;
}

} // namespace

TEST(HlsColourTest, HlsToRgbOfKnownColours) {
    struct Case {
        float hue, lightness, saturation;
        float red, green, blue;
    };
    const Case cases[] = {
        {0, 0.5f, 1, 1, 0, 0},
        {120, 0.5f, 1, 0, 1, 0},
        {240, 0.5f, 1, 0, 0, 1},
        {60, 0.5f, 1, 1, 1, 0},
        {300, 0.5f, 1, 1, 0, 1},
        {360, 0.5f, 1, 1, 0, 0},
        {30, 0.5f, 1, 1, 0.5f, 0},
        {0, 1, 1, 1, 1, 1},
        {0, 0, 1, 0, 0, 0},
        {200, 0.25f, 0, 0.25f, 0.25f, 0.25f},
        // Lightness above one half: m2 = l + s - l s = 0.875, m1 = 0.625.
        {120, 0.75f, 0.5f, 0.625f, 0.875f, 0.625f},
        // Out-of-range lightness and saturation are limited.
        {0, 2.0f, -1.0f, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hue << " " << c.lightness << " " << c.saturation);
        ExpectColour(HlsToRgb(c.hue, c.lightness, c.saturation), c.red, c.green, c.blue);
    }
}

TEST(HlsColourTest, HueWrapsAround) {
    const PaintColour expected = HlsToRgb(330, 0.5f, 1);
    for (float hue : {-30.0f, 690.0f, -390.0f, 330.0f + 360.0f * 1000.0f}) {
        SCOPED_TRACE(hue);
        const PaintColour c = HlsToRgb(hue, 0.5f, 1);
        ExpectColour(c, expected.red, expected.green, expected.blue);
    }
    // A hue that is not a number, or infinite, is taken as 0 instead of looping.
    for (float hue : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        ExpectColour(HlsToRgb(hue, 0.5f, 1), 1, 0, 0);
    }
}

TEST(HlsColourTest, RgbToHlsOfKnownColours) {
    struct Case {
        float red, green, blue;
        float hue, lightness, saturation;
    };
    const Case cases[] = {
        {1, 0, 0, 360, 0.5f, 1},
        {0, 1, 0, 120, 0.5f, 1},
        {0, 0, 1, 240, 0.5f, 1},
        {1, 1, 0, 60, 0.5f, 1},
        {1, 0, 1, 300, 0.5f, 1},
        {0, 1, 1, 180, 0.5f, 1},
        {0.5f, 0.5f, 0.5f, 0, 0.5f, 0},
        {1, 1, 1, 0, 1, 0},
        {0, 0, 0, 0, 0, 0},
        // Lightness above one half uses d / (2 - max - min).
        {1, 0.5f, 0.5f, 360, 0.75f, 1},
        {0.25f, 0.5f, 0.25f, 120, 0.375f, 1.0f / 3.0f},
        // Channels outside [0, 1] are limited first.
        {2, -1, 0, 360, 0.5f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.red << " " << c.green << " " << c.blue);
        const HlsColour hls = RgbToHls(Rgb(c.red, c.green, c.blue));
        EXPECT_NEAR(hls.hue, c.hue, 1e-4f);
        EXPECT_NEAR(hls.lightness, c.lightness, 1e-6f);
        EXPECT_NEAR(hls.saturation, c.saturation, 1e-6f);
    }
}

TEST(HlsColourTest, ConversionsAreInverse) {
    for (const PaintColour& colour :
         {Rgb(0.2f, 0.4f, 0.6f), Rgb(0.9f, 0.1f, 0.3f), Rgb(0.7f, 0.7f, 0.1f), Rgb(0.05f, 0.8f, 0.75f)}) {
        SCOPED_TRACE(testing::Message() << colour.red << " " << colour.green << " " << colour.blue);
        const HlsColour hls = RgbToHls(colour);
        ExpectColour(HlsToRgb(hls.hue, hls.lightness, hls.saturation), colour.red, colour.green, colour.blue);
    }
}
