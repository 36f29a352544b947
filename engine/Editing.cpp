#include <algorithm>
#include <cmath>

#include "engine/PaintCanvas.h"
#include "engine/Truncate.h"

namespace {

float Clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

// The colour shown at a pixel of a picture, or black where it has none.
PaintColour ColourOfPixel(const RasterImage& image, std::int32_t col, std::int32_t row) {
    PaintColour colour;
    if (col < 0 || row < 0 || col >= image.width || row >= image.height) {
        return colour;
    }
    const std::size_t offset = static_cast<std::size_t>(row) * static_cast<std::size_t>(image.rowStride) +
                               static_cast<std::size_t>(col) * static_cast<std::size_t>(image.bytesPerPixel);
    if (image.bytesPerPixel == 3 && offset + 3 <= image.data.size()) {
        colour.red = ByteToFloat(image.data[offset + 2]);
        colour.green = ByteToFloat(image.data[offset + 1]);
        colour.blue = ByteToFloat(image.data[offset]);
    } else if (image.bytesPerPixel == 1 && offset < image.data.size()) {
        const std::size_t index = image.data[offset];
        if (index < static_cast<std::size_t>(image.paletteCount) && 3 * index + 2 < image.palette.size()) {
            colour.red = ByteToFloat(image.palette[3 * index]);
            colour.green = ByteToFloat(image.palette[3 * index + 1]);
            colour.blue = ByteToFloat(image.palette[3 * index + 2]);
        }
    }
    colour.red = Clamp01(colour.red);
    colour.green = Clamp01(colour.green);
    colour.blue = Clamp01(colour.blue);
    return colour;
}

} // namespace

int PaintCanvas::PickAt(std::int32_t col, std::int32_t row, std::vector<std::int32_t>& ids,
                        PaintColour& colour) const {
    ids.clear();
    if (col < 0 || row < 0 || col >= width || row >= height || !grid) {
        return 0;
    }
    colour = ColourOfPixel(renderedImage, col, row);
    if (grid->lists.empty() || !store) {
        return 0;
    }
    // Height is ignored: a metaball is picked where its core disc covers the pixel centre.
    const float px = static_cast<float>(col) + 0.5f;
    const float py = static_cast<float>(row) + 0.5f;
    const PixelList& list = grid->At(col, row);
    for (std::int32_t i = 0; i < list.count; ++i) {
        const Metaball& m = store->records[static_cast<std::size_t>(list.entries[i].id)];
        if (!m.IsLive()) {
            continue;
        }
        const float dx = px - m.x;
        const float dy = py - m.y;
        const float distance = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
        if (distance <= m.innerRadius) {
            ids.push_back(m.id);
        }
    }
    return ids.empty() ? 0 : 1;
}

