#pragma once
// The scalar field of the paint and what it says at one point: the height range a sample may have a
// surface in, the search for that surface from above, and the material blended at a point.
// Shared by surface evaluation and by the transmission of light through transparent paint.

#include <cmath>
#include <cstdint>

#include "engine/PaintCanvas.h"

// Field of one metaball at a point: 1 at the centre, 0.5 at the inner radius, 0 at the outer radius.
// Inline because the surface search spends most of its time here.
inline float MetaballField(const Metaball& m, float px, float py, float pz) {
    const float dx = px - m.x;
    const float dy = py - m.y;
    const float dz = (pz - m.z) / m.thickness;
    const float s = dx * dx + dy * dy + dz * dz;
    // Written as "not inside" so that a flat metaball (thickness 0) at its own height adds nothing
    // instead of a NaN that would spoil every sum it enters.
    if (!(s <= m.outerRadiusSq)) {
        return 0.0f;
    }
    const float d = static_cast<float>(std::sqrt(static_cast<double>(s)));
    if (d >= m.outerRadius) {
        return 0.0f;
    }
    if (d < m.innerRadius) {
        return static_cast<float>(1.0 - (0.5 / static_cast<double>(m.innerRadius)) * static_cast<double>(d));
    }
    const float falloff = (m.outerRadius - d) / (m.outerRadius - m.innerRadius);
    return 0.5f * (falloff * falloff);
}

struct HeightRange {
    float bottom = 0.0f;
    float top = 0.0f;
};

// The span of the live entries of a pixel list, never below the canvas plane; false when there is none.
bool SampleHeightRange(const PixelList& list, const MetaballStore& store, HeightRange& range);

// The highest z at which the summed field crosses `threshold`, searched downward in `step`s; false when
// the field never crosses it inside the range.
bool SearchSurface(const PixelList& list, const MetaballStore& store, const HeightRange& range,
                   float threshold, float step, float sx, float sy, float& surfaceZ);

struct SampleMaterial {
    float fieldSum = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float transparency = 0.0f;
    float highlight = 0.0f;
    float rainbow = 0.0f;
};

// The material of all live metaballs of the list blended by their fields at a point; false when no field
// reaches it.
bool EvaluateMaterial(const PixelList& list, const MetaballStore& store, float sx, float sy, float sz,
                      SampleMaterial& material);

// Centre of sample `k` of `samples` along one axis of pixel `pixel`; `step` is 1 / samples as a float.
inline float SampleCoordinate(std::int32_t pixel, std::int32_t k, float step) {
    return static_cast<float>(static_cast<double>(pixel) + (k + 0.5) * static_cast<double>(step));
}
