#include "app/ZoomedPicture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

QImage Filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

// A picture where every pixel differs, so a wrong weight or a wrong pixel shows.
QImage Noisy(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixelColor(
                x, y, QColor((x * 37 + y * 11) % 256, (x * x + 3 * y) % 256, (y * y * 7 + x) % 256));
        }
    }
    return image;
}

// The average of the picture over the square a screen pixel covers, weighting pixels by the covered part.
double CoveredAverage(const QImage& source, double zoom, int sx, int sy, int channel) {
    const double x0 = sx / zoom;
    const double x1 = std::min<double>(source.width(), (sx + 1) / zoom);
    const double y0 = sy / zoom;
    const double y1 = std::min<double>(source.height(), (sy + 1) / zoom);
    double sum = 0.0;
    double area = 0.0;
    for (int y = static_cast<int>(y0); y < y1; ++y) {
        for (int x = static_cast<int>(x0); x < x1; ++x) {
            const double w = (std::min(x1, x + 1.0) - std::max(x0, double(x))) *
                             (std::min(y1, y + 1.0) - std::max(y0, double(y)));
            const QColor c = source.pixelColor(x, y);
            sum += w * (channel == 0 ? c.red() : channel == 1 ? c.green() : c.blue());
            area += w;
        }
    }
    return sum / area;
}

TEST(ZoomedPicture, EveryScreenPixelIsTheAverageOfThePictureItCovers) {
    const QImage source = Noisy(97, 61);
    for (const double zoom : {0.5, 0.25, 1.0 / 3.0, 0.3, 0.8333333, 0.07}) {
        SCOPED_TRACE(zoom);
        ZoomedPicture zoomed;
        zoomed.Rebuild(source, zoom);
        ASSERT_EQ(zoomed.Image().width(), static_cast<int>(std::ceil(97 * zoom)));
        ASSERT_EQ(zoomed.Image().height(), static_cast<int>(std::ceil(61 * zoom)));
        EXPECT_TRUE(zoomed.Matches(source, zoom));
        for (int y = 0; y < zoomed.Image().height(); ++y) {
            for (int x = 0; x < zoomed.Image().width(); ++x) {
                const QColor shown = zoomed.Image().pixelColor(x, y);
                ASSERT_NEAR(shown.red(), CoveredAverage(source, zoom, x, y, 0), 0.51) << x << "," << y;
                ASSERT_NEAR(shown.green(), CoveredAverage(source, zoom, x, y, 1), 0.51) << x << "," << y;
                ASSERT_NEAR(shown.blue(), CoveredAverage(source, zoom, x, y, 2), 0.51) << x << "," << y;
            }
        }
    }
}

TEST(ZoomedPicture, AUniformPictureStaysUniformUpToItsPartlyCoveredEdge) {
    const QImage source = Filled(10, 7, QColor(200, 100, 3));
    ZoomedPicture zoomed;
    zoomed.Rebuild(source, 0.3); // 3 × 2.1 screen pixels: the last row covers a tenth of a pixel's rows
    ASSERT_EQ(zoomed.Image().size(), QSize(3, 3));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(zoomed.Image().pixelColor(x, y), QColor(200, 100, 3)) << x << "," << y;
        }
    }
}

TEST(ZoomedPicture, AChangedRectangleReaveragesOnlyTheScreenPixelsOverIt) {
    QImage source = Noisy(200, 120);
    ZoomedPicture zoomed;
    zoomed.Rebuild(source, 0.3);
    const QImage before = zoomed.Image();

    // The whole picture changes, but only a small rectangle is reported.
    source = Filled(200, 120, QColor(0, 0, 0));
    const QRect changed(50, 40, 7, 5); // columns 50..56, rows 40..44
    const QRect screen = zoomed.Update(source, changed);
    // Column 50 begins screen column 15 (15 / 0.3 = 50) and column 56 reaches into 17 (17 / 0.3 ≈ 56.7);
    // rows 40 and 44 lie in screen rows 12 (from 12 / 0.3 = 40) and 13.
    EXPECT_EQ(screen, QRect(QPoint(15, 12), QPoint(17, 13)));
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const QColor expected = screen.contains(x, y) ? QColor(0, 0, 0) : before.pixelColor(x, y);
            ASSERT_EQ(zoomed.Image().pixelColor(x, y), expected) << x << "," << y;
        }
    }
    // Inside that rectangle the result is what a full average of the changed picture gives.
    ZoomedPicture fresh;
    fresh.Rebuild(source, 0.3);
    EXPECT_EQ(fresh.Image().copy(screen), zoomed.Image().copy(screen));

    // Rectangles outside the picture re-average nothing; another zoom needs a rebuild first.
    EXPECT_TRUE(zoomed.Update(source, QRect(300, 300, 4, 4)).isEmpty());
    EXPECT_FALSE(zoomed.Matches(source, 0.25));
    EXPECT_FALSE(zoomed.Matches(Filled(201, 120, Qt::black), 0.3));
}

} // namespace
