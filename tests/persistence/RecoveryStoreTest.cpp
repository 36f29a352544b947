#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PaintFileTestSupport.h"
#include "persistence/PlatformFile.h"
#include "persistence/RecoveryStore.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        names.insert(item.path().filename().string());
    }
    return names;
}

std::vector<std::uint8_t> Document(std::uint8_t fill, std::size_t size = 1000) {
    return std::vector<std::uint8_t>(size, fill);
}

class RecoveryStoreTest : public ::testing::Test {
protected:
    std::string Folder() const { return (dir.path / "recovery").string(); }

    // What a program that ended without cleaning up leaves: its copy and origin, its lock free.
    std::string LeaveCopy(std::int64_t pid, const std::vector<std::uint8_t>& document,
                          const std::string& origin, int ageSeconds = 0) {
        RecoveryStore store(Folder(), pid, 1000 + pid);
        EXPECT_TRUE(store.BeginWrite(document, origin));
        EXPECT_EQ(store.FinishWrite(), Result::Success);
        const std::string path = store.OwnCopyPath();
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
        return path;
    }

    TempDir dir;
};

TEST_F(RecoveryStoreTest, OwnCopyIsWrittenWholeBesideItsHeldLockAndDeletedWithIt) {
    RecoveryStore store(Folder(), 4242, 1765000000123);
    EXPECT_EQ(store.BaseName(), "copy-4242-1765000000123");
    // Nothing is made before the first copy.
    EXPECT_FALSE(fs::exists(Folder()));

    ASSERT_TRUE(store.BeginWrite(Document(7), "/home/painter/絵.mb"));
    ASSERT_EQ(store.FinishWrite(), Result::Success);
    EXPECT_EQ(ReadBytes(store.OwnCopyPath()), Document(7));
    EXPECT_EQ(Names(Folder()),
              (std::set<std::string>{"copy-4242-1765000000123.mb", "copy-4242-1765000000123.origin",
                                     "copy-4242-1765000000123.lock"}));
    const auto origin = ReadBytes(Folder() + "/copy-4242-1765000000123.origin");
    EXPECT_EQ(std::string(origin.begin(), origin.end()), "/home/painter/絵.mb");

    // A later copy replaces the first; a painting without a file has no origin.
    ASSERT_TRUE(store.BeginWrite(Document(9, 50), ""));
    ASSERT_EQ(store.FinishWrite(), Result::Success);
    EXPECT_EQ(ReadBytes(store.OwnCopyPath()), Document(9, 50));
    EXPECT_FALSE(fs::exists(Folder() + "/copy-4242-1765000000123.origin"));

    // While the program runs, nobody else may take its copy.
    RecoveryStore other(Folder(), 77, 5);
    EXPECT_TRUE(other.ClaimLeftCopies().empty());

    store.DeleteOwnCopy();
    EXPECT_TRUE(Names(Folder()).empty());
}

TEST_F(RecoveryStoreTest, CopyOfAProgramThatEndedIsOfferedWithItsOriginNewestFirst) {
    const std::string older = LeaveCopy(11, Document(1), "/pictures/old.mb", 600);
    const std::string newer = LeaveCopy(22, Document(2), "", 10);
    const std::string middle = LeaveCopy(33, Document(3), "/pictures/mid.mb", 60);

    RecoveryStore store(Folder(), 99, 1);
    const std::vector<LeftCopy> copies = store.ClaimLeftCopies();
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0].path, newer);
    EXPECT_EQ(copies[0].originalPath, "");
    EXPECT_EQ(copies[1].path, middle);
    EXPECT_EQ(copies[1].originalPath, "/pictures/mid.mb");
    EXPECT_EQ(copies[2].path, older);
    EXPECT_EQ(copies[2].originalPath, "/pictures/old.mb");

    // A second program starting meanwhile does not offer what the first has claimed.
    RecoveryStore second(Folder(), 100, 2);
    EXPECT_TRUE(second.ClaimLeftCopies().empty());
    store.ReleaseClaims();
    EXPECT_EQ(second.ClaimLeftCopies().size(), 3u);
}

