// A stroke driven through the input state machine onto a real canvas and into a real undo journal.

#include <filesystem>
#include <unistd.h>

#include "StrokeTestFakes.h"
#include "brushes/StrokeJournalRecorder.h"
#include "persistence/UndoJournal.h"

namespace {

class StrokeEndToEnd : public StrokeFixture {
protected:
    std::filesystem::path folder;
    std::unique_ptr<UndoJournal> journal;
    std::unique_ptr<StrokeJournalRecorder> journalRecorder;

    void SetUp() override {
        StrokeFixture::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("nurimoko-stroke-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        journal = std::make_unique<UndoJournal>(folder.string());
        journal->Init(canvas);
        ASSERT_EQ(journal->Reset(), Result::Success);
        journalRecorder = std::make_unique<StrokeJournalRecorder>(*journal);
        stroke.SetRecorder(journalRecorder.get());
    }

    void TearDown() override {
        journalRecorder.reset();
        journal.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Every pixel of the rendered image that differs from `before` lies inside a shown rectangle.
    void ExpectChangesOnlyInsideBlits(const RasterImage& before) const {
        int changed = 0;
        for (std::int32_t y = 0; y < Size; ++y) {
            for (std::int32_t x = 0; x < Size; ++x) {
                const std::uint8_t* a = before.PixelAt(x, y);
                const std::uint8_t* b = canvas.renderedImage.PixelAt(x, y);
                if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) {
                    continue;
                }
                ++changed;
                bool inside = false;
                for (const UpdateRect& r : view.blits) {
                    inside = inside || (r.valid && x >= r.x0 && x <= r.x1 && y >= r.y0 && y <= r.y1);
                }
                EXPECT_TRUE(inside) << "pixel " << x << ", " << y << " changed outside every shown rectangle";
            }
        }
        EXPECT_GT(changed, 0);
    }
};

using E = StrokeEvent;

} // namespace

TEST_F(StrokeEndToEnd, FreehandDragPaintsShowsItsRectanglesAndLeavesOneUndoEntry) {
    const RasterImage before = canvas.renderedImage;
    ASSERT_EQ(journal->Entries().size(), 1u);

    Send(E::Move, 8, 30); // hovering paints nothing
    Send(E::ButtonDown, 10, 30);
    for (std::int32_t x = 12; x <= 40; x += 4) {
        Send(E::Move, x, 30);
    }
    Send(E::ButtonUp, 40, 30);

    // Spacing 8 × 0.25 = 2: the press and the 2 px first move lay one dab each, every 4 px move two.
    EXPECT_EQ(MetaballCount(), 1 + 1 + 7 * 2);
    // Each mouse step is shown once.
    EXPECT_EQ(view.modifiedCount, 9);
    ASSERT_EQ(view.ValidBlits(), 9);
    for (const UpdateRect& r : view.blits) {
        // Each dab shows no more than its own neighbourhood.
        EXPECT_LE(r.x1 - r.x0, 12);
        EXPECT_LE(r.y1 - r.y0, 12);
    }
    ExpectChangesOnlyInsideBlits(before);

    ASSERT_EQ(journal->Entries().size(), 2u);
    EXPECT_EQ(journal->Entries()[1].kind, UndoAdd);
    EXPECT_EQ(journal->Position(), 1);

    // The entry holds exactly this stroke: undoing it erases every dab.
    UpdateRect rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(journal->Undo(rect), UndoAdd);
    EXPECT_EQ(LiveCount(), 0);
}

TEST_F(StrokeEndToEnd, DrawnPolylineIsOneStepAndRendersOnceOverItsUnion) {
    UseBrush(BrushKind::Multi, PathKind::Polyline, 16.0f);
    tools.brush.density = 1.0f;
    const RasterImage before = canvas.renderedImage;
    Send(E::ButtonDown, 10, 10);
    Send(E::ButtonUp, 10, 10);
    Send(E::Move, 30, 20);
    Send(E::ButtonDown, 40, 10);
    Send(E::ButtonUp, 40, 10);
    Send(E::Move, 45, 40);
    Send(E::ButtonDown, 40, 50);
    Send(E::ButtonUp, 40, 50);
    Send(E::DoubleClick, 40, 50);

    EXPECT_GT(MetaballCount(), 0);
    ASSERT_EQ(view.ValidBlits(), 1);
    EXPECT_EQ(view.busyBegun, 1);
    EXPECT_EQ(view.busyEnded, 1);
    ExpectChangesOnlyInsideBlits(before);
    ASSERT_EQ(journal->Entries().size(), 2u);
    EXPECT_EQ(journal->Entries()[1].kind, UndoAdd);

    // An eraser stroke over it is a second step of its own kind.
    UseBrush(BrushKind::Eraser, PathKind::Freehand, 30.0f);
    Send(E::ButtonDown, 40, 30);
    Send(E::ButtonUp, 40, 30);
    ASSERT_EQ(journal->Entries().size(), 3u);
    EXPECT_EQ(journal->Entries()[2].kind, UndoErase);
    EXPECT_LT(LiveCount(), MetaballCount());
}
