#include "toolbox/KindButton.h"

#include <QPainter>

#include "toolbox/RasterImageQt.h"

KindButton::KindButton(int kind, QWidget* parent) : QAbstractButton(parent), kind_(kind) {
    setFocusPolicy(Qt::NoFocus);
}

void KindButton::SetFaces(const ButtonImagePair& faces) {
    selectedFace_ = ToQImage(faces.selected);
    notSelectedFace_ = ToQImage(faces.notSelected);
    update();
}

void KindButton::SetCurrent(bool current) {
    if (current_ != current) {
        current_ = current;
        update();
    }
}

void KindButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& face = current_ ? selectedFace_ : notSelectedFace_;
    if (face.isNull()) {
        painter.fillRect(rect(), current_ ? QColor(160, 160, 160) : QColor(220, 220, 220));
        return;
    }
    // The same fitting as the picture helpers use, from the face's size.
    RasterImage shape;
    shape.width = face.width();
    shape.height = face.height();
    const FittedBox box = shape.FittedGeometry(width(), height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(box.left, box.top, box.width, box.height), face);
}
