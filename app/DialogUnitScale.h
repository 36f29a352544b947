#pragma once
// Dialog layouts are given in dialog units of the dialog's font; these turn them into pixels.

#include <QFont>
#include <QFontMetrics>
#include <QRect>

class DialogUnitScale {
public:
    explicit DialogUnitScale(const QFont& font) {
        const QFontMetrics metrics(font);
        baseX_ = metrics.averageCharWidth();
        baseY_ = metrics.height();
    }
    int X(int dlu) const { return dlu * baseX_ / 4; }
    int Y(int dlu) const { return dlu * baseY_ / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    QSize Size(int w, int h) const { return QSize(X(w), Y(h)); }

private:
    int baseX_ = 6;
    int baseY_ = 13;
};
