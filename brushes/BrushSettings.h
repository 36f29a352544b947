#pragma once
// What a brush puts down: kind, path, size, density and the particle template, plus the dab pattern
// built from them, the random table the patterns read and the placements of the current stroke.

#include <cstdint>
#include <vector>

#include "brushes/BrushKind.h"
#include "brushes/PathSampling.h"
#include "engine/Metaball.h"
#include "engine/ResultCode.h"

class PaintCanvas;

class BrushSettings {
public:
    static constexpr std::int32_t DefaultRandomTableSize = 10000;

    // The record defaults; reseeds the program's generator and fills the random table from it.
    BrushSettings();
    // The defaults followed by the tool box's per-kind defaults for `kind`.
    static BrushSettings ForKind(BrushKind kind);

    // Copies are full copies, random table and cursor included.
    BrushSettings(const BrushSettings&) = default;
    BrushSettings& operator=(const BrushSettings&) = default;
    BrushSettings(BrushSettings&&) = default;
    BrushSettings& operator=(BrushSettings&&) = default;

    BrushKind kind = BrushKind::Simple;
    PathKind pathKind = PathKind::Freehand;
    std::int32_t closed = 0;
    float brushSize = 60.0f;
    MaterialBlock particle;
    float density = 1.0f;
    std::vector<Metaball> dabPattern;
    std::int32_t dabPatternCount = 0;
    std::int32_t randomTableSize = DefaultRandomTableSize;
    std::vector<float> randomTable;
    std::int32_t randomCursor = 0;
    std::vector<DabPlacement> placements;

    // Sets `kind` and the tool box's defaults of that kind (brush size, density, particle).
    void ApplyKindDefaults(BrushKind newKind);

    // Sets the particle's inner radius; the outer radius keeps its ratio to it and never falls
    // below it, and its square follows.
    void SetParticleSize(float innerRadius);

    // The next value of the random table; the cursor wraps at the table's end.
    float NextRandom();

    // Replaces the dab pattern with the current kind's. NoBrush builds nothing; the kinds that act on
    // existing paint keep their pattern. Always succeeds.
    ResultCode BuildDabPattern();

    // Distance between dab centres along a path.
    float DabSpacing() const;

    // The particles of placements[index] on the canvas, lifted onto its base height; `out` is emptied
    // first. -24 (IndexOutOfRange) for an index outside the placements.
    ResultCode StampDab(const PaintCanvas& canvas, std::int32_t index, std::vector<Metaball>& out);

    // The preview form: the pattern (rebuilt for the kinds that change per dab) turned by `angle` and
    // moved to (x, y), appended to `out` without any base height.
    ResultCode StampDabAt(float x, float y, float angle, std::vector<Metaball>& out);

    // Refills `placements` from the path's points in canvas pixels. `sweep` matters for Arc only.
    // Degenerate input gives fewer placements, never a failure.
    ResultCode SamplePath(const std::vector<CanvasPoint>& points, PathKind path, std::int32_t isClosed,
                          ArcSweep sweep = ArcSweep::Clockwise);

    // The placement of one freehand mouse step at canvas point `point`. `pointList` is the stroke's
    // window positions including this step. Returns false when the step makes no placement (the kinds
    // that turn with the path before their direction is known).
    bool FreehandPlacement(CanvasPoint point, const std::vector<WindowPoint>& pointList,
                           DabPlacement& out) const;
    // The same with the cursor at window position (windowX, windowY) in place of the list's last entry,
    // for a dab between two mouse steps.
    bool FreehandPlacementAt(CanvasPoint point, const std::vector<WindowPoint>& pointList, float windowX,
                             float windowY, DabPlacement& out) const;
    // Appends the placements of one freehand mouse step from canvas point `from` (the previous step's)
    // to `to`; `pointList` ends with this step's window position. A step no longer than DabSpacing()
    // makes the one placement of FreehandPlacement at `to`; a longer one first lays dabs along the
    // segment every DabSpacing() from `from`, so a quick stroke stays whole.
    void FreehandPlacements(CanvasPoint from, CanvasPoint to, const std::vector<WindowPoint>& pointList,
                            std::vector<DabPlacement>& out) const;

    // A particle made from `particle` at offset (dx, dy, dz), colour clamped to [0, 1].
    Metaball MakeParticle(float dx, float dy, float dz) const;

private:
    void FillRandomTable();
    void SkipRandom(std::int32_t count);
};
