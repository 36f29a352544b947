#pragma once
// The scalar field of the paint and what it says at one point: the height range a sample may have a
// surface in, the search for that surface from above, and the material blended at a point.
// Shared by surface evaluation and by the transmission of light through transparent paint.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/PaintCanvas.h"

// Field of a metaball at squared (vertically scaled) distance s from its centre: 1 at the centre, 0.5 at
// the inner radius, 0 at the outer radius. Written as "not inside" so that a flat metaball (thickness 0)
// at its own height, where s is not a number, adds nothing instead of a NaN that would spoil every sum.
inline float FieldAtDistanceSq(float s, float outerRadiusSq, float outerRadius, float innerRadius) {
    if (!(s <= outerRadiusSq)) {
        return 0.0f;
    }
    const float d = static_cast<float>(std::sqrt(static_cast<double>(s)));
    if (d >= outerRadius) {
        return 0.0f;
    }
    if (d < innerRadius) {
        return static_cast<float>(1.0 - (0.5 / static_cast<double>(innerRadius)) * static_cast<double>(d));
    }
    const float falloff = (outerRadius - d) / (outerRadius - innerRadius);
    return 0.5f * (falloff * falloff);
}

// Field of one metaball at a point. Inline because the surface search spends most of its time here.
inline float MetaballField(const Metaball& m, float px, float py, float pz) {
    const float dx = px - m.x;
    const float dy = py - m.y;
    const float dz = (pz - m.z) / m.thickness;
    return FieldAtDistanceSq(dx * dx + dy * dy + dz * dz, m.outerRadiusSq, m.outerRadius, m.innerRadius);
}

// How much light a paint lets through: 0 for opaque paint, 1 for clear paint, rising steeply near 0.
inline float Clarity(float transparency) {
    return transparency == 0.0f
               ? 0.0f
               : static_cast<float>(std::sqrt(static_cast<double>((2.0f - transparency) * transparency)));
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

// The running sums of a material blend: every metaball with a non-zero field at the point is added in
// list order, then the sums are turned into the blended material.
struct MaterialSums {
    float fieldSum = 0.0f;
    float colourWeight = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float transparency = 0.0f;
    float highlight = 0.0f;
    float rainbow = 0.0f;

    void Add(const Metaball& m, float field, float clarity) {
        const float c = (1.0f - clarity) * field;
        fieldSum += field;
        colourWeight += c;
        red += c * m.red;
        green += c * m.green;
        blue += c * m.blue;
        transparency += clarity * field;
        highlight += m.highlight * field;
        rainbow += m.rainbow * field;
    }

    // False when no field reached the point.
    bool Finish(SampleMaterial& material) const {
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
};

// The material of all live metaballs of the list blended by their fields at a point; false when no field
// reaches it.
bool EvaluateMaterial(const PixelList& list, const MetaballStore& store, float sx, float sy, float sz,
                      SampleMaterial& material);

// Centre of sample `k` of `samples` along one axis of pixel `pixel`; `step` is 1 / samples as a float.
inline float SampleCoordinate(std::int32_t pixel, std::int32_t k, float step) {
    return static_cast<float>(static_cast<double>(pixel) + (k + 0.5) * static_cast<double>(step));
}
