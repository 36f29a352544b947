#include "engine/FieldEvaluation.h"

#include <algorithm>
#include <cmath>

bool SampleHeightRange(const PixelList& list, const MetaballStore& store, HeightRange& range) {
    float top = -1e10f;
    float bottom = 1e10f;
    bool anyLive = false;
    for (std::int32_t i = 0; i < list.count; ++i) {
        const PixelEntry& entry = list.entries[i];
        if (!store.records[static_cast<std::size_t>(entry.id)].IsLive()) {
            continue;
        }
        anyLive = true;
        top = std::max(top, entry.top);
        bottom = std::min(bottom, entry.bottom);
    }
    if (!anyLive) {
        return false;
    }
    // The search never goes below the canvas plane.
    if (bottom < 0.0f) {
        bottom = 0.0f;
    }
    if (bottom >= top) {
        return false;
    }
    range.bottom = bottom;
    range.top = top;
    return true;
}

namespace {

// Sum of the fields at height z of the leading entries that reach up to z; the list is sorted by
// descending top, so the scan ends at the first entry that lies wholly below z.
float FieldSumFromAbove(const PixelList& list, const MetaballStore& store, float sx, float sy, float z) {
    float sum = 0.0f;
    for (std::int32_t i = 0; i < list.count; ++i) {
        const PixelEntry& entry = list.entries[i];
        if (entry.top < z) {
            break;
        }
        const Metaball& m = store.records[static_cast<std::size_t>(entry.id)];
        if (m.IsLive()) {
            sum += MetaballField(m, sx, sy, z);
        }
    }
    return sum;
}

} // namespace

bool SearchSurface(const PixelList& list, const MetaballStore& store, const HeightRange& range,
                   float threshold, float step, float sx, float sy, float& surfaceZ) {
    const float zTop = static_cast<float>(static_cast<double>(range.top) + 0.01);
    const float zBottom = static_cast<float>(static_cast<double>(range.bottom) - 0.01);
    if (zBottom > zTop) {
        return false;
    }
    float z = zTop;
    float previousZ = zTop;
    float previousSum = 0.0f;
    do {
        const float sum = FieldSumFromAbove(list, store, sx, sy, z);
        if (sum == threshold || (previousSum <= threshold && threshold <= sum) ||
            (sum <= threshold && threshold <= previousSum)) {
            if (sum != previousSum) {
                surfaceZ = previousZ + (threshold - previousSum) * (z - previousZ) / (sum - previousSum);
            } else {
                surfaceZ = z;
            }
            return true;
        }
        previousZ = z;
        previousSum = sum;
        z = z - step;
        // Far from the canvas plane a float no longer changes by one step; such paint (only a damaged
        // document can hold it) has no surface rather than an endless search.
        if (!(z < previousZ)) {
            return false;
        }
    } while (z >= zBottom);
    return false;
}

bool EvaluateMaterial(const PixelList& list, const MetaballStore& store, float sx, float sy, float sz,
                      SampleMaterial& material) {
    MaterialSums sums;
    for (std::int32_t i = 0; i < list.count; ++i) {
        const Metaball& m = store.records[static_cast<std::size_t>(list.entries[i].id)];
        if (!m.IsLive()) {
            continue;
        }
        const float w = MetaballField(m, sx, sy, sz);
        if (w == 0.0f) {
            continue; // adds nothing to any sum
        }
        sums.Add(m, w, Clarity(m.transparency));
    }
    return sums.Finish(material);
}
