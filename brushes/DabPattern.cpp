#include "brushes/DabPattern.h"

#include <algorithm>
#include <cmath>

#include "brushes/BrushSettings.h"
#include "engine/Truncate.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kPiF = static_cast<float>(kPi);

float CosDeg(float degrees) {
    return static_cast<float>(std::cos(static_cast<double>(degrees) * kPi / 180.0));
}
float SinDeg(float degrees) {
    return static_cast<float>(std::sin(static_cast<double>(degrees) * kPi / 180.0));
}
float Sqrt(float v) {
    return static_cast<float>(std::sqrt(static_cast<double>(v)));
}

// A count from a float expression; a non-finite value (a particle of no size) counts as none, so the
// generator's minimum applies.
std::int32_t CountOf(float v) {
    if (!std::isfinite(v)) {
        return 0;
    }
    return TruncToInt(v);
}

// How many particles of the outer radius fit side by side in the brush disc, scaled by density,
// rounded to the nearest whole number.
std::int32_t DiscCount(const BrushSettings& s) {
    const float radius = s.brushSize * 0.5f;
    const float rOut = s.particle.outerRadius;
    return CountOf(kPiF * radius * radius * s.density / (kPiF * rOut * rOut) + 0.5f);
}

// Random disc by rejection, shared by Multi and Faded.
std::vector<DabOffset> RejectionDisc(BrushSettings& s) {
    const float radius = s.brushSize * 0.5f;
    const float t = s.particle.thickness;
    std::int32_t wanted = DiscCount(s) * 2;
    if (wanted < 1) {
        wanted = 2;
    }
    const std::int64_t maxAttempts = static_cast<std::int64_t>(wanted) * 10;
    std::vector<DabOffset> candidates;
    for (std::int64_t attempt = 0;
         attempt < maxAttempts && static_cast<std::int32_t>(candidates.size()) < wanted; ++attempt) {
        const float u1 = s.NextRandom();
        const float u2 = s.NextRandom();
        const float u3 = s.NextRandom();
        const float x = (u1 - 0.5f) * 2.0f * radius;
        const float y = (u2 - 0.5f) * 2.0f * radius;
        const float z = radius * t * u3 * 0.25f;
        if (Sqrt(x * x + y * y) < radius) {
            candidates.push_back({x, y, z});
        }
    }
    return candidates;
}

// `count` particles at a random distance and angle in the disc, three random values each. The distance is
// not area-uniform on purpose: particles crowd towards the centre. `height(d, u3)` gives the height.
template <typename Height>
std::vector<DabOffset> PolarScatter(BrushSettings& s, std::int32_t count, float radius, Height height) {
    std::vector<DabOffset> candidates;
    candidates.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const float u1 = s.NextRandom();
        const float u2 = s.NextRandom();
        const float u3 = s.NextRandom();
        const float d = u1 * radius;
        const float phi = u2 * 360.0f;
        candidates.push_back({d * CosDeg(phi), d * SinDeg(phi), height(d, u3)});
    }
    return candidates;
}

// Ring radii 0, 1.5 r, 3 r, ... up to the brush radius; only the centre when the particle has no size.
std::vector<float> RingRadii(const BrushSettings& s) {
    const float radius = s.brushSize * 0.5f;
    const float spacing = 1.5f * s.particle.innerRadius;
    std::vector<float> radii;
    if (!(spacing > 0.0f)) {
        if (radius >= 0.0f) {
            radii.push_back(0.0f);
        }
        return radii;
    }
    for (std::int32_t i = 0;; ++i) {
        const float ring = static_cast<float>(i) * spacing;
        if (!(ring <= radius)) {
            break;
        }
        radii.push_back(ring);
    }
    return radii;
}

std::int32_t RingPointCount(float ring, float innerRadius) {
    return std::max(3, CountOf(2.0f * kPiF * ring / (1.5f * innerRadius) + 0.5f));
}

// The centre alone, then every further ring with its point count and a random phase; `ringPoints` adds that
// ring's candidates.
template <typename RingPoints>
std::vector<DabOffset> RingCandidates(BrushSettings& s, RingPoints ringPoints) {
    std::vector<DabOffset> candidates;
    for (const float ring : RingRadii(s)) {
        if (ring == 0.0f) {
            candidates.push_back({0.0f, 0.0f, 0.0f});
            continue;
        }
        const std::int32_t count = RingPointCount(ring, s.particle.innerRadius);
        const float phase = s.NextRandom() * 360.0f;
        ringPoints(candidates, ring, count, phase);
    }
    return candidates;
}

} // namespace

