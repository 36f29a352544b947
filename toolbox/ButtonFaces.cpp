#include "toolbox/ButtonFaces.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "brushes/BrushSettings.h"
#include "engine/PaintCanvas.h"
#include "toolbox/RasterImageQt.h"
#include "toolbox/ToolColour.h"

ResultCode ButtonImagePair::Build(const RasterImage& bitmap) {
    RasterImage picture = bitmap;
    if (picture.bytesPerPixel == 1) {
        const ResultCode code = picture.ExpandPalette();
        if (code != Result::Success) {
            return code;
        }
    }
    if (picture.IsEmpty() || picture.bytesPerPixel != 3) {
        return picture.IsEmpty() ? Result::NoData : Result::UnsupportedFormat;
    }
    notSelected = picture;
    notSelected.ScaleBrightness(0.83f);
    notSelected.DarkenBorder(false, true, false, true);
    selected = picture;
    selected.DarkenBorder(true, false, true, false);
    return Result::Success;
}

namespace {

constexpr int S = ButtonFaceSize;

// A hue per kind so that neighbouring buttons differ at a glance.
float FaceHue(BrushKind kind) {
    static constexpr std::array<float, BrushKindCount> hues = {0.58f, 0.80f, 0.55f, 0.10f, 0.95f, 0.05f,
                                                               0.30f, 0.08f, 0.65f, 0.45f, 0.15f, 0.72f,
                                                               0.12f, 0.00f, 0.00f, 0.35f, 0.50f, 0.00f};
    return hues[static_cast<std::size_t>(kind)];
}

// One dab of `kind` in the middle of a light board, rendered by the engine.
ResultCode RenderDab(BrushKind kind, float hue, RasterImage& out) {
    PaintCanvas canvas;
    ResultCode code = canvas.Create(S, S);
    if (code != Result::Success) {
        return code;
    }
    canvas.antiAliasing = 1;
    canvas.backgroundImage.Fill(236, 232, 222);
    BrushSettings brush = BrushSettings::ForKind(kind);
    const PaintColour rgb = ToolColourToRgb(hue, 0.5f, 0.85f);
    brush.particle.red = rgb.red;
    brush.particle.green = rgb.green;
    brush.particle.blue = rgb.blue;
    brush.brushSize = 44.0f;
    if (!StampsDabs(kind)) {
        brush.ApplyKindDefaults(BrushKind::Simple);
        brush.particle.red = rgb.red;
        brush.particle.green = rgb.green;
        brush.particle.blue = rgb.blue;
        brush.brushSize = 40.0f;
    }
    if (kind == BrushKind::Simple || kind == BrushKind::RainbowPattern) {
        brush.brushSize = 60.0f;
    }
    // Tiny particles would vanish on a button; the patterns keep their layout with fuller grains, except
    // the rings, which would merge into a disc.
    if (kind == BrushKind::Circle) {
        brush.SetParticleSize(1.2f);
    } else if (brush.particle.innerRadius < 2.5f && kind != BrushKind::Simple &&
               kind != BrushKind::RainbowPattern) {
        brush.SetParticleSize(2.5f);
    }
    brush.BuildDabPattern();
    std::vector<Metaball> particles;
    brush.StampDabAt(S * 0.5f, S * 0.5f,
                     kind == BrushKind::ParallelLines || kind == BrushKind::Bellows ? 45.0f : 0.0f,
                     particles);
    canvas.BeginOperation();
    UpdateRect changed = UpdateRect::Empty();
    code = canvas.AddMetaballs(particles, changed);
    if (code != Result::Success) {
        return code;
    }
    UpdateRect whole = UpdateRect::Make(0, 0, S - 1, S - 1);
    code = canvas.Render(whole);
    canvas.EndOperation();
    if (code != Result::Success) {
        return code;
    }
    out = canvas.renderedImage;
    return Result::Success;
}

// The sign of a tool that works on paint already there, drawn over its rendered blob.
void DrawToolSign(BrushKind kind, QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(40, 40, 40), 2.0);
    switch (kind) {
    case BrushKind::Eraser: {
        // A white block rubbing out a clean stripe.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(236, 232, 222));
        p.drawRect(QRectF(6, 36, 30, 12));
        p.translate(40, 30);
        p.rotate(-30);
        p.setPen(outline);
        p.setBrush(QColor(250, 250, 250));
        p.drawRoundedRect(QRectF(-14, -8, 28, 16), 3, 3);
        p.setBrush(QColor(80, 120, 200));
        p.drawRoundedRect(QRectF(4, -8, 10, 16), 3, 3);
        break;
    }
    case BrushKind::Eyedropper: {
        // A dropper pointing at the paint.
        p.translate(34, 30);
        p.rotate(45);
        p.setPen(outline);
        p.setBrush(QColor(220, 220, 230));
        p.drawRect(QRectF(-4, -20, 8, 24));
        p.setBrush(QColor(60, 60, 70));
        p.drawRoundedRect(QRectF(-6, -30, 12, 12), 4, 4);
        QPolygonF tip;
        tip << QPointF(-4, 4) << QPointF(4, 4) << QPointF(0, 14);
        p.setBrush(QColor(220, 220, 230));
        p.drawPolygon(tip);
        break;
    }
    case BrushKind::Recolour: {
        // A second colour poured over half the blob, with an arrow.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 60, 60, 200));
        p.drawPie(QRectF(12, 12, 40, 40), 90 * 16, 180 * 16);
        p.setPen(QPen(QColor(40, 40, 40), 3));
        p.drawLine(QPointF(14, 56), QPointF(50, 56));
        p.drawLine(QPointF(50, 56), QPointF(43, 51));
        p.drawLine(QPointF(50, 56), QPointF(43, 61));
        break;
    }
    case BrushKind::Stir: {
        // A spiral stirred through the paint.
        QPainterPath spiral;
        spiral.moveTo(32, 32);
        for (int i = 1; i <= 80; ++i) {
            const double a = i * 0.15;
            const double r = i * 0.3;
            spiral.lineTo(32 + r * std::cos(a), 32 + r * std::sin(a));
        }
        p.setPen(QPen(QColor(250, 250, 250), 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(spiral);
        break;
    }
    default:
        break;
    }
}

ResultCode MakeBrushFace(BrushKind kind, RasterImage& out) {
    RasterImage rendered;
    ResultCode code = RenderDab(kind, FaceHue(kind), rendered);
    if (code != Result::Success) {
        return code;
    }
    if (StampsDabs(kind)) {
        out = std::move(rendered);
        return Result::Success;
    }
    QImage image = ToQImage(rendered);
    DrawToolSign(kind, image);
    return FromQImage(image, out);
}

ResultCode MakePathFace(PathKind kind, RasterImage& out) {
    QImage image(S, S, QImage::Format_RGB888);
    image.fill(QColor(244, 244, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen line(QColor(30, 60, 140), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    std::vector<QPointF> handles;
    switch (kind) {
    case PathKind::Freehand: {
        QPainterPath path;
        path.moveTo(8, 44);
        path.cubicTo(14, 10, 24, 54, 32, 30);
        path.cubicTo(38, 12, 46, 50, 56, 18);
        p.drawPath(path);
        break;
    }
    case PathKind::StraightLine:
        p.drawLine(QPointF(10, 52), QPointF(54, 12));
        handles = {QPointF(10, 52), QPointF(54, 12)};
        break;
    case PathKind::Polyline: {
        handles = {QPointF(8, 50), QPointF(22, 14), QPointF(38, 48), QPointF(56, 16)};
        p.drawPolyline(QPolygonF(QList<QPointF>(handles.begin(), handles.end())));
        break;
    }
    case PathKind::Curve: {
        QPainterPath path;
        path.moveTo(8, 50);
        path.cubicTo(16, 4, 44, 60, 56, 14);
        p.drawPath(path);
        handles = {QPointF(8, 50), QPointF(30, 32), QPointF(56, 14)};
        break;
    }
    case PathKind::Circumference:
        p.drawEllipse(QPointF(32, 32), 22, 22);
        handles = {QPointF(32, 32), QPointF(54, 32)};
        break;
    case PathKind::Arc:
        p.drawArc(QRectF(10, 10, 44, 44), 20 * 16, 200 * 16);
        handles = {QPointF(32, 32)};
        break;
    case PathKind::RegularPolygon: {
        QPolygonF polygon;
        for (int i = 0; i < 5; ++i) {
            const double a = -std::numbers::pi / 2 + i * 2 * std::numbers::pi / 5;
            polygon << QPointF(32 + 23 * std::cos(a), 34 + 23 * std::sin(a));
        }
        p.drawPolygon(polygon);
        handles = {QPointF(32, 34)};
        break;
    }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 60, 40));
    for (const QPointF& h : handles) {
        p.drawEllipse(h, 3.5, 3.5);
    }
    p.end();
    return FromQImage(image, out);
}

template <typename Kind, std::size_t N> struct FaceCache {
    std::array<RasterImage, N> pictures;
    std::array<ResultCode, N> codes{};
};

} // namespace

ResultCode BrushFacePicture(BrushKind kind, RasterImage& out) {
    static FaceCache<BrushKind, BrushKindCount> cache = [] {
        FaceCache<BrushKind, BrushKindCount> c;
        for (int k = 0; k < BrushKindCount - 1; ++k) {
            c.codes[k] = MakeBrushFace(static_cast<BrushKind>(k), c.pictures[k]);
        }
        c.codes[BrushKindCount - 1] = Result::NoData;
        return c;
    }();
    const auto k = static_cast<std::size_t>(kind);
    if (k >= cache.pictures.size()) {
        return Result::IndexOutOfRange;
    }
    if (cache.codes[k] == Result::Success) {
        out = cache.pictures[k];
    }
    return cache.codes[k];
}

ResultCode PathFacePicture(PathKind kind, RasterImage& out) {
    static FaceCache<PathKind, PathKindCount> cache = [] {
        FaceCache<PathKind, PathKindCount> c;
        for (int k = 0; k < PathKindCount; ++k) {
            c.codes[k] = MakePathFace(static_cast<PathKind>(k), c.pictures[k]);
        }
        return c;
    }();
    const auto k = static_cast<std::size_t>(kind);
    if (k >= cache.pictures.size()) {
        return Result::IndexOutOfRange;
    }
    if (cache.codes[k] == Result::Success) {
        out = cache.pictures[k];
    }
    return cache.codes[k];
}
