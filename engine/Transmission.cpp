#include <algorithm>
#include <cmath>

#include "engine/FieldEvaluation.h"
#include "engine/PixelEvaluators.h"
#include "engine/RenderPasses.h"

namespace {

struct Transmitted {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float remaining = 0.0f;
};

// Marches one sample down through the paint below the surface, one absorption step at a time; false when
// no paint lies there.
template <typename Evaluator>
bool MarchSample(Evaluator& evaluator, const HeightRange& range, float surfaceZ, float entering, float step,
                 Transmitted& out) {
    if (range.bottom >= surfaceZ) {
        return false;
    }
    float z = surfaceZ - step;
    if (range.bottom >= z) {
        return false;
    }
    float t = entering;
    float gRed = 0.0f;
    float gGreen = 0.0f;
    float gBlue = 0.0f;
    std::int32_t layers = 0;
    do {
        SampleMaterial material;
        const bool met = evaluator.EvaluateMaterial(z, material);
        if (met) {
            float b = static_cast<float>(
                std::pow(static_cast<double>(material.transparency), static_cast<double>(step) * 0.2));
            if (b < 1.0f) {
                b = (1.0f - std::min(material.fieldSum, 100.0f) / 100.0f) * b;
            }
            ++layers;
            const float absorbed = (1.0f - b) * t;
            gRed = gRed + absorbed * material.red;
            gGreen = gGreen + absorbed * material.green;
            gBlue = gBlue + absorbed * material.blue;
            t = t * (1.0f - (1.0f - b));
            if (t <= 0.01f) {
                break;
            }
        }
        const float above = z;
        // Past paint every step is taken; through empty heights the evaluator may jump to the next
        // step that can meet paint again.
        z = met ? z - step : evaluator.NextMarchHeight(z, step);
        if (!(z < above)) {
            break; // too far from the plane for a step to register: stop rather than loop forever
        }
    } while (range.bottom < z);
    if (layers == 0) {
        return false;
    }
    out.red = gRed;
    out.green = gGreen;
    out.blue = gBlue;
    out.remaining = t;
    return true;
}

template <typename Evaluator>
void TransmitLightWith(Evaluator& evaluator, PaintCanvas& canvas, std::int32_t col, std::int32_t row) {
    SurfaceRecord& record = canvas.Surface(col, row);
    // Less light enters the paint at grazing angles.
    const float entering = (0.7f * record.normal.z + 0.3f) * record.transparency;
    const std::int32_t samples = record.edgeFlag == 1 ? canvas.antiAliasingSamples : 1;
    const float step = canvas.grid->absorptionStep;

    float sumRed = 0.0f;
    float sumGreen = 0.0f;
    float sumBlue = 0.0f;
    float sumRemaining = 0.0f;
    std::int32_t contributing = 0;
    // Every sample of a pixel reads the same list, so they share one height range.
    HeightRange range;
    if (entering > 0.0f && samples > 0 && evaluator.Prepare(range)) {
        const float h = 1.0f / static_cast<float>(samples);
        for (std::int32_t j = 0; j < samples; ++j) {
            const float sy = SampleCoordinate(row, j, h);
            for (std::int32_t k = 0; k < samples; ++k) {
                const float sx = SampleCoordinate(col, k, h);
                evaluator.PrepareSample(sx, sy);
                Transmitted sample;
                if (MarchSample(evaluator, range, record.surfaceZ, entering, step, sample)) {
                    sumRed += sample.red;
                    sumGreen += sample.green;
                    sumBlue += sample.blue;
                    sumRemaining += sample.remaining;
                    ++contributing;
                }
            }
        }
    }
    if (contributing == 0) {
        record.transmission = 1.0f;
        record.transmittedRed = 0.0f;
        record.transmittedGreen = 0.0f;
        record.transmittedBlue = 0.0f;
        return;
    }
    const float n = static_cast<float>(contributing);
    record.transmittedRed = std::min(sumRed / n, 1.0f);
    record.transmittedGreen = std::min(sumGreen / n, 1.0f);
    record.transmittedBlue = std::min(sumBlue / n, 1.0f);
    record.transmission = sumRemaining / n;
}

} // namespace

void TransmitLight(PaintCanvas& canvas, std::int32_t col, std::int32_t row) {
    WithEvaluator(canvas, col, row, [&](auto& evaluator) { TransmitLightWith(evaluator, canvas, col, row); });
}
