#pragma once
// Small builders shared by the engine tests.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "engine/PaintCanvas.h"

namespace enginetest {

// Resident set size of this process in kB, or -1 where /proc is not available. A Windows build has
// none (under Wine the file is there but tells about the Linux side of the process).
inline long ResidentKb() {
#ifdef _WIN32
    return -1;
#else
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
#endif
}

inline Metaball Ball(float x, float y, float z, float inner, float outer, float thickness = 1.0f) {
    Metaball m;
    m.x = x;
    m.y = y;
    m.z = z;
    m.innerRadius = inner;
    m.outerRadius = outer;
    m.outerRadiusSq = outer * outer;
    m.thickness = thickness;
    return m;
}

inline Metaball Coloured(Metaball m, float red, float green, float blue) {
    m.red = red;
    m.green = green;
    m.blue = blue;
    return m;
}

// One dab the way a stroke lays it: inside an operation, rendering exactly the returned rectangle.
inline UpdateRect PaintDab(PaintCanvas& canvas, const std::vector<Metaball>& balls) {
    canvas.BeginOperation();
    UpdateRect rect;
    canvas.AddMetaballs(balls, rect);
    canvas.MarkDirty(rect, 0);
    canvas.MarkDirty(rect, 1);
    canvas.Render(rect);
    canvas.EndOperation();
    return rect;
}

inline const std::uint8_t* RenderedPixel(const PaintCanvas& canvas, std::int32_t x, std::int32_t y) {
    return canvas.renderedImage.PixelAt(x, y);
}

inline bool ListHolds(const PaintCanvas& canvas, std::int32_t col, std::int32_t row, std::int32_t id) {
    const PixelList& list = canvas.grid->At(col, row);
    for (std::int32_t i = 0; i < list.count; ++i) {
        if (list.entries[i].id == id) {
            return true;
        }
    }
    return false;
}

inline std::int32_t EntriesOf(const PaintCanvas& canvas, std::int32_t col, std::int32_t row,
                              std::int32_t id) {
    const PixelList& list = canvas.grid->At(col, row);
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < list.count; ++i) {
        n += list.entries[i].id == id ? 1 : 0;
    }
    return n;
}

} // namespace enginetest
