#pragma once
// The passes of rendering a rectangle. Each pass reads only what earlier passes wrote, and within a pass
// the work on one row does not depend on other rows, so the rows of a pass may run in any order.

#include <cstdint>

#include "engine/PaintCanvas.h"

// Runs `rowPass` for each row of `bounds`; the one place where rows of a pass are scheduled.
template <typename RowPass> void ForEachRow(const UpdateRect& bounds, RowPass&& rowPass) {
    for (std::int32_t row = bounds.y0; row <= bounds.y1; ++row) {
        rowPass(row);
    }
}

// Recomputes the surface record of one pixel from `samples` × `samples` samples.
void UpdatePixel(PaintCanvas& canvas, std::int32_t col, std::int32_t row, std::int32_t samples);

// True when the 3 × 3 block around the pixel holds both painted and bare pixels.
bool IsEdgePixel(const PaintCanvas& canvas, std::int32_t col, std::int32_t row);

// The surface normal of a painted pixel from its neighbours' heights.
void ComputeNormal(PaintCanvas& canvas, std::int32_t col, std::int32_t row);

// Light carried through transparent paint to the background, with the colour it picks up on the way.
void TransmitLight(PaintCanvas& canvas, std::int32_t col, std::int32_t row);