void AppendKeptParticles(BrushSettings& settings, const std::vector<DabOffset>& candidates, float keep) {
    settings.dabPattern.clear();
    for (const DabOffset& c : candidates) {
        const float u = settings.NextRandom();
        if (u > keep) {
            continue;
        }
        settings.dabPattern.push_back(settings.MakeParticle(c.x, c.y, c.z));
    }
}

ResultCode BuildWatercolourPattern(BrushSettings& s) {
    const float radius = s.brushSize * 0.5f;
    s.SetParticleSize(Sqrt(radius * radius / 10.0f) * 0.5f * 1.25f);

    const MaterialBlock& p = s.particle;
    const float r = p.innerRadius;
    const float placement = radius - r;
    const float ratio = p.innerRadius > 0.0f ? p.outerRadius / p.innerRadius : 1.0f;
    const float a = p.transparency;
    const float t = p.thickness;

    s.dabPattern.clear();
    for (int i = 0; i < 10; ++i) {
        const float u1 = s.NextRandom();
        const float u2 = s.NextRandom();
        const float d = u1 * placement;
        const float phi = u2 * 360.0f;
        Metaball m = s.MakeParticle(d * CosDeg(phi), d * SinDeg(phi), 0.0f);

        const float u3 = s.NextRandom();
        m.innerRadius = std::max(0.5f, r * u3 + 0.5f * r);
        m.outerRadius = std::max(m.innerRadius, ratio * m.innerRadius);
        m.outerRadiusSq = m.outerRadius * m.outerRadius;

        const float ur = s.NextRandom();
        m.red = std::clamp(p.red * ((ur - 0.5f) * 0.5f + 1.0f), 0.0f, 1.0f);
        const float ug = s.NextRandom();
        m.green = std::clamp(p.green * ((ug - 0.5f) * 0.5f + 1.0f), 0.0f, 1.0f);
        const float ub = s.NextRandom();
        m.blue = std::clamp(p.blue * ((ub - 0.5f) * 0.5f + 1.0f), 0.0f, 1.0f);

        const float u4 = s.NextRandom();
        const float share = radius > 0.0f ? d / radius : 0.0f;
        const float clear = a + (1.0f - a) * share;
        m.transparency = (std::min(1.0f, 1.25f * clear) - 0.75f * clear) * u4 + 0.75f * clear;

        const float u5 = s.NextRandom();
        m.thickness = t + u5 * (std::min(1.0f, t) - t);

        s.dabPattern.push_back(m);
    }
    return Result::Success;
}

ResultCode BuildStipplePattern(BrushSettings& s) {
    s.dabPattern.clear();
    const float radius = s.brushSize * 0.5f;
    std::int32_t count = DiscCount(s) / 2;
    if (count < 4) {
        count = 4;
    }
    const float zMax = s.particle.thickness * radius * 0.2f;
    AppendKeptParticles(s, PolarScatter(s, count, radius, [zMax](float, float u3) { return u3 * zMax; }),
                        1.0f);
    return Result::Success;
}

ResultCode BuildMultiPattern(BrushSettings& s) {
    s.dabPattern.clear();
    AppendKeptParticles(s, RejectionDisc(s), 1.0f);
    return Result::Success;
}

ResultCode BuildFadedPattern(BrushSettings& s) {
    s.dabPattern.clear();
    AppendKeptParticles(s, RejectionDisc(s), 1.0f);
    const float radius = s.brushSize * 0.5f;
    const float a = s.particle.transparency;
    if (radius > 0.0f) {
        for (Metaball& m : s.dabPattern) {
            const float d = Sqrt(m.x * m.x + m.y * m.y);
            m.transparency = d / radius * (1.0f - a) + a;
        }
    }
    return Result::Success;
}

ResultCode BuildHeapedPattern(BrushSettings& s) {
    s.dabPattern.clear();
    const float radius = s.brushSize * 0.5f;
    const float t = s.particle.thickness;
    std::int32_t count = DiscCount(s) * 3;
    if (count < 2) {
        count = 2;
    }
    const auto height = [radius, t](float d, float u3) {
        const float dome = Sqrt(std::max(0.0f, radius * radius - d * d));
        return dome * t * u3 * 0.5f;
    };
    AppendKeptParticles(s, PolarScatter(s, count, radius, height), 1.0f);
    return Result::Success;
}

