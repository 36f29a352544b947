#include <algorithm>
#include <functional>

#include "engine/FieldEvaluation.h"
#include "engine/PixelEvaluators.h"
#include "engine/RenderPasses.h"

namespace {

template <typename Evaluator>
void UpdatePixelWith(Evaluator& evaluator, PaintCanvas& canvas, std::int32_t col, std::int32_t row,
                     std::int32_t samples) {
    SurfaceRecord& record = canvas.Surface(col, row);
    std::int32_t hits = 0;
    float sumZ = 0.0f;
    float sumRed = 0.0f;
    float sumGreen = 0.0f;
    float sumBlue = 0.0f;
    float sumTransparency = 0.0f;
    float sumHighlight = 0.0f;
    float sumRainbow = 0.0f;
    const float h = 1.0f / static_cast<float>(samples);
    // Every sample of a pixel reads the same list, so they share one height range.
    HeightRange range;
    if (evaluator.Prepare(range)) {
        for (std::int32_t j = 0; j < samples; ++j) {
            const float sy = SampleCoordinate(row, j, h);
            for (std::int32_t k = 0; k < samples; ++k) {
                const float sx = SampleCoordinate(col, k, h);
                evaluator.PrepareSample(sx, sy);
                float z = 0.0f;
                SampleMaterial material;
                if (!evaluator.SearchSurface(range, canvas.grid->surfaceThreshold, canvas.grid->surfaceStep,
                                             z) ||
                    !evaluator.EvaluateMaterial(z, material)) {
                    continue;
                }
                ++hits;
                sumZ += z;
                sumRed += material.red;
                sumGreen += material.green;
                sumBlue += material.blue;
                sumTransparency += material.transparency;
                sumHighlight += material.highlight;
                sumRainbow += material.rainbow;
            }
        }
    }
    if (hits > 0) {
        const float n = static_cast<float>(hits);
        record.surfaceZ = sumZ / n;
        record.red = std::min(sumRed / n, 1.0f);
        record.green = std::min(sumGreen / n, 1.0f);
        record.blue = std::min(sumBlue / n, 1.0f);
        record.transparency = sumTransparency / n;
        record.highlight = sumHighlight / n;
        record.rainbow = sumRainbow / n;
        record.coverage = std::min(n * (h * h), 1.0f);
    } else {
        record.coverage = 0.0f;
        record.surfaceZ = 0.0f;
        record.red = 0.0f;
        record.green = 0.0f;
        record.blue = 0.0f;
        record.transparency = 0.0f;
        record.highlight = 0.0f;
        record.rainbow = 0.0f;
    }
    // The transmission pass sets it again for transparent pixels.
    record.transmission = 0.0f;
}

} // namespace

void UpdatePixel(PaintCanvas& canvas, std::int32_t col, std::int32_t row, std::int32_t samples) {
    WithEvaluator(canvas, col, row,
                  [&](auto& evaluator) { UpdatePixelWith(evaluator, canvas, col, row, samples); });
}

bool IsEdgePixel(const PaintCanvas& canvas, std::int32_t col, std::int32_t row) {
    std::int32_t painted = 0;
    std::int32_t bare = 0;
    for (std::int32_t y = std::max(row - 1, 0); y <= std::min(row + 1, canvas.height - 1); ++y) {
        for (std::int32_t x = std::max(col - 1, 0); x <= std::min(col + 1, canvas.width - 1); ++x) {
            if (canvas.Surface(x, y).coverage != 0.0f) {
                ++painted;
            } else {
                ++bare;
            }
        }
    }
    return painted > 0 && bare > 0;
}

void ComputeNormal(PaintCanvas& canvas, std::int32_t col, std::int32_t row) {
    const auto painted = [&canvas](std::int32_t x, std::int32_t y) {
        return canvas.Surface(x, y).coverage != 0.0f;
    };
    const std::int32_t left = (col - 1 >= 0 && painted(col - 1, row)) ? col - 1 : col;
    const std::int32_t right = (col + 1 < canvas.width && painted(col + 1, row)) ? col + 1 : col;
    const std::int32_t below = (row - 1 >= 0 && painted(col, row - 1)) ? row - 1 : row;
    const std::int32_t above = (row + 1 < canvas.height && painted(col, row + 1)) ? row + 1 : row;
    float dx = 0.0f;
    float dzx = 1.0f;
    if (left != right) {
        dx = static_cast<float>(right - left);
        dzx = canvas.Surface(right, row).surfaceZ - canvas.Surface(left, row).surfaceZ;
    }
    float dy = 0.0f;
    float dzy = 1.0f;
    if (below != above) {
        dy = static_cast<float>(above - below);
        dzy = canvas.Surface(col, above).surfaceZ - canvas.Surface(col, below).surfaceZ;
    }
    // Cross product of (dx, 0, dzx) and (0, dy, dzy).
    canvas.Surface(col, row).normal.Set(-dy * dzx, -dx * dzy, dx * dy);
}

