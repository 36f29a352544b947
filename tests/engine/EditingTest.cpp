#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.h"
#include "engine/PaintCanvas.h"

namespace {

using enginetest::Ball;
using enginetest::EntriesOf;
using enginetest::PaintDab;

using Ids = std::vector<std::int32_t>;

// Two small metaballs side by side: A (id 0) with core radius 1 at (10.5, 10.5) and B (id 1) with core
// radius 1.9 two pixels to its right.
class Editing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(canvas.Create(30, 30), Result::Success);
        PaintDab(canvas, {Ball(10.5f, 10.5f, 0.0f, 1.0f, 2.0f), Ball(12.5f, 10.5f, 0.0f, 1.9f, 3.0f)});
        ASSERT_EQ(canvas.store->Count(), 2);
        canvas.BeginOperation();
    }
    PaintCanvas canvas;
};

TEST_F(Editing, PickFindsTheCoresOverThePixelCentreAndReadsTheRenderedColour) {
    Ids ids{99};
    PaintColour colour;
    EXPECT_EQ(canvas.PickAt(10, 10, ids, colour), 1);
    EXPECT_EQ(ids, Ids{0});
    const std::uint8_t* shown = enginetest::RenderedPixel(canvas, 10, 10);
    EXPECT_EQ(colour.red, ByteToFloat(shown[2]));
    EXPECT_EQ(colour.green, ByteToFloat(shown[1]));
    EXPECT_EQ(colour.blue, ByteToFloat(shown[0]));

    EXPECT_EQ(canvas.PickAt(11, 10, ids, colour), 1);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (Ids{0, 1}));

    // Pixel (8, 10) lies in A's list but outside its core disc.
    ASSERT_TRUE(enginetest::ListHolds(canvas, 8, 10, 0));
    EXPECT_EQ(canvas.PickAt(8, 10, ids, colour), 0);
    EXPECT_TRUE(ids.empty());

    const std::pair<int, int> offCanvas[] = {{-1, 0}, {0, -1}, {30, 5}, {5, 30}};
    for (const auto& [x, y] : offCanvas) {
        ids = {5};
        EXPECT_EQ(canvas.PickAt(x, y, ids, colour), 0);
        EXPECT_TRUE(ids.empty());
    }
}

TEST_F(Editing, PickIgnoresPaintShownByTheOuterFalloffAndErasedMetaballs) {
    ASSERT_EQ(canvas.Create(40, 40), Result::Success);
    canvas.antiAliasing = 1;
    PaintDab(canvas, {Ball(20.3f, 20.5f, 0.0f, 3.0f, 6.0f)});
    ASSERT_GT(canvas.Surface(23, 20).coverage, 0.0f);
    Ids ids;
    PaintColour colour;
    EXPECT_EQ(canvas.PickAt(23, 20, ids, colour), 0);
    EXPECT_EQ(canvas.PickAt(20, 20, ids, colour), 1);
    canvas.store->records[0].state = MetaballErased;
    EXPECT_EQ(canvas.PickAt(20, 20, ids, colour), 0);
}

TEST_F(Editing, CollectInCircleTestsPixelCentresAndListsEachIdOnce) {
    Ids ids{42};
    EXPECT_EQ(canvas.CollectInCircle(10.5f, 10.5f, 0.0f, ids), 1);
    EXPECT_EQ(ids, Ids{0}) << "radius 0 tests only pixel (10, 10)";
    EXPECT_EQ(canvas.CollectInCircle(10.5f, 10.5f, 1.0f, ids), 1);
    EXPECT_EQ(ids, (Ids{0, 1}));
    EXPECT_EQ(canvas.CollectInCircle(25.5f, 25.5f, 2.0f, ids), 1);
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(canvas.CollectInCircle(-50.0f, -50.0f, 3.0f, ids), 1);
    EXPECT_TRUE(ids.empty());
}

