// Mouse events to paths: points, previews, guidance, snapping and the commits of each path kind.

#include "StrokeTestFakes.h"

namespace {

class StrokeInput : public StrokeFixture {};

using E = StrokeEvent;

PreviewPoint At(std::int32_t windowX, std::int32_t windowY) {
    // Zoom 1 with the picture at the window's top-left: the pixel centre.
    return PreviewPoint{static_cast<float>(windowX) + 0.5f, static_cast<float>(windowY) + 0.5f};
}

} // namespace

TEST_F(StrokeInput, GuidanceFollowsThePathKind) {
    UseBrush(BrushKind::Simple, PathKind::Freehand, 8.0f);
    EXPECT_EQ(view.statusTexts.back(), "フリーハンド： マウス左クリックしたままドラッグ。");
    stroke.SetPathKind(PathKind::Circumference);
    EXPECT_EQ(stroke.Brush().pathKind, PathKind::Circumference);
    EXPECT_EQ(view.statusTexts.back(), "円周：【円の中心】マウス左クリック。【円周上の１点】マウス左クリック"
                                       "。【キャンセル】マウス右クリック。");
    // The curve shares the polyline's text.
    EXPECT_STREQ(StrokeController::GuidanceText(PathKind::Curve),
                 StrokeController::GuidanceText(PathKind::Polyline));
    EXPECT_STREQ(
        StrokeController::GuidanceText(PathKind::Polyline),
        "折れ線：【始点】マウス左クリック。【途中の点】マウス左クリック。【終点】マウス左ダブルクリック。"
        "【1点キャンセル】マウス右クリック。");
}

TEST_F(StrokeInput, EveryStrokeTakesAFreshBrushFromTheToolBox) {
    const int before = tools.taken;
    Send(E::ButtonDown, 30, 30);
    EXPECT_EQ(tools.taken, before + 1);
    Send(E::ButtonUp, 30, 30);
    tools.brush.brushSize = 30.0f;
    Send(E::ButtonDown, 20, 20);
    EXPECT_FLOAT_EQ(stroke.Brush().brushSize, 30.0f);
}

TEST_F(StrokeInput, SnapToGridTakesTheNearerLineAndTiesGoUp) {
    view.grid = GridSnapSettings{true, 10, true};
    UseBrush(BrushKind::Simple, PathKind::StraightLine, 8.0f);
    struct Case {
        float displayX;
        std::int32_t windowX; // canvas x = windowX + 0.5 - displayX
        std::int32_t snappedX;
    };
    const Case cases[] = {
        {0.3f, 14, 10},  // 14.2 → 10.5
        {-0.1f, 15, 20}, // 15.6 → 20.5
        {0.0f, 15, 20},  // 15.5 lies half way: the upper line
        {0.0f, 3, 0},    // 3.5 → 0.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windowX);
        view.mapping.displayX = c.displayX;
        EXPECT_EQ(stroke.SnapToGrid(WindowPoint{c.windowX, 8}).x, c.snappedX);
    }
    // Rows: window y 8 is canvas y 55.5 at zoom 1, which lies half way between 50.5 and 60.5.
    view.mapping.displayX = 0.0f;
    const WindowPoint snapped = stroke.SnapToGrid(WindowPoint{26, 8});
    EXPECT_EQ(snapped, (WindowPoint{30, 3}));
    EXPECT_FLOAT_EQ(view.mapping.WindowToCanvas(snapped).x, 30.5f);
    EXPECT_FLOAT_EQ(view.mapping.WindowToCanvas(snapped).y, 60.5f);
}

