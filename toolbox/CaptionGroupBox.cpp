#include "toolbox/CaptionGroupBox.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <algorithm>

QRect CaptionGroupBox::CaptionRect() const {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    QRect caption = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    const int whole = fontMetrics().horizontalAdvance(title()) + 2;
    caption.setWidth(std::max(caption.width(), whole));
    return caption.intersected(rect());
}

void CaptionGroupBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    // The style draws the frame, which keeps the room for the caption; the caption is drawn here.
    QStyleOptionGroupBox frame = option;
    frame.subControls &= ~QStyle::SC_GroupBoxLabel;
    painter.drawComplexControl(QStyle::CC_GroupBox, frame);
    if (!title().isEmpty()) {
        painter.drawItemText(CaptionRect(), Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignVCenter,
                             palette(), isEnabled(), title(), QPalette::WindowText);
    }
}
