#include "app/ShellPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "app/CommandIds.h"

namespace {
const QColor Ink(40, 40, 48);
const QColor Paper(250, 250, 246);

// A glossy blob of paint, the program's motif.
void PaintBlob(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour) {
    QRadialGradient g(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.3);
    g.setColorAt(0.0, Qt::white);
    g.setColorAt(0.25, colour.lighter(130));
    g.setColorAt(1.0, colour.darker(160));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void PaintPage(QPainter& p) {
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Paper);
    p.drawPath(page);
    p.drawLine(QPointF(20, 3), QPointF(20, 9));
    p.drawLine(QPointF(20, 9), QPointF(26, 9));
}

void PaintFolder(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(232, 188, 72));
    QPainterPath back;
    back.moveTo(3, 9);
    back.lineTo(11, 9);
    back.lineTo(13, 12);
    back.lineTo(27, 12);
    back.lineTo(27, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 212, 110));
    QPolygonF front;
    front << QPointF(3, 27) << QPointF(8, 16) << QPointF(31, 16) << QPointF(27, 27);
    p.drawPolygon(front);
}

void PaintDisk(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(70, 110, 190));
    p.drawRoundedRect(QRectF(4, 4, 22, 22), 2, 2);
    p.setBrush(Paper);
    p.drawRect(QRectF(8, 4, 14, 9));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(9, 18, 12, 8));
}

void PaintPencil(QPainter& p) {
    p.save();
    p.translate(24, 24);
    p.rotate(-45);
    p.setPen(QPen(Ink, 1.0));
    p.setBrush(QColor(240, 170, 60));
    p.drawRect(QRectF(-2.5, -12, 5, 12));
    p.setBrush(QColor(250, 230, 190));
    QPolygonF tip;
    tip << QPointF(-2.5, 0) << QPointF(2.5, 0) << QPointF(0, 5);
    p.drawPolygon(tip);
    p.restore();
}

void PaintMagnifier(QPainter& p, int sign) {
    p.setPen(QPen(Ink, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(Ink, 2.0));
    p.setBrush(QColor(210, 235, 250));
    p.drawEllipse(QPointF(13, 13), 9, 9);
    p.setPen(QPen(Ink, 2.2));
    p.drawLine(QPointF(9, 13), QPointF(17, 13));
    if (sign > 0) {
        p.drawLine(QPointF(13, 9), QPointF(13, 17));
    }
}

void PaintCurvedArrow(QPainter& p, bool left) {
    p.save();
    if (!left) {
        p.translate(32, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(QColor(40, 120, 60), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath arc;
    arc.moveTo(9, 13);
    arc.cubicTo(16, 5, 30, 9, 26, 22);
    arc.lineTo(22, 27);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 120, 60));
    QPolygonF head;
    head << QPointF(3, 12) << QPointF(13, 6) << QPointF(12, 18);
    p.drawPolygon(head);
    p.restore();
}

void PaintRedraw(QPainter& p) {
    p.setPen(QPen(QColor(30, 90, 170), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 250 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 90, 170));
    QPolygonF head;
    head << QPointF(17, 2) << QPointF(27, 8) << QPointF(17, 13);
    p.drawPolygon(head);
}

void PaintCanvasFrame(QPainter& p) {
    p.setPen(QPen(QColor(110, 70, 30), 2.0));
    p.setBrush(Paper);
    p.drawRect(QRectF(4, 6, 24, 19));
    QLinearGradient sky(0, 7, 0, 24);
    sky.setColorAt(0, QColor(120, 180, 240));
    sky.setColorAt(1, QColor(240, 200, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(QRectF(6, 8, 20, 15));
    PaintBlob(p, QPointF(19, 17), 4.5, QColor(220, 60, 60));
}

void PaintToolBox(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(200, 60, 50));
    p.drawRoundedRect(QRectF(3, 14, 26, 14), 2, 2);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(11, 9, 10, 6), 2, 2);
    PaintBlob(p, QPointF(10, 21), 3.2, QColor(250, 210, 60));
    PaintBlob(p, QPointF(22, 21), 3.2, QColor(60, 140, 230));
}

void PaintActualSize(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Paper);
    p.drawRect(QRectF(3, 6, 26, 20));
    QFont f;
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(3, 6, 26, 20), Qt::AlignCenter, QStringLiteral("1:1"));
}

