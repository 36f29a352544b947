#include "engine/PixelField.h"

#include <algorithm>
#include <cmath>
#include <limits>

bool PixelField::Prepare(const PixelList& list, const MetaballStore& store, HeightRange& range) {
    terms_.clear();
    float top = -1e10f;
    float bottom = 1e10f;
    for (std::int32_t i = 0; i < list.count; ++i) {
        const PixelEntry& entry = list.entries[i];
        const Metaball& m = store.records[static_cast<std::size_t>(entry.id)];
        if (!m.IsLive()) {
            continue;
        }
        top = std::max(top, entry.top);
        bottom = std::min(bottom, entry.bottom);
        terms_.push_back(Term{entry.top, &m});
    }
    if (terms_.empty()) {
        return false;
    }
    if (bottom < 0.0f) {
        bottom = 0.0f;
    }
    if (bottom >= top) {
        return false;
    }
    range.bottom = bottom;
    range.top = top;
    sample_.reserve(terms_.size());
    return true;
}

namespace {

// Heights between which the metaball's field may be non-zero on a vertical line at squared planar
// distance `planarSq`: |pz - z| / thickness must not exceed sqrt(outerRadiusSq - planarSq). The margins
// (relative 1e-3, plus 1e-5 of the squared radius and of the height) are far larger than the rounding of
// the float arithmetic in the field, so outside the bounds that arithmetic surely gives s > outerRadiusSq.
// Without finite positive values the bounds stay infinite and nothing is left out.
template <typename T> void ReachAlongLine(const T& t, float planarSq, float& low, float& high) {
    if (!(t.thickness > 0.0f) || !std::isfinite(t.thickness) || !std::isfinite(t.outerRadiusSq) ||
        !std::isfinite(t.z)) {
        return;
    }
    const double rest = static_cast<double>(t.outerRadiusSq) - static_cast<double>(planarSq) +
                        1e-5 * static_cast<double>(t.outerRadiusSq);
    const double near = static_cast<double>(t.thickness) * std::sqrt(std::max(rest, 0.0)) * 1.001;
    // The last term also covers rounding the bounds to floats.
    const double reach = near + 1e-5 * (std::fabs(static_cast<double>(t.z)) + 1.0) + 1e-6 * near;
    const float lowBound = static_cast<float>(static_cast<double>(t.z) - reach);
    const float highBound = static_cast<float>(static_cast<double>(t.z) + reach);
    if (std::isfinite(lowBound) && std::isfinite(highBound)) {
        low = lowBound;
        high = highBound;
    }
}

} // namespace

void PixelField::PrepareSample(float sx, float sy) {
    sample_.clear();
    reachesFound_ = 0;
    const float infinity = std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < terms_.size(); ++i) {
        const Metaball& m = *terms_[i].metaball;
        const float dx = sx - m.x;
        const float dy = sy - m.y;
        const float planarSq = dx * dx + dy * dy;
        // Further than the outer radius at every height (or not a number): the field is 0 all along.
        if (!(planarSq <= m.outerRadiusSq)) {
            continue;
        }
        sample_.push_back(SampleTerm{terms_[i].top, -infinity, infinity, m.z, m.thickness, planarSq,
                                     m.outerRadiusSq, m.outerRadius, m.innerRadius,
                                     static_cast<std::int32_t>(i)});
    }
}

void PixelField::FindReaches(std::size_t count) const {
    for (; reachesFound_ < count; ++reachesFound_) {
        SampleTerm& t = sample_[reachesFound_];
        ReachAlongLine(t, t.planarSq, t.low, t.high);
    }
}

// The same operations as MetaballField, with dx * dx + dy * dy computed beforehand.
inline float PixelField::Field(const SampleTerm& t, float pz) {
    const float dz = (pz - t.z) / t.thickness;
    const float s = t.planarSq + dz * dz;
    if (!(s <= t.outerRadiusSq)) {
        return 0.0f;
    }
    const float d = static_cast<float>(std::sqrt(static_cast<double>(s)));
    if (d >= t.outerRadius) {
        return 0.0f;
    }
    if (d < t.innerRadius) {
        return static_cast<float>(1.0 - (0.5 / static_cast<double>(t.innerRadius)) * static_cast<double>(d));
    }
    const float falloff = (t.outerRadius - d) / (t.outerRadius - t.innerRadius);
    return 0.5f * (falloff * falloff);
}

bool PixelField::SearchSurface(const HeightRange& range, float threshold, float step, float& surfaceZ) const {
    const float zTop = static_cast<float>(static_cast<double>(range.top) + 0.01);
    const float zBottom = static_cast<float>(static_cast<double>(range.bottom) - 0.01);
    if (zBottom > zTop) {
        return false;
    }
    const SampleTerm* terms = sample_.data();
    const std::size_t count = sample_.size();
    // The terms summed at z are those before the first one whose top lies below z; as z only falls,
    // that boundary only moves on.
    std::size_t reaching = 0;
    std::int32_t steps = 0;
    float z = zTop;
    float previousZ = zTop;
    float previousSum = 0.0f;
    do {
        while (reaching < count && !(terms[reaching].top < z)) {
            ++reaching;
        }
        // A long search pays for working out where each metaball reaches; a short one does not.
        if (++steps > 4) {
            FindReaches(reaching);
        }
        float sum = 0.0f;
        for (std::size_t i = 0; i < reaching; ++i) {
            if (z >= terms[i].low && z <= terms[i].high) {
                sum += Field(terms[i], z);
            }
        }
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
        if (!(z < previousZ)) {
            return false;
        }
    } while (z >= zBottom);
    return false;
}

bool PixelField::EvaluateMaterial(float sz, SampleMaterial& material) const {
    float fieldSum = 0.0f;
    float colourWeight = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float transparency = 0.0f;
    float highlight = 0.0f;
    float rainbow = 0.0f;
    for (const SampleTerm& term : sample_) {
        if (!(sz >= term.low && sz <= term.high)) {
            continue;
        }
        const float w = Field(term, sz);
        if (w == 0.0f) {
            continue;
        }
        const Metaball& m = *terms_[static_cast<std::size_t>(term.term)].metaball;
        // 0 for opaque paint, 1 for clear paint, rising steeply near 0.
        const float clarity = m.transparency == 0.0f ? 0.0f
                                                     : static_cast<float>(std::sqrt(static_cast<double>(
                                                           (2.0f - m.transparency) * m.transparency)));
        const float c = (1.0f - clarity) * w;
        fieldSum += w;
        colourWeight += c;
        red += c * m.red;
        green += c * m.green;
        blue += c * m.blue;
        transparency += clarity * w;
        highlight += m.highlight * w;
        rainbow += m.rainbow * w;
    }
    if (!(fieldSum > 0.0f)) {
        return false;
    }
    material.fieldSum = fieldSum;
    if (colourWeight != 0.0f) {
        material.red = std::min(red / colourWeight, 1.0f);
        material.green = std::min(green / colourWeight, 1.0f);
        material.blue = std::min(blue / colourWeight, 1.0f);
    } else {
        material.red = 0.0f;
        material.green = 0.0f;
        material.blue = 0.0f;
    }
    material.transparency = transparency / fieldSum;
    material.highlight = highlight / fieldSum;
    material.rainbow = rainbow / fieldSum;
    return true;
}
