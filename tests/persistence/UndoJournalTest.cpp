#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "engine/MemoryLimit.h"
#include "engine/PaintCanvas.h"
#include "persistence/SafeFileWriter.h"
#include "persistence/UndoJournal.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

std::set<std::string> FilesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        if (name != UndoJournal::LockFileName()) {
            names.insert(name);
        }
    }
    return names;
}

UpdateRect NoRect() {
    return UpdateRect::PendingEmpty();
}

class UndoJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(canvas.Create(64, 48), Result::Success);
        journal.Init(canvas);
        ASSERT_EQ(journal.Reset(), Result::Success);
    }

    // One stroke of metaballs, recorded as the stroke code does; returns their ids.
    std::vector<std::int32_t> Stroke(float x, float y) {
        canvas.BeginOperation();
        UpdateRect changed;
        const MaterialBlock material = DistinctMaterial(0.9f);
        EXPECT_EQ(
            canvas.AddMetaballs(
                {MakeMetaball(material, x, y, 0.0f), MakeMetaball(material, x + 3.0f, y, 0.0f)}, changed),
            Result::Success);
        EXPECT_EQ(canvas.Render(changed), Result::Success);
        canvas.EndOperation();
        EXPECT_EQ(journal.RecordAdd(canvas.changedIds), Result::Success);
        return canvas.changedIds;
    }

    TempDir dir;
    std::filesystem::path folder = dir.path / "UNDO";
    PaintCanvas canvas;
    UndoJournal journal{folder.string()};
};

TEST_F(UndoJournalTest, ANewHistoryHoldsOnlyTheInitialBackground) {
    EXPECT_EQ(journal.Folder(), folder.string());
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"000000.BACKGROUND.undo"}));
    EXPECT_EQ(journal.Position(), 0);
    ASSERT_EQ(journal.Entries().size(), 1u);
    EXPECT_EQ(journal.Entries()[0].kind, UndoInitial);
    EXPECT_FALSE(journal.CanUndo());
    EXPECT_FALSE(journal.CanRedo());
    UpdateRect rect = NoRect();
    EXPECT_EQ(journal.Undo(rect), Result::NoData);
    EXPECT_EQ(journal.Redo(rect), Result::NoData);
    EXPECT_EQ(journal.Position(), 0);
    // The background file is the image block of the background.
    const auto bytes = ReadBytes((folder / "000000.BACKGROUND.undo").string());
    EXPECT_EQ(bytes.size(), 20u + 192 * 48);
    EXPECT_EQ(Int32At(bytes, 0), 64);
}

TEST_F(UndoJournalTest, ANewStepAfterUndosDropsTheRedoStepsAndTheirFiles) {
    const auto first = Stroke(10.5f, 10.5f);
    Stroke(20.5f, 20.5f);
    Stroke(30.5f, 30.5f);
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"000000.BACKGROUND.undo", "000001.METABALL_ID.undo",
                                                      "000002.METABALL_ID.undo", "000003.METABALL_ID.undo"}));
    EXPECT_EQ(journal.Position(), 3);
    const auto ids = ReadBytes((folder / "000001.METABALL_ID.undo").string());
    ASSERT_EQ(ids.size(), 12u);
    EXPECT_EQ(Int32At(ids, 0), 2);
    EXPECT_EQ(Int32At(ids, 4), first[0]);
    EXPECT_EQ(Int32At(ids, 8), first[1]);

    UpdateRect rect = NoRect();
    EXPECT_EQ(journal.Undo(rect), UndoAdd);
    rect = NoRect();
    EXPECT_EQ(journal.Undo(rect), UndoAdd);
    EXPECT_EQ(journal.Position(), 1);
    EXPECT_TRUE(journal.CanRedo());

    Stroke(40.5f, 30.5f);
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"000000.BACKGROUND.undo", "000001.METABALL_ID.undo",
                                                      "000004.METABALL_ID.undo"}));
    ASSERT_EQ(journal.Entries().size(), 3u);
    EXPECT_EQ(journal.Entries()[2].step, 4u);
    EXPECT_EQ(journal.Entries()[2].idsFile, "000004.METABALL_ID.undo");
    EXPECT_EQ(journal.Position(), 2);
    EXPECT_FALSE(journal.CanRedo());
}

