#include "bench/BenchScenes.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "brushes/RandomSource.h"

namespace {

constexpr std::int64_t kFixedSecond = 1700000000;

// Uniform in [0, 1) from the generator's raw words, so the painting does not depend on the library's
// distributions.
float Uniform(std::mt19937& random) {
    return static_cast<float>(random() >> 8) * (1.0f / 16777216.0f);
}

} // namespace

std::vector<Metaball> HeavyPaintingMetaballs() {
    constexpr std::int32_t width = 1920;
    constexpr std::int32_t height = 1080;
    constexpr std::size_t target = 200000;
    std::mt19937 random(20261209u);
    std::vector<Metaball> out;
    out.reserve(target);
    std::int32_t stroke = 0;
    while (out.size() < target) {
        MaterialBlock block;
        const float kind = Uniform(random);
        block.red = Uniform(random);
        block.green = Uniform(random);
        block.blue = Uniform(random);
        block.innerRadius = 2.0f + 3.0f * Uniform(random);
        block.outerRadius = block.innerRadius * 2.0f;
        block.outerRadiusSq = block.outerRadius * block.outerRadius;
        block.thickness = Uniform(random) < 0.3f ? 0.35f : 1.0f;
        block.transparency = kind < 0.7f ? 0.0f : 0.3f + 0.5f * Uniform(random);
        block.rainbow = kind > 0.92f ? 0.3f : 0.0f;
        block.highlight = Uniform(random);

        float x = Uniform(random) * width;
        float y = Uniform(random) * height;
        float angle = Uniform(random) * 6.2831853f;
        const float base = 8.0f * static_cast<float>(stroke) / 2000.0f;
        const std::int32_t length = 40 + static_cast<std::int32_t>(Uniform(random) * 160.0f);
        for (std::int32_t i = 0; i < length && out.size() < target; ++i) {
            angle += (Uniform(random) - 0.5f) * 0.3f;
            x += 2.0f * std::cos(angle);
            y += 2.0f * std::sin(angle);
            if (x < 0.0f || y < 0.0f || x >= width || y >= height) {
                break;
            }
            Metaball m;
            PaintCanvas::MetaballFromTemplate(m, x, y, base + Uniform(random), block);
            out.push_back(m);
        }
        ++stroke;
    }
    return out;
}

void BuildCanvas(PaintCanvas& canvas, std::int32_t width, std::int32_t height,
                 const std::vector<Metaball>& metaballs, bool antiAliasing) {
    canvas.Create(width, height);
    canvas.antiAliasing = antiAliasing ? 1 : 0;
    UpdateRect rect;
    canvas.BeginOperation();
    canvas.AddMetaballs(metaballs, rect);
    UpdateRect whole = UpdateRect::Make(0, 0, width - 1, height - 1);
    canvas.MarkDirty(whole, 1);
    canvas.Render(whole);
    canvas.EndOperation();
}

BrushSettings FixedBrush(BrushKind kind, float size) {
    const ScopedRandomClock clock(kFixedSecond);
    BrushSettings brush = BrushSettings::ForKind(kind);
    brush.brushSize = size;
    brush.BuildDabPattern();
    return brush;
}

void PaintTenLayers(PaintCanvas& canvas) {
    BrushSettings brush = FixedBrush(BrushKind::Simple, 60.0f);
    for (std::int32_t layer = 0; layer < 10; ++layer) {
        canvas.BeginOperation();
        brush.placements.clear();
        const float offset = static_cast<float>(layer * 7 % 50);
        for (float y = offset; y < static_cast<float>(canvas.height); y += 50.0f) {
            for (float x = offset; x < static_cast<float>(canvas.width); x += 50.0f) {
                brush.placements.push_back(DabPlacement{x, y, 0.0f, 0.0f, 1.0f});
            }
        }
        PaintDabs(canvas, brush);
        canvas.EndOperation();
    }
}

UpdateRect PaintDabs(PaintCanvas& canvas, BrushSettings& brush) {
    const ScopedRandomClock clock(kFixedSecond);
    std::vector<Metaball> particles;
    std::vector<UpdateRect> kept;
    UpdateRect total = UpdateRect::Empty();
    for (std::size_t i = 0; i < brush.placements.size(); ++i) {
        brush.StampDab(canvas, static_cast<std::int32_t>(i), particles);
        UpdateRect rect = UpdateRect::Empty();
        canvas.AddMetaballs(particles, rect);
        if (rect.valid) {
            kept.push_back(rect);
            total.Union(rect);
        }
    }
    if (total.valid) {
        canvas.MarkDirty(total, 0);
        for (const UpdateRect& rect : kept) {
            canvas.MarkDirty(rect, 1);
        }
        canvas.Render(total);
    }
    return total;
}

void TakeBack(PaintCanvas& canvas, std::int32_t keepCount, UpdateRect rect) {
    for (std::int32_t id = canvas.store->Count() - 1; id >= keepCount; --id) {
        UpdateRect bounds = PaintCanvas::MetaballBounds(canvas.store->records[static_cast<std::size_t>(id)]);
        bounds.Clamp(canvas.width, canvas.height);
        for (std::int32_t y = bounds.y0; bounds.valid && y <= bounds.y1; ++y) {
            for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
                canvas.grid->At(x, y).RemoveFirst(id);
            }
        }
    }
    canvas.store->records.resize(static_cast<std::size_t>(keepCount));
    canvas.changedIds.clear();
    if (rect.valid) {
        canvas.MarkDirty(rect, 1);
        canvas.Render(rect);
    }
}
