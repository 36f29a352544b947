#pragma once
// Dialog layouts are given in dialog units; these turn them into pixels of the dialog's font:
// x = dlu × average character width / 4, y = dlu × font height / 8.

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QRect>
#include <QWidget>
#include <algorithm>

class DialogUnits {
public:
    explicit DialogUnits(const QWidget& dialog) {
        const QFontMetrics metrics(dialog.font());
        // Japanese captions are full-width; the unit is widened so that a full-width glyph spans two of
        // them, as it does with the fonts the layouts were made for.
        charWidth_ = std::max(metrics.averageCharWidth(), (metrics.horizontalAdvance(QChar(0x3042)) + 1) / 2);
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

// The layouts were made for a narrower Japanese font than most systems have: a label, radio button or
// check box whose caption does not fit its box gets a smaller font (down to 60 %) instead of losing its
// last characters.
inline void FitCaptions(QWidget& dialog) {
    const auto fit = [](QWidget* control) {
        if (control->width() <= 0) {
            return;
        }
        QFont font = control->font();
        const qreal base = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
        for (qreal size = base; control->sizeHint().width() > control->width() && size > base * 0.6;) {
            size -= 0.5;
            font.setPointSizeF(size);
            control->setFont(font);
        }
    };
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->pixmap().isNull()) {
            fit(label);
        }
    }
    for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
        fit(radio);
    }
    for (QCheckBox* check : dialog.findChildren<QCheckBox*>()) {
        fit(check);
    }
}
