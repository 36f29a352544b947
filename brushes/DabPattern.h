#pragma once
// The generators of the dab patterns: each fills `dabPattern` of the settings with the particles of
// one dab, offsets from the dab centre, reading the random table in a fixed order so that the same
// cursor position gives the same pattern.

#include <cstdint>
#include <vector>

#include "engine/ResultCode.h"

class BrushSettings;

// A candidate particle offset before the keep test.
struct DabOffset {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Replaces the pattern with a particle for every candidate that passes the keep test: one random
// value is read per candidate and the candidate is kept unless that value exceeds `keep`.
void AppendKeptParticles(BrushSettings& settings, const std::vector<DabOffset>& candidates, float keep);

ResultCode BuildWatercolourPattern(BrushSettings& settings);
// Also the pattern of Spray.
ResultCode BuildStipplePattern(BrushSettings& settings);
ResultCode BuildMultiPattern(BrushSettings& settings);
ResultCode BuildFadedPattern(BrushSettings& settings);
ResultCode BuildHeapedPattern(BrushSettings& settings);
ResultCode BuildParallelLinesPattern(BrushSettings& settings);
ResultCode BuildBellowsPattern(BrushSettings& settings);
ResultCode BuildRadialPattern(BrushSettings& settings);
ResultCode BuildCirclePattern(BrushSettings& settings);
ResultCode BuildRoughPattern(BrushSettings& settings);
