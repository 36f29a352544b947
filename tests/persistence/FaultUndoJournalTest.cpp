// The undo journal when its folder goes away or fills up, and when two journals run at the same time:
// a failed recording is reported at once and changes neither the canvas nor the history, painting
// goes on, and two journals never mix their histories.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "engine/PaintCanvas.h"
#include "persistence/SafeFileWriter.h"
#include "persistence/UndoJournal.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

// Deposits one dab the way a stroke does and returns the ids it added.
std::vector<std::int32_t> Dab(PaintCanvas& canvas, float x, float y, float red) {
    canvas.BeginOperation();
    UpdateRect changed = UpdateRect::Empty();
    EXPECT_EQ(canvas.AddMetaballs({MakeMetaball(DistinctMaterial(red), x, y, 0.0f),
                                   MakeMetaball(DistinctMaterial(red), x + 2.0f, y, 0.0f)},
                                  changed),
              Result::Success);
    EXPECT_EQ(canvas.Render(changed), Result::Success);
    canvas.EndOperation();
    return canvas.changedIds;
}

std::vector<std::uint8_t> States(const PaintCanvas& canvas) {
    std::vector<std::uint8_t> states;
    for (const Metaball& m : canvas.store->records) {
        states.push_back(m.state);
    }
    return states;
}

// Lets a number of threads go on only once all of them have arrived. (Built on a mutex: std::latch
// of the MinGW-w64 build was seen to leave a thread waiting for ever under Wine.)
class Meeting {
public:
    explicit Meeting(int count) : waiting(count) {}
    void ArriveAndWait() {
        std::unique_lock<std::mutex> hold(lock);
        if (--waiting == 0) {
            allHere.notify_all();
            return;
        }
        allHere.wait(hold, [this] { return waiting == 0; });
    }

private:
    std::mutex lock;
    std::condition_variable allHere;
    int waiting;
};

struct Recording {
    const char* name;
    std::function<ResultCode(UndoJournal&)> record;
};

std::vector<Recording> EveryRecording() {
    return {
        {"add",
         [](UndoJournal& j) {
             return j.RecordAdd({0, 1});
         }},
        {"erase", [](UndoJournal& j) { return j.RecordErase({1}); }},
        {"move",
         [](UndoJournal& j) {
             return j.RecordMove({0}, {Position3{5, 5, 0}}, {Position3{6, 6, 0}});
         }},
        {"recolour",
         [](UndoJournal& j) {
             return j.RecordRecolour({0}, {PaintColour{0, 1, 1, 1}}, {PaintColour{0, 0.5f, 0.5f, 0.5f}});
         }},
        {"background", [](UndoJournal& j) { return j.RecordBackground(); }},
    };
}

class FaultUndoJournal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(canvas.Create(40, 30), Result::Success);
        journal.Init(canvas);
        ASSERT_EQ(journal.Reset(), Result::Success);
        Dab(canvas, 10.5f, 10.5f, 0.9f);
        ASSERT_EQ(journal.RecordAdd(canvas.changedIds), Result::Success);
    }

    // The folder is moved away (its files kept aside) and a file takes its name, so nothing can be
    // created there any more; mending puts the same folder back.
    void BreakFolder() {
        std::filesystem::rename(folder, aside);
        WriteBytes(folder.string(), {0});
    }
    void MendFolder() {
        std::filesystem::remove(folder);
        std::filesystem::rename(aside, folder);
    }

    TempDir dir;
    std::filesystem::path folder = dir.path / "UNDO";
    std::filesystem::path aside = dir.path / "UNDO-aside";
    PaintCanvas canvas;
    UndoJournal journal{folder.string()};
};

TEST_F(FaultUndoJournal, AFolderThatCannotBeWrittenFailsTheFirstRecordingAndChangesNothing) {
    BreakFolder();
    for (const Recording& r : EveryRecording()) {
        SCOPED_TRACE(r.name);
        const auto states = States(canvas);
        const auto rendered = canvas.renderedImage.data;
        EXPECT_EQ(r.record(journal), Result::FileOpenFailed);
        EXPECT_EQ(journal.Position(), 1);
        EXPECT_EQ(journal.Entries().size(), 2u);
        EXPECT_EQ(journal.StepCounter(), 2u);
        EXPECT_EQ(States(canvas), states);
        EXPECT_EQ(canvas.renderedImage.data, rendered);
    }
}

TEST_F(FaultUndoJournal, PaintingGoesOnWhileRecordingFailsAndTheHistoryResumesAfterwards) {
    BreakFolder();
    const auto lost = Dab(canvas, 20.5f, 20.5f, 0.2f);
    EXPECT_EQ(journal.RecordAdd(lost), Result::FileOpenFailed);
    EXPECT_EQ(canvas.store->Count(), 4) << "the stroke stays on the canvas";
    EXPECT_NE(canvas.renderedImage.PixelAt(20, 20)[0], 255);

    MendFolder();
    const auto kept = Dab(canvas, 30.5f, 10.5f, 0.5f);
    ASSERT_EQ(journal.RecordAdd(kept), Result::Success);
    EXPECT_EQ(journal.Entries().back().idsFile, UndoJournal::IdsFileName(2));

    // Undo takes back the recorded strokes only; the unrecorded one stays.
    UpdateRect rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(journal.Undo(rect), UndoAdd);
    EXPECT_EQ(States(canvas), (std::vector<std::uint8_t>{1, 1, 1, 1, MetaballErased, MetaballErased}));
    rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(journal.Undo(rect), UndoAdd);
    EXPECT_EQ(States(canvas), (std::vector<std::uint8_t>{MetaballErased, MetaballErased, 1, 1, MetaballErased,
                                                         MetaballErased}));
    rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(journal.Undo(rect), Result::NoData);
}

