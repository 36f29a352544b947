#pragma once
// Inclusive pixel rectangle that travels with every change, so nothing redraws more than it changed.

#include <algorithm>
#include <cstdint>

struct UpdateRect {
    std::int32_t x0 = 1;
    std::int32_t y0 = 1;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t valid = 0;

    // The empty form engine operations start from before they accumulate.
    static constexpr UpdateRect Empty() { return UpdateRect{1, 1, 0, 0, 0}; }
    // The empty form of a canvas's pending rectangle after construction.
    static constexpr UpdateRect PendingEmpty() { return UpdateRect{65536, 65536, -1, -1, 0}; }
    static constexpr UpdateRect Make(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
        return UpdateRect{x0, y0, x1, y1, (x0 <= x1 && y0 <= y1) ? 1 : 0};
    }

    void RecomputeValid() { valid = (x0 <= x1 && y0 <= y1) ? 1 : 0; }

    // Union with a valid rectangle; an invalid accumulator takes r's bounds.
    void Union(const UpdateRect& r) {
        if (!valid) {
            x0 = r.x0;
            y0 = r.y0;
            x1 = r.x1;
            y1 = r.y1;
        } else {
            x0 = std::min(x0, r.x0);
            y0 = std::min(y0, r.y0);
            x1 = std::max(x1, r.x1);
            y1 = std::max(y1, r.y1);
        }
        RecomputeValid();
    }

    // Clamp to a canvas of width × height; an invalid rectangle or an empty canvas leaves it unchanged.
    void Clamp(std::int32_t width, std::int32_t height) {
        if (!valid || width < 1 || height < 1) {
            return;
        }
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, width - 1);
        y1 = std::min(y1, height - 1);
        RecomputeValid();
    }

    bool operator==(const UpdateRect&) const = default;
};