TEST_F(Editing, EraseRecordsOnlyWhatItErased) {
    UpdateRect rect;
    EXPECT_EQ(canvas.EraseIds({0}, rect), 1);
    EXPECT_EQ(rect, UpdateRect::Make(7, 7, 13, 13));
    EXPECT_EQ(canvas.store->records[0].state, MetaballErased);
    EXPECT_EQ(canvas.changedIds, Ids{0});
    // The record and its list entries stay.
    EXPECT_EQ(canvas.store->Count(), 2);
    EXPECT_TRUE(enginetest::ListHolds(canvas, 10, 10, 0));

    EXPECT_EQ(canvas.EraseIds({0}, rect), 0);
    EXPECT_EQ(rect, UpdateRect::Empty());
    EXPECT_EQ(canvas.changedIds, Ids{0});
    EXPECT_EQ(canvas.EraseIds({}, rect), 0);

    EXPECT_EQ(canvas.EraseIds({1, 99, -1, 0, 1}, rect), 1);
    EXPECT_EQ(rect, PaintCanvas::MetaballBounds(canvas.store->records[1]));
    EXPECT_EQ(canvas.changedIds, (Ids{0, 1}));
}

TEST_F(Editing, EraseRectangleIsNotClamped) {
    UpdateRect rect;
    ASSERT_EQ(canvas.AddMetaballs({Ball(0.5f, 0.5f, 0.0f, 1.0f, 2.0f)}, rect), Result::Success);
    EXPECT_EQ(canvas.EraseIds({2}, rect), 1);
    EXPECT_EQ(rect, UpdateRect::Make(-2, -2, 3, 3));
}

TEST_F(Editing, EraseInCircleErasesWhatItCollects) {
    UpdateRect rect;
    EXPECT_EQ(canvas.EraseInCircle(10.5f, 10.5f, 0.5f, rect), 1);
    EXPECT_EQ(canvas.store->records[0].state, MetaballErased);
    EXPECT_EQ(canvas.store->records[1].state, MetaballLive);
    EXPECT_EQ(canvas.EraseInCircle(10.5f, 10.5f, 0.5f, rect), 0);
    EXPECT_EQ(canvas.changedIds, Ids{0});
}

TEST_F(Editing, RecolourRecordsOldAndNewColoursInParallel) {
    canvas.store->records[1].red = 1.2f;
    PaintColour colour;
    colour.red = 0.2f;
    colour.green = 0.3f;
    colour.blue = 1.5f;
    Ids ids{1, 7, 0};
    UpdateRect rect;
    EXPECT_EQ(canvas.RecolourIds(ids, colour, rect), 1);
    EXPECT_EQ(ids, (Ids{1, 0}));
    EXPECT_EQ(canvas.changedIds, (Ids{1, 0}));
    ASSERT_EQ(canvas.oldColours.size(), 2u);
    ASSERT_EQ(canvas.newColours.size(), 2u);
    EXPECT_EQ(canvas.oldColours[0].red, 1.0f) << "old colours are clamped";
    EXPECT_EQ(canvas.oldColours[1].blue, 1.0f);
    EXPECT_EQ(canvas.newColours[1].blue, 1.5f);
    EXPECT_EQ(canvas.store->records[0].blue, 1.5f) << "new colours are not";
    EXPECT_EQ(canvas.store->records[1].red, 0.2f);
    UpdateRect both = PaintCanvas::MetaballBounds(canvas.store->records[0]);
    both.Union(PaintCanvas::MetaballBounds(canvas.store->records[1]));
    EXPECT_EQ(rect, both);
}

TEST_F(Editing, RecolouringToTheSameColourChangesNothing) {
    PaintColour colour;
    colour.red = 1.0f - 5e-5f;
    colour.green = 1.0f;
    colour.blue = 1.0f;
    Ids ids{0, 1};
    UpdateRect rect;
    EXPECT_EQ(canvas.RecolourIds(ids, colour, rect), 0);
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(rect, UpdateRect::Empty());
    EXPECT_TRUE(canvas.changedIds.empty());
    EXPECT_TRUE(canvas.oldColours.empty());
    EXPECT_EQ(canvas.store->records[0].red, 1.0f);

    canvas.store->records[0].state = MetaballErased;
    colour.red = 0.0f;
    ids = {0};
    EXPECT_EQ(canvas.RecolourIds(ids, colour, rect), 0);
    EXPECT_EQ(canvas.store->records[0].red, 1.0f);
    EXPECT_EQ(canvas.RecolourInCircle(12.5f, 10.5f, 0.0f, colour, rect), 1);
    EXPECT_EQ(canvas.store->records[1].red, 0.0f);
}

