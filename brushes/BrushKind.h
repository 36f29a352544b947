#pragma once
// The brush kinds and path kinds with the texts the tool box and the status line show for them.

#include <cstdint>

enum class BrushKind : std::int32_t {
    Simple = 0,
    RainbowPattern = 1,
    Watercolour = 2,
    Stipple = 3,
    Multi = 4,
    Faded = 5,
    Spray = 6,
    Heaped = 7,
    ParallelLines = 8,
    Bellows = 9,
    Radial = 10,
    Circle = 11,
    Rough = 12,
    Eraser = 13,
    Eyedropper = 14,
    Recolour = 15,
    Stir = 16,
    NoBrush = 17,
};

inline constexpr std::int32_t BrushKindCount = 18;

enum class PathKind : std::int32_t {
    Freehand = 0,
    StraightLine = 1,
    Polyline = 2,
    Curve = 3,
    Circumference = 4,
    Arc = 5,
    RegularPolygon = 6,
};

inline constexpr std::int32_t PathKindCount = 7;

// A value from a message or a file; anything outside 0..17 becomes NoBrush.
BrushKind BrushKindFromInt(std::int32_t value);
// Anything outside 0..6 becomes Freehand.
PathKind PathKindFromInt(std::int32_t value);

// UTF-8 texts. The caption goes between "ブラシ （" and "）" in the tool box; the hint is the
// button's tool tip. NoBrush and values out of range give "".
const char* BrushKindCaption(BrushKind kind);
const char* BrushKindHint(BrushKind kind);
const char* PathKindCaption(PathKind kind);

// Kinds whose pattern lies across the stroke, so their dabs turn with the path.
inline constexpr bool TurnsWithPath(BrushKind kind) {
    return kind == BrushKind::ParallelLines || kind == BrushKind::Bellows;
}

// Kinds that scatter their particles at random over the brush disc; a pen's pressure also shrinks
// their dabs.
inline constexpr bool ScattersParticles(BrushKind kind) {
    return kind == BrushKind::Watercolour || kind == BrushKind::Stipple || kind == BrushKind::Multi ||
           kind == BrushKind::Faded || kind == BrushKind::Spray || kind == BrushKind::Heaped ||
           kind == BrushKind::Rough;
}

// Kinds that act on paint already on the canvas instead of stamping dabs.
inline constexpr bool StampsDabs(BrushKind kind) {
    return kind != BrushKind::Eraser && kind != BrushKind::Eyedropper && kind != BrushKind::Recolour &&
           kind != BrushKind::Stir && kind != BrushKind::NoBrush;
}
