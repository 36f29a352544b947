#include "toolbox/PaintedFrame.h"

#include <QPainter>

PaintedFrame::PaintedFrame(const QString& id, QWidget* parent) : QWidget(parent) {
    setObjectName(id);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PaintedFrame::paintEvent(QPaintEvent*) {
    if (painter_) {
        QPainter painter(this);
        painter_(painter);
    }
}
