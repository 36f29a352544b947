#pragma once
// Pictures between the program's RasterImage (rows bottom-up, blue-green-red) and Qt's QImage.

#include <QImage>

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

// A top-down RGB888 copy of a 24-bit or palette image; a null image for anything else.
QImage ToQImage(const RasterImage& image);
// A 24-bit copy of any QImage; -31 for a null image, -1 when it cannot be allocated.
ResultCode FromQImage(const QImage& source, RasterImage& out);
