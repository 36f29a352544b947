#include "engine/PixelField.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    fields_.resize(terms_.size());
    return true;
}

void PixelField::PrepareSample(float sx, float sy) {
    sample_.clear();
    for (std::size_t i = 0; i < terms_.size(); ++i) {
        const Metaball& m = *terms_[i].metaball;
        const float dx = sx - m.x;
        const float dy = sy - m.y;
        const float planarSq = dx * dx + dy * dy;
        // Further than the outer radius at every height (or not a number): the field is 0 all along.
        if (!(planarSq <= m.outerRadiusSq)) {
            continue;
        }
        // 0 for opaque paint, 1 for clear paint, rising steeply near 0.
        const float clarity = m.transparency == 0.0f ? 0.0f
                                                     : static_cast<float>(std::sqrt(static_cast<double>(
                                                           (2.0f - m.transparency) * m.transparency)));
        sample_.push_back(SampleTerm{terms_[i].top, m.z, m.thickness, planarSq, m.outerRadiusSq,
                                     m.outerRadius, m.innerRadius, clarity, static_cast<std::int32_t>(i)});
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

void PixelField::Fields(std::size_t count, float pz) const {
    const SampleTerm* t = sample_.data();
    float* out = fields_.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    // Four at a time with the very operations of Field on each lane (IEEE division, square root and
    // conversions are exact per lane), so every value is the one Field gives.
    const __m128 height = _mm_set1_ps(pz);
    for (; i + 4 <= count; i += 4) {
        const SampleTerm* q = t + i;
        const __m128 z = _mm_setr_ps(q[0].z, q[1].z, q[2].z, q[3].z);
        const __m128 thickness = _mm_setr_ps(q[0].thickness, q[1].thickness, q[2].thickness, q[3].thickness);
        const __m128 planarSq = _mm_setr_ps(q[0].planarSq, q[1].planarSq, q[2].planarSq, q[3].planarSq);
        const __m128 outerSq =
            _mm_setr_ps(q[0].outerRadiusSq, q[1].outerRadiusSq, q[2].outerRadiusSq, q[3].outerRadiusSq);
        const __m128 outer =
            _mm_setr_ps(q[0].outerRadius, q[1].outerRadius, q[2].outerRadius, q[3].outerRadius);
        const __m128 inner =
            _mm_setr_ps(q[0].innerRadius, q[1].innerRadius, q[2].innerRadius, q[3].innerRadius);

        const __m128 dz = _mm_div_ps(_mm_sub_ps(height, z), thickness);
        const __m128 s = _mm_add_ps(planarSq, _mm_mul_ps(dz, dz));
        const __m128 inside = _mm_cmple_ps(s, outerSq);
        const __m128d sLow = _mm_cvtps_pd(s);
        const __m128d sHigh = _mm_cvtps_pd(_mm_movehl_ps(s, s));
        const __m128d dLow = _mm_sqrt_pd(sLow);
        const __m128d dHigh = _mm_sqrt_pd(sHigh);
        const __m128 d = _mm_movelh_ps(_mm_cvtpd_ps(dLow), _mm_cvtpd_ps(dHigh));
        // Back to double from the float d, as Field does.
        const __m128d dfLow = _mm_cvtps_pd(d);
        const __m128d dfHigh = _mm_cvtps_pd(_mm_movehl_ps(d, d));
        const __m128d innerLow = _mm_cvtps_pd(inner);
        const __m128d innerHigh = _mm_cvtps_pd(_mm_movehl_ps(inner, inner));
        const __m128d half = _mm_set1_pd(0.5);
        const __m128d one = _mm_set1_pd(1.0);
        const __m128d coreLow = _mm_sub_pd(one, _mm_mul_pd(_mm_div_pd(half, innerLow), dfLow));
        const __m128d coreHigh = _mm_sub_pd(one, _mm_mul_pd(_mm_div_pd(half, innerHigh), dfHigh));
        const __m128 core = _mm_movelh_ps(_mm_cvtpd_ps(coreLow), _mm_cvtpd_ps(coreHigh));
        const __m128 falloff = _mm_div_ps(_mm_sub_ps(outer, d), _mm_sub_ps(outer, inner));
        const __m128 edge = _mm_mul_ps(_mm_set1_ps(0.5f), _mm_mul_ps(falloff, falloff));
        const __m128 inCore = _mm_cmplt_ps(d, inner);
        const __m128 value = _mm_or_ps(_mm_and_ps(inCore, core), _mm_andnot_ps(inCore, edge));
        // Zero unless s <= outerRadiusSq and not d >= outerRadius.
        const __m128 counted = _mm_andnot_ps(_mm_cmpge_ps(d, outer), inside);
        _mm_storeu_ps(out + i, _mm_and_ps(counted, value));
    }
#endif
    for (; i < count; ++i) {
        out[i] = Field(t[i], pz);
    }
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
    float z = zTop;
    float previousZ = zTop;
    float previousSum = 0.0f;
    do {
        while (reaching < count && !(terms[reaching].top < z)) {
            ++reaching;
        }
        Fields(reaching, z);
        float sum = 0.0f;
        for (std::size_t i = 0; i < reaching; ++i) {
            sum += fields_[i];
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
    Fields(sample_.size(), sz);
    for (std::size_t i = 0; i < sample_.size(); ++i) {
        const SampleTerm& term = sample_[i];
        const float w = fields_[i];
        if (w == 0.0f) {
            continue;
        }
        const Metaball& m = *terms_[static_cast<std::size_t>(term.term)].metaball;
        const float clarity = term.clarity;
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
