#include "app/ZoomedPicture.h"

#include <algorithm>
#include <cmath>

namespace {
// A boundary that lands on a pixel edge but for rounding (12 / 0.3 is 40.000000000000007) is put on the
// edge, so that no screen pixel takes a sliver of its neighbour's pixel.
double Snapped(double v) {
    const double edge = std::round(v);
    return std::abs(v - edge) < 1e-7 ? edge : v;
}
} // namespace

std::vector<ZoomedPicture::Span> ZoomedPicture::Spans(int sourceLength, double zoom, int screenLength) {
    std::vector<Span> spans(static_cast<std::size_t>(screenLength));
    for (int i = 0; i < screenLength; ++i) {
        // Screen pixel i covers [i / zoom, (i + 1) / zoom) of the source, cut off at its end.
        const double begin = Snapped(i / zoom);
        const double end = std::min(static_cast<double>(sourceLength), Snapped((i + 1) / zoom));
        Span& span = spans[static_cast<std::size_t>(i)];
        span.first = std::min(sourceLength - 1, static_cast<int>(std::floor(begin)));
        const int last =
            std::max(span.first, std::min(sourceLength - 1, static_cast<int>(std::ceil(end)) - 1));
        for (int s = span.first; s <= last; ++s) {
            const double covered = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
            span.weights.push_back(static_cast<float>(std::max(0.0, covered)));
            span.total += span.weights.back();
        }
        if (span.total <= 0.0f) {
            // Only possible for a screen pixel past the source's end: it shows the last source pixel.
            span.weights.assign(1, 1.0f);
            span.total = 1.0f;
        }
    }
    return spans;
}

void ZoomedPicture::Rebuild(const QImage& source, double zoom) {
    Clear();
    if (source.isNull() || source.format() != QImage::Format_RGB888 || !(zoom > 0.0 && zoom < 1.0)) {
        return;
    }
    const int width = std::max(1, static_cast<int>(std::ceil(source.width() * zoom)));
    const int height = std::max(1, static_cast<int>(std::ceil(source.height() * zoom)));
    image_ = QImage(width, height, QImage::Format_RGB888);
    if (image_.isNull()) {
        return;
    }
    sourceSize_ = source.size();
    zoom_ = zoom;
    columns_ = Spans(source.width(), zoom, width);
    rows_ = Spans(source.height(), zoom, height);
    Average(source, image_.rect());
}

bool ZoomedPicture::Matches(const QImage& source, double zoom) const {
    return !image_.isNull() && source.size() == sourceSize_ && zoom == zoom_;
}

void ZoomedPicture::Clear() {
    image_ = QImage();
    sourceSize_ = QSize();
    zoom_ = 0.0;
    columns_.clear();
    rows_.clear();
}

QRect ZoomedPicture::ScreenRectOf(const QRect& sourceRect) const {
    if (image_.isNull()) {
        return QRect();
    }
    const QRect r = sourceRect.intersected(QRect(QPoint(0, 0), sourceSize_));
    if (r.isEmpty()) {
        return QRect();
    }
    // The screen pixels whose spans reach into [first, last]; the spans run in order along each axis.
    const auto covering = [](const std::vector<Span>& spans, int first, int last) {
        const auto begin = std::partition_point(spans.begin(), spans.end(), [&](const Span& s) {
            return s.first + static_cast<int>(s.weights.size()) - 1 < first;
        });
        const auto end =
            std::partition_point(begin, spans.end(), [&](const Span& s) { return s.first <= last; });
        return std::pair{static_cast<int>(begin - spans.begin()), static_cast<int>(end - spans.begin()) - 1};
    };
    const auto [x0, x1] = covering(columns_, r.left(), r.right());
    const auto [y0, y1] = covering(rows_, r.top(), r.bottom());
    if (x1 < x0 || y1 < y0) {
        return QRect();
    }
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

QRect ZoomedPicture::Update(const QImage& source, const QRect& sourceRect) {
    if (!Matches(source, zoom_) || source.format() != QImage::Format_RGB888) {
        return QRect();
    }
    const QRect screen = ScreenRectOf(sourceRect);
    if (!screen.isEmpty()) {
        Average(source, screen);
    }
    return screen;
}

void ZoomedPicture::Average(const QImage& source, const QRect& screenRect) {
    const int x0 = screenRect.left();
    const int x1 = screenRect.right();
    std::vector<float> sums(static_cast<std::size_t>(x1 - x0 + 1) * 3);
    for (int y = screenRect.top(); y <= screenRect.bottom(); ++y) {
        const Span& row = rows_[static_cast<std::size_t>(y)];
        std::fill(sums.begin(), sums.end(), 0.0f);
        for (std::size_t r = 0; r < row.weights.size(); ++r) {
            const uchar* line = source.constScanLine(row.first + static_cast<int>(r));
            const float wy = row.weights[r];
            float* sum = sums.data();
            for (int x = x0; x <= x1; ++x, sum += 3) {
                const Span& column = columns_[static_cast<std::size_t>(x)];
                const uchar* p = line + 3 * column.first;
                float red = 0.0f;
                float green = 0.0f;
                float blue = 0.0f;
                for (const float wx : column.weights) {
                    red += wx * p[0];
                    green += wx * p[1];
                    blue += wx * p[2];
                    p += 3;
                }
                sum[0] += wy * red;
                sum[1] += wy * green;
                sum[2] += wy * blue;
            }
        }
        uchar* out = image_.scanLine(y) + 3 * x0;
        const float* sum = sums.data();
        for (int x = x0; x <= x1; ++x, sum += 3, out += 3) {
            const float area = row.total * columns_[static_cast<std::size_t>(x)].total;
            for (int k = 0; k < 3; ++k) {
                out[k] = static_cast<uchar>(std::clamp(sum[k] / area + 0.5f, 0.0f, 255.0f));
            }
        }
    }
}
