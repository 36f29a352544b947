#include "brushes/BrushSettings.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "brushes/DabPattern.h"
#include "brushes/RandomSource.h"
#include "engine/PaintCanvas.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Ratio of outer to inner radius when the old inner radius gives none.
constexpr float kDefaultRadiusRatio = 2.0f;

// Kinds whose pattern is random per dab, so every dab builds its own.
bool RebuiltPerDab(BrushKind kind) {
    return kind == BrushKind::Watercolour || kind == BrushKind::Stipple || kind == BrushKind::Spray ||
           kind == BrushKind::Heaped || kind == BrushKind::Rough;
}

void Rotate(float& dx, float& dy, float degrees) {
    const double rad = static_cast<double>(degrees) * kPi / 180.0;
    const float c = static_cast<float>(std::cos(rad));
    const float s = static_cast<float>(std::sin(rad));
    const float x = dx * c - dy * s;
    const float y = dx * s + dy * c;
    dx = x;
    dy = y;
}

ResultCode RunGenerator(BrushSettings& s) {
    switch (s.kind) {
    case BrushKind::Watercolour:
        return BuildWatercolourPattern(s);
    case BrushKind::Stipple:
    case BrushKind::Spray:
        return BuildStipplePattern(s);
    case BrushKind::Multi:
        return BuildMultiPattern(s);
    case BrushKind::Faded:
        return BuildFadedPattern(s);
    case BrushKind::Heaped:
        return BuildHeapedPattern(s);
    case BrushKind::ParallelLines:
        return BuildParallelLinesPattern(s);
    case BrushKind::Bellows:
        return BuildBellowsPattern(s);
    case BrushKind::Radial:
        return BuildRadialPattern(s);
    case BrushKind::Circle:
        return BuildCirclePattern(s);
    case BrushKind::Rough:
        return BuildRoughPattern(s);
    default:
        return Result::Success;
    }
}

} // namespace

BrushSettings::BrushSettings() {
    particle.red = 1.0f;
    particle.green = 1.0f;
    particle.blue = 0.0f;
    particle.innerRadius = 30.0f;
    particle.outerRadius = 60.0f;
    particle.outerRadiusSq = 3600.0f;
    particle.thickness = 1.0f;
    particle.reserved1 = 0.3f;
    particle.reserved2 = 0.8f;
    particle.transparency = 0.0f;
    particle.highlight = 1.0f;
    particle.reserved3 = 200.0f;
    particle.reserved4 = 0.0f;
    particle.rainbow = 0.0f;
    ProgramRandom().Reseed();
    FillRandomTable();
}

BrushSettings BrushSettings::ForKind(BrushKind kind) {
    BrushSettings settings;
    settings.ApplyKindDefaults(kind);
    return settings;
}

void BrushSettings::FillRandomTable() {
    RandomSource& random = ProgramRandom();
    randomTable.assign(static_cast<std::size_t>(std::max(randomTableSize, 0)), 0.0f);
    for (float& value : randomTable) {
        value = static_cast<float>(random.Draw());
    }
    randomCursor = 0;
}

void BrushSettings::ApplyKindDefaults(BrushKind newKind) {
    kind = newKind;
    brushSize = 40.0f;
    density = 1.0f;
    dabPattern.clear();
    dabPatternCount = 0;
    particle.red = 1.0f;
    particle.blue = 0.0f;
    particle.thickness = 1.0f;
    particle.reserved1 = 0.3f;
    particle.transparency = 0.0f;
    particle.rainbow = 0.0f;
    float e = 1.0f;

    switch (newKind) {
    case BrushKind::Simple:
        brushSize = 60.0f;
        e = 30.0f;
        break;
    case BrushKind::RainbowPattern:
        brushSize = 60.0f;
        e = 30.0f;
        particle.reserved1 = 0.0f;
        particle.transparency = 0.5f;
        particle.rainbow = 0.3f;
        break;
    case BrushKind::Watercolour:
        brushSize = 50.0f;
        particle.thickness = 0.35f;
        particle.transparency = 0.3f;
        break;
    case BrushKind::Stipple:
    case BrushKind::Multi:
    case BrushKind::Faded:
    case BrushKind::Spray:
        e = 1.2f;
        density = 0.5f;
        break;
    case BrushKind::Heaped:
        e = 4.0f;
        density = 0.5f;
        break;
    case BrushKind::ParallelLines:
    case BrushKind::Circle:
        e = 2.0f;
        break;
    case BrushKind::Bellows:
        e = 3.0f;
        break;
    case BrushKind::Radial:
        e = 1.1f;
        density = 0.25f;
        break;
    case BrushKind::Rough:
        e = 1.25f;
        density = 0.5f;
        break;
    case BrushKind::Eraser:
    case BrushKind::Stir:
        brushSize = 40.0f;
        break;
    case BrushKind::Eyedropper:
        brushSize = 0.0f;
        break;
    case BrushKind::Recolour:
        brushSize = 20.0f;
        break;
    case BrushKind::NoBrush:
        break;
    }

    particle.innerRadius = e;
    particle.outerRadius = 2.0f * e;
    particle.outerRadiusSq = (2.0f * e) * (2.0f * e);
}

void BrushSettings::SetParticleSize(float innerRadius) {
    const float oldInner = particle.innerRadius;
    const float ratio = (oldInner > 0.0f && std::isfinite(particle.outerRadius / oldInner))
                            ? particle.outerRadius / oldInner
                            : kDefaultRadiusRatio;
    particle.innerRadius = innerRadius;
    particle.outerRadius = std::max(innerRadius, innerRadius * ratio);
    particle.outerRadiusSq = particle.outerRadius * particle.outerRadius;
}

