#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "AllocationFailure.h"
#include "EngineTestSupport.h"
#include "engine/PaintCanvas.h"

namespace {

using enginetest::Ball;
using enginetest::ListHolds;
using enginetest::PaintDab;

class Deposition : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(canvas.Create(20, 20), Result::Success); }
    PaintCanvas canvas;
};

TEST_F(Deposition, SmallMetaballReachesPixelsByTheirNearestCorner) {
    UpdateRect rect;
    ASSERT_EQ(canvas.AddMetaballs({Ball(10.5f, 10.5f, 0.0f, 1.0f, 2.0f)}, rect), Result::Success);
    std::set<std::pair<int, int>> expected;
    for (int x = 9; x <= 11; ++x) {
        expected.insert({x, 8});
        expected.insert({x, 12});
    }
    for (int y = 9; y <= 11; ++y) {
        for (int x = 8; x <= 12; ++x) {
            expected.insert({x, y});
        }
    }
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            EXPECT_EQ(canvas.grid->At(x, y).count, expected.count({x, y}) ? 1 : 0) << x << "," << y;
        }
    }
    EXPECT_EQ(rect, UpdateRect::Make(7, 7, 13, 13));
    EXPECT_EQ(PaintCanvas::MetaballBounds(canvas.store->records[0]), UpdateRect::Make(7, 7, 13, 13));
    EXPECT_EQ(canvas.MetaballBounds(0), UpdateRect::Make(7, 7, 13, 13));

    // The entry spans the outer sphere above the corner nearest the centre: dx = dy = 0.5.
    const PixelEntry& entry = canvas.grid->At(10, 10).entries[0];
    EXPECT_EQ(entry.id, 0);
    EXPECT_FLOAT_EQ(entry.top, std::sqrt(3.5f));
    EXPECT_FLOAT_EQ(entry.bottom, -std::sqrt(3.5f));
    // Row 8 is reached at dy = 1.5: q = 4 - (0.25 + 2.25).
    EXPECT_FLOAT_EQ(canvas.grid->At(10, 8).entries[0].top, std::sqrt(1.5f));
}

TEST_F(Deposition, ThicknessStretchesTheVerticalExtent) {
    UpdateRect rect;
    ASSERT_EQ(canvas.AddMetaballs({Ball(10.5f, 10.5f, 5.0f, 1.0f, 2.0f, 2.0f)}, rect), Result::Success);
    const PixelEntry& entry = canvas.grid->At(10, 10).entries[0];
    EXPECT_FLOAT_EQ(entry.top, 5.0f + 2.0f * std::sqrt(3.5f));
    EXPECT_FLOAT_EQ(entry.bottom, 5.0f - 2.0f * std::sqrt(3.5f));
}

TEST_F(Deposition, RectangleIsClampedToTheCanvas) {
    UpdateRect rect;
    ASSERT_EQ(canvas.AddMetaballs({Ball(0.5f, 19.5f, 0.0f, 1.0f, 2.0f)}, rect), Result::Success);
    EXPECT_EQ(rect, UpdateRect::Make(0, 16, 3, 19));
}

