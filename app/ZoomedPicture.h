#pragma once
// The display picture as the screen shows it below 100 %: every screen pixel is the average of the
// picture pixels it covers (area averaging, the halftone filter), pixels that it covers in part weighted
// by the covered part. Thin lines and fine paint therefore stay visible, a one-pixel line at 25 % as a
// column a quarter as dark. A change of a few picture pixels re-averages only the screen pixels over them.

#include <QImage>
#include <QRect>
#include <vector>

class ZoomedPicture {
public:
    // Shrinks the whole top-down RGB888 `source` by `zoom` (0 < zoom < 1).
    void Rebuild(const QImage& source, double zoom);
    // True when the shrunk picture was made from a source of this size at this zoom.
    bool Matches(const QImage& source, double zoom) const;
    void Clear();

    // The screen pixels (in the shrunk picture) that cover a rectangle of source pixels.
    QRect ScreenRectOf(const QRect& sourceRect) const;
    // Re-averages the screen pixels over a changed rectangle of the source; returns them.
    QRect Update(const QImage& source, const QRect& sourceRect);

    const QImage& Image() const { return image_; }
    double Zoom() const { return zoom_; }

private:
    // The source pixels one screen pixel covers along one axis, with the covered part of each.
    struct Span {
        int first = 0;
        std::vector<float> weights;
        float total = 0.0f;
    };
    static std::vector<Span> Spans(int sourceLength, double zoom, int screenLength);
    void Average(const QImage& source, const QRect& screenRect);

    QImage image_;
    QSize sourceSize_;
    double zoom_ = 0.0;
    std::vector<Span> columns_;
    std::vector<Span> rows_;
};
