#pragma once
// Dialog layouts are given in dialog units of the dialog's font; these turn them into pixels.

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <algorithm>

class DialogUnitScale {
public:
    explicit DialogUnitScale(const QFont& font) : metrics_(font) {
        const QFontMetrics& metrics = metrics_;
        // Japanese layouts were made with fonts whose full-width glyph is two average characters wide;
        // a font with narrower Latin letters would otherwise clip the Japanese captions.
        baseX_ = std::max(metrics.averageCharWidth(), (metrics.horizontalAdvance(QChar(0x56FD)) + 1) / 2);
        baseY_ = metrics.height();
    }
    // Widens the unit so that `text` fits into a control `dluWidth` units wide: the layouts were made for
    // fonts whose Japanese glyphs are narrower than many fonts found here.
    void FitText(const QString& text, int dluWidth) {
        const int needed = (metrics_.horizontalAdvance(text) * 4 + dluWidth - 1) / dluWidth;
        baseX_ = std::max(baseX_, needed);
    }
    int X(int dlu) const { return dlu * baseX_ / 4; }
    int Y(int dlu) const { return dlu * baseY_ / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    QSize Size(int w, int h) const { return QSize(X(w), Y(h)); }

private:
    QFontMetrics metrics_;
    int baseX_ = 6;
    int baseY_ = 13;
};
