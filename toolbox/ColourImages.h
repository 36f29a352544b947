#pragma once
// The pictures behind the tool box's hue bar and lightness-saturation field.

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

// The hue runs from HueMin at the left edge to HueMax at the right; the margins show pure red.
inline constexpr float HueMin = -0.05f;
inline constexpr float HueMax = 1.05f;

// Every column j gets the hue HueMin + j × (HueMax − HueMin) / width (clamped to 0..1) at lightness 0.5
// and saturation 1.
ResultCode BuildHueBar(RasterImage& image, int width, int height);

// Lightness −0.05 … 1.05 from left to right, saturation −0.05 … 1.05 from the bottom row up, both clamped.
ResultCode BuildLightnessSaturationField(RasterImage& image, int width, int height, float hue);
