#pragma once
// Geometry shared by the dab placement along paths and by the stroke previews.
// Angles are degrees measured from +x towards +y.

#include <cstdint>
#include <vector>

#include "engine/ResultCode.h"

// A point in canvas pixels (y upwards), or in whatever frame a preview computes in.
struct CanvasPoint {
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const CanvasPoint&) const = default;
};

// A mouse position in window pixels (y downwards), as the stroke's point list keeps it.
struct WindowPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const WindowPoint&) const = default;
};

// The direction in which an arc is swept, in canvas angles.
enum class ArcSweep : std::int32_t {
    Clockwise = 0,        // decreasing angles
    Counterclockwise = 1, // increasing angles
};

// Where each dab of a stroke goes: centre, z (always 0), pattern rotation in degrees and the
// factor on the pattern's x and y offsets; then the pen's pressure on the dab, 1 for every dab but
// those of a freehand pen stroke (the mouse, drawn paths, and the pen with pressure turned off).
struct DabPlacement {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float angle = 0.0f;
    float scale = 1.0f;
    float pressure = 1.0f;
};

// The lightest pressure a dab is laid with: a pen that reports no pressure at all while it touches
// still lays a trace of paint.
inline constexpr float MinimumPenPressure = 0.01f;

// A pen's reading as a dab's pressure: in [MinimumPenPressure, 1]; a reading that is not a number
// counts as full pressure.
inline float PenPressure(float reading) {
    if (!(reading < 1.0f)) {
        return 1.0f;
    }
    return reading < MinimumPenPressure ? MinimumPenPressure : reading;
}

// The factor on the brush size of a dab that scatters its particles, at pressure p.
inline float PressureSizeFactor(float p) {
    return 0.3f + 0.7f * p;
}

// The angle of a direction in [0, 360); 0 for a length below 0.00001.
float DirectionAngle(float dx, float dy);

// The angle of a direction from a centre, by the arc tangent: 0 or 180 when dy = 0, 90 or 270
// when dx = 0.
float RadialAngle(float dx, float dy);

// The curve through `points` with tension 0.35, sampled every `spacing` along each piece.
// An open curve of fewer than two points, a closed one of fewer than two, or spacing <= 0 gives
// nothing.
std::vector<CanvasPoint> SampleCurvePoints(const std::vector<CanvasPoint>& points, bool closed,
                                           float spacing);

// The vertices of the regular polygon with centre `centre`, first vertex `first` and adjacent vertex
// `adjacent` (the corner angle is capped to [1, 120] degrees, so 3 to 360 sides).
std::vector<CanvasPoint> RegularPolygonVertices(CanvasPoint centre, CanvasPoint first, CanvasPoint adjacent);

// Number of sides for a corner angle in degrees.
std::int32_t RegularPolygonSides(float cornerAngle);

// Control points of one cubic piece of a curve.
struct BezierPiece {
    CanvasPoint b0, b1, b2, b3;
};

// Chord length of a piece sampled at t = 0, 0.01, ... 1.
float BezierLength(const BezierPiece& piece);
CanvasPoint BezierPoint(const BezierPiece& piece, float t);

// The cubic pieces of the curve through `points` (tension 0.35); an open curve's end pieces take their
// outer control point halfway to the inner one.
std::vector<BezierPiece> CurvePieces(const std::vector<CanvasPoint>& points, bool closed);

// The samples of one piece at the given spacing: -21 (BelowMinimum) and nothing for a chord
// shorter than 0.01.
ResultCode SampleBezierPiece(const BezierPiece& piece, float spacing, std::vector<CanvasPoint>& out);