ResultCode BuildParallelLinesPattern(BrushSettings& s) {
    s.dabPattern.clear();
    const float radius = s.brushSize * 0.5f;
    const float r = s.particle.innerRadius;
    const float t = s.particle.thickness;
    const std::int32_t m = CountOf((2.0f * radius / (2.0f * r) + 1.0f) * s.density + 0.5f);
    const std::int32_t count = std::max(m, 2);
    const float step = m <= 1 ? 2.0f * radius : 2.0f * radius / static_cast<float>(m - 1);
    std::vector<DabOffset> candidates;
    candidates.reserve(static_cast<std::size_t>(count));
    for (std::int32_t j = 0; j < count; ++j) {
        const float u = s.NextRandom();
        candidates.push_back({-radius + static_cast<float>(j) * step, 0.0f, t * r * u * 0.1f});
    }
    AppendKeptParticles(s, candidates, 1.0f);
    return Result::Success;
}

ResultCode BuildBellowsPattern(BrushSettings& s) {
    s.dabPattern.clear();
    const float radius = s.brushSize * 0.5f;
    const float r = s.particle.innerRadius;
    const std::int32_t c = CountOf(kPiF * radius / r + 0.5f);
    const std::int32_t count = std::max(c, 2);
    const float step = c <= 1 ? 180.0f : 180.0f / static_cast<float>(c - 1);
    std::vector<DabOffset> candidates;
    candidates.reserve(static_cast<std::size_t>(count));
    for (std::int32_t j = 0; j < count; ++j) {
        const float psi = static_cast<float>(j) * step;
        candidates.push_back({radius * CosDeg(psi), 0.0f, radius * SinDeg(psi)});
    }
    AppendKeptParticles(s, candidates, 1.0f);
    return Result::Success;
}

ResultCode BuildRadialPattern(BrushSettings& s) {
    s.dabPattern.clear();
    const float radius = s.brushSize * 0.5f;
    const float r = s.particle.innerRadius;
    const float t = s.particle.thickness;
    const std::int32_t points = std::max(3, CountOf(2.0f * radius / r + 0.5f));
    const std::int32_t diameters = std::max(1, CountOf(s.density * 10.0f));
    const float phase = s.NextRandom() * 360.0f;
    std::vector<DabOffset> candidates;
    for (std::int32_t i = 0; i < diameters; ++i) {
        const float beta = static_cast<float>(i) * 180.0f / static_cast<float>(diameters) + phase;
        const float u = s.NextRandom();
        const float peak = u * t * radius * 0.5f;
        const float startX = radius * CosDeg(beta);
        const float startY = radius * SinDeg(beta);
        for (std::int32_t k = 0; k < points; ++k) {
            const float along = static_cast<float>(k) / static_cast<float>(points - 1);
            const float x = startX + (-2.0f * startX) * along;
            const float y = startY + (-2.0f * startY) * along;
            const float d = Sqrt(x * x + y * y);
            const float share = radius > 0.0f ? d / radius : 0.0f;
            candidates.push_back({x, y, (1.0f - share) * peak});
        }
    }
    AppendKeptParticles(s, candidates, 1.0f);
    return Result::Success;
}

ResultCode BuildCirclePattern(BrushSettings& s) {
    s.dabPattern.clear();
    const auto ringPoints = [](std::vector<DabOffset>& candidates, float ring, std::int32_t count,
                               float phase) {
        for (std::int32_t j = 0; j < count; ++j) {
            const float angle = static_cast<float>(j) * 360.0f / static_cast<float>(count) + phase;
            candidates.push_back({ring * CosDeg(angle), ring * SinDeg(angle), 0.0f});
        }
    };
    AppendKeptParticles(s, RingCandidates(s, ringPoints), s.density);
    return Result::Success;
}

ResultCode BuildRoughPattern(BrushSettings& s) {
    s.dabPattern.clear();
    const float radius = s.brushSize * 0.5f;
    const float r = s.particle.innerRadius;
    const auto ringPoints = [&s, radius, r](std::vector<DabOffset>& candidates, float ring,
                                            std::int32_t count, float phase) {
        const float fade = 1.0f - ring / radius;
        for (std::int32_t j = 0; j < count; ++j) {
            const float u1 = s.NextRandom();
            if (!(fade > static_cast<float>(std::pow(static_cast<double>(u1), 1.5)))) {
                continue;
            }
            const float u2 = s.NextRandom();
            const float angle = static_cast<float>(j) * 360.0f / static_cast<float>(count) + phase;
            candidates.push_back({ring * CosDeg(angle), ring * SinDeg(angle), u2 * 2.0f * r * fade});
        }
    };
    AppendKeptParticles(s, RingCandidates(s, ringPoints), s.density);
    return Result::Success;
}
