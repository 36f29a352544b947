#pragma once
// The field of one pixel's paint gathered for fast evaluation. It gives exactly what SearchSurface and
// EvaluateMaterial give for the pixel's list, in the same order of summation, while doing less work per
// sample: erased metaballs are left out once per pixel, the metaballs a sample's vertical line never
// reaches are left out once per sample (their field there is exactly 0, and adding 0 changes no sum),
// what the field needs of each metaball sits next to each other instead of behind a lookup in the store,
// and the fields at one height are computed four at a time before they are summed in list order.
// Runs of heights where every field is provably 0 (above the paint, or empty heights between layers)
// are stepped over at once, landing exactly on the height repeated steps would reach.

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

    // For a march down from z in steps of `step` that found no paint at z: the next height worth
    // evaluating, exactly where repeated steps would arrive, with no paint at any step in between;
    // z - step when that cannot be shown, minus infinity when no paint lies anywhere below.
    float NextMarchHeight(float z, float step) const;

private:
    struct Term {
        float top;
        const Metaball* metaball;
    };
    struct SampleTerm {
        float top;
        float z;
        float thickness;
        float planarSq; // dx * dx + dy * dy from the sample to the centre
        float outerRadiusSq;
        float outerRadius;
        float innerRadius;
        float clarity; // of the material: 0 for opaque paint, 1 for clear paint
        // Along the sample's vertical line the field is exactly 0 at and below `low` and at and above
        // `high` (infinite when that cannot be shown).
        float low;
        float high;
        std::int32_t term;
    };

    static float Field(const SampleTerm& t, float pz);
    // Works out the zero bands of the first `count` sample terms, where not done yet.
    void FindBands(std::size_t count) const;
    // The fields of the first `count` sample terms at height pz into fields_.
    void Fields(std::size_t count, float pz) const;

    std::vector<Term> terms_;
    mutable std::vector<SampleTerm> sample_; // the zero bands are filled in on first use
    mutable std::size_t banded_ = 0;
    mutable std::vector<float> fields_;
};
