#include "persistence/RasterImage.h"

#include "engine/MemoryLimit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

// Coordinates beyond this magnitude cannot touch any picture (sides are far smaller) and would lose
// the unit steps of the line walk to float rounding, so they are clamped before truncation.
constexpr float kCoordinateLimit = 4194304.0f;

// Truncation toward zero that stays defined for huge or non-finite values.
std::int32_t TruncClamped(float v) {
    if (std::isnan(v)) {
        return 0;
    }
    v = std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
    return static_cast<std::int32_t>(v);
}

std::int32_t TruncClamped(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    v = std::clamp(v, -2147483520.0, 2147483520.0);
    return static_cast<std::int32_t>(v);
}

bool Finite(float v) {
    return std::isfinite(v) && std::fabs(v) <= kCoordinateLimit;
}

void PutPixel(RasterImage& image, std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
              std::uint8_t blue) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) {
        return;
    }
    std::uint8_t* p = image.PixelAt(x, y);
    p[0] = blue;
    p[1] = green;
    p[2] = red;
}

bool IsRgb(const RasterImage& image) {
    return image.bytesPerPixel == 3 && !image.data.empty() &&
           image.data.size() >=
               static_cast<std::size_t>(image.rowStride) * static_cast<std::size_t>(image.height);
}

} // namespace

std::uint8_t FloatToByte(float v) {
    if (!(v > 0.0f)) {
        return 0;
    }
    if (v > 1.0f) {
        v = 1.0f;
    }
    return static_cast<std::uint8_t>(static_cast<std::int32_t>(v * 255.0f));
}

std::int32_t RasterImage::StrideFor(std::int32_t width, std::int32_t bytesPerPixel) {
    const std::int64_t bytes = static_cast<std::int64_t>(width) * bytesPerPixel;
    const std::int64_t stride = (bytes + 3) / 4 * 4;
    if (stride > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max() / 4 * 4;
    }
    return static_cast<std::int32_t>(stride);
}

bool RasterImage::HoldsSize(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel) {
    if (width < 0 || height < 0 || bytesPerPixel < 0) {
        return false;
    }
    const std::int64_t stride = (static_cast<std::int64_t>(width) * bytesPerPixel + 3) / 4 * 4;
    const std::uint64_t size = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
    return stride <= std::numeric_limits<std::int32_t>::max() &&
           size <= std::numeric_limits<std::uint32_t>::max();
}

