#include "toolbox/ColourImages.h"

#include <algorithm>

#include "toolbox/ToolColour.h"

namespace {

void PutPixel(RasterImage& image, int x, int y, const PaintColour& colour) {
    std::uint8_t* p = image.PixelAt(x, y);
    p[0] = FloatToByte(colour.blue);
    p[1] = FloatToByte(colour.green);
    p[2] = FloatToByte(colour.red);
}

} // namespace

ResultCode BuildHueBar(RasterImage& image, int width, int height) {
    const ResultCode code = image.CreateRgb(width, height);
    if (code != Result::Success) {
        return code;
    }
    const float step = (HueMax - HueMin) / static_cast<float>(width);
    for (int x = 0; x < width; ++x) {
        const float hue = std::clamp(HueMin + static_cast<float>(x) * step, 0.0f, 1.0f);
        const PaintColour colour = ToolColourToRgb(hue, 0.5f, 1.0f);
        for (int y = 0; y < height; ++y) {
            PutPixel(image, x, y, colour);
        }
    }
    return Result::Success;
}

ResultCode BuildLightnessSaturationField(RasterImage& image, int width, int height, float hue) {
    if (image.width != width || image.height != height || image.bytesPerPixel != 3) {
        const ResultCode code = image.CreateRgb(width, height);
        if (code != Result::Success) {
            return code;
        }
    }
    const float rowStep = 1.1f / static_cast<float>(height);
    const float columnStep = 1.1f / static_cast<float>(width);
    for (int y = 0; y < height; ++y) {
        const float saturation = std::clamp(-0.05f + static_cast<float>(y) * rowStep, 0.0f, 1.0f);
        for (int x = 0; x < width; ++x) {
            const float lightness = std::clamp(-0.05f + static_cast<float>(x) * columnStep, 0.0f, 1.0f);
            PutPixel(image, x, y, ToolColourToRgb(hue, lightness, saturation));
        }
    }
    return Result::Success;
}
