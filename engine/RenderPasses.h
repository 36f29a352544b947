#pragma once
// The passes of rendering a rectangle. Each pass reads only what earlier passes wrote, and within a pass
// the work on one row does not depend on other rows, so the rows of a pass may run in any order.

#include <cstdint>
#include <functional>

#include "engine/PaintCanvas.h"
#include "engine/RowScheduler.h"

// Below this many pixels a pass runs on the calling thread alone: waking workers would cost more.
inline constexpr std::int64_t ParallelPassMinPixels = 2048;

// Runs `rowPass` for each row of `bounds` on up to `threads` threads and returns when every row is
// done; the one place where rows of a pass are scheduled.
template <typename RowPass>
void ForEachRow(const UpdateRect& bounds, std::int32_t threads, RowPass&& rowPass) {
    const std::int32_t rows = bounds.y1 - bounds.y0 + 1;
    const std::int64_t pixels = static_cast<std::int64_t>(rows) * (bounds.x1 - bounds.x0 + 1);
    if (threads <= 1 || rows < 2 || pixels < ParallelPassMinPixels) {
        for (std::int32_t row = bounds.y0; row <= bounds.y1; ++row) {
            rowPass(row);
        }
        return;
    }
    const std::function<void(std::int32_t)> piece = [&](std::int32_t i) { rowPass(bounds.y0 + i); };
    RunPieces(rows, threads, piece);
}

// Recomputes the surface record of one pixel from `samples` × `samples` samples.
void UpdatePixel(PaintCanvas& canvas, std::int32_t col, std::int32_t row, std::int32_t samples);

// True when the 3 × 3 block around the pixel holds both painted and bare pixels.
bool IsEdgePixel(const PaintCanvas& canvas, std::int32_t col, std::int32_t row);

// The surface normal of a painted pixel from its neighbours' heights.
void ComputeNormal(PaintCanvas& canvas, std::int32_t col, std::int32_t row);

// Light carried through transparent paint to the background, with the colour it picks up on the way.
void TransmitLight(PaintCanvas& canvas, std::int32_t col, std::int32_t row);