TEST_F(StrokeInput, SnapLeavesThePointAloneWhenItDoesNotApply) {
    const WindowPoint p{14, 8};
    struct Case {
        const char* name;
        PathKind path;
        GridSnapSettings grid;
    };
    const Case cases[] = {
        {"freehand", PathKind::Freehand, {true, 10, true}},
        {"grid hidden", PathKind::Polyline, {false, 10, true}},
        {"snap off", PathKind::Polyline, {true, 10, false}},
        {"spacing 0", PathKind::Polyline, {true, 0, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseBrush(BrushKind::Simple, c.path, 8.0f);
        view.grid = c.grid;
        EXPECT_EQ(stroke.SnapToGrid(p), p);
    }
}

TEST_F(StrokeInput, PenWidthsMarkTheMainShapeOfThePathKind) {
    struct Case {
        PathKind path;
        PreviewShape StrokePreview::*thick; // nullptr: none
    };
    const Case cases[] = {
        {PathKind::Freehand, nullptr},
        {PathKind::StraightLine, &StrokePreview::pathLine},
        {PathKind::Polyline, &StrokePreview::pathLine},
        {PathKind::Curve, &StrokePreview::curve},
        {PathKind::Circumference, &StrokePreview::circle},
        {PathKind::Arc, &StrokePreview::arc},
        {PathKind::RegularPolygon, &StrokePreview::polygon},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(PathKindCaption(c.path));
        UseBrush(BrushKind::Simple, c.path, 8.0f);
        stroke.BeginStroke();
        int thick = 0;
        stroke.Preview().ForEach([&](const PreviewShape& s) { thick += s.penWidth == 3 ? 1 : 0; });
        EXPECT_EQ(thick, c.thick == nullptr ? 0 : 1);
        if (c.thick != nullptr) {
            EXPECT_EQ((stroke.Preview().*c.thick).penWidth, 3);
        }
        stroke.EndStroke();
    }
}

TEST_F(StrokeInput, CursorCircleFollowsTheMouseAndHidesOnPress) {
    view.mapping = ViewMapping{0.0f, 0.0f, 2.0f * Size, 2.0f * Size, 0.0f, 0.0f, Size, Size}; // zoom 2
    UseBrush(BrushKind::Simple, PathKind::Freehand, 15.7f); // trunc 15, halved 7, zoomed 14
    Send(E::Move, 40, 50);
    const PreviewShape& cursor = stroke.Preview().cursorCircle;
    ASSERT_TRUE(cursor.onScreen);
    EXPECT_EQ(cursor.kind, PreviewKind::Circle);
    EXPECT_FLOAT_EQ(cursor.left, (40 - 14 + 0.5f) / 2.0f);
    EXPECT_FLOAT_EQ(cursor.right, (40 + 14 + 0.5f) / 2.0f);
    EXPECT_FLOAT_EQ(cursor.top, (50 - 14 + 0.5f) / 2.0f);
    EXPECT_FLOAT_EQ(cursor.bottom, (50 + 14 + 0.5f) / 2.0f);
    const int changes = view.previewChanges;
    EXPECT_GT(changes, 0);

    Send(E::ButtonDown, 40, 50);
    EXPECT_FALSE(stroke.Preview().cursorCircle.onScreen);
    Send(E::Move, 42, 50);
    EXPECT_TRUE(stroke.Preview().cursorCircle.onScreen);
    stroke.WipeCursor();
    EXPECT_FALSE(stroke.Preview().cursorCircle.onScreen);
}

TEST_F(StrokeInput, StraightLinePaintsAtTheSecondPressAndDropsTheRubberBand) {
    UseBrush(BrushKind::Simple, PathKind::StraightLine, 8.0f);
    Send(E::ButtonDown, 10, 30);
    EXPECT_EQ(stroke.Points().size(), 1u);
    Send(E::Move, 30, 30);
    const PreviewShape& line = stroke.Preview().pathLine;
    ASSERT_TRUE(line.onScreen);
    EXPECT_EQ(line.points, (std::vector<PreviewPoint>{At(10, 30), At(30, 30)}));
    EXPECT_EQ(line.penWidth, 3);
    EXPECT_EQ(MetaballCount(), 0); // nothing reaches the canvas before the commit

    Send(E::ButtonDown, 50, 30);
    EXPECT_FALSE(stroke.Preview().pathLine.onScreen);
    EXPECT_EQ(MetaballCount(), 21);
    EXPECT_TRUE(stroke.Points().empty());
    EXPECT_EQ(recorder.records.size(), 1u);
    EXPECT_NE(std::find(view.statusTexts.begin(), view.statusTexts.end(), ""), view.statusTexts.end());
}

TEST_F(StrokeInput, StraightLineRightClickCancelsTheStartPoint) {
    UseBrush(BrushKind::Simple, PathKind::StraightLine, 8.0f);
    Send(E::ButtonDown, 10, 30);
    Send(E::Move, 30, 30);
    Send(E::RightDown, 30, 30);
    EXPECT_TRUE(stroke.Points().empty());
    EXPECT_FALSE(stroke.Preview().pathLine.onScreen);
    Send(E::Move, 35, 30);
    EXPECT_FALSE(stroke.Preview().pathLine.onScreen);
    // The next press starts again from the beginning.
    Send(E::ButtonDown, 20, 20);
    EXPECT_EQ(stroke.Points().size(), 1u);
    EXPECT_EQ(MetaballCount(), 0);
}

TEST_F(StrokeInput, RightClickTakesBackPolylinePointsAndTheRubberBandFollows) {
    UseBrush(BrushKind::Simple, PathKind::Polyline, 8.0f);
    Send(E::ButtonDown, 10, 10);
    Send(E::ButtonDown, 30, 10);
    Send(E::ButtonDown, 30, 30);
    ASSERT_EQ(stroke.Points().size(), 3u);

    Send(E::RightDown, 40, 40);
    EXPECT_EQ(stroke.Points(), (std::vector<WindowPoint>{{10, 10}, {30, 10}}));
    EXPECT_TRUE(stroke.Preview().pathLine.onScreen);
    EXPECT_EQ(stroke.Preview().pathLine.points,
              (std::vector<PreviewPoint>{At(10, 10), At(30, 10), At(40, 40)}));

    Send(E::RightDown, 41, 40);
    EXPECT_EQ(stroke.Points(), (std::vector<WindowPoint>{{10, 10}}));
    EXPECT_EQ(stroke.Preview().pathLine.points, (std::vector<PreviewPoint>{At(10, 10), At(41, 40)}));
    EXPECT_EQ(MetaballCount(), 0);
    EXPECT_TRUE(stroke.StrokeActive());
}

TEST_F(StrokeInput, PolylineDoubleClickCommitsThePointsGiven) {
    UseBrush(BrushKind::Simple, PathKind::Polyline, 8.0f);
    Send(E::ButtonDown, 10, 10);
    Send(E::ButtonUp, 10, 10);
    Send(E::ButtonDown, 30, 10);
    Send(E::ButtonUp, 30, 10);
    Send(E::DoubleClick, 30, 10);

    EXPECT_FALSE(stroke.Preview().pathLine.onScreen);
    EXPECT_EQ(MetaballCount(), 11); // 20 pixels at spacing 2
    EXPECT_EQ(recorder.records.size(), 1u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(stroke.StrokeActive());
}

TEST_F(StrokeInput, PolylineFinishedRightAfterTheFirstPressPaintsNothing) {
    UseBrush(BrushKind::Simple, PathKind::Polyline, 8.0f);
    Send(E::ButtonDown, 10, 10);
    Send(E::ButtonUp, 10, 10);
    EXPECT_EQ(Send(E::DoubleClick, 10, 10), Result::Success);
    EXPECT_EQ(MetaballCount(), 0);
    EXPECT_TRUE(recorder.records.empty());
    EXPECT_EQ(view.modifiedCount, 0);
    EXPECT_FALSE(stroke.StrokeActive());
    EXPECT_TRUE(stroke.Points().empty());

    // A stray double click with no stroke commits nothing.
    EXPECT_EQ(Send(E::DoubleClick, 10, 10), Result::Success);
    EXPECT_EQ(view.busyBegun, 1);
}

TEST_F(StrokeInput, CurvePreviewsTheControlPolygonAndTheCurve) {
    UseBrush(BrushKind::Simple, PathKind::Curve, 8.0f);
    Send(E::ButtonDown, 10, 40);
    Send(E::ButtonDown, 30, 10);
    Send(E::Move, 50, 40);
    const StrokePreview& p = stroke.Preview();
    ASSERT_TRUE(p.pathLine.onScreen);
    ASSERT_TRUE(p.curve.onScreen);
    EXPECT_EQ(p.pathLine.penWidth, 1);
    EXPECT_EQ(p.curve.penWidth, 3);
    EXPECT_EQ(p.pathLine.points.size(), 3u);
    // Sampled every 5 pixels along roughly 75 pixels, from the first point to the cursor.
    ASSERT_GT(p.curve.points.size(), 10u);
    EXPECT_EQ(p.curve.points.front(), At(10, 40));
    EXPECT_NEAR(p.curve.points.back().x, At(50, 40).x, 1e-3);
    EXPECT_NEAR(p.curve.points.back().y, At(50, 40).y, 1e-3);

    Send(E::ButtonDown, 50, 40);
    Send(E::DoubleClick, 50, 40);
    EXPECT_FALSE(p.pathLine.onScreen);
    EXPECT_FALSE(p.curve.onScreen);
    EXPECT_GT(MetaballCount(), 0);
}

TEST_F(StrokeInput, CircumferenceWithTheSecondPressOnTheCentrePaintsTwoDabsThere) {
    UseBrush(BrushKind::Simple, PathKind::Circumference, 8.0f);
    Send(E::ButtonDown, 30, 30);
    Send(E::Move, 40, 30);
    EXPECT_TRUE(stroke.Preview().radiusLine.onScreen);
    const PreviewShape& circle = stroke.Preview().circle;
    ASSERT_TRUE(circle.onScreen);
    EXPECT_FLOAT_EQ(circle.left, 20.5f);
    EXPECT_FLOAT_EQ(circle.right, 40.5f);
    EXPECT_FLOAT_EQ(circle.top, 20.5f);
    EXPECT_FLOAT_EQ(circle.bottom, 40.5f);

    Send(E::ButtonDown, 30, 30);
    EXPECT_FALSE(stroke.Preview().circle.onScreen);
    EXPECT_FALSE(stroke.Preview().radiusLine.onScreen);
    ASSERT_EQ(MetaballCount(), 2);
    for (const Metaball& m : canvas.store->records) {
        EXPECT_FLOAT_EQ(m.x, 30.5f);
        EXPECT_FLOAT_EQ(m.y, 33.5f);
    }
}

TEST_F(StrokeInput, ArcRunsTheWayTheMouseWentRoundTheCentre) {
    // Centre (32, 32), start 20 pixels to the right, end a little above the start on the screen.
    struct Case {
        const char* name;
        std::vector<WindowPoint> moves;
        bool longWay;
    };
    const Case cases[] = {
        {"clockwise on the screen", {{32, 52}, {12, 32}, {32, 12}, {52, 27}}, true},
        {"counterclockwise on the screen", {{52, 30}, {52, 27}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(canvas.Create(Size, Size), Result::Success);
        UseBrush(BrushKind::Simple, PathKind::Arc, 8.0f); // spacing 2 along a radius of 20
        Send(E::ButtonDown, 32, 32);
        Send(E::ButtonDown, 52, 32);
        for (const WindowPoint& m : c.moves) {
            Send(E::Move, m.x, m.y);
        }
        const PreviewShape& arc = stroke.Preview().arc;
        ASSERT_TRUE(arc.onScreen);
        EXPECT_FLOAT_EQ(arc.radius, 20.0f);
        EXPECT_EQ(arc.centre, At(32, 32));
        // On the screen the arc always runs counterclockwise, so a clockwise sweep starts at the cursor.
        const float cursorAngle = DirectionAngle(20.0f, -5.0f);
        EXPECT_FLOAT_EQ(arc.startAngle, c.longWay ? cursorAngle : 0.0f);
        EXPECT_FLOAT_EQ(arc.endAngle, c.longWay ? 0.0f : cursorAngle);
        EXPECT_EQ(stroke.ClockwiseMoves() > stroke.CounterclockwiseMoves(), c.longWay);

        Send(E::ButtonDown, 52, 27);
        EXPECT_FALSE(stroke.Preview().arc.onScreen);
        // About 346 degrees of a circle of radius 20 the long way, 14 degrees the short way.
        if (c.longWay) {
            EXPECT_GT(MetaballCount(), 55);
        } else {
            EXPECT_LT(MetaballCount(), 5);
            EXPECT_GE(MetaballCount(), 2);
        }
    }
}

TEST_F(StrokeInput, ArcRightClickReturnsToTheCentreStage) {
    UseBrush(BrushKind::Simple, PathKind::Arc, 8.0f);
    Send(E::ButtonDown, 32, 32);
    Send(E::ButtonDown, 52, 32);
    Send(E::Move, 32, 52);
    ASSERT_TRUE(stroke.Preview().secondLine.onScreen);
    Send(E::RightDown, 40, 32);
    EXPECT_EQ(stroke.Points().size(), 1u);
    EXPECT_FALSE(stroke.Preview().arc.onScreen);
    EXPECT_FALSE(stroke.Preview().secondLine.onScreen);
    EXPECT_TRUE(stroke.Preview().circle.onScreen);
    EXPECT_TRUE(stroke.Preview().radiusLine.onScreen);
    EXPECT_EQ(stroke.Preview().radiusLine.points, (std::vector<PreviewPoint>{At(32, 32), At(40, 32)}));
    Send(E::RightDown, 40, 32);
    EXPECT_TRUE(stroke.Points().empty());
    EXPECT_FALSE(stroke.Preview().circle.onScreen);
    EXPECT_FALSE(stroke.Preview().radiusLine.onScreen);
}

TEST_F(StrokeInput, RegularPolygonShowsNoPolygonWhileTheCursorIsOnTheFirstVertex) {
    UseBrush(BrushKind::Simple, PathKind::RegularPolygon, 8.0f);
    Send(E::ButtonDown, 32, 32);
    Send(E::Move, 42, 32);
    EXPECT_TRUE(stroke.Preview().circle.onScreen);
    Send(E::ButtonDown, 42, 32);
    Send(E::Move, 42, 32);
    EXPECT_FALSE(stroke.Preview().polygon.onScreen);
    EXPECT_FALSE(stroke.Preview().circle.onScreen);
    EXPECT_TRUE(stroke.Preview().secondLine.onScreen);

    Send(E::Move, 32, 22); // a quarter turn: a square
    const PreviewShape& polygon = stroke.Preview().polygon;
    ASSERT_TRUE(polygon.onScreen);
    ASSERT_EQ(polygon.points.size(), 5u);
    EXPECT_EQ(polygon.points.front(), polygon.points.back());
    EXPECT_NEAR(polygon.points[0].x, 42.5f, 1e-4);
    EXPECT_NEAR(polygon.points[0].y, 32.5f, 1e-4);

    Send(E::ButtonDown, 32, 22);
    EXPECT_FALSE(stroke.Preview().polygon.onScreen);
    EXPECT_FALSE(stroke.Preview().radiusLine.onScreen);
    EXPECT_GT(MetaballCount(), 0);
    EXPECT_EQ(recorder.records.size(), 1u);
}

TEST_F(StrokeInput, FreehandBellowsWaitsForADirection) {
    UseBrush(BrushKind::Bellows, PathKind::Freehand, 20.0f);
    Send(E::ButtonDown, 10, 30);
    for (int i = 1; i <= 3; ++i) {
        Send(E::Move, 10 + 2 * i, 30);
        EXPECT_EQ(MetaballCount(), 0) << "move " << i;
    }
    Send(E::Move, 18, 30);
    EXPECT_GT(MetaballCount(), 0);
    Send(E::ButtonUp, 18, 30);
    EXPECT_EQ(recorder.records.size(), 1u);
}

TEST_F(StrokeInput, FreehandMovesPaintOnlyWhileTheButtonIsHeld) {
    Send(E::Move, 10, 10);
    Send(E::Move, 12, 10);
    EXPECT_EQ(MetaballCount(), 0);
    Send(E::ButtonDown, 20, 20);
    Send(E::Move, 22, 20);
    Send(E::Move, 24, 20);
    EXPECT_EQ(MetaballCount(), 3);
    // The press stands in the point list twice.
    EXPECT_EQ(stroke.Points(), (std::vector<WindowPoint>{{20, 20}, {20, 20}, {22, 20}, {24, 20}}));
    Send(E::ButtonUp, 24, 20);
    Send(E::Move, 26, 20);
    EXPECT_EQ(MetaballCount(), 3);
    // A release without a press is ignored.
    Send(E::ButtonUp, 26, 20);
    EXPECT_EQ(recorder.records.size(), 1u);
}

TEST_F(StrokeInput, ToolBoxChangeWhileCollectingAPathStillPaintsTheNewBrush) {
    UseBrush(BrushKind::Simple, PathKind::Polyline, 8.0f);
    Send(E::ButtonDown, 10, 10);
    Send(E::ButtonUp, 10, 10);
    // The size bar moves between two clicks; the tool box's record carries no dab pattern.
    tools.brush.brushSize = 16.0f;
    tools.brush.dabPattern.clear();
    stroke.RefreshBrush();
    Send(E::ButtonDown, 30, 10);
    Send(E::ButtonUp, 30, 10);
    Send(E::DoubleClick, 30, 10);

    // 20 pixels at the new spacing of 4.
    EXPECT_EQ(MetaballCount(), 6);
    ASSERT_GT(MetaballCount(), 0);
    EXPECT_FLOAT_EQ(canvas.store->records[0].innerRadius, 4.0f);
}

TEST_F(StrokeInput, PathKindChosenMidPathCompletesAtItsOwnCount) {
    UseBrush(BrushKind::Simple, PathKind::Polyline, 8.0f);
    Send(E::ButtonDown, 10, 10);
    Send(E::ButtonDown, 20, 10);
    Send(E::ButtonDown, 30, 10);
    stroke.SetPathKind(PathKind::StraightLine);
    Send(E::ButtonDown, 40, 10);
    EXPECT_TRUE(stroke.Points().empty());
    EXPECT_FALSE(stroke.StrokeActive());
    EXPECT_GT(MetaballCount(), 0);
}
