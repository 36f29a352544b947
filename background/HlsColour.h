#pragma once
// Conversion between red-green-blue and hue-lightness-saturation shared by the whole program.
// Hue is in degrees; lightness, saturation and the colour channels are in [0, 1].

#include "engine/Metaball.h"

struct HlsColour {
    float hue = 0.0f;
    float lightness = 0.0f;
    float saturation = 0.0f;
};

// Hue is wrapped into 0..360 (a hue that is not a number becomes 0); lightness and saturation are
// limited to [0, 1]. Only the colour channels of the result are set.
PaintColour HlsToRgb(float hue, float lightness, float saturation);

// Channels are limited to [0, 1]. Pure red gives hue 360, a grey gives hue 0 and saturation 0.
HlsColour RgbToHls(const PaintColour& colour);
