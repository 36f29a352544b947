#include "background/BackgroundSettings.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "background/HlsColour.h"

namespace {

bool AlongRows(FillDirection direction) {
    return direction == FillDirection::Down || direction == FillDirection::Up;
}

FloatColour ToFloat(const RgbBytes& c) {
    return FloatColour{ByteToFloat(c.red), ByteToFloat(c.green), ByteToFloat(c.blue)};
}

float ClampUnit(float v) {
    return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
}

FloatColour Clamped(const FloatColour& c) {
    return FloatColour{ClampUnit(c.red), ClampUnit(c.green), ClampUnit(c.blue)};
}

void FillLine(RasterImage& image, bool rows, std::int32_t index, const FloatColour& colour) {
    if (rows) {
        image.FillRow(index, colour);
    } else {
        image.FillColumn(index, colour);
    }
}

std::int32_t TruncToInt(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::clamp(v, -2147483520.0, 2147483520.0));
}

} // namespace

void BackgroundSettings::FillSolid() {
    workingImage.Fill(solidColour.red, solidColour.green, solidColour.blue);
}

void BackgroundSettings::FillGradient() {
    const bool rows = AlongRows(gradientDirection);
    const std::int32_t count = rows ? workingImage.height : workingImage.width;
    if (count < 1) {
        return;
    }
    // The arrow points from colour 1 to colour 2; index 0 is the bottom row or the left column.
    const bool firstAtStart =
        gradientDirection == FillDirection::Up || gradientDirection == FillDirection::Right;
    const FloatColour start = ToFloat(firstAtStart ? gradientColour1 : gradientColour2);
    const FloatColour end = ToFloat(firstAtStart ? gradientColour2 : gradientColour1);
    const auto n = static_cast<float>(count);
    const FloatColour step{(end.red - start.red) / n, (end.green - start.green) / n,
                           (end.blue - start.blue) / n};

    FloatColour v = start;
    for (std::int32_t i = 0; i < count; ++i) {
        v = Clamped(v);
        FillLine(workingImage, rows, i, v);
        v.red += step.red;
        v.green += step.green;
        v.blue += step.blue;
    }
}

void BackgroundSettings::FillRainbow() {
    const bool rows = AlongRows(rainbowDirection);
    const std::int32_t count = rows ? workingImage.height : workingImage.width;
    if (count < 2) {
        return;
    }
    const bool rising = rainbowDirection == FillDirection::Up || rainbowDirection == FillDirection::Right;
    const float startHue = rising ? 0.0f : 360.0f;
    const float endHue = rising ? 360.0f : 0.0f;
    const std::int32_t passes =
        std::max(2, static_cast<std::int32_t>(0.01f * static_cast<float>(workingImage.width)));

    std::vector<FloatColour> colours(static_cast<std::size_t>(count));
    const float hueStep = (endHue - startHue) / static_cast<float>(count - 1);
    float hue = startHue;
    for (auto& colour : colours) {
        const PaintColour c = HlsToRgb(hue, 0.5f, 1.0f);
        colour = Clamped(FloatColour{c.red, c.green, c.blue});
        hue += hueStep;
    }

    // Each pass replaces every colour by the mean of its neighbours within `passes` entries.
    std::vector<FloatColour> copy;
    for (std::int32_t pass = 0; pass < passes; ++pass) {
        copy = colours;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t lo = std::max(0, i - passes);
            const std::int32_t hi = std::min(count - 1, i + passes);
            FloatColour sum;
            for (std::int32_t j = lo; j <= hi; ++j) {
                sum.red += copy[j].red;
                sum.green += copy[j].green;
                sum.blue += copy[j].blue;
            }
            const auto entries = static_cast<float>(hi - lo + 1);
            colours[i] = Clamped(FloatColour{sum.red / entries, sum.green / entries, sum.blue / entries});
        }
    }
    for (std::int32_t i = 0; i < count; ++i) {
        FillLine(workingImage, rows, i, colours[i]);
    }
}

ResultCode BackgroundSettings::FillFromImage(const RasterImage& picture) {
    RasterImage expanded;
    const RasterImage* source = &picture;
    if (picture.bytesPerPixel == 1) {
        expanded = picture;
        if (const ResultCode rc = expanded.ExpandPalette(); rc != Result::Success) {
            return rc;
        }
        source = &expanded;
    }
    if (workingImage.bytesPerPixel != 3 || source->bytesPerPixel != 3) {
        return Result::BadParameter;
    }
    if (workingImage.IsEmpty() || source->IsEmpty() || source->width <= 0 || source->height <= 0) {
        return Result::NoData;
    }
    const auto W = static_cast<float>(workingImage.width);
    const auto H = static_cast<float>(workingImage.height);
    const auto w = static_cast<float>(source->width);
    const auto h = static_cast<float>(source->height);
    float scale = 0.0f;
    std::int32_t startX = 0;
    std::int32_t startY = 0;
    // Cover the background: the relatively taller picture fills the width and overflows top and bottom.
    if (h / w > H / W) {
        scale = W / w;
        const float scaledHeight = scale * h;
        startY = TruncToInt(0.5 * static_cast<double>(H) - 0.5 * static_cast<double>(scaledHeight));
    } else {
        scale = H / h;
        const float scaledWidth = scale * w;
        startX = TruncToInt(0.5 * static_cast<double>(W) - 0.5 * static_cast<double>(scaledWidth));
    }
    return workingImage.ScaleFrom(startX, startY, scale, *source);
}
