#include "app/ViewGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewGeometry, ClientAndImagePointsMapBothWaysAtZoomOne) {
    ViewGeometry g;
    g.ResetToCanvas(100, 50);
    // Client row 0 is the top image row (49); pixel centres are taken.
    const CanvasPoint top = g.ClientToImage(0, 0);
    EXPECT_FLOAT_EQ(top.x, 0.5f);
    EXPECT_FLOAT_EQ(top.y, 49.5f);
    const CanvasPoint bottom = g.ClientToImage(99, 49);
    EXPECT_FLOAT_EQ(bottom.x, 99.5f);
    EXPECT_FLOAT_EQ(bottom.y, 0.5f);
    EXPECT_EQ(g.ImageToClient(99.5f, 0.5f), (WindowPoint{99, 49}));
}

TEST(ViewGeometry, MappingFollowsZoomAndScroll) {
    ViewGeometry g;
    g.ResetToCanvas(100, 50);
    g.displayRect.width = 200.0f;
    g.displayRect.height = 100.0f;
    g.SetScrollPosition(30, 10);
    EXPECT_FLOAT_EQ(g.displayRect.x, -30.0f);
    EXPECT_FLOAT_EQ(g.displayRect.y, -10.0f);
    EXPECT_FLOAT_EQ(g.Zoom(), 2.0f);
    // Client (10, 0) is content (40, 10): image x 20.25, image y 50 - 5.25.
    const CanvasPoint p = g.ClientToImage(10, 0);
    EXPECT_FLOAT_EQ(p.x, 20.25f);
    EXPECT_FLOAT_EQ(p.y, 44.75f);
    EXPECT_EQ(g.ImageToClient(20.25f, 44.75f), (WindowPoint{10, 0}));
}

TEST(ViewGeometry, ZoomOutStopsAtOnePixelAndZoomInMultipliesFromThere) {
    ViewGeometry g;
    g.ResetToCanvas(30, 20);
    for (int i = 0; i < 40; ++i) {
        g.ZoomOut();
    }
    EXPECT_FLOAT_EQ(g.displayRect.width, 1.0f);
    EXPECT_FLOAT_EQ(g.displayRect.height, 1.0f);
    g.ZoomIn();
    EXPECT_FLOAT_EQ(g.displayRect.width, 1.2f);
    EXPECT_FLOAT_EQ(g.displayRect.height, 1.2f);
}

TEST(ViewGeometry, ZoomStepsUseSinglePrecisionFactors) {
    ViewGeometry g;
    g.ResetToCanvas(1280, 720);
    g.displayRect.x = -7.0f;
    g.ZoomOut();
    EXPECT_EQ(g.displayRect.width, 1280.0f * (1.0f / 1.2f));
    EXPECT_EQ(g.displayRect.x, -7.0f); // origins stay
    g.ZoomIn();
    EXPECT_EQ(g.displayRect.width, 1280.0f * (1.0f / 1.2f) * 1.2f);
}

TEST(ViewGeometry, ActualSizeAndFit) {
    ViewGeometry g;
    g.ResetToCanvas(1280, 720);
    g.ZoomIn();
    g.SetScrollPosition(100, 100);
    g.ZoomActual();
    g.ZeroOrigins();
    EXPECT_EQ(g.displayRect, (FloatRect{0, 0, 1280, 720}));

    // A canvas wider than the window: the smaller ratio wins, the whole canvas is visible.
    ASSERT_TRUE(g.ZoomFit(640, 600, 1280, 720));
    EXPECT_FLOAT_EQ(g.Zoom(), 0.5f);
    EXPECT_FLOAT_EQ(g.displayRect.height, 360.0f);
    // A tall canvas: the height ratio wins.
    g.ResetToCanvas(100, 400);
    ASSERT_TRUE(g.ZoomFit(800, 200, 100, 400));
    EXPECT_FLOAT_EQ(g.Zoom(), 0.5f);
    // An empty canvas changes nothing.
    const FloatRect before = g.displayRect;
    EXPECT_FALSE(g.ZoomFit(800, 200, 0, 400));
    EXPECT_EQ(g.displayRect, before);
}

TEST(ViewGeometry, ScrollSizesFollowTheZoomedCanvas) {
    ViewGeometry g;
    g.ResetToCanvas(1280, 720);
    EXPECT_EQ(g.ScrollSizes(1280, 720), (ScrollSize{1280, 720}));
    g.ZoomIn();
    EXPECT_EQ(g.ScrollSizes(1280, 720), (ScrollSize{1536, 864}));
    g.ResetToCanvas(10, 10);
    g.displayRect.width = 20.0f;
    EXPECT_EQ(g.ScrollSizes(0, 10), (ScrollSize{8, 8}));
    EXPECT_EQ(g.ScrollSizes(10, 0), (ScrollSize{4, 4}));
}

} // namespace
