#pragma once
// The canvas dialog's settings: the background generators and their colours, where and at which height
// new paint lands, and the grid. Generating writes only `workingImage`; the view copies it into the canvas.

#include <cstdint>

#include "background/RgbBytes.h"
#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

// Direction of a gradient (from colour 1 to colour 2) or of a rainbow.
enum class FillDirection : std::int32_t { Down = 0, Up = 1, Left = 2, Right = 3 };

struct BackgroundSettings {
    RgbBytes solidColour{255, 255, 255};
    RgbBytes gradientColour1{0, 200, 255};
    RgbBytes gradientColour2{255, 255, 255};
    FillDirection gradientDirection = FillDirection::Down;
    FillDirection rainbowDirection = FillDirection::Down;
    // 24-bit, always the canvas's size.
    RasterImage workingImage;
    // 3 both, 1 only on paint (foreground), 2 only on bare background.
    std::int32_t drawingArea = 3;
    // 1 on the paint, 0 on the plane at `planeHeight`.
    std::int32_t heightMode = 1;
    std::int32_t planeHeight = 0;
    std::int32_t gridSpacing = 15;
    RgbBytes gridColour{128, 128, 128};
    bool snap = true;

    void FillSolid();
    void FillGradient();
    void FillRainbow();
    // Scales `picture` (a palette picture is expanded first) to cover `workingImage`, keeping its aspect
    // ratio and centring it. Returns the code of the expansion or of the scaled copy; on failure
    // `workingImage` is untouched.
    ResultCode FillFromImage(const RasterImage& picture);
};
