#pragma once
// The 64 × 64 pictures of the tool box's 24 kind buttons and the two faces made from each.
// A brush kind's picture is a dab of that brush rendered by the paint engine; the kinds that work on
// paint already there get a rendered blob with a sign of the tool drawn over it. A path kind's picture
// shows the path's shape.

#include "brushes/BrushKind.h"
#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

inline constexpr int ButtonFaceSize = 64;

// Not selected: the picture a little darker with its right and bottom borders darkened.
// Selected: the picture with its left and top borders darkened, so it looks pressed.
struct ButtonImagePair {
    RasterImage notSelected;
    RasterImage selected;

    // Palette pictures are expanded to 24 bits first.
    ResultCode Build(const RasterImage& bitmap);
};

// The pictures, made once per process and shared.
ResultCode BrushFacePicture(BrushKind kind, RasterImage& out);
ResultCode PathFacePicture(PathKind kind, RasterImage& out);