TEST_F(Deposition, OnlyCentresOnTheCanvasAreStored) {
    const struct {
        float x;
        float y;
        bool stored;
    } cases[] = {
        {-0.5f, 5.0f, true}, {-1.0f, 5.0f, false}, {19.99f, 5.0f, true},         {20.0f, 5.0f, false},
        {5.0f, -0.9f, true}, {5.0f, 20.0f, false}, {std::nanf(""), 5.0f, false}, {1e30f, 5.0f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ASSERT_EQ(canvas.Create(20, 20), Result::Success);
        UpdateRect rect;
        ASSERT_EQ(canvas.AddMetaballs({Ball(c.x, c.y, 0.0f, 1.0f, 2.0f)}, rect), Result::Success);
        EXPECT_EQ(canvas.store->Count(), c.stored ? 1 : 0);
        EXPECT_EQ(rect.valid, c.stored ? 1 : 0);
        if (!c.stored) {
            EXPECT_EQ(rect, UpdateRect::Empty());
        }
    }
}

TEST_F(Deposition, DrawingAreaFiltersByThePaintedMask) {
    const struct {
        std::int32_t area;
        std::uint8_t painted;
        bool accepted;
    } cases[] = {
        {3, 0, true}, {3, 1, true}, {1, 0, false}, {1, 1, true}, {2, 0, true}, {2, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "area " << c.area << " painted " << int(c.painted));
        ASSERT_EQ(canvas.Create(20, 20), Result::Success);
        canvas.BeginOperation();
        canvas.drawingArea = c.area;
        canvas.paintedMask[canvas.PixelIndex(5, 6)] = c.painted;
        UpdateRect rect;
        ASSERT_EQ(canvas.AddMetaballs({Ball(5.7f, 6.2f, 0.0f, 1.0f, 2.0f)}, rect), Result::Success);
        EXPECT_EQ(canvas.store->Count(), c.accepted ? 1 : 0);
        EXPECT_EQ(canvas.changedIds.size(), c.accepted ? 1u : 0u);
        if (!c.accepted) {
            EXPECT_EQ(rect, UpdateRect::Empty());
        }
    }
}

TEST_F(Deposition, IdsAreStoreIndicesAndInputIdAndStateAreIgnored) {
    Metaball a = Ball(3.5f, 3.5f, 0.0f, 1.0f, 2.0f);
    a.id = 77;
    a.state = MetaballErased;
    Metaball b = Ball(15.5f, 15.5f, 0.0f, 1.0f, 2.0f);
    UpdateRect rect;
    canvas.BeginOperation();
    ASSERT_EQ(canvas.AddMetaballs({a, b}, rect), Result::Success);
    ASSERT_EQ(canvas.store->Count(), 2);
    EXPECT_EQ(canvas.store->records[0].id, 0);
    EXPECT_EQ(canvas.store->records[0].state, MetaballLive);
    EXPECT_EQ(canvas.store->records[1].id, 1);
    EXPECT_EQ(canvas.changedIds, (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(rect, UpdateRect::Make(0, 0, 18, 18));
    // Deposition leaves marking and rendering to the caller.
    EXPECT_EQ(canvas.pendingRect, UpdateRect::Empty());
}

TEST(PixelListInsert, GrowsByFiveAndKeepsDescendingTopsWithOlderFirst) {
    PixelArena arena;
    PixelList list;
    const float tops[] = {3.0f, 5.0f, 1.0f, 5.0f, 4.0f};
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(list.Insert(PixelEntry{i, -tops[i], tops[i]}, arena), Result::Success);
        EXPECT_EQ(list.capacity, 5);
    }
    ASSERT_EQ(list.Insert(PixelEntry{5, 0.0f, 5.0f}, arena), Result::Success);
    EXPECT_EQ(list.count, 6);
    EXPECT_EQ(list.capacity, 10);
    const std::int32_t order[] = {1, 3, 5, 4, 0, 2};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(list.entries[i].id, order[i]) << i;
    }
    EXPECT_TRUE(list.RemoveFirst(3));
    EXPECT_FALSE(list.RemoveFirst(3));
    EXPECT_EQ(list.count, 5);
    EXPECT_EQ(list.entries[1].id, 5);
    list.Release(arena);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.entries, nullptr);
}

TEST(PixelListInsert, AnArrayAListGrewOutOfServesTheNextListOfItsSize) {
    PixelArena arena;
    PixelList grown;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(grown.Insert(PixelEntry{i, 0.0f, 1.0f}, arena), Result::Success);
    }
    const PixelEntry* first = grown.entries;
    ASSERT_EQ(grown.Insert(PixelEntry{5, 0.0f, 1.0f}, arena), Result::Success);
    ASSERT_NE(grown.entries, first);
    const std::size_t held = arena.HeldEntries();

    PixelList next;
    ASSERT_EQ(next.Insert(PixelEntry{6, 0.0f, 2.0f}, arena), Result::Success);
    EXPECT_EQ(next.entries, first);
    EXPECT_EQ(arena.HeldEntries(), held);
    // The grown list kept its entries in order through the move.
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(grown.entries[i].id, i);
    }
    EXPECT_EQ(next.entries[0].id, 6);
}

