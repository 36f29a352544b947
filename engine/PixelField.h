#pragma once
// The field of one pixel's paint gathered for fast evaluation. It gives exactly what SearchSurface and
// EvaluateMaterial give for the pixel's list, in the same order of summation, while doing less work per
// sample: erased metaballs are left out once per pixel, the metaballs a sample's vertical line never
// reaches are left out once per sample and the others wherever the height lies outside their reach
// (their field there is exactly 0, and adding 0 changes no sum), and the constants of each metaball sit
// next to each other instead of behind a lookup in the store.

#include <cstdint>
#include <vector>

#include "engine/FieldEvaluation.h"

class PixelField {
public:
    // Gathers the live metaballs of `list` and their height range (as SampleHeightRange); false when
    // the pixel has no range. Throws std::bad_alloc when the scratch arrays cannot grow.
    bool Prepare(const PixelList& list, const MetaballStore& store, HeightRange& range);

    // Keeps the metaballs that reach the vertical line through (sx, sy).
    void PrepareSample(float sx, float sy);

    // As SearchSurface for the prepared sample.
    bool SearchSurface(const HeightRange& range, float threshold, float step, float& surfaceZ) const;

    // As EvaluateMaterial for the prepared sample at height sz.
    bool EvaluateMaterial(float sz, SampleMaterial& material) const;

    // Many evaluations at different heights follow (light passing down through the paint): works out
    // where each metaball can reach, so evaluations skip the others without computing their field.
    void PrepareMarch() const { FindReaches(sample_.size()); }

private:
    struct Term {
        float top;
        const Metaball* metaball;
    };
    struct SampleTerm {
        float top;
        // Outside [low, high] the field is exactly 0 at this sample (bounds with a safe margin);
        // infinite until FindReaches has worked them out.
        float low;
        float high;
        float z;
        float thickness;
        float planarSq; // dx * dx + dy * dy from the sample to the centre
        float outerRadiusSq;
        float outerRadius;
        float innerRadius;
        std::int32_t term;
    };

    static float Field(const SampleTerm& t, float pz);
    // Bounds for the first `count` sample terms.
    void FindReaches(std::size_t count) const;

    std::vector<Term> terms_;
    mutable std::vector<SampleTerm> sample_;
    mutable std::size_t reachesFound_ = 0;
};
