#include "app/RasterImageQt.h"

#include <QPainter>
#include <QtEndian>
#include <cstring>

ResultCode ImageFromQImage(const QImage& source, RasterImage& target) {
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    const ResultCode rc = target.CreateRgb(rgb.width(), rgb.height());
    if (rc != Result::Success) {
        return rc;
    }
    for (int y = 0; y < target.height; ++y) {
        const uchar* src = rgb.constScanLine(target.height - 1 - y);
        std::uint8_t* dst = target.Row(y);
        for (int x = 0; x < target.width; ++x) {
            dst[3 * x + 0] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x + 0];
        }
    }
    return Result::Success;
}

QImage QImageFromImage(const RasterImage& image) {
    if (image.IsEmpty() || image.width <= 0 || image.height <= 0) {
        return QImage();
    }
    if (image.bytesPerPixel == 1) {
        QImage out(image.width, image.height, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < image.paletteCount; ++i) {
            table.append(qRgb(image.palette[3 * i], image.palette[3 * i + 1], image.palette[3 * i + 2]));
        }
        out.setColorTable(table);
        for (int y = 0; y < image.height; ++y) {
            std::memcpy(out.scanLine(image.height - 1 - y), image.Row(y),
                        static_cast<std::size_t>(image.width));
        }
        return out;
    }
    QImage out(image.width, image.height, QImage::Format_RGB888);
    CopyRectToQImage(image, 0, 0, image.width - 1, image.height - 1, out);
    return out;
}

void CopyRectToQImage(const RasterImage& image, int x0, int y0, int x1, int y1, QImage& target) {
    if (image.bytesPerPixel != 3 || target.format() != QImage::Format_RGB888 ||
        target.width() != image.width || target.height() != image.height) {
        return;
    }
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, image.width - 1);
    y1 = std::min(y1, image.height - 1);
    for (int y = y0; y <= y1; ++y) {
        const std::uint8_t* src = image.Row(y);
        uchar* dst = target.scanLine(image.height - 1 - y);
        for (int x = x0; x <= x1; ++x) {
            dst[3 * x + 0] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x + 0];
        }
    }
}

QRect TopDownRect(int imageHeight, int x0, int y0, int x1, int y1) {
    return QRect(QPoint(x0, imageHeight - 1 - y1), QPoint(x1, imageHeight - 1 - y0));
}

QByteArray PackedDibFromQImage(const QImage& source) {
    const QImage argb = source.convertToFormat(QImage::Format_RGB32);
    const int width = argb.width();
    const int height = argb.height();
    QByteArray dib(40 + 4 * width * height, '\0');
    uchar* p = reinterpret_cast<uchar*>(dib.data());
    qToLittleEndian<quint32>(40, p + 0);
    qToLittleEndian<qint32>(width, p + 4);
    qToLittleEndian<qint32>(height, p + 8);
    qToLittleEndian<quint16>(1, p + 12);
    qToLittleEndian<quint16>(32, p + 14);
    // biCompression 0 (BI_RGB), the other fields 0.
    uchar* rows = p + 40;
    for (int y = 0; y < height; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(argb.constScanLine(height - 1 - y));
        for (int x = 0; x < width; ++x) {
            qToLittleEndian<quint32>(src[x] & 0x00FFFFFFu,
                                     rows + 4 * (static_cast<qsizetype>(y) * width + x));
        }
    }
    return dib;
}

void DrawFitted(QPainter& painter, const RasterImage& image, int targetWidth, int targetHeight) {
    const QImage picture = QImageFromImage(image);
    if (picture.isNull()) {
        return;
    }
    const FittedBox box = image.FittedGeometry(targetWidth, targetHeight);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(box.left, box.top, box.width, box.height), picture);
    painter.restore();
}
