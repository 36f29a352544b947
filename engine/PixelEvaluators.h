#pragma once
// The two ways a pixel's samples are evaluated: the reference one straight over the pixel list and the
// store, and the fast one over a PixelField. Both give the same bits; the passes are written once over
// either.

#include <new>

#include "engine/FieldEvaluation.h"
#include "engine/PixelField.h"

class ReferenceEvaluator {
public:
    ReferenceEvaluator(const PixelList& list, const MetaballStore& store) : list_(list), store_(store) {}
    bool Prepare(HeightRange& range) { return list_.count > 0 && SampleHeightRange(list_, store_, range); }
    void PrepareSample(float sx, float sy) {
        sx_ = sx;
        sy_ = sy;
    }
    bool SearchSurface(const HeightRange& range, float threshold, float step, float& surfaceZ) const {
        return ::SearchSurface(list_, store_, range, threshold, step, sx_, sy_, surfaceZ);
    }
    bool EvaluateMaterial(float sz, SampleMaterial& material) const {
        return ::EvaluateMaterial(list_, store_, sx_, sy_, sz, material);
    }
    float NextMarchHeight(float z, float step) const { return z - step; }

private:
    const PixelList& list_;
    const MetaballStore& store_;
    float sx_ = 0.0f;
    float sy_ = 0.0f;
};

class FastEvaluator {
public:
    FastEvaluator(PixelField& field, const PixelList& list, const MetaballStore& store)
        : field_(field), list_(list), store_(store) {}
    bool Prepare(HeightRange& range) { return field_.Prepare(list_, store_, range); }
    void PrepareSample(float sx, float sy) { field_.PrepareSample(sx, sy); }
    bool SearchSurface(const HeightRange& range, float threshold, float step, float& surfaceZ) const {
        return field_.SearchSurface(range, threshold, step, surfaceZ);
    }
    bool EvaluateMaterial(float sz, SampleMaterial& material) const {
        return field_.EvaluateMaterial(sz, material);
    }
    float NextMarchHeight(float z, float step) const { return field_.NextMarchHeight(z, step); }

private:
    PixelField& field_;
    const PixelList& list_;
    const MetaballStore& store_;
};

// Runs `pass` with the canvas's evaluator for the pixel: the fast one unless the canvas asks for the
// reference, or the fast one's scratch memory cannot grow (the reference needs none).
template <typename Pass>
void WithEvaluator(const PaintCanvas& canvas, std::int32_t col, std::int32_t row, Pass&& pass) {
    const PixelList& list = canvas.grid->At(col, row);
    // A pixel without paint needs no scratch memory: the reference finds nothing there at once.
    if (!canvas.referenceEvaluation && list.count > 0) {
        thread_local PixelField field;
        try {
            FastEvaluator fast(field, list, *canvas.store);
            pass(fast);
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    ReferenceEvaluator reference(list, *canvas.store);
    pass(reference);
}
