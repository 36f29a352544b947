#include "engine/PixelField.h"

#include <algorithm>
#include <cmath>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// Where the field of a metaball (centre height z) is exactly 0 along a vertical line at planar distance
// squared `planarSq` from its centre: at and below `low`, at and above `high`. There
// (pz - z)^2 / thickness^2 exceeds outerRadiusSq - planarSq by a relative 1e-4, far more than the
// rounding of the field's few float operations, so the computed s is above outerRadiusSq and the field
// is 0 bit for bit. Where that cannot be shown the band is unbounded.
void ZeroOutside(float z, float thickness, float planarSq, float outerRadiusSq, float& low, float& high) {
    low = -kInfinity;
    high = kInfinity;
    if (!(outerRadiusSq >= 1e-6f) || !(planarSq <= outerRadiusSq) || !std::isfinite(z)) {
        return;
    }
    const double reachSq = static_cast<double>(outerRadiusSq) * 1.0001 - static_cast<double>(planarSq);
    const double half = std::fabs(static_cast<double>(thickness)) * std::sqrt(reachSq) * 1.0001 +
                        1e-6 * (std::fabs(static_cast<double>(z)) + 1.0);
    if (!std::isfinite(half)) {
        return;
    }
    // Widened by a relative 1e-6 before rounding to float, so the float bounds lie outside.
    const double below = static_cast<double>(z) - half;
    const double above = static_cast<double>(z) + half;
    low = static_cast<float>(below - std::fabs(below) * 1e-6);
    high = static_cast<float>(above + std::fabs(above) * 1e-6);
}

// Steps of 0.5 or 1 from a height below 2^24 times the step, and never below the step, land on
// exactly z - k * step: every difference is a multiple of the height's unit in the last place.
bool StepsAreExact(float step) {
    return step == 0.5f || step == 1.0f;
}

// The k-th step below z (k >= 1, counted as repeated subtraction of `step` would) that is the first at
// or below `target`; 0 when the steps cannot be shown to be exact.
double FirstStepAtOrBelow(float z, float step, float target) {
    if (!StepsAreExact(step) || !(z < 16777216.0f * step) || !(target < z)) {
        return 0.0;
    }
    const double from = static_cast<double>(z);
    const double unit = static_cast<double>(step);
    const double limit = static_cast<double>(target);
    double k = std::ceil((from - limit) / unit);
    if (!(k >= 1.0)) {
        k = 1.0;
    }
    while (from - k * unit > limit) {
        k += 1.0;
    }
    while (k > 1.0 && from - (k - 1.0) * unit <= limit) {
        k -= 1.0;
    }
    // Every step before the k-th starts at a height of at least one step.
    if (!(from - (k - 1.0) * unit >= unit)) {
        return 0.0;
    }
    return k;
}

} // namespace

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
        sample_.push_back(SampleTerm{terms_[i].top, m.z, m.thickness, planarSq, m.outerRadiusSq,
                                     m.outerRadius, m.innerRadius, Clarity(m.transparency), -kInfinity,
                                     kInfinity, static_cast<std::int32_t>(i)});
    }
    banded_ = 0;
}

void PixelField::FindBands(std::size_t count) const {
    for (; banded_ < count; ++banded_) {
        SampleTerm& t = sample_[banded_];
        ZeroOutside(t.z, t.thickness, t.planarSq, t.outerRadiusSq, t.low, t.high);
    }
}

// The same operations as MetaballField, with dx * dx + dy * dy computed beforehand.
inline float PixelField::Field(const SampleTerm& t, float pz) {
    const float dz = (pz - t.z) / t.thickness;
    return FieldAtDistanceSq(t.planarSq + dz * dz, t.outerRadiusSq, t.outerRadius, t.innerRadius);
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
    // With no sum yet above the threshold, heights where every summed field is 0 find nothing.
    const bool skipEmpty = threshold > 0.0f;
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
        if (skipEmpty && previousSum == 0.0f) {
            FindBands(reaching);
            // Where does a summed field next become non-zero, if every one is 0 here? Either a term
            // whose band lies below z, or the next term to be summed.
            float next = reaching < count ? terms[reaching].top : -kInfinity;
            bool empty = true;
            for (std::size_t i = 0; i < reaching; ++i) {
                if (z >= terms[i].high) {
                    next = std::max(next, terms[i].high);
                } else if (!(z <= terms[i].low)) {
                    empty = false;
                    break;
                }
            }
            if (empty) {
                if (next < zBottom) {
                    return false; // every step left sums to 0
                }
                const double k = FirstStepAtOrBelow(z, step, next);
                if (k > 1.0) {
                    // The steps between sum to 0 as well; resume at the k-th as if they were taken.
                    const double from = static_cast<double>(z);
                    previousZ = static_cast<float>(from - (k - 1.0) * static_cast<double>(step));
                    previousSum = 0.0f;
                    z = static_cast<float>(from - k * static_cast<double>(step));
                    continue;
                }
            }
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
    MaterialSums sums;
    const std::size_t count = sample_.size();
    Fields(count, sz);
    for (std::size_t i = 0; i < count; ++i) {
        const float w = fields_[i];
        if (w == 0.0f) {
            continue; // adds nothing to any sum
        }
        const SampleTerm& term = sample_[i];
        sums.Add(*terms_[static_cast<std::size_t>(term.term)].metaball, w, term.clarity);
    }
    return sums.Finish(material);
}

float PixelField::NextMarchHeight(float z, float step) const {
    const float plain = z - step;
    FindBands(sample_.size());
    float next = -kInfinity;
    for (const SampleTerm& t : sample_) {
        if (z >= t.high) {
            next = std::max(next, t.high);
        } else if (!(z <= t.low)) {
            return plain; // paint may reach z itself
        }
    }
    if (next == -kInfinity) {
        return -kInfinity; // nothing lies below
    }
    const double k = FirstStepAtOrBelow(z, step, next);
    if (k > 1.0) {
        return static_cast<float>(static_cast<double>(z) - k * static_cast<double>(step));
    }
    return plain;
}
