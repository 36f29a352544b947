#include "background/Grid.h"

#include <algorithm>

namespace {

// Odd lines are dashed: three pixels on, four off, by image coordinate.
bool OnDash(std::int32_t position) {
    return position % 7 >= 4;
}

} // namespace

void DrawGrid(RasterImage& image, UpdateRect rect, std::int32_t spacing, const RgbBytes& colour) {
    if (image.bytesPerPixel != 3 || image.IsEmpty() || spacing < 1) {
        return;
    }
    if (!rect.valid) {
        return;
    }
    rect.x0 = std::max(rect.x0, 0);
    rect.y0 = std::max(rect.y0, 0);
    rect.x1 = std::min(rect.x1, image.width - 1);
    rect.y1 = std::min(rect.y1, image.height - 1);
    rect.RecomputeValid();
    if (!rect.valid) {
        return;
    }
    const std::uint8_t red = FloatToByte(ByteToFloat(colour.red));
    const std::uint8_t green = FloatToByte(ByteToFloat(colour.green));
    const std::uint8_t blue = FloatToByte(ByteToFloat(colour.blue));
    const auto put = [&](std::int32_t x, std::int32_t y) {
        std::uint8_t* p = image.PixelAt(x, y);
        p[0] = blue;
        p[1] = green;
        p[2] = red;
    };

    // Only the lines that cross the rectangle: k × spacing within [y0, y1], and likewise for columns.
    for (std::int64_t k = (static_cast<std::int64_t>(rect.y0) + spacing - 1) / spacing;
         k * spacing <= rect.y1; ++k) {
        const auto y = static_cast<std::int32_t>(k * spacing);
        for (std::int32_t x = rect.x0; x <= rect.x1; ++x) {
            if (k % 2 == 0 || OnDash(x)) {
                put(x, y);
            }
        }
    }
    for (std::int64_t k = (static_cast<std::int64_t>(rect.x0) + spacing - 1) / spacing;
         k * spacing <= rect.x1; ++k) {
        const auto x = static_cast<std::int32_t>(k * spacing);
        for (std::int32_t y = rect.y0; y <= rect.y1; ++y) {
            if (k % 2 == 0 || OnDash(y)) {
                put(x, y);
            }
        }
    }
}
