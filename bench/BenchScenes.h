#pragma once
// The paintings the benchmarks work on, built the same way on every run.

#include <cstdint>
#include <vector>

#include "brushes/BrushSettings.h"
#include "engine/PaintCanvas.h"

// 1920 × 1080 with about 200,000 metaballs in overlapping strokes of mixed materials, from a fixed seed.
std::vector<Metaball> HeavyPaintingMetaballs();

// Deposits `metaballs` on a fresh canvas of `width` × `height` and renders it whole.
void BuildCanvas(PaintCanvas& canvas, std::int32_t width, std::int32_t height,
                 const std::vector<Metaball>& metaballs, bool antiAliasing);

// Ten layers of Simple dabs of size 60 over the whole canvas, each layer standing on the one below.
void PaintTenLayers(PaintCanvas& canvas);

// A brush of `kind` and `size` with its pattern built at a fixed second.
BrushSettings FixedBrush(BrushKind kind, float size);

// What one freehand step does with one placement: stamp, deposit, mark and render the dab's rectangle.
// Returns the rectangle it rendered.
UpdateRect PaintDabs(PaintCanvas& canvas, BrushSettings& brush);

// Takes back every metaball from `keepCount` on and renders `rect` again, so the next round paints on
// the same canvas.
void TakeBack(PaintCanvas& canvas, std::int32_t keepCount, UpdateRect rect);
