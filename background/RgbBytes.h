#pragma once
// A colour as the dialogs and settings hold it: three bytes red, green, blue.

#include <cstdint>

struct RgbBytes {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const RgbBytes&) const = default;
};