void PaintFit(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Paper);
    p.drawRect(QRectF(3, 5, 26, 22));
    p.setPen(QPen(QColor(30, 90, 170), 2.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(16, 16);
    const QPointF corners[4] = {QPointF(7, 9), QPointF(25, 9), QPointF(7, 23), QPointF(25, 23)};
    for (const QPointF& k : corners) {
        const QPointF inner = c + (k - c) * 0.35;
        p.drawLine(inner, k);
        const QPointF d((k.x() > c.x()) ? -4 : 4, (k.y() > c.y()) ? -4 : 4);
        p.drawLine(k, k + QPointF(d.x(), 0));
        p.drawLine(k, k + QPointF(0, d.y()));
    }
}

void PaintInformation(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 90, 170));
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9.5), 2.2, 2.2);
    p.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1.5, 1.5);
}
} // namespace

QPixmap ToolBarPixmap(int commandId) {
    QImage image(ToolBarIconSize, ToolBarIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (commandId) {
    case Cmd::FileNew:
        PaintPage(p);
        PaintBlob(p, QPointF(16, 19), 5, QColor(230, 80, 60));
        break;
    case Cmd::FileOpen:
        PaintFolder(p);
        break;
    case Cmd::FileSaveAs:
        PaintDisk(p);
        PaintPencil(p);
        break;
    case Cmd::ShowToolBox:
        PaintToolBox(p);
        break;
    case Cmd::ShowCanvasDialog:
        PaintCanvasFrame(p);
        break;
    case Cmd::Redraw:
        PaintRedraw(p);
        break;
    case Cmd::ZoomActual:
        PaintActualSize(p);
        break;
    case Cmd::ZoomIn:
        PaintMagnifier(p, 1);
        break;
    case Cmd::ZoomOut:
        PaintMagnifier(p, -1);
        break;
    case Cmd::ZoomFit:
        PaintFit(p);
        break;
    case Cmd::EditUndo:
        PaintCurvedArrow(p, true);
        break;
    case Cmd::EditRedo:
        PaintCurvedArrow(p, false);
        break;
    case Cmd::Information:
        PaintInformation(p);
        break;
    default:
        return QPixmap();
    }
    p.end();
    return QPixmap::fromImage(image);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        PaintBlob(p, QPointF(12, 13), 9, QColor(225, 60, 70));
        PaintBlob(p, QPointF(21, 20), 8, QColor(60, 130, 230));
        PaintBlob(p, QPointF(11, 23), 6, QColor(250, 200, 50));
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QImage AboutPicture() {
    QImage image(AboutPictureWidth, AboutPictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient board(0, 0, AboutPictureWidth, AboutPictureHeight);
    board.setColorAt(0.0, QColor(250, 244, 228));
    board.setColorAt(1.0, QColor(226, 236, 248));
    p.fillRect(image.rect(), board);
    // A stroke of thick paint across the picture.
    const QColor colours[] = {QColor(225, 60, 70), QColor(245, 150, 40), QColor(250, 210, 50),
                              QColor(80, 180, 90), QColor(60, 130, 230), QColor(140, 80, 200)};
    for (int i = 0; i < 36; ++i) {
        const qreal x = 30 + i * 18.0;
        const qreal y = 58 + 26 * std::sin(i * 0.35);
        PaintBlob(p, QPointF(x, y), 16 + 5 * std::cos(i * 0.9), colours[(i / 6) % 6]);
    }
    QFont f;
    f.setPixelSize(44);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 230));
    p.drawText(QRectF(0, 0, AboutPictureWidth, AboutPictureHeight), Qt::AlignCenter,
               QStringLiteral("ヌリモコ"));
    p.end();
    return image;
}
