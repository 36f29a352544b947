#pragma once
// The tool box's bars, in bar positions: which of the three size bars each brush kind shows and their
// ranges (brush size in pixels, particle size in tenths of a pixel), and the bars every kind shares
// (density, transparency, highlight and thickness in hundredths, hue variation in hundredths of a turn).

#include "brushes/BrushKind.h"

struct KindBars {
    bool brushSize;
    bool density;
    bool particleSize;
    int brushMin, brushMax;
    int particleMin, particleMax;
};

inline constexpr KindBars BarsByKind[BrushKindCount] = {
    {true, false, false, 5, 100, 10, 500}, // Simple
    {true, false, false, 5, 100, 10, 200}, // RainbowPattern
    {true, false, false, 5, 100, 10, 200}, // Watercolour
    {true, true, true, 10, 100, 10, 50},   // Stipple
    {true, true, true, 10, 100, 10, 50},   // Multi
    {true, true, true, 10, 100, 10, 50},   // Faded
    {true, true, true, 10, 100, 10, 40},   // Spray
    {true, true, true, 10, 100, 25, 100},  // Heaped
    {true, true, true, 10, 100, 10, 50},   // ParallelLines
    {true, false, true, 10, 100, 10, 100}, // Bellows
    {true, true, true, 10, 100, 10, 50},   // Radial
    {true, false, true, 10, 100, 10, 100}, // Circle
    {true, true, true, 10, 100, 10, 30},   // Rough
    {true, false, false, 2, 100, 10, 10},  // Eraser
    {false, false, false, 0, 0, 0, 0},     // Eyedropper
    {true, false, false, 2, 100, 10, 10},  // Recolour
    {true, false, false, 20, 100, 10, 10}, // Stir
    {false, false, false, 0, 0, 0, 0},     // NoBrush
};

inline constexpr int DensityBarMin = 5;
inline constexpr int DensityBarMax = 100;
inline constexpr int MaterialBarMax = 100; // transparency, highlight, thickness: 0..100
inline constexpr int VariationBarMax = 25;