TEST_F(UndoJournalTest, UndoingAnAddErasesItsMetaballsAndRedrawsOnlyTheirBounds) {
    const RasterImage before = canvas.renderedImage;
    const auto ids = Stroke(20.5f, 20.5f);
    const RasterImage painted = canvas.renderedImage;
    ASSERT_NE(painted.data, before.data);

    UpdateRect rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoAdd);
    for (std::int32_t id : ids) {
        EXPECT_EQ(canvas.store->records[static_cast<std::size_t>(id)].state, MetaballErased);
    }
    UpdateRect expected = canvas.MetaballBounds(ids[0]);
    expected.Union(canvas.MetaballBounds(ids[1]));
    expected.Clamp(canvas.width, canvas.height);
    EXPECT_EQ(rect, expected);
    EXPECT_EQ(canvas.renderedImage.data, before.data);

    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoAdd);
    for (std::int32_t id : ids) {
        EXPECT_EQ(canvas.store->records[static_cast<std::size_t>(id)].state, MetaballLive);
    }
    EXPECT_EQ(rect, expected);
    EXPECT_EQ(canvas.renderedImage.data, painted.data);
    EXPECT_EQ(journal.Position(), 1);
}

TEST_F(UndoJournalTest, UndoingAnEraseBringsTheMetaballsBack) {
    const auto ids = Stroke(20.5f, 20.5f);
    const RasterImage painted = canvas.renderedImage;
    canvas.BeginOperation();
    UpdateRect erased = UpdateRect::Empty();
    canvas.EraseIds(ids, erased);
    canvas.Render(erased);
    canvas.EndOperation();
    ASSERT_EQ(journal.RecordErase(canvas.changedIds), Result::Success);
    ASSERT_NE(canvas.renderedImage.data, painted.data);

    UpdateRect rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoErase);
    EXPECT_EQ(canvas.store->records[static_cast<std::size_t>(ids[0])].state, MetaballLive);
    EXPECT_EQ(canvas.renderedImage.data, painted.data);
    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoErase);
    EXPECT_EQ(canvas.store->records[static_cast<std::size_t>(ids[0])].state, MetaballErased);
}

TEST_F(UndoJournalTest, BackgroundStepsRestoreTheNearestEarlierBackground) {
    const auto pixel = [&] {
        const std::uint8_t* p = canvas.backgroundImage.PixelAt(5, 5);
        return std::vector<int>{p[2], p[1], p[0]};
    };
    const auto shown = [&] {
        const std::uint8_t* p = canvas.renderedImage.PixelAt(5, 5);
        return std::vector<int>{p[2], p[1], p[0]};
    };
    canvas.backgroundImage.Fill(255, 0, 0);
    ASSERT_EQ(journal.RecordBackground(), Result::Success);
    Stroke(40.5f, 30.5f); // a stroke between two background steps
    canvas.backgroundImage.Fill(0, 0, 255);
    ASSERT_EQ(journal.RecordBackground(), Result::Success);
    EXPECT_EQ(FilesIn(folder).count("000003.BACKGROUND.undo"), 1u);

    const UpdateRect whole = UpdateRect::Make(0, 0, 63, 47);
    UpdateRect rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoBackground);
    EXPECT_EQ(pixel(), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(shown(), (std::vector<int>{255, 0, 0})) << "the picture is composed again";
    EXPECT_EQ(rect, whole);

    rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoAdd);
    rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoBackground);
    EXPECT_EQ(pixel(), (std::vector<int>{255, 255, 255})) << "back to the initial background";
    EXPECT_EQ(journal.Position(), 0);

    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoBackground);
    EXPECT_EQ(pixel(), (std::vector<int>{255, 0, 0}));
    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoAdd);
    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoBackground);
    EXPECT_EQ(pixel(), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(rect, whole);
}

