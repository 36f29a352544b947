#pragma once
// Dialog layouts are given in dialog units; these turn them into pixels of the dialog's font:
// x = dlu × average character width / 4, y = dlu × font height / 8.

#include <QFontMetrics>
#include <QRect>
#include <QWidget>

class DialogUnits {
public:
    explicit DialogUnits(const QWidget& dialog) {
        const QFontMetrics metrics(dialog.font());
        charWidth_ = metrics.averageCharWidth();
        charHeight_ = metrics.height();
    }
    int X(int dlu) const { return dlu * charWidth_ / 4; }
    int Y(int dlu) const { return dlu * charHeight_ / 8; }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(x + width) - X(x), Y(y + height) - Y(y));
    }

private:
    int charWidth_ = 6;
    int charHeight_ = 13;
};