TEST_F(RecoveryStoreTest, CopyWhoseLockIsHeldBelongsToARunningProgram) {
    const std::string path = LeaveCopy(11, Document(1), "");
    platform::FileLock running;
    ASSERT_TRUE(running.TryLock(Folder() + "/copy-11-1011.lock"));
    RecoveryStore store(Folder(), 99, 1);
    EXPECT_TRUE(store.ClaimLeftCopies().empty());
    EXPECT_TRUE(fs::exists(path));
    running.Release();
    EXPECT_EQ(store.ClaimLeftCopies().size(), 1u);
}

TEST_F(RecoveryStoreTest, DeletedSetAsideAndAdoptedCopies) {
    const std::string declined = LeaveCopy(1, Document(1), "/a.mb", 30);
    const std::string damaged = LeaveCopy(2, Document(2), "/b.mb", 20);
    const std::string restored = LeaveCopy(3, Document(3), "/c.mb", 10);
    // An unfinished temporary file of a write that was cut short belongs to its copy.
    WriteBytes(declined + ".~1-0.tmp", Document(4));

    RecoveryStore store(Folder(), 99, 1);
    const std::vector<LeftCopy> copies = store.ClaimLeftCopies();
    ASSERT_EQ(copies.size(), 3u);

    EXPECT_EQ(store.Adopt(copies[0], "/c.mb"), Result::Success);
    const std::string aside = store.SetAside(copies[1]);
    EXPECT_EQ(aside, Folder() + "/damaged-2-1002.mb");
    store.DeleteLeftCopy(copies[2]);

    // The restored copy is now this program's own; the damaged one is kept, under a name never offered.
    EXPECT_EQ(Names(Folder()), (std::set<std::string>{"copy-99-1.mb", "copy-99-1.origin", "copy-99-1.lock",
                                                      "damaged-2-1002.mb", "damaged-2-1002.origin"}));
    EXPECT_EQ(ReadBytes(store.OwnCopyPath()), Document(3));
    EXPECT_EQ(ReadBytes(aside), Document(2));
    store.ReleaseClaims();
    RecoveryStore next(Folder(), 100, 2);
    EXPECT_TRUE(next.ClaimLeftCopies().empty());

    // A second damaged copy of the same name does not overwrite the first.
    LeaveCopy(2, Document(5), "");
    const std::vector<LeftCopy> again = next.ClaimLeftCopies();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(next.SetAside(again[0]), Folder() + "/damaged-2-1002-2.mb");
    EXPECT_EQ(ReadBytes(aside), Document(2));
}

TEST_F(RecoveryStoreTest, RemainsOfAProgramThatNeverFinishedACopyAreRemoved) {
    fs::create_directories(Folder());
    WriteBytes(Folder() + "/copy-5-6.lock", {});
    WriteBytes(Folder() + "/copy-5-6.mb.~5-0.tmp", Document(1));
    WriteBytes(Folder() + "/notes.txt", Document(2));
    // A program still writing its first copy keeps its remains.
    platform::FileLock running;
    ASSERT_TRUE(running.TryLock(Folder() + "/copy-8-9.lock"));
    WriteBytes(Folder() + "/copy-8-9.mb.~8-0.tmp", Document(3));

    RecoveryStore store(Folder(), 99, 1);
    EXPECT_TRUE(store.ClaimLeftCopies().empty());
    EXPECT_EQ(Names(Folder()), (std::set<std::string>{"notes.txt", "copy-8-9.lock", "copy-8-9.mb.~8-0.tmp"}));
}

TEST_F(RecoveryStoreTest, AProgramThatEndsWithoutDeletingKeepsItsCopyForTheNextStart) {
    {
        auto store = std::make_unique<RecoveryStore>(Folder(), 1, 2);
        ASSERT_TRUE(store->BeginWrite(Document(6), ""));
        // Destroyed with the write perhaps still under way: it is finished, not cut short.
    }
    RecoveryStore next(Folder(), 3, 4);
    const std::vector<LeftCopy> copies = next.ClaimLeftCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadBytes(copies[0].path), Document(6));
}

TEST_F(RecoveryStoreTest, AFolderThatCannotBeMadeRefusesTheCopy) {
    WriteBytes((dir.path / "recovery").string(), Document(1)); // a file where the folder should be
    RecoveryStore store(Folder(), 1, 2);
    EXPECT_FALSE(store.BeginWrite(Document(2), ""));
    EXPECT_TRUE(store.ClaimLeftCopies().empty());
}

} // namespace