// A background file of a canvas wider than 30,000 pixels restores like any other; one whose pixels do
// not fit in memory fails as such and changes nothing.
TEST_F(UndoJournalTest, WideBackgroundsRestoreUnlessTheyDoNotFitInMemory) {
    ASSERT_EQ(canvas.Create(30720, 3), Result::Success);
    ASSERT_EQ(journal.Reset(), Result::Success);
    canvas.backgroundImage.Fill(0, 128, 255);
    ASSERT_EQ(journal.RecordBackground(), Result::Success);
    const std::vector<std::uint8_t> blue = canvas.backgroundImage.data;
    UpdateRect rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoBackground);
    EXPECT_EQ(canvas.backgroundImage.PixelAt(30719, 2)[0], 255);
    EXPECT_EQ(canvas.backgroundImage.PixelAt(30719, 2)[2], 255);
    {
        ScopedMemoryLimit memory(canvas.backgroundImage.dataSize - 1);
        rect = NoRect();
        EXPECT_EQ(journal.Redo(rect), Result::OutOfMemory);
        EXPECT_EQ(journal.Position(), 0);
        EXPECT_EQ(canvas.backgroundImage.PixelAt(30719, 2)[2], 255);
    }
    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoBackground);
    EXPECT_EQ(canvas.backgroundImage.data, blue);
    EXPECT_EQ(rect, UpdateRect::Make(0, 0, 30719, 2));
}

TEST_F(UndoJournalTest, ABackgroundOfAnotherDepthRestoresNothingButStillMoves) {
    RasterImage indexed;
    ASSERT_EQ(indexed.Create(64, 48, 1, 1), Result::Success);
    indexed.palette = {10, 20, 30};
    canvas.backgroundImage = indexed;
    ASSERT_EQ(journal.RecordBackground(), Result::Success);
    UpdateRect rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoBackground);
    EXPECT_EQ(journal.Position(), 0);
    EXPECT_EQ(canvas.backgroundImage.bytesPerPixel, 1);
    EXPECT_EQ(canvas.backgroundImage.data, indexed.data);
}

TEST_F(UndoJournalTest, UndoingAMoveReturnsEveryMetaballToWhereTheStrokeFoundIt) {
    const auto ids = Stroke(20.5f, 20.5f);
    const Position3 start{20.5f, 20.5f, 0.0f};
    canvas.BeginOperation();
    UpdateRect left;
    UpdateRect reached;
    ASSERT_EQ(canvas.MoveMetaball(ids[0], 25.5f, 22.5f, 0.0f, left, reached), 1);
    ASSERT_EQ(canvas.MoveMetaball(ids[0], 30.5f, 24.5f, 0.5f, left, reached), 1); // moved twice in one stroke
    UpdateRect all = UpdateRect::Make(0, 0, 63, 47);
    canvas.Render(all);
    canvas.EndOperation();
    ASSERT_EQ(canvas.oldPositions.size(), 2u);
    ASSERT_EQ(journal.RecordMove(canvas.changedIds, canvas.oldPositions, canvas.newPositions),
              Result::Success);
    EXPECT_EQ(ReadBytes((folder / "000002.METABALL_ID.undo").string()).size(), 4u + 2 * 28);

    const auto position = [&] {
        const Metaball& m = canvas.store->records[static_cast<std::size_t>(ids[0])];
        return Position3{m.x, m.y, m.z};
    };
    UpdateRect rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoMove);
    EXPECT_EQ(position(), start);
    // The redrawn area covers both the places the metaball left and the place it came back to.
    const UpdateRect home = canvas.MetaballBounds(ids[0]);
    EXPECT_TRUE(rect.valid);
    EXPECT_LE(rect.x0, home.x0);
    EXPECT_LE(rect.y0, home.y0);
    EXPECT_GE(rect.x1, std::min(63, static_cast<int>(30.5f + 9.0f) + 1));
    EXPECT_GE(rect.y1, std::min(47, static_cast<int>(24.5f + 9.0f) + 1));

    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoMove);
    EXPECT_EQ(position(), (Position3{30.5f, 24.5f, 0.5f}));
}