float BrushSettings::NextRandom() {
    const std::int32_t size = std::min(randomTableSize, static_cast<std::int32_t>(randomTable.size()));
    if (size <= 0) {
        return 0.0f;
    }
    if (randomCursor < 0 || randomCursor >= size) {
        randomCursor = 0;
    }
    const float value = randomTable[static_cast<std::size_t>(randomCursor)];
    ++randomCursor;
    if (randomCursor >= size) {
        randomCursor = 0;
    }
    return value;
}

void BrushSettings::SkipRandom(std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        NextRandom();
    }
}

Metaball BrushSettings::MakeParticle(float dx, float dy, float dz) const {
    Metaball m;
    m.reserved1 = 0.2f;
    m.reserved2 = 0.8f;
    m.id = -1;
    m.state = MetaballLive;
    PaintCanvas::MetaballFromTemplate(m, dx, dy, dz, particle);
    m.red = std::clamp(particle.red, 0.0f, 1.0f);
    m.green = std::clamp(particle.green, 0.0f, 1.0f);
    m.blue = std::clamp(particle.blue, 0.0f, 1.0f);
    return m;
}

ResultCode BrushSettings::BuildDabPattern() {
    if (kind == BrushKind::NoBrush) {
        return Result::Success;
    }
    // Every pattern starts from a new seed, so even two copies of one record build different
    // patterns. Under the calendar seeding two patterns built in the same second skip by the same
    // amount and differ only where the cursor has moved on by the values the earlier one read.
    RandomSource& random = ProgramRandom();
    random.Reseed();
    SkipRandom(random.DrawWhole(10, 50));

    try {
        switch (kind) {
        case BrushKind::Simple:
        case BrushKind::RainbowPattern:
            SetParticleSize(brushSize * 0.25f);
            dabPattern.clear();
            dabPattern.push_back(MakeParticle(0.0f, 0.0f, 0.0f));
            break;
        default: {
            const ResultCode code = RunGenerator(*this);
            if (code != Result::Success) {
                dabPatternCount = static_cast<std::int32_t>(dabPattern.size());
                return code;
            }
            break;
        }
        }
    } catch (const std::bad_alloc&) {
        dabPattern.clear();
        dabPatternCount = 0;
        return Result::OutOfMemory;
    }
    dabPatternCount = static_cast<std::int32_t>(dabPattern.size());
    return Result::Success;
}

float BrushSettings::DabSpacing() const {
    switch (kind) {
    case BrushKind::Watercolour:
        return particle.innerRadius * 0.5f;
    case BrushKind::Stipple:
    case BrushKind::Eraser:
    case BrushKind::Recolour:
        return brushSize / 6.0f;
    case BrushKind::Spray:
    case BrushKind::Heaped:
        return brushSize / 12.0f;
    case BrushKind::Bellows:
        return particle.innerRadius * 2.25f;
    case BrushKind::Radial:
        return brushSize * 0.125f;
    default:
        return particle.innerRadius;
    }
}

ResultCode BrushSettings::StampDab(const PaintCanvas& canvas, std::int32_t index,
                                   std::vector<Metaball>& out) {
    out.clear();
    if (index < 0 || index >= static_cast<std::int32_t>(placements.size())) {
        return Result::IndexOutOfRange;
    }
    if (!StampsDabs(kind)) {
        return Result::Success;
    }
    const DabPlacement p = placements[static_cast<std::size_t>(index)];
    if (RebuiltPerDab(kind)) {
        const ResultCode code = BuildDabPattern();
        if (code != Result::Success) {
            return code;
        }
    }
    const float angle = kind == BrushKind::Radial ? NextRandom() * 360.0f : p.angle;
    // The whole arch of a bellows dab stands on one base height.
    const float archBase = kind == BrushKind::Bellows ? canvas.BaseHeight(p.x, p.y, 2.0f) : 0.0f;

    out.reserve(dabPattern.size());
    for (const Metaball& source : dabPattern) {
        Metaball m = source;
        float dx = m.x;
        float dy = m.y;
        if (p.scale != 1.0f) {
            dx *= p.scale;
            dy *= p.scale;
        }
        if (angle != 0.0f) {
            Rotate(dx, dy, angle);
        }
        m.x = p.x + dx;
        m.y = p.y + dy;
        if (kind == BrushKind::Bellows) {
            m.z += archBase;
        } else {
            const float window = std::max(2.0f, 2.0f * m.innerRadius / 1.414f);
            m.z += canvas.BaseHeight(m.x, m.y, window);
        }
        out.push_back(m);
    }
    return Result::Success;
}

ResultCode BrushSettings::StampDabAt(float x, float y, float angle, std::vector<Metaball>& out) {
    if (!StampsDabs(kind)) {
        return Result::Success;
    }
    if (RebuiltPerDab(kind) || kind == BrushKind::Radial) {
        const ResultCode code = BuildDabPattern();
        if (code != Result::Success) {
            return code;
        }
    }
    for (const Metaball& source : dabPattern) {
        Metaball m = source;
        float dx = m.x;
        float dy = m.y;
        if (angle != 0.0f) {
            Rotate(dx, dy, angle);
        }
        m.x = x + dx;
        m.y = y + dy;
        out.push_back(m);
    }
    return Result::Success;
}