TEST_F(Editing, MoveLeavesOneEntryInEveryPixelReachedAndNoneElsewhere) {
    PaintCanvas reference;
    ASSERT_EQ(reference.Create(30, 30), Result::Success);
    const struct {
        float x, y, z;
    } moves[] = {{10.8f, 10.2f, 0.5f}, {20.5f, 15.5f, 2.0f}, {29.9f, 0.1f, 0.0f}, {40.0f, 10.0f, 0.0f}};
    std::vector<bool> holdsB;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            holdsB.push_back(enginetest::ListHolds(canvas, x, y, 1));
        }
    }
    Position3 from{10.5f, 10.5f, 0.0f};
    for (const auto& to : moves) {
        SCOPED_TRACE(testing::Message() << to.x << "," << to.y);
        UpdateRect oldRect;
        UpdateRect newRect;
        ASSERT_EQ(canvas.MoveMetaball(0, to.x, to.y, to.z, oldRect, newRect), 1);
        Metaball moved = canvas.store->records[0];
        EXPECT_EQ(moved.x, to.x);
        EXPECT_EQ(moved.z, to.z);
        UpdateRect expectedOld = PaintCanvas::MetaballBounds(Ball(from.x, from.y, 0.0f, 1.0f, 2.0f));
        expectedOld.Clamp(30, 30);
        UpdateRect expectedNew = PaintCanvas::MetaballBounds(moved);
        expectedNew.Clamp(30, 30);
        EXPECT_EQ(oldRect, expectedOld);
        EXPECT_EQ(newRect, expectedNew);
        EXPECT_EQ(canvas.oldPositions.back(), from);
        EXPECT_EQ(canvas.newPositions.back(), (Position3{to.x, to.y, to.z}));

        ASSERT_EQ(reference.Create(30, 30), Result::Success);
        moved.id = 0;
        ASSERT_EQ(reference.InsertIntoGrid(moved), Result::Success);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                ASSERT_EQ(EntriesOf(canvas, x, y, 0), EntriesOf(reference, x, y, 0)) << x << "," << y;
                // B is never disturbed.
                ASSERT_EQ(EntriesOf(canvas, x, y, 1), holdsB[static_cast<std::size_t>(y * 30 + x)] ? 1 : 0);
            }
        }
        from = {to.x, to.y, to.z};
    }
    EXPECT_EQ(canvas.changedIds, (Ids{0, 0, 0, 0}));
    EXPECT_EQ(canvas.oldPositions.size(), 4u);
    EXPECT_EQ(canvas.newPositions.size(), 4u);
}

TEST_F(Editing, MovedPaintIsRenderedAtItsNewPlace) {
    ASSERT_EQ(canvas.Create(60, 60), Result::Success);
    PaintDab(canvas, {Ball(15.5f, 15.5f, 0.0f, 5.0f, 10.0f)});
    ASSERT_EQ(canvas.Surface(15, 15).coverage, 1.0f);
    canvas.BeginOperation();
    UpdateRect oldRect;
    UpdateRect newRect;
    ASSERT_EQ(canvas.MoveMetaball(0, 40.5f, 40.5f, 0.0f, oldRect, newRect), 1);
    canvas.Render(oldRect);
    canvas.Render(newRect);
    canvas.EndOperation();
    EXPECT_EQ(canvas.Surface(15, 15).coverage, 0.0f);
    EXPECT_EQ(canvas.Surface(40, 40).coverage, 1.0f);
    EXPECT_NEAR(canvas.Surface(40, 40).surfaceZ, 5.0f, 0.02f);
}

TEST_F(Editing, MoveRefusesUnknownAndErasedMetaballs) {
    canvas.store->records[1].state = MetaballErased;
    const std::int32_t ids[] = {1, 2, -1};
    for (const std::int32_t id : ids) {
        SCOPED_TRACE(id);
        UpdateRect oldRect = UpdateRect::Make(1, 2, 3, 4);
        UpdateRect newRect = UpdateRect::Make(5, 6, 7, 8);
        EXPECT_EQ(canvas.MoveMetaball(id, 3.5f, 3.5f, 0.0f, oldRect, newRect), 0);
        EXPECT_EQ(oldRect, UpdateRect::Make(1, 2, 3, 4));
        EXPECT_EQ(newRect, UpdateRect::Make(5, 6, 7, 8));
    }
    EXPECT_TRUE(canvas.changedIds.empty());
    EXPECT_EQ(canvas.store->records[1].x, 12.5f);
}

} // namespace
