#include "toolbox/RasterImageQt.h"

QImage ToQImage(const RasterImage& image) {
    if (image.IsEmpty() || image.width < 1 || image.height < 1) {
        return QImage();
    }
    if (image.bytesPerPixel != 3 && image.bytesPerPixel != 1) {
        return QImage();
    }
    QImage out(image.width, image.height, QImage::Format_RGB888);
    if (out.isNull()) {
        return out;
    }
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.Row(image.height - 1 - y);
        uchar* target = out.scanLine(y);
        for (int x = 0; x < image.width; ++x) {
            if (image.bytesPerPixel == 3) {
                target[3 * x] = row[3 * x + 2];
                target[3 * x + 1] = row[3 * x + 1];
                target[3 * x + 2] = row[3 * x];
            } else {
                const int index = row[x];
                const bool known = index < image.paletteCount;
                for (int c = 0; c < 3; ++c) {
                    target[3 * x + c] = known ? image.palette[static_cast<std::size_t>(index) * 3 + c] : 0;
                }
            }
        }
    }
    return out;
}

ResultCode FromQImage(const QImage& source, RasterImage& out) {
    if (source.isNull()) {
        return Result::NoData;
    }
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) {
        return Result::OutOfMemory;
    }
    RasterImage scratch;
    const ResultCode code = scratch.CreateRgb(rgb.width(), rgb.height());
    if (code != Result::Success) {
        return code;
    }
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* row = rgb.constScanLine(y);
        std::uint8_t* target = scratch.Row(rgb.height() - 1 - y);
        for (int x = 0; x < rgb.width(); ++x) {
            target[3 * x] = row[3 * x + 2];
            target[3 * x + 1] = row[3 * x + 1];
            target[3 * x + 2] = row[3 * x];
        }
    }
    out = std::move(scratch);
    return Result::Success;
}