ResultCode RasterImage::Create(std::int32_t newWidth, std::int32_t newHeight, std::int32_t newBytesPerPixel,
                               std::int32_t newPaletteCount) {
    Clear();
    if (newWidth < 0 || newHeight < 0 || newBytesPerPixel < 0 || newPaletteCount < 0) {
        return Result::BadParameter;
    }
    width = newWidth;
    height = newHeight;
    const std::int64_t stride = (static_cast<std::int64_t>(newWidth) * newBytesPerPixel + 3) / 4 * 4;
    const std::uint64_t size = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(newHeight);
    // The data size is a 32-bit field; a size the machine cannot hold is refused before allocating.
    if (!HoldsSize(newWidth, newHeight, newBytesPerPixel) || !FitsInMemory(size)) {
        return Result::OutOfMemory;
    }
    rowStride = static_cast<std::int32_t>(stride);
    dataSize = static_cast<std::uint32_t>(size);
    try {
        data.assign(dataSize, 0);
    } catch (const std::bad_alloc&) {
        data.clear();
        data.shrink_to_fit();
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    bytesPerPixel = newBytesPerPixel;
    if (newPaletteCount > 0) {
        try {
            palette.assign(static_cast<std::size_t>(newPaletteCount) * 3, 0);
        } catch (const std::bad_alloc&) {
            palette.clear();
            return Result::OutOfMemory;
        } catch (const std::length_error&) {
            return Result::OutOfMemory;
        }
    }
    paletteCount = newPaletteCount;
    return Result::Success;
}

ResultCode RasterImage::CreateRgb(std::int32_t newWidth, std::int32_t newHeight) {
    return Create(newWidth, newHeight, 3, 0);
}

void RasterImage::CopyFrom(const RasterImage& source) {
    if (&source == this) {
        return;
    }
    if (source.width == 0 && source.height == 0 && source.data.empty()) {
        Clear();
        return;
    }
    if (Create(source.width, source.height, source.bytesPerPixel, source.paletteCount) != Result::Success) {
        return;
    }
    SetRows(static_cast<std::uint32_t>(std::min<std::size_t>(source.data.size(), dataSize)),
            source.data.data(), source.rowStride, source.bytesPerPixel * 8);
    const std::size_t paletteBytes = std::min(palette.size(), source.palette.size());
    std::copy_n(source.palette.begin(), paletteBytes, palette.begin());
}

void RasterImage::SetRows(std::uint32_t byteCount, const std::uint8_t* sourceRows, std::int32_t sourceStride,
                          std::int32_t sourceBitsPerPixel) {
    if (sourceRows == nullptr || data.empty()) {
        return;
    }
    const std::size_t available = std::min<std::size_t>(byteCount, data.size());
    if (sourceStride == rowStride && sourceBitsPerPixel == bytesPerPixel * 8) {
        std::memcpy(data.data(), sourceRows, available);
        return;
    }
    // A differing layout is copied row by row, as much of each row as both layouts hold.
    if (sourceStride <= 0 || sourceBitsPerPixel != bytesPerPixel * 8) {
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(std::min(sourceStride, rowStride));
    for (std::int32_t y = 0; y < height; ++y) {
        const std::size_t sourceOffset = static_cast<std::size_t>(y) * static_cast<std::size_t>(sourceStride);
        if (sourceOffset + rowBytes > byteCount) {
            break;
        }
        std::memcpy(Row(y), sourceRows + sourceOffset, rowBytes);
    }
}

void RasterImage::Clear() {
    width = 0;
    height = 0;
    bytesPerPixel = 0;
    rowStride = 0;
    paletteCount = 0;
    dataSize = 0;
    std::vector<std::uint8_t>().swap(palette);
    std::vector<std::uint8_t>().swap(data);
}

ResultCode RasterImage::CopyRect(const RasterImage& source, const UpdateRect& rect) {
    if (!IsRgb(*this) || !IsRgb(source)) {
        return Result::BadParameter;
    }
    if (source.width != width || source.height != height) {
        return Result::SizeMismatch;
    }
    if (!rect.valid) {
        return Result::OutsideImage;
    }
    const std::int32_t x0 = std::max(rect.x0, 0);
    const std::int32_t y0 = std::max(rect.y0, 0);
    const std::int32_t x1 = std::min(rect.x1, width - 1);
    const std::int32_t y1 = std::min(rect.y1, height - 1);
    if (x0 > x1 || y0 > y1) {
        return Result::OutsideImage;
    }
    const std::size_t bytes = static_cast<std::size_t>(x1 - x0 + 1) * 3;
    for (std::int32_t y = y0; y <= y1; ++y) {
        std::memcpy(PixelAt(x0, y), source.PixelAt(x0, y), bytes);
    }
    return Result::Success;
}

ResultCode RasterImage::CopyOverlap(const RasterImage& source) {
    if (bytesPerPixel != source.bytesPerPixel) {
        return Result::BadParameter;
    }
    if (IsEmpty() || source.IsEmpty()) {
        return Result::NoData;
    }
    const std::int32_t rows = std::min(height, source.height);
    const std::size_t bytes = static_cast<std::size_t>(std::min(width, source.width)) * bytesPerPixel;
    for (std::int32_t y = 0; y < rows; ++y) {
        std::memcpy(Row(y), source.Row(y), bytes);
    }
    return Result::Success;
}

ResultCode RasterImage::ScaleFrom(std::int32_t startX, std::int32_t startY, float scale,
                                  const RasterImage& source) {
    if (!(scale > 0.0f) || bytesPerPixel != 3 || source.bytesPerPixel != 3) {
        return Result::BadParameter;
    }
    if (IsEmpty() || source.IsEmpty()) {
        return Result::NoData;
    }
    const std::int64_t h = TruncClamped(static_cast<double>(static_cast<float>(source.height) * scale));
    const std::int64_t w = TruncClamped(static_cast<double>(static_cast<float>(source.width) * scale));
    if (h <= 0 || w <= 0) {
        return Result::BelowMinimum;
    }
    // Rows and columns below 0 are skipped, so the walk may start at 0 directly.
    for (std::int64_t i = std::max<std::int64_t>(startY, 0); i - startY < h; ++i) {
        if (i >= height) {
            break;
        }
        const double sourceRow = (static_cast<double>(i - startY) + 0.5) / scale;
        if (sourceRow >= source.height) {
            continue;
        }
        const std::int32_t sy = static_cast<std::int32_t>(sourceRow);
        for (std::int64_t j = std::max<std::int64_t>(startX, 0); j - startX < w; ++j) {
            if (j >= width) {
                break;
            }
            const double sourceColumn = (static_cast<double>(j - startX) + 0.5) / scale;
            if (sourceColumn >= source.width) {
                continue;
            }
            FloatColour colour;
            if (source.GetPixelColor(static_cast<std::int32_t>(sourceColumn), sy, colour) !=
                Result::Success) {
                continue;
            }
            std::uint8_t* p = PixelAt(static_cast<std::int32_t>(j), static_cast<std::int32_t>(i));
            p[0] = FloatToByte(colour.blue);
            p[1] = FloatToByte(colour.green);
            p[2] = FloatToByte(colour.red);
        }
    }
    return Result::Success;
}

ResultCode RasterImage::GetPixelColor(std::int32_t x, std::int32_t y, FloatColour& colour) const {
    if (x < 0 || y < 0 || x >= width || y >= height || data.empty()) {
        return Result::OutsideImage;
    }
    const std::uint8_t* p = PixelAt(x, y);
    if (bytesPerPixel == 3) {
        colour.red = ByteToFloat(p[2]);
        colour.green = ByteToFloat(p[1]);
        colour.blue = ByteToFloat(p[0]);
        return Result::Success;
    }
    if (bytesPerPixel == 1) {
        const std::size_t k = p[0];
        if (k < static_cast<std::size_t>(paletteCount) && 3 * k + 2 < palette.size()) {
            colour.red = ByteToFloat(palette[3 * k]);
            colour.green = ByteToFloat(palette[3 * k + 1]);
            colour.blue = ByteToFloat(palette[3 * k + 2]);
        } else {
            colour = FloatColour{};
        }
        return Result::Success;
    }
    return Result::BadParameter;
}

ResultCode RasterImage::ExpandPalette() {
    if (bytesPerPixel != 1) {
        return Result::Success;
    }
    // The new picture is built aside so a failed allocation leaves this one as it was.
    RasterImage expanded;
    const ResultCode rc = expanded.CreateRgb(width, height);
    if (rc != Result::Success) {
        return rc;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* in = Row(y);
        std::uint8_t* out = expanded.Row(y);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t k = in[x];
            std::uint8_t red = 0;
            std::uint8_t green = 0;
            std::uint8_t blue = 0;
            // An index past the palette reads as black instead of reading beyond it.
            if (k < static_cast<std::size_t>(paletteCount) && 3 * k + 2 < palette.size()) {
                red = palette[3 * k];
                green = palette[3 * k + 1];
                blue = palette[3 * k + 2];
            }
            out[3 * x] = blue;
            out[3 * x + 1] = green;
            out[3 * x + 2] = red;
        }
    }
    *this = std::move(expanded);
    return Result::Success;
}

void RasterImage::Fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    if (!IsRgb(*this)) {
        return;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* p = Row(y);
        for (std::int32_t x = 0; x < width; ++x, p += 3) {
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
}

void RasterImage::FillRow(std::int32_t y, const FloatColour& colour) {
    if (!IsRgb(*this) || y < 0 || y >= height) {
        return;
    }
    const std::uint8_t red = FloatToByte(colour.red);
    const std::uint8_t green = FloatToByte(colour.green);
    const std::uint8_t blue = FloatToByte(colour.blue);
    for (std::int32_t x = 0; x < width; ++x) {
        PutPixel(*this, x, y, red, green, blue);
    }
}

void RasterImage::FillColumn(std::int32_t x, const FloatColour& colour) {
    if (!IsRgb(*this) || x < 0 || x >= width) {
        return;
    }
    const std::uint8_t red = FloatToByte(colour.red);
    const std::uint8_t green = FloatToByte(colour.green);
    const std::uint8_t blue = FloatToByte(colour.blue);
    for (std::int32_t y = 0; y < height; ++y) {
        PutPixel(*this, x, y, red, green, blue);
    }
}

void RasterImage::FillCheckerboard(std::int32_t cell, std::uint8_t red, std::uint8_t green,
                                   std::uint8_t blue) {
    if (!IsRgb(*this)) {
        return;
    }
    Fill(red, green, blue);
    // A cell size below 1 has no cells; the picture keeps the plain fill.
    if (cell < 1) {
        return;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int32_t rowBand = y / cell;
        for (std::int32_t x = 0; x < width; ++x) {
            if ((rowBand + x / cell) % 2 == 0) {
                PutPixel(*this, x, y, 255, 255, 255);
            }
        }
    }
}

void RasterImage::DarkenBorder(bool left, bool right, bool top, bool bottom) {
    if (!IsRgb(*this)) {
        return;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const bool inside =
                (left && x < 3) || (right && x >= width - 3) || (bottom && y < 3) || (top && y >= height - 3);
            if (inside) {
                PutPixel(*this, x, y, 64, 64, 64);
            }
        }
    }
}

void RasterImage::DrawCircle(float cx, float cy, float radius, std::uint8_t red, std::uint8_t green,
                             std::uint8_t blue, bool filled) {
    if (!IsRgb(*this) || !Finite(cx) || !Finite(cy) || !Finite(radius)) {
        return;
    }
    const float radiusSq = radius * radius;
    const auto halfChord = [radiusSq](float m) {
        return static_cast<float>(std::sqrt(static_cast<double>(radiusSq - m * m)));
    };

    const std::int32_t firstRow = std::max(0, TruncClamped(cy - radius));
    std::int32_t lastRow = TruncClamped(std::min(static_cast<float>(height), cy + radius));
    if (lastRow >= height) {
        lastRow = height - 1;
    }
    for (std::int32_t y = firstRow; y <= lastRow; ++y) {
        const float m = static_cast<float>(y) + 0.5f - cy;
        if (radiusSq < m * m) {
            continue;
        }
        const float h = halfChord(m);
        const std::int32_t xl = TruncClamped(cx - h);
        const std::int32_t xr = TruncClamped(h + cx);
        if (filled) {
            for (std::int32_t x = std::max(0, xl); x <= std::min(width - 1, xr); ++x) {
                PutPixel(*this, x, y, red, green, blue);
            }
        } else {
            if (xl > 0 && xl < width) {
                PutPixel(*this, xl, y, red, green, blue);
            }
            if (xr > 0 && xr < width) {
                PutPixel(*this, xr, y, red, green, blue);
            }
        }
    }
    if (filled) {
        return;
    }

    const std::int32_t firstColumn = std::max(0, TruncClamped(cx - radius));
    std::int32_t lastColumn = TruncClamped(std::min(static_cast<float>(width), cx + radius));
    if (lastColumn >= width) {
        lastColumn = width - 1;
    }
    for (std::int32_t x = firstColumn; x <= lastColumn; ++x) {
        const float m = static_cast<float>(x) + 0.5f - cx;
        if (radiusSq < m * m) {
            continue;
        }
        const float h = halfChord(m);
        const std::int32_t yb = TruncClamped(cy - h);
        const std::int32_t yt = TruncClamped(h + cy);
        if (yb > 0 && yb < height) {
            PutPixel(*this, x, yb, red, green, blue);
        }
        if (yt > 0 && yt < height) {
            PutPixel(*this, x, yt, red, green, blue);
        }
    }
}

void RasterImage::DrawLine(float x0, float y0, float x1, float y1) {
    if (!IsRgb(*this) || !Finite(x0) || !Finite(y0) || !Finite(x1) || !Finite(y1)) {
        return;
    }
    if (std::fabs(y1 - y0) > 0.001f) {
        const float step = (x1 - x0) / (y1 - y0);
        float x = x0;
        // y only grows, so nothing more can land once it has passed the top row.
        for (float y = y0; y <= y1 && y < static_cast<float>(height) + 1.0f; y += 1.0f, x += step) {
            PutPixel(*this, TruncClamped(x), TruncClamped(y), 128, 128, 128);
        }
    }
    if (std::fabs(x1 - x0) > 0.001f) {
        const float step = (y1 - y0) / (x1 - x0);
        float y = y0;
        for (float x = x0; x <= x1 && x < static_cast<float>(width) + 1.0f; x += 1.0f, y += step) {
            PutPixel(*this, TruncClamped(x), TruncClamped(y), 128, 128, 128);
        }
    }
}

void RasterImage::ScaleBrightness(float factor) {
    if (!IsRgb(*this)) {
        return;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* p = Row(y);
        for (std::int32_t i = 0; i < width * 3; ++i) {
            // A factor above 1 saturates at white rather than wrapping around.
            const float v = std::clamp(static_cast<float>(p[i]) * factor, 0.0f, 255.0f);
            p[i] = static_cast<std::uint8_t>(std::isnan(v) ? 0 : static_cast<std::int32_t>(v));
        }
    }
}

FittedBox RasterImage::FittedGeometry(int targetWidth, int targetHeight) const {
    if (width <= 0 || height <= 0 || targetWidth <= 0 || targetHeight <= 0) {
        return FittedBox{};
    }
    const float r = static_cast<float>(height) / static_cast<float>(width);
    FittedBox box;
    if (static_cast<float>(targetHeight) / static_cast<float>(targetWidth) > r) {
        box.width = targetWidth;
        box.height = TruncClamped(static_cast<float>(targetWidth) * r);
        box.left = 0;
        box.top = (targetHeight - box.height) / 2;
    } else {
        box.height = targetHeight;
        box.width = TruncClamped(static_cast<float>(targetHeight) / r);
        box.top = 0;
        box.left = (targetWidth - box.width) / 2;
    }
    return box;
}
