// What a stroke does to the canvas, the view and the undo record, by brush kind.

#include <cmath>

#include <memory>

#include "StoppedClocks.h"
#include "StrokeTestFakes.h"
#include "brushes/RandomSource.h"

namespace {

class StrokeApplication : public StrokeFixture {};

using E = StrokeEvent;

} // namespace

TEST_F(StrokeApplication, ClickOnlyFreehandStrokeStampsOneDab) {
    Send(E::ButtonDown, 30, 30);
    Send(E::ButtonUp, 30, 30);

    ASSERT_EQ(MetaballCount(), 1);
    const Metaball& m = canvas.store->records[0];
    EXPECT_FLOAT_EQ(m.x, 30.5f);
    EXPECT_FLOAT_EQ(m.y, 33.5f);
    // A freehand dab is shown at once, without busy state or progress.
    EXPECT_EQ(view.busyBegun, 0);
    EXPECT_TRUE(view.progress.empty());
    ASSERT_EQ(view.ValidBlits(), 1);
    UpdateRect expected = PaintCanvas::MetaballBounds(m);
    expected.Clamp(Size, Size);
    EXPECT_EQ(view.blits[0], expected);
    EXPECT_EQ(view.modifiedCount, 1);
    EXPECT_TRUE(RenderedDiffersFromBackground());

    ASSERT_EQ(recorder.records.size(), 1u);
    EXPECT_EQ(recorder.records[0].kind, "add");
    EXPECT_EQ(recorder.records[0].ids, (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(stroke.Points().empty());
    EXPECT_FALSE(stroke.StrokeActive());
    EXPECT_EQ(canvas.operationOpen, 0);
}

TEST_F(StrokeApplication, BeginStrokeReadsTheCanvasDialogIntoTheCanvas) {
    canvasSettings.settings = CanvasDrawingSettings{1, 0, 7.0f};
    Send(E::ButtonDown, 30, 30);
    EXPECT_EQ(canvas.antiAliasing, 1);
    EXPECT_EQ(canvas.drawingArea, 1);
    EXPECT_EQ(canvas.heightMode, 0);
    EXPECT_FLOAT_EQ(canvas.planeHeight, 7.0f);
    Send(E::ButtonUp, 30, 30);

    // Paint only on paint: the bare canvas takes nothing, so nothing changed and nothing is recorded.
    EXPECT_EQ(MetaballCount(), 0);
    EXPECT_EQ(view.ValidBlits(), 0);
    EXPECT_EQ(view.modifiedCount, 0);
    EXPECT_TRUE(recorder.records.empty());
}

TEST_F(StrokeApplication, EraserPathOverEmptyCanvasChangesAndRecordsNothing) {
    UseBrush(BrushKind::Eraser, PathKind::StraightLine, 20.0f);
    Send(E::ButtonDown, 10, 10);
    Send(E::Move, 40, 40);
    Send(E::ButtonDown, 50, 50);

    EXPECT_TRUE(recorder.records.empty());
    EXPECT_EQ(view.modifiedCount, 0);
    EXPECT_EQ(view.ValidBlits(), 0);
    EXPECT_EQ(view.busyTexts, (std::vector<std::string>{"描画中..."}));
    EXPECT_EQ(view.busyEnded, 1);
    ASSERT_FALSE(view.progress.empty());
    EXPECT_EQ(view.progress.back(), (std::pair<std::string, int>{"処理中...", 80}));
    EXPECT_FALSE(stroke.StrokeActive());
}

TEST_F(StrokeApplication, EraserPathErasesWhatItCrossesAndRecordsEachIdOnce) {
    Deposit(40.5f, 32.5f, 4.0f);
    Deposit(20.5f, 32.5f, 4.0f); // erased first: the path runs from left to right
    Deposit(40.5f, 10.5f, 4.0f); // away from the path
    UseBrush(BrushKind::Eraser, PathKind::StraightLine, 20.0f);
    Send(E::ButtonDown, 10, 31);
    Send(E::ButtonDown, 50, 31);

    EXPECT_EQ(LiveCount(), 1);
    EXPECT_TRUE(canvas.store->records[2].IsLive());
    ASSERT_EQ(recorder.records.size(), 1u);
    EXPECT_EQ(recorder.records[0].kind, "erase");
    EXPECT_EQ(recorder.records[0].ids, (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(view.ValidBlits(), 1);
    EXPECT_EQ(view.modifiedCount, 1);
}

TEST_F(StrokeApplication, DrawnPathShowsProgressForEveryPlacement) {
    UseBrush(BrushKind::Simple, PathKind::StraightLine, 8.0f); // spacing 2
    Send(E::ButtonDown, 10, 32);
    Send(E::ButtonDown, 50, 32);

    const std::size_t n = stroke.Brush().placements.size();
    ASSERT_EQ(n, 21u);
    ASSERT_EQ(view.progress.size(), n);
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(view.progress[i].first, "処理中...");
        EXPECT_EQ(view.progress[i].second, static_cast<int>(static_cast<double>(i + 1) / n * 80.0));
    }
    EXPECT_EQ(view.busyTexts, (std::vector<std::string>{"描画中..."}));
    EXPECT_EQ(view.busyEnded, 1);
    EXPECT_EQ(MetaballCount(), 21);
    EXPECT_EQ(view.ValidBlits(), 1);
}

TEST_F(StrokeApplication, SprayRendersEveryDabAtOnceStippleRendersOnceAtTheEnd) {
    struct Case {
        BrushKind kind;
        bool rendersWhileStamping;
    };
    for (const Case c : {Case{BrushKind::Spray, true}, Case{BrushKind::Stipple, false}}) {
        SCOPED_TRACE(BrushKindCaption(c.kind));
        ASSERT_EQ(canvas.Create(Size, Size), Result::Success);
        view.blits.clear();
        bool renderedWhileStamping = false;
        view.onProgress = [&] {
            renderedWhileStamping = renderedWhileStamping || RenderedDiffersFromBackground();
        };
        UseBrush(c.kind, PathKind::StraightLine, 24.0f);
        tools.brush.density = 1.0f;
        Send(E::ButtonDown, 10, 32);
        Send(E::ButtonDown, 54, 32);
        view.onProgress = nullptr;

        EXPECT_GT(MetaballCount(), 0);
        EXPECT_EQ(renderedWhileStamping, c.rendersWhileStamping);
        EXPECT_TRUE(RenderedDiffersFromBackground());
        EXPECT_EQ(view.ValidBlits(), 1);
    }
}

TEST_F(StrokeApplication, EachBrushKindLeavesItsOwnUndoRecord) {
    struct Case {
        BrushKind kind;
        const char* record; // nullptr: nothing recorded
        std::vector<std::int32_t> ids;
    };
    const Case cases[] = {
        {BrushKind::Simple, "add", {2}},      {BrushKind::Circle, "add", {}},
        {BrushKind::Eraser, "erase", {0, 1}}, {BrushKind::Recolour, "recolour", {0, 1}},
        {BrushKind::Stir, "move", {0, 1}},    {BrushKind::Eyedropper, nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(BrushKindCaption(c.kind));
        ASSERT_EQ(canvas.Create(Size, Size), Result::Success);
        recorder.records.clear();
        Deposit(32.5f, 32.5f, 4.0f);
        Deposit(36.5f, 32.5f, 4.0f);
        UseBrush(c.kind, PathKind::Freehand, 20.0f);
        Send(E::ButtonDown, 32, 31); // canvas (32.5, 32.5)
        Send(E::ButtonUp, 32, 31);

        if (c.record == nullptr) {
            EXPECT_TRUE(recorder.records.empty());
            continue;
        }
        ASSERT_EQ(recorder.records.size(), 1u);
        EXPECT_EQ(recorder.records[0].kind, c.record);
        if (c.ids.empty()) {
            // A pattern of many particles: every new id, in order.
            const std::int32_t added = MetaballCount() - 2;
            ASSERT_GT(added, 1);
            ASSERT_EQ(recorder.records[0].ids.size(), static_cast<std::size_t>(added));
            for (std::int32_t i = 0; i < added; ++i) {
                EXPECT_EQ(recorder.records[0].ids[static_cast<std::size_t>(i)], i + 2);
            }
        } else {
            EXPECT_EQ(recorder.records[0].ids, c.ids);
        }
    }
}

TEST_F(StrokeApplication, RecolourRecordsOldAndNewColours) {
    Deposit(32.5f, 32.5f, 4.0f);
    UseBrush(BrushKind::Recolour, PathKind::Freehand, 20.0f);
    tools.brush.particle.red = 1.5f; // clamped before it is painted
    tools.brush.particle.green = 0.25f;
    tools.brush.particle.blue = 0.0f;
    Send(E::ButtonDown, 32, 31);
    Send(E::ButtonUp, 32, 31);

    const Metaball& m = canvas.store->records[0];
    EXPECT_FLOAT_EQ(m.red, 1.0f);
    EXPECT_FLOAT_EQ(m.green, 0.25f);
    ASSERT_EQ(recorder.records.size(), 1u);
    const RecordedStroke& r = recorder.records[0];
    ASSERT_EQ(r.oldColours.size(), 1u);
    ASSERT_EQ(r.newColours.size(), 1u);
    EXPECT_FLOAT_EQ(r.oldColours[0].red, 0.2f);
    EXPECT_FLOAT_EQ(r.oldColours[0].green, 0.4f);
    EXPECT_FLOAT_EQ(r.oldColours[0].blue, 0.6f);
    EXPECT_FLOAT_EQ(r.newColours[0].red, 1.0f);
    EXPECT_FLOAT_EQ(r.newColours[0].green, 0.25f);
    EXPECT_EQ(view.modifiedCount, 1);
}

TEST_F(StrokeApplication, StirTurnsClockwiseByDistanceAndLeavesTheRimAlone) {
    Deposit(32.5f, 32.5f, 3.0f); // centre
    Deposit(37.5f, 32.5f, 3.0f); // half way out
    Deposit(42.5f, 32.5f, 3.0f); // on the rim
    UseBrush(BrushKind::Stir, PathKind::Freehand, 20.0f);
    Send(E::ButtonDown, 32, 31);
    Send(E::ButtonUp, 32, 31);

    const auto& r = canvas.store->records;
    EXPECT_FLOAT_EQ(r[0].x, 32.5f);
    EXPECT_FLOAT_EQ(r[0].y, 32.5f);
    EXPECT_FLOAT_EQ(r[2].x, 42.5f);
    EXPECT_FLOAT_EQ(r[2].y, 32.5f);
    const double turn = -3.6 * 3.14159265358979 / 180.0;
    EXPECT_NEAR(r[1].x, 32.5 + 5.0 * std::cos(turn), 1e-4);
    EXPECT_NEAR(r[1].y, 32.5 + 5.0 * std::sin(turn), 1e-4);
    EXPECT_LT(r[1].y, 32.5f);

    ASSERT_EQ(recorder.records.size(), 1u);
    const RecordedStroke& rec = recorder.records[0];
    EXPECT_EQ(rec.kind, "move");
    ASSERT_EQ(rec.ids, (std::vector<std::int32_t>{0, 1, 2}));
    ASSERT_EQ(rec.oldPositions.size(), 3u);
    ASSERT_EQ(rec.newPositions.size(), 3u);
    EXPECT_EQ(rec.oldPositions[1], (Position3{37.5f, 32.5f, r[1].z}));
    EXPECT_EQ(rec.newPositions[1], (Position3{r[1].x, r[1].y, r[1].z}));
    EXPECT_EQ(view.modifiedCount, 1);
}

TEST_F(StrokeApplication, EyedropperOnWhiteTakesLightnessOneAndChangesNothing) {
    UseBrush(BrushKind::Eyedropper, PathKind::Freehand, 0.0f);
    Send(E::ButtonDown, 30, 30);
    Send(E::ButtonUp, 30, 30);

    ASSERT_EQ(tools.colours.size(), 1u);
    EXPECT_FLOAT_EQ(tools.colours[0].lightness, 1.0f);
    EXPECT_FLOAT_EQ(tools.colours[0].saturation, 0.0f);
    EXPECT_NE(std::find(view.statusTexts.begin(), view.statusTexts.end(), "DEBUG: SetImageColorOnPoint 02"),
              view.statusTexts.end());
    EXPECT_EQ(MetaballCount(), 0);
    EXPECT_TRUE(recorder.records.empty());
    EXPECT_EQ(view.modifiedCount, 0);

    // Outside the picture nothing is picked.
    Send(E::ButtonDown, 100, 10);
    Send(E::ButtonUp, 100, 10);
    EXPECT_EQ(tools.colours.size(), 1u);
}

TEST_F(StrokeApplication, EyedropperTakesThePaintedColour) {
    Deposit(32.5f, 32.5f, 6.0f);
    UseBrush(BrushKind::Eyedropper, PathKind::Freehand, 0.0f);
    Send(E::ButtonDown, 32, 31);
    ASSERT_EQ(tools.colours.size(), 1u);
    EXPECT_GT(tools.colours[0].saturation, 0.0f);
    EXPECT_LT(tools.colours[0].lightness, 1.0f);
    EXPECT_GE(tools.colours[0].hue, 0.0f);
    EXPECT_LE(tools.colours[0].hue, 1.0f);
}

TEST_F(StrokeApplication, JournalFailureIsShownAndTheStrokeStays) {
    recorder.failWith = Result::FileWriteFailed;
    Send(E::ButtonDown, 30, 30);
    Send(E::ButtonUp, 30, 30);
    EXPECT_EQ(MetaballCount(), 1);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{ResultMessage(Result::FileWriteFailed)}));
}

TEST_F(StrokeApplication, FailedStampingStillEndsTheBusyState) {
    PaintCanvas never; // no store, no grid
    StrokeController broken{never, view};
    broken.Brush() = BrushSettings::ForKind(BrushKind::Simple);
    broken.Brush().pathKind = PathKind::StraightLine;
    broken.Brush().BuildDabPattern();
    broken.Brush().placements = {DabPlacement{5.0f, 5.0f, 0.0f, 0.0f, 1.0f}};

    EXPECT_EQ(broken.StampAll(), Result::NoData);
    EXPECT_EQ(view.busyBegun, 1);
    EXPECT_EQ(view.busyEnded, 1);
    EXPECT_EQ(view.ValidBlits(), 0);
    EXPECT_EQ(view.modifiedCount, 0);
}

TEST_F(StrokeApplication, EndStrokeWithoutAStrokeRecordsNothingAgain) {
    Send(E::ButtonDown, 30, 30);
    Send(E::ButtonUp, 30, 30);
    ASSERT_EQ(recorder.records.size(), 1u);
    // The canvas's change lists still hold the finished stroke's ids.
    stroke.EndStroke();
    EXPECT_EQ(recorder.records.size(), 1u);
}

TEST_F(StrokeApplication, RecolourPathRecoloursWhatItCrossesOnce) {
    Deposit(20.5f, 32.5f, 4.0f);
    Deposit(40.5f, 10.5f, 4.0f); // away from the path
    UseBrush(BrushKind::Recolour, PathKind::StraightLine, 20.0f);
    tools.brush.particle.red = 0.0f;
    tools.brush.particle.green = 1.0f;
    tools.brush.particle.blue = 0.0f;
    Send(E::ButtonDown, 10, 31);
    Send(E::ButtonDown, 50, 31);

    EXPECT_FLOAT_EQ(canvas.store->records[0].green, 1.0f);
    EXPECT_FLOAT_EQ(canvas.store->records[1].green, 0.4f);
    ASSERT_EQ(recorder.records.size(), 1u);
    const RecordedStroke& r = recorder.records[0];
    EXPECT_EQ(r.kind, "recolour");
    // Later dabs find the colour already there and change nothing.
    EXPECT_EQ(r.ids, (std::vector<std::int32_t>{0}));
    ASSERT_EQ(r.oldColours.size(), 1u);
    EXPECT_FLOAT_EQ(r.oldColours[0].green, 0.4f);
    EXPECT_EQ(view.busyTexts, (std::vector<std::string>{"描画中..."}));
    EXPECT_EQ(view.busyEnded, 1);
    EXPECT_EQ(view.ValidBlits(), 1);
}

TEST_F(StrokeApplication, StirWithoutASizeMovesNothing) {
    Deposit(32.5f, 32.5f, 3.0f);
    UseBrush(BrushKind::Stir, PathKind::Freehand, 0.0f);
    Send(E::ButtonDown, 32, 31);
    Send(E::ButtonUp, 32, 31);
    EXPECT_FLOAT_EQ(canvas.store->records[0].x, 32.5f);
    EXPECT_FLOAT_EQ(canvas.store->records[0].y, 32.5f);
    EXPECT_TRUE(recorder.records.empty());
}

TEST_F(StrokeApplication, QuickClicksOfARandomBrushLayTheirOwnDabs) {
    // Two ざらざら clicks on one spot within the same second, from the same tool-box record.
    struct Case {
        const char* what;
        bool calendarSeeding;
    };
    const Case cases[] = {{"fresh seeds", false}, {"calendar seconds", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<ScopedRandomClock> pinned;
        std::unique_ptr<StoppedClocks> stopped;
        if (c.calendarSeeding) {
            pinned = std::make_unique<ScopedRandomClock>(1800000000);
        } else {
            stopped = std::make_unique<StoppedClocks>(1800000000);
        }
        ASSERT_EQ(canvas.Create(Size, Size), Result::Success);
        UseBrush(BrushKind::Rough, PathKind::Freehand, 20.0f);
        std::vector<std::vector<Metaball>> clicks;
        for (int click = 0; click < 2; ++click) {
            const std::int32_t before = MetaballCount();
            Send(E::ButtonDown, 30, 30);
            Send(E::ButtonUp, 30, 30);
            ASSERT_GT(MetaballCount(), before);
            clicks.emplace_back(canvas.store->records.begin() + before, canvas.store->records.end());
        }
        bool same = clicks[0].size() == clicks[1].size();
        for (std::size_t i = 0; same && i < clicks[0].size(); ++i) {
            same = clicks[0][i].x == clicks[1][i].x && clicks[0][i].y == clicks[1][i].y &&
                   clicks[0][i].innerRadius == clicks[1][i].innerRadius;
        }
        // The calendar seeding repeats the stamp exactly; fresh seeds never do.
        EXPECT_EQ(same, c.calendarSeeding);
    }
}