TEST_F(FaultUndoJournal, AFullDiscFailsEveryRecordingWithAWriteErrorAndLeavesNoFile) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.insert(item.path().filename().string());
    }
    for (const Recording& r : EveryRecording()) {
        SCOPED_TRACE(r.name);
        SafeFileWriter::ScopedWriteLimit full(2);
        EXPECT_EQ(r.record(journal), Result::FileWriteFailed);
        std::set<std::string> now;
        for (const auto& item : std::filesystem::directory_iterator(folder)) {
            now.insert(item.path().filename().string());
        }
        EXPECT_EQ(now, names);
        EXPECT_EQ(journal.Position(), 1);
    }
    // A new history on a full disc has no entry at all, so there is nothing to undo into.
    {
        SafeFileWriter::ScopedWriteLimit full(0);
        EXPECT_EQ(journal.Reset(), Result::FileWriteFailed);
    }
    EXPECT_EQ(journal.Position(), -1);
    EXPECT_FALSE(journal.CanUndo());
    EXPECT_FALSE(journal.CanRedo());
    UpdateRect rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(journal.Undo(rect), Result::NoData);
    EXPECT_EQ(journal.Redo(rect), Result::NoData);
}

// Two journals on the same folder name, used in turns, each undoing and redoing only its own canvas.
TEST(FaultUndoJournalPair, TwoJournalsStartedTogetherKeepSeparateHistories) {
    TempDir dir;
    const std::string base = (dir.path / "UNDO").string();
    PaintCanvas first;
    PaintCanvas second;
    ASSERT_EQ(first.Create(32, 32), Result::Success);
    ASSERT_EQ(second.Create(32, 32), Result::Success);
    UndoJournal a(base);
    UndoJournal b(base);
    a.Init(first);
    b.Init(second);
    ASSERT_NE(a.Folder(), b.Folder());
    ASSERT_EQ(a.Reset(), Result::Success);
    ASSERT_EQ(b.Reset(), Result::Success);

    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(a.RecordAdd(Dab(first, 5.5f + 8.0f * i, 8.5f, 0.9f)), Result::Success);
        ASSERT_EQ(b.RecordAdd(Dab(second, 5.5f + 8.0f * i, 20.5f, 0.1f)), Result::Success);
    }
    ASSERT_EQ(b.RecordErase({0, 1}), Result::Success);
    EXPECT_EQ(a.Position(), 3);
    EXPECT_EQ(b.Position(), 4);

    const auto firstStates = States(first);
    UpdateRect rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(b.Undo(rect), UndoErase);
    rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(b.Undo(rect), UndoAdd);
    EXPECT_EQ(States(first), firstStates) << "undo on one journal leaves the other canvas alone";
    EXPECT_EQ(States(second), (std::vector<std::uint8_t>{1, 1, 1, 1, MetaballErased, MetaballErased}));

    // A new history in one folder keeps the other's files, so its undo still works.
    ASSERT_EQ(b.Reset(), Result::Success);
    rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(a.Undo(rect), UndoAdd);
    EXPECT_EQ(States(first), (std::vector<std::uint8_t>{1, 1, 1, 1, MetaballErased, MetaballErased}));
    rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(a.Redo(rect), UndoAdd);
    EXPECT_EQ(States(first), firstStates);
}

// Journals started at the same moment in separate threads, each on its own canvas: the folder's lock
// keeps them apart as it keeps separate programs apart (they lock through separate handles).
TEST(FaultUndoJournalPair, JournalsStartedAtTheSameMomentTakeDifferentFolders) {
    TempDir dir;
    const std::string base = (dir.path / "UNDO").string();
    constexpr int kJournals = 3;
    Meeting start(kJournals);
    Meeting reported(kJournals);
    std::vector<int> outcomes(kJournals, -1);
    std::vector<std::string> folders(kJournals);
    std::vector<std::thread> threads;
    for (int p = 0; p < kJournals; ++p) {
        threads.emplace_back([&, p] {
            start.ArriveAndWait();
            outcomes[p] = StartJournalAndHold(base, p, folders[p], [&] { reported.ArriveAndWait(); });
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (int p = 0; p < kJournals; ++p) {
        EXPECT_EQ(outcomes[p], 0) << "journal " << p << " lost its history or could not start it";
    }
    EXPECT_EQ(std::set<std::string>(folders.begin(), folders.end()).size(), static_cast<std::size_t>(kJournals));
}

} // namespace
