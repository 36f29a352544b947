#include "app/RasterImageQt.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

#include "QtTestApp.h"
#include "app/ShellPrompts.h"
#include "persistence/Bmp.h"

namespace {

// A picture whose top row is red and bottom row is blue, with a green pixel at the top left.
QImage Marked(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < width; ++x) {
        image.setPixelColor(x, 0, QColor(255, 0, 0));
        image.setPixelColor(x, height - 1, QColor(0, 0, 255));
    }
    image.setPixelColor(0, 0, QColor(0, 255, 0));
    return image;
}

void ExpectMarked(const RasterImage& image) {
    ASSERT_EQ(image.bytesPerPixel, 3);
    const int top = image.height - 1;
    const std::uint8_t* corner = image.PixelAt(0, top); // blue, green, red
    EXPECT_EQ(corner[0], 0);
    EXPECT_EQ(corner[1], 255);
    EXPECT_EQ(corner[2], 0);
    EXPECT_EQ(image.PixelAt(1, top)[2], 255);
    EXPECT_EQ(image.PixelAt(1, top)[0], 0);
    EXPECT_EQ(image.PixelAt(1, 0)[0], 255);
    EXPECT_EQ(image.PixelAt(1, 0)[2], 0);
}

TEST(RasterImageQt, QtImagesBecomeBottomUpImagesAndBack) {
    TestApp();
    RasterImage image;
    ASSERT_EQ(ImageFromQImage(Marked(5, 3), image), Result::Success);
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.rowStride, 16);
    ExpectMarked(image);
    const QImage back = QImageFromImage(image);
    EXPECT_EQ(back.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(back.pixelColor(3, 2), QColor(0, 0, 255));
    EXPECT_EQ(TopDownRect(3, 1, 0, 2, 0), QRect(1, 2, 2, 1));
}

TEST(RasterImageQt, ClipboardPicturesPassThroughThePackedDibReader) {
    TestApp();
    RasterImage image;
    const QByteArray dib = PackedDibFromQImage(Marked(7, 4));
    ASSERT_EQ(dib.size(), 40 + 7 * 4 * 4);
    ASSERT_EQ(LoadPackedDib(image, reinterpret_cast<const std::uint8_t*>(dib.constData()),
                            static_cast<std::size_t>(dib.size())),
              Result::Success);
    EXPECT_EQ(image.width, 7);
    EXPECT_EQ(image.height, 4);
    ExpectMarked(image);
}

TEST(RasterImageQt, ClipboardRoundTripThroughThePrompts) {
    TestApp();
    QtShellPrompts prompts(nullptr);
    QGuiApplication::clipboard()->clear();
    RasterImage picture;
    EXPECT_EQ(prompts.ReadClipboardPicture(picture), Result::NoData);

    RasterImage source;
    ASSERT_EQ(ImageFromQImage(Marked(6, 5), source), Result::Success);
    ASSERT_TRUE(prompts.WriteClipboardPicture(source));
    ASSERT_EQ(prompts.ReadClipboardPicture(picture), Result::Success);
    EXPECT_EQ(picture.width, 6);
    EXPECT_EQ(picture.height, 5);
    EXPECT_EQ(picture.data, source.data);
}

TEST(RasterImageQt, DrawFittedKeepsTheAspectAndCentres) {
    TestApp();
    RasterImage wide;
    ASSERT_EQ(wide.CreateRgb(200, 100), Result::Success);
    wide.Fill(0, 0, 0);
    QImage target(100, 100, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    DrawFitted(painter, wide, 100, 100);
    painter.end();
    EXPECT_EQ(target.pixelColor(50, 10), QColor(Qt::white)); // above the 100 × 50 box at (0, 25)
    EXPECT_EQ(target.pixelColor(50, 50), QColor(Qt::black));
    EXPECT_EQ(target.pixelColor(50, 90), QColor(Qt::white));
}

} // namespace
