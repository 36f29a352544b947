#pragma once
// Between the program's RasterImage (bottom-up rows, blue-green-red) and Qt's images, which stand in
// for device bitmaps, packed DIBs on the clipboard and halftone stretching.

#include <QByteArray>
#include <QImage>
#include <QRect>

#include "persistence/RasterImage.h"

class QPainter;

// A 24-bit image from any Qt image (the role of building an image from a device bitmap). 0 or -1.
ResultCode ImageFromQImage(const QImage& source, RasterImage& target);
// A top-down Qt image of a 24-bit or palette image; a null image when it is empty.
QImage QImageFromImage(const RasterImage& image);
// Copies the inclusive image rectangle (rows from the bottom) of a 24-bit image into the same place of
// a top-down RGB888 Qt image of the same size.
void CopyRectToQImage(const RasterImage& image, int x0, int y0, int x1, int y1, QImage& target);
// The Qt image's rectangle of an inclusive image rectangle with rows from the bottom.
QRect TopDownRect(int imageHeight, int x0, int y0, int x1, int y1);
// A packed DIB (40-byte header, 32-bit rows bottom-up) of a Qt image, as the clipboard would hold it.
QByteArray PackedDibFromQImage(const QImage& source);
// Draws the whole image scaled to fit inside the box, aspect kept and centred, smoothly.
void DrawFitted(QPainter& painter, const RasterImage& image, int targetWidth, int targetHeight);
