#pragma once
// Colours as the tool box holds them: hue, lightness and saturation, each 0..1 (the shared conversion
// takes the hue in degrees).

#include <QColor>

#include "engine/Metaball.h"

struct ToolColour {
    float hue = 0.0f;
    float lightness = 0.5f;
    float saturation = 1.0f;
    bool operator==(const ToolColour&) const = default;
};

// The colour as floats (hue × 360 through the shared conversion).
PaintColour ToolColourToRgb(float hue, float lightness, float saturation);
// The colour as bytes, each trunc(channel × 255).
QColor ToolColourToQColor(float hue, float lightness, float saturation);
// A colour with its hue divided by 360.
ToolColour ToolColourFromRgb(float red, float green, float blue);