TEST_F(Deposition, SixMetaballsAtOnePixelGrowItsListToTen) {
    std::vector<Metaball> balls(6, Ball(10.5f, 10.5f, 0.0f, 1.0f, 2.0f));
    UpdateRect rect;
    ASSERT_EQ(canvas.AddMetaballs(balls, rect), Result::Success);
    const PixelList& list = canvas.grid->At(10, 10);
    EXPECT_EQ(list.count, 6);
    EXPECT_EQ(list.capacity, 10);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(list.entries[i].id, i) << "equal tops keep deposition order";
    }
}

TEST_F(Deposition, ListThatCannotGrowStopsWithOutOfMemory) {
    canvas.store->records.reserve(4);
    canvas.changedIds.reserve(4);
    const std::vector<Metaball> balls{Ball(10.5f, 10.5f, 0.0f, 1.0f, 2.0f),
                                      Ball(4.5f, 4.5f, 0.0f, 1.0f, 2.0f)};
    UpdateRect rect;
    ResultCode code;
    {
        allocationfailure::Scope failing(0);
        code = canvas.AddMetaballs(balls, rect);
    }
    EXPECT_EQ(code, Result::OutOfMemory);
    // The first metaball stays stored, the second is never reached, and no list points at missing memory.
    EXPECT_EQ(canvas.store->Count(), 1);
    for (const PixelList& list : canvas.grid->lists) {
        EXPECT_EQ(list.count, 0);
        EXPECT_EQ(list.entries == nullptr, list.capacity == 0);
    }
    ASSERT_EQ(canvas.AddMetaballs({Ball(4.5f, 4.5f, 0.0f, 1.0f, 2.0f)}, rect), Result::Success);
    EXPECT_TRUE(ListHolds(canvas, 4, 4, 1));
}

TEST(MetaballFromTemplate, CopiesTheMaterialAndKeepsOuterRadiusAtLeastInner) {
    MaterialBlock templ;
    templ.red = 0.1f;
    templ.green = 0.2f;
    templ.blue = 0.3f;
    templ.innerRadius = 9.0f;
    templ.outerRadius = 4.0f;
    templ.outerRadiusSq = 16.0f;
    templ.thickness = 0.5f;
    templ.reserved1 = 0.7f;
    templ.reserved2 = 0.6f;
    templ.transparency = 0.25f;
    templ.highlight = 0.75f;
    templ.reserved3 = 150.0f;
    templ.reserved4 = 2.0f;
    templ.rainbow = 0.4f;
    Metaball m;
    m.reserved1 = 0.11f;
    m.id = 42;
    m.state = MetaballErased;
    EXPECT_FLOAT_EQ(PaintCanvas::MetaballFromTemplate(m, 1.0f, 2.0f, 3.0f, templ), 81.0f);
    EXPECT_EQ(m.outerRadius, 9.0f);
    EXPECT_EQ(m.outerRadiusSq, 81.0f);
    EXPECT_EQ(m.red, 0.1f);
    EXPECT_EQ(m.blue, 0.3f);
    EXPECT_EQ(m.thickness, 0.5f);
    EXPECT_EQ(m.transparency, 0.25f);
    EXPECT_EQ(m.highlight, 0.75f);
    EXPECT_EQ(m.reserved3, 150.0f);
    EXPECT_EQ(m.reserved4, 2.0f);
    EXPECT_EQ(m.rainbow, 0.4f);
    EXPECT_EQ(m.x, 1.0f);
    EXPECT_EQ(m.y, 2.0f);
    EXPECT_EQ(m.z, 3.0f);
    // Left as the caller set them.
    EXPECT_EQ(m.reserved1, 0.11f);
    EXPECT_EQ(m.reserved2, 0.8f);
    EXPECT_EQ(m.id, 42);
    EXPECT_EQ(m.state, MetaballErased);
}

TEST_F(Deposition, BaseHeightAveragesTheSnapshotOrUsesThePlane) {
    EXPECT_EQ(canvas.BaseHeight(5.5f, 5.5f, 3.0f), 0.0f);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            canvas.heightSnapshot[canvas.PixelIndex(x, y)] = static_cast<float>(x + 10 * y);
        }
    }
    // Window 2 around (5.5, 5.5): columns and rows 4..6.
    EXPECT_FLOAT_EQ(canvas.BaseHeight(5.5f, 5.5f, 2.0f), 55.0f);
    // Clipped at the corner: columns and rows 0..1.
    EXPECT_FLOAT_EQ(canvas.BaseHeight(0.2f, 0.2f, 2.0f), (0 + 1 + 10 + 11) / 4.0f);
    // A square that holds no pixel.
    EXPECT_EQ(canvas.BaseHeight(-10.0f, -10.0f, 2.0f), 0.0f);

    canvas.heightMode = 0;
    canvas.planeHeight = 7.5f;
    EXPECT_EQ(canvas.BaseHeight(5.5f, 5.5f, 2.0f), 7.5f);
}