ResultCode PaintCanvas::Render(UpdateRect& rect) {
    return RenderInBands(rect, 0, nullptr);
}

// The passes of a render, each over a range of rows. A pixel's pass reads its neighbours' results of
// earlier passes only, so a pass may run over some rows before it runs over the rest, provided the rows a
// pixel looks at have reached the passes it reads: that is what lets a banded render equal a whole one.
ResultCode PaintCanvas::RenderInBands(UpdateRect& rect, std::int32_t bandRows,
                                      const std::function<void(const UpdateRect& done)>& bandDone) {
    if (rect.valid && width >= 1 && height >= 1) {
        rect.Clamp(width, height);
    }
    // A canvas without buffers has nothing to evaluate.
    if (!rect.valid || !HasBuffers()) {
        Compose(rect);
        if (rect.valid) {
            pendingRect.Union(rect);
            if (bandDone) {
                bandDone(rect);
            }
        }
        return Result::Success;
    }
    const UpdateRect bounds = rect;
    const std::int32_t threads = renderThreads > 0 ? renderThreads : RenderThreadCount();
    const auto dirty = [this](std::int32_t x, std::int32_t y) { return dirtyFlags[PixelIndex(x, y)] == 1; };
    const auto rows = [&](std::int32_t from, std::int32_t to, auto&& pass) {
        if (from < to) {
            ForEachRow(UpdateRect::Make(bounds.x0, from, bounds.x1, to - 1), threads, pass);
        }
    };
    const auto pixelUpdate = [&](std::int32_t y) {
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            if (dirty(x, y)) {
                UpdatePixel(*this, x, y, 1);
            }
        }
    };
    const auto edgeTest = [&](std::int32_t y) {
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            Surface(x, y).edgeFlag = 0;
        }
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            if (dirty(x, y) && IsEdgePixel(*this, x, y)) {
                Surface(x, y).edgeFlag = 1;
            }
        }
    };
    const auto edgeUpdate = [&](std::int32_t y) {
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            if (dirty(x, y) && Surface(x, y).edgeFlag == 1) {
                UpdatePixel(*this, x, y, antiAliasingSamples);
            }
        }
    };
    const auto normals = [&](std::int32_t y) {
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            if (dirty(x, y) && Surface(x, y).coverage != 0.0f) {
                ComputeNormal(*this, x, y);
            }
        }
    };
    const auto transmission = [&](std::int32_t y) {
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            if (dirty(x, y) && Surface(x, y).transparency > 0.0f) {
                TransmitLight(*this, x, y);
            }
        }
    };

    // Frontiers: rows below each one have been through that pass. The edge test of a row reads the
    // one-sample coverage of the rows beside it, so it runs before their anti-aliased update; a normal
    // reads the final surface of the rows beside it. Each pass therefore trails the one before by a row.
    const std::int32_t end = bounds.y1 + 1;
    const std::int32_t step = bandRows > 0 ? bandRows : end - bounds.y0;
    std::int32_t updated = bounds.y0;
    std::int32_t tested = bounds.y0;
    std::int32_t smoothed = bounds.y0;
    std::int32_t finished = bounds.y0;
    for (std::int32_t bandEnd = bounds.y0 + step;; bandEnd += step) {
        const bool last = bandEnd >= end;
        const auto frontier = [&](std::int32_t lead) { return last ? end : std::min(end, bandEnd + lead); };
        rows(updated, frontier(2), pixelUpdate);
        updated = std::max(updated, frontier(2));
        if (antiAliasing == 1) {
            rows(tested, frontier(1), edgeTest);
            tested = std::max(tested, frontier(1));
            rows(smoothed, frontier(0), edgeUpdate);
            smoothed = std::max(smoothed, frontier(0));
        }
        const std::int32_t finishedTo = frontier(-1);
        if (finished < finishedTo) {
            rows(finished, finishedTo, normals);
            rows(finished, finishedTo, transmission);
            const UpdateRect done = UpdateRect::Make(bounds.x0, finished, bounds.x1, finishedTo - 1);
            Compose(done);
            finished = finishedTo;
            if (bandDone) {
                bandDone(done);
            }
        }
        if (last) {
            break;
        }
    }
    pendingRect.Union(rect);
    return Result::Success;
}
