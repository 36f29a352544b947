#pragma once
// The grid the view draws over its display picture: every second line solid, the others dashed
// (three pixels on, four off), the first solid lines on row 0 and column 0.

#include <cstdint>

#include "background/RgbBytes.h"
#include "engine/UpdateRect.h"
#include "persistence/RasterImage.h"

// Draws the grid lines that fall inside `rect` (clipped to the image). Nothing is drawn for an image that
// is not 24-bit, a spacing below 1 or an invalid rectangle. The pattern depends only on image
// coordinates, so drawing rectangle by rectangle gives the same picture as drawing it whole.
void DrawGrid(RasterImage& image, UpdateRect rect, std::int32_t spacing, const RgbBytes& colour);
