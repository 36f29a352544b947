#pragma once
// A group box that shows its whole caption. The style measures a caption by the tight bounding box of
// its glyphs, which for kanji and full-width brackets comes out narrower than the text is drawn, and it
// clips the caption there: "経路 （直線）" lost its closing bracket. This box draws the caption over its
// full advance width.

#include <QGroupBox>

class CaptionGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

    // Where the caption is drawn: the style's place, widened to the caption's full width.
    QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