int PaintCanvas::CollectInCircle(float cx, float cy, float radius, std::vector<std::int32_t>& ids) const {
    ids.clear();
    const std::int32_t row0 = std::max(TruncToInt(cy - radius), 0);
    const std::int32_t row1 = std::min(TruncToInt(cy + radius), height - 1);
    const std::int32_t col0 = std::max(TruncToInt(cx - radius), 0);
    const std::int32_t col1 = std::min(TruncToInt(cx + radius), width - 1);
    const float radiusSq = radius * radius;
    std::vector<std::int32_t> picked;
    PaintColour unused;
    for (std::int32_t j = row0; j <= row1; ++j) {
        for (std::int32_t i = col0; i <= col1; ++i) {
            const float dx = (static_cast<float>(i) + 0.5f) - cx;
            const float dy = (static_cast<float>(j) + 0.5f) - cy;
            if (dx * dx + dy * dy <= radiusSq && PickAt(i, j, picked, unused) != 0) {
                ids.insert(ids.end(), picked.begin(), picked.end());
            }
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return 1;
}

int PaintCanvas::EraseIds(const std::vector<std::int32_t>& ids, UpdateRect& rect) {
    rect = UpdateRect::Empty();
    if (ids.empty() || !store) {
        return 0;
    }
    // Only the metaballs this call erased are recorded: undoing the step must not bring back paint that
    // an earlier step erased, nor name ids the store does not hold.
    std::vector<std::int32_t> erased;
    for (const std::int32_t id : ids) {
        if (!store->Contains(id)) {
            continue;
        }
        Metaball& m = store->records[static_cast<std::size_t>(id)];
        if (!m.IsLive()) {
            continue;
        }
        rect.Union(MetaballBounds(m));
        m.state = MetaballErased;
        erased.push_back(id);
    }
    if (erased.empty()) {
        return 0;
    }
    changedIds.insert(changedIds.end(), erased.begin(), erased.end());
    return 1;
}

int PaintCanvas::EraseInCircle(float cx, float cy, float radius, UpdateRect& rect) {
    std::vector<std::int32_t> ids;
    CollectInCircle(cx, cy, radius, ids);
    return EraseIds(ids, rect);
}

int PaintCanvas::RecolourIds(std::vector<std::int32_t>& ids, const PaintColour& colour, UpdateRect& rect) {
    rect = UpdateRect::Empty();
    if (ids.empty() || !store) {
        return 0;
    }
    const std::vector<std::int32_t> requested = ids;
    ids.clear();
    std::vector<PaintColour> previous;
    for (const std::int32_t id : requested) {
        if (!store->Contains(id)) {
            continue;
        }
        Metaball& m = store->records[static_cast<std::size_t>(id)];
        if (!m.IsLive()) {
            continue;
        }
        PaintColour old;
        old.red = Clamp01(m.red);
        old.green = Clamp01(m.green);
        old.blue = Clamp01(m.blue);
        if (std::fabs(old.red - colour.red) <= 1e-4f && std::fabs(old.green - colour.green) <= 1e-4f &&
            std::fabs(old.blue - colour.blue) <= 1e-4f) {
            continue;
        }
        m.red = colour.red;
        m.green = colour.green;
        m.blue = colour.blue;
        ids.push_back(id);
        previous.push_back(old);
        rect.Union(MetaballBounds(m));
    }
    if (ids.empty()) {
        return 0;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
        changedIds.push_back(ids[i]);
        oldColours.push_back(previous[i]);
        newColours.push_back(colour);
    }
    return 1;
}

int PaintCanvas::RecolourInCircle(float cx, float cy, float radius, const PaintColour& colour,
                                  UpdateRect& rect) {
    std::vector<std::int32_t> ids;
    CollectInCircle(cx, cy, radius, ids);
    return RecolourIds(ids, colour, rect);
}

int PaintCanvas::MoveMetaball(std::int32_t id, float x, float y, float z, UpdateRect& oldRect,
                              UpdateRect& newRect) {
    if (!store || !grid || !store->Contains(id) || !store->records[static_cast<std::size_t>(id)].IsLive()) {
        return 0;
    }
    Metaball& m = store->records[static_cast<std::size_t>(id)];
    const Position3 oldPosition{m.x, m.y, m.z};
    oldRect = MetaballBounds(m);
    m.x = x;
    m.y = y;
    m.z = z;
    newRect = MetaballBounds(m);
    oldRect.Clamp(width, height);
    newRect.Clamp(width, height);

    // Every pixel the metaball reached lies inside its old bounds.
    if (oldRect.valid) {
        const std::int32_t x0 = std::max(oldRect.x0, 0);
        const std::int32_t y0 = std::max(oldRect.y0, 0);
        const std::int32_t x1 = std::min(oldRect.x1, grid->width - 1);
        const std::int32_t y1 = std::min(oldRect.y1, grid->height - 1);
        for (std::int32_t row = y0; row <= y1; ++row) {
            for (std::int32_t col = x0; col <= x1; ++col) {
                grid->At(col, row).RemoveFirst(id);
            }
        }
    }
    const int result = InsertIntoGrid(m) == Result::Success ? 1 : 0;
    changedIds.push_back(id);
    oldPositions.push_back(oldPosition);
    newPositions.push_back(Position3{x, y, z});
    return result;
}