TEST_F(UndoJournalTest, RecolourStepsPutColoursBackClampedToTheUnitRange) {
    const auto ids = Stroke(20.5f, 20.5f);
    PaintColour tooBright;
    tooBright.red = 1.2f;
    tooBright.green = -0.5f;
    tooBright.blue = 0.25f;
    PaintColour newer;
    newer.red = 0.1f;
    newer.green = 0.2f;
    newer.blue = 0.3f;
    ASSERT_EQ(journal.RecordRecolour({ids[0]}, {tooBright}, {newer}), Result::Success);

    UpdateRect rect = NoRect();
    ASSERT_EQ(journal.Undo(rect), UndoRecolour);
    const Metaball& m = canvas.store->records[static_cast<std::size_t>(ids[0])];
    EXPECT_EQ(m.red, 1.0f);
    EXPECT_EQ(m.green, 0.0f);
    EXPECT_EQ(m.blue, 0.25f);
    UpdateRect expected = canvas.MetaballBounds(ids[0]);
    expected.Clamp(64, 48);
    EXPECT_EQ(rect, expected);

    rect = NoRect();
    ASSERT_EQ(journal.Redo(rect), UndoRecolour);
    EXPECT_EQ(m.red, 0.1f);
    EXPECT_EQ(m.green, 0.2f);
    EXPECT_EQ(m.blue, 0.3f);
}

TEST_F(UndoJournalTest, IdsOutsideTheStoreAreSkipped) {
    Stroke(20.5f, 20.5f);
    ASSERT_EQ(journal.RecordAdd({-3, 999}), Result::Success);
    UpdateRect rect = NoRect();
    EXPECT_EQ(journal.Undo(rect), UndoAdd);
    EXPECT_FALSE(rect.valid);
    EXPECT_EQ(canvas.store->records[0].state, MetaballLive);
}

TEST_F(UndoJournalTest, ADamagedStepFileFailsWithoutChangingCanvasOrPosition) {
    const auto ids = Stroke(20.5f, 20.5f);
    canvas.backgroundImage.Fill(0, 255, 0);
    ASSERT_EQ(journal.RecordBackground(), Result::Success);
    const std::string strokeFile = (folder / "000001.METABALL_ID.undo").string();
    const std::string initialFile = (folder / "000000.BACKGROUND.undo").string();
    const auto strokeBytes = ReadBytes(strokeFile);
    const auto initialBytes = ReadBytes(initialFile);

    struct Case {
        const char* name;
        std::string file;
        std::vector<std::uint8_t> bytes; // empty with remove = true: the file is deleted
        bool remove;
        bool undoStroke;
        ResultCode expected;
    };
    const std::vector<Case> cases = {
        {"deleted background file", initialFile, {}, true, false, Result::FileOpenFailed},
        {"truncated background file", initialFile, Truncated(initialBytes, 100), false, false,
         Result::FileReadFailed},
        {"foreign background file", initialFile, Bytes{}.I32(-1).I32(5).I32(3).I32(0).data, false, false,
         Result::FileReadFailed},
        {"deleted ids file", strokeFile, {}, true, true, Result::FileOpenFailed},
        {"truncated ids file", strokeFile, Truncated(strokeBytes, 6), false, true, Result::FileReadFailed},
        {"count beyond the file", strokeFile, Bytes{}.I32(1000000).I32(0).data, false, true,
         Result::FileReadFailed},
        {"negative count", strokeFile, Bytes{}.I32(-4).data, false, true, Result::UnsupportedFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.undoStroke) {
            UpdateRect rect = NoRect();
            ASSERT_EQ(journal.Undo(rect), UndoBackground);
        }
        const std::int32_t position = journal.Position();
        const RasterImage background = canvas.backgroundImage;
        const RasterImage shown = canvas.renderedImage;
        if (c.remove) {
            std::filesystem::remove(c.file);
        } else {
            WriteBytes(c.file, c.bytes);
        }
        UpdateRect rect = NoRect();
        EXPECT_EQ(journal.Undo(rect), c.expected);
        EXPECT_EQ(journal.Position(), position);
        EXPECT_EQ(canvas.backgroundImage.data, background.data);
        EXPECT_EQ(canvas.renderedImage.data, shown.data);
        EXPECT_EQ(canvas.store->records[static_cast<std::size_t>(ids[0])].state, MetaballLive);

        // Repair and go back to the newest step for the next case.
        WriteBytes(strokeFile, strokeBytes);
        WriteBytes(initialFile, initialBytes);
        while (journal.CanRedo()) {
            rect = NoRect();
            ASSERT_GT(journal.Redo(rect), 0);
        }
    }
}

