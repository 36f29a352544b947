#pragma once
// The program's one picture type: rows bottom-up, padded to a multiple of 4 bytes,
// 24-bit pixels in the order blue, green, red, or 8-bit indices into a red-green-blue palette.

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/ResultCode.h"
#include "engine/UpdateRect.h"

struct FloatColour {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};

// The box a picture is drawn into when it is fitted into a target, keeping its aspect ratio.
struct FittedBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const FittedBox&) const = default;
};

class RasterImage {
public:
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bytesPerPixel = 0;
    std::int32_t rowStride = 0;
    std::int32_t paletteCount = 0;
    std::vector<std::uint8_t> palette; // paletteCount × (red, green, blue)
    std::uint32_t dataSize = 0;
    std::vector<std::uint8_t> data;

    RasterImage() = default;
    RasterImage(const RasterImage& other) { CopyFrom(other); }
    RasterImage& operator=(const RasterImage& other) {
        CopyFrom(other);
        return *this;
    }
    // A moved-from image is empty, with every field zero.
    RasterImage(RasterImage&& other) noexcept { TakeFrom(other); }
    RasterImage& operator=(RasterImage&& other) noexcept {
        if (this != &other) {
            TakeFrom(other);
        }
        return *this;
    }

    static std::int32_t StrideFor(std::int32_t width, std::int32_t bytesPerPixel);
    // True when an image of this size has a row stride and a data size its fields can hold (a stride
    // below 2^31 bytes, rows below 4 GiB in all).
    static bool HoldsSize(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel);

    ResultCode Create(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel,
                      std::int32_t paletteCount);
    ResultCode CreateRgb(std::int32_t width, std::int32_t height);
    void CopyFrom(const RasterImage& source);
    void SetRows(std::uint32_t byteCount, const std::uint8_t* sourceRows, std::int32_t sourceStride,
                 std::int32_t sourceBitsPerPixel);
    void Clear();
    bool IsEmpty() const { return data.empty(); }

    std::uint8_t* Row(std::int32_t y) { return data.data() + static_cast<std::size_t>(y) * rowStride; }
    const std::uint8_t* Row(std::int32_t y) const {
        return data.data() + static_cast<std::size_t>(y) * rowStride;
    }
    std::uint8_t* PixelAt(std::int32_t x, std::int32_t y) {
        return Row(y) + static_cast<std::size_t>(x) * bytesPerPixel;
    }
    const std::uint8_t* PixelAt(std::int32_t x, std::int32_t y) const {
        return Row(y) + static_cast<std::size_t>(x) * bytesPerPixel;
    }

    // Pixel operations.
    ResultCode CopyRect(const RasterImage& source, const UpdateRect& rect);
    ResultCode CopyOverlap(const RasterImage& source);
    ResultCode ScaleFrom(std::int32_t startX, std::int32_t startY, float scale, const RasterImage& source);
    ResultCode GetPixelColor(std::int32_t x, std::int32_t y, FloatColour& colour) const;
    ResultCode ExpandPalette();

    // Drawing helpers (24-bit images only; pixels outside the image are left alone).
    void Fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void FillRow(std::int32_t y, const FloatColour& colour);
    void FillColumn(std::int32_t x, const FloatColour& colour);
    void FillCheckerboard(std::int32_t cell, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void DarkenBorder(bool left, bool right, bool top, bool bottom);
    void DrawCircle(float cx, float cy, float radius, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                    bool filled);
    void DrawLine(float x0, float y0, float x1, float y1);
    void ScaleBrightness(float factor);

private:
    void TakeFrom(RasterImage& other) noexcept {
        width = other.width;
        height = other.height;
        bytesPerPixel = other.bytesPerPixel;
        rowStride = other.rowStride;
        paletteCount = other.paletteCount;
        palette = std::move(other.palette);
        dataSize = other.dataSize;
        data = std::move(other.data);
        other.width = other.height = other.bytesPerPixel = other.rowStride = other.paletteCount = 0;
        other.dataSize = 0;
        other.palette.clear();
        other.data.clear();
    }

public:
    // Where DrawFitted puts this picture inside a target box (top-down target coordinates).
    FittedBox FittedGeometry(int targetWidth, int targetHeight) const;
};

// Byte ↔ float colour rules shared by every picture operation.
inline float ByteToFloat(std::uint8_t b) {
    return static_cast<float>(static_cast<double>(b) / 255.0);
}
std::uint8_t FloatToByte(float v);
