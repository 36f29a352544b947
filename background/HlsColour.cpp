#include "background/HlsColour.h"

#include <algorithm>
#include <cmath>

namespace {

// Beyond this size whole turns are removed at once; stepping by 360 would never get there in float.
constexpr float kLargeHue = 36000.0f;

float HueValue(float m1, float m2, float x) {
    if (x > 360.0f) {
        x -= 360.0f;
    }
    if (x < 0.0f) {
        x += 360.0f;
    }
    if (x < 60.0f) {
        return m1 + (m2 - m1) * x / 60.0f;
    }
    if (x < 180.0f) {
        return m2;
    }
    if (x < 240.0f) {
        return m1 + (m2 - m1) * (240.0f - x) / 60.0f;
    }
    return m1;
}

float LimitUnit(float v) {
    return v > 0.0f ? std::min(v, 1.0f) : 0.0f;
}

} // namespace

PaintColour HlsToRgb(float hue, float lightness, float saturation) {
    if (!std::isfinite(hue)) {
        hue = 0.0f;
    } else if (std::fabs(hue) > kLargeHue) {
        hue = std::fmod(hue, 360.0f);
    }
    while (hue < 0.0f) {
        hue += 360.0f;
    }
    while (hue > 360.0f) {
        hue -= 360.0f;
    }
    if (!(hue > 0.0f)) {
        hue = 0.0f;
    }
    lightness = LimitUnit(lightness);
    saturation = LimitUnit(saturation);

    const float m2 =
        lightness <= 0.5f ? lightness * (1.0f + saturation) : lightness + saturation - lightness * saturation;
    const float m1 = 2.0f * lightness - m2;

    PaintColour colour;
    if (saturation == 0.0f) {
        colour.red = lightness;
        colour.green = lightness;
        colour.blue = lightness;
        return colour;
    }
    colour.red = HueValue(m1, m2, hue + 120.0f);
    colour.green = HueValue(m1, m2, hue);
    colour.blue = HueValue(m1, m2, hue - 120.0f);
    return colour;
}

HlsColour RgbToHls(const PaintColour& colour) {
    const float red = LimitUnit(colour.red);
    const float green = LimitUnit(colour.green);
    const float blue = LimitUnit(colour.blue);
    const float maximum = std::max({red, green, blue});
    const float minimum = std::min({red, green, blue});

    HlsColour hls;
    hls.lightness = (maximum + minimum) * 0.5f;
    if (maximum == minimum) {
        return hls;
    }
    const float d = maximum - minimum;
    hls.saturation = hls.lightness < 0.5f ? d / (maximum + minimum) : d / (2.0f - maximum - minimum);
    const float rc = (maximum - red) / d;
    const float gc = (maximum - green) / d;
    const float bc = (maximum - blue) / d;
    float hue = 0.0f;
    if (red == maximum) {
        hue = 6.0f + bc - gc;
    } else if (green == maximum) {
        hue = 2.0f + rc - bc;
    } else {
        hue = 4.0f + gc - rc;
    }
    hue *= 60.0f;
    if (hue > 360.0f) {
        hue -= 360.0f;
    }
    hls.hue = hue;
    return hls;
}