TEST_F(Deposition, OperationSnapshotsHeightsAndPaintOnlyAtItsEnd) {
    canvas.changedIds = {9};
    canvas.oldColours.resize(1);
    canvas.newColours.resize(1);
    canvas.oldPositions.resize(1);
    canvas.newPositions.resize(1);
    canvas.BeginOperation();
    EXPECT_EQ(canvas.operationOpen, 1);
    EXPECT_EQ(canvas.pendingRect, UpdateRect::Empty());
    EXPECT_TRUE(canvas.changedIds.empty());
    EXPECT_TRUE(canvas.oldColours.empty());
    EXPECT_TRUE(canvas.newColours.empty());
    EXPECT_TRUE(canvas.oldPositions.empty());
    EXPECT_TRUE(canvas.newPositions.empty());

    UpdateRect rect;
    ASSERT_EQ(canvas.AddMetaballs({Ball(10.5f, 10.5f, 0.0f, 3.0f, 6.0f)}, rect), Result::Success);
    canvas.MarkDirty(rect, 0);
    canvas.MarkDirty(rect, 1);
    canvas.Render(rect);
    canvas.MarkDirty(rect, 0);
    EXPECT_EQ(canvas.pendingRect, rect);
    // While the operation is open, mask and snapshot still describe the canvas before it.
    EXPECT_EQ(canvas.paintedMask[canvas.PixelIndex(10, 10)], 0);
    EXPECT_EQ(canvas.heightSnapshot[canvas.PixelIndex(10, 10)], 0.0f);
    canvas.drawingArea = DrawingAreaForeground;
    UpdateRect second;
    ASSERT_EQ(canvas.AddMetaballs({Ball(10.5f, 10.5f, 0.0f, 3.0f, 6.0f)}, second), Result::Success);
    EXPECT_EQ(canvas.store->Count(), 1);

    canvas.EndOperation();
    EXPECT_EQ(canvas.operationOpen, 0);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const SurfaceRecord& record = canvas.Surface(x, y);
            EXPECT_EQ(canvas.paintedMask[canvas.PixelIndex(x, y)], record.coverage != 0.0f ? 1 : 0);
            EXPECT_EQ(canvas.heightSnapshot[canvas.PixelIndex(x, y)], record.surfaceZ);
            EXPECT_EQ(canvas.dirtyFlags[canvas.PixelIndex(x, y)], 1);
        }
    }
    EXPECT_EQ(canvas.paintedMask[canvas.PixelIndex(10, 10)], 1);
    EXPECT_GT(canvas.heightSnapshot[canvas.PixelIndex(10, 10)], 2.0f);
    EXPECT_GT(canvas.BaseHeight(10.5f, 10.5f, 1.0f), 2.0f);

    ASSERT_EQ(canvas.AddMetaballs({Ball(10.5f, 10.5f, 0.0f, 3.0f, 6.0f)}, second), Result::Success);
    EXPECT_EQ(canvas.store->Count(), 2);
}

TEST_F(Deposition, EndOperationWithoutBeginDoesNothing) {
    PaintDab(canvas, {Ball(10.5f, 10.5f, 0.0f, 3.0f, 6.0f)});
    const std::vector<std::uint8_t> mask = canvas.paintedMask;
    const std::vector<float> snapshot = canvas.heightSnapshot;
    canvas.Surface(10, 10).coverage = 0.0f;
    canvas.Surface(10, 10).surfaceZ = 99.0f;
    canvas.MarkDirty(UpdateRect::Make(0, 0, 19, 19), 0);
    canvas.EndOperation();
    EXPECT_EQ(canvas.paintedMask, mask);
    EXPECT_EQ(canvas.heightSnapshot, snapshot);
    EXPECT_EQ(canvas.dirtyFlags[canvas.PixelIndex(10, 10)], 0);
}

} // namespace