TEST_F(UndoJournalTest, AFailedRecordingAddsNoEntry) {
    Stroke(20.5f, 20.5f);
    {
        SafeFileWriter::ScopedWriteLimit full(6);
        EXPECT_EQ(journal.RecordAdd({0, 1}), Result::FileWriteFailed);
        EXPECT_EQ(journal.RecordBackground(), Result::FileWriteFailed);
    }
    EXPECT_EQ(journal.Position(), 1);
    EXPECT_EQ(journal.Entries().size(), 2u);
    EXPECT_EQ(journal.StepCounter(), 2u);
    EXPECT_EQ(FilesIn(folder).size(), 2u);
    EXPECT_EQ(journal.RecordAdd({0}), Result::Success);
    EXPECT_EQ(journal.Entries().back().idsFile, "000002.METABALL_ID.undo");
}

TEST_F(UndoJournalTest, ResetStartsOverAndEmptiesTheFolderButNotItsSubfolders) {
    Stroke(20.5f, 20.5f);
    Stroke(30.5f, 30.5f);
    std::filesystem::create_directory(folder / "keep");
    WriteBytes((folder / "stray.txt").string(), {1, 2, 3});
    ASSERT_EQ(journal.Reset(), Result::Success);
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"000000.BACKGROUND.undo", "keep"}));
    EXPECT_EQ(journal.Position(), 0);
    EXPECT_EQ(journal.StepCounter(), 1u);
}

TEST(UndoJournalFolderTest, ASecondRunningJournalTakesAFolderOfItsOwn) {
    TempDir dir;
    const std::string folder = (dir.path / "UNDO").string();
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(8, 8), Result::Success);
    auto first = std::make_unique<UndoJournal>(folder);
    first->Init(canvas);
    ASSERT_EQ(first->Reset(), Result::Success);
    ASSERT_EQ(first->RecordAdd({}), Result::Success);

    UndoJournal second(folder);
    second.Init(canvas);
    ASSERT_EQ(second.Reset(), Result::Success);
    EXPECT_EQ(second.Folder(), folder + "-2");
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"000000.BACKGROUND.undo", "000001.METABALL_ID.undo"}))
        << "the first journal's history survives";

    first.reset();
    EXPECT_TRUE(FilesIn(folder).empty()) << "a journal empties its folder when it ends";
    UndoJournal third(folder);
    third.Init(canvas);
    EXPECT_EQ(third.Folder(), folder) << "the folder is free again";
}

TEST(UndoJournalFolderTest, AFolderThatCannotBeCreatedFallsBack) {
    TempDir dir;
    WriteBytes((dir.path / "blocker").string(), {0});
    const std::string impossible = (dir.path / "blocker" / "UNDO").string();
    const std::string fallback = (dir.path / "fallback" / "UNDO").string();
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(8, 8), Result::Success);

    UndoJournal journal(impossible, fallback);
    journal.Init(canvas);
    EXPECT_EQ(journal.Folder(), fallback);
    EXPECT_EQ(journal.Reset(), Result::Success);
    EXPECT_TRUE(std::filesystem::exists(fallback + "/000000.BACKGROUND.undo"));

    UndoJournal stranded(impossible);
    stranded.Init(canvas);
    EXPECT_EQ(stranded.Reset(), Result::FileOpenFailed);
    EXPECT_EQ(stranded.Position(), -1);
    EXPECT_FALSE(stranded.CanUndo());
}

} // namespace
