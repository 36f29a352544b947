// Documents, pictures and undo folders whose names are Japanese (as most of this program's users'
// files are): every name is UTF-8 text and must reach the disc as exactly that name, on every system.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>

#include "engine/PaintCanvas.h"
#include "persistence/Bmp.h"
#include "persistence/PlatformFile.h"
#include "persistence/UndoJournal.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

struct Names {
    const char* folder;
    const char* file; // without extension
};

void PrintTo(const Names& names, std::ostream* out) {
    *out << names.folder << "/" << names.file;
}

// Kanji and kana, half-width katakana, a full-width space, and plain ASCII for comparison.
const Names kNames[] = {
    {"絵", "作品"},
    {"ﾇﾘﾓｺ の 絵", "ｷｬﾝﾊﾞｽ　一枚目"},
    {"pictures", "painting"},
};

// The names in `folder` as UTF-8, read from the disc.
std::set<std::string> NamesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
        names.insert(platform::Utf8FromPath(item.path().filename()));
    }
    return names;
}

class FileNamesTest : public ::testing::TestWithParam<Names> {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path.empty());
        folder = platform::Utf8FromPath(dir.path) + "/" + GetParam().folder;
        std::filesystem::create_directories(platform::PathFromUtf8(folder));
        ASSERT_TRUE(std::filesystem::is_directory(platform::PathFromUtf8(folder)));
        ASSERT_EQ(canvas.Create(24, 16), Result::Success);
        Paint(canvas, {MakeMetaball(DistinctMaterial(0.9f), 8.5f, 8.5f, 0.0f),
                       MakeMetaball(DistinctMaterial(0.2f), 15.5f, 7.5f, 0.0f)});
        RenderAll(canvas);
    }

    std::string File(const std::string& extension) const {
        return folder + "/" + GetParam().file + extension;
    }

    TempDir dir;
    std::string folder;
    PaintCanvas canvas;
};

TEST_P(FileNamesTest, ADocumentIsSavedUnderItsNameAndOpensAgain) {
    const std::string path = File(".mb");
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
    EXPECT_EQ(NamesIn(platform::PathFromUtf8(folder)), std::set<std::string>{GetParam().file + std::string(".mb")});
    // Saving again replaces the file of that name.
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
    EXPECT_EQ(NamesIn(platform::PathFromUtf8(folder)).size(), 1u);

    PaintCanvas loaded;
    ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
    ASSERT_EQ(loaded.store->Count(), canvas.store->Count());
    for (std::int32_t i = 0; i < canvas.store->Count(); ++i) {
        EXPECT_EQ(loaded.store->records[i].x, canvas.store->records[i].x);
        EXPECT_EQ(loaded.store->records[i].red, canvas.store->records[i].red);
    }
    EXPECT_EQ(loaded.backgroundImage.data, canvas.backgroundImage.data);
}

TEST_P(FileNamesTest, APictureIsSavedUnderItsNameAndReadsBackTheSameRows) {
    const std::string path = File(".bmp");
    ASSERT_EQ(SaveBmpFile(canvas.renderedImage, path), Result::Success);
    EXPECT_EQ(NamesIn(platform::PathFromUtf8(folder)), std::set<std::string>{GetParam().file + std::string(".bmp")});
    RasterImage back;
    ASSERT_EQ(LoadBmpFile(back, path), Result::Success);
    EXPECT_EQ(back.width, canvas.renderedImage.width);
    EXPECT_EQ(back.height, canvas.renderedImage.height);
    EXPECT_EQ(back.data, canvas.renderedImage.data);
}

TEST_P(FileNamesTest, AnUndoFolderOfThatNameKeepsItsStepsAndIsLocked) {
    const std::string undoFolder = folder + "/" + GetParam().file;
    UndoJournal journal(undoFolder);
    journal.Init(canvas);
    ASSERT_EQ(journal.Folder(), undoFolder);
    ASSERT_EQ(journal.Reset(), Result::Success);
    ASSERT_EQ(journal.RecordErase({0}), Result::Success);
    EXPECT_EQ(NamesIn(platform::PathFromUtf8(undoFolder)),
              (std::set<std::string>{UndoJournal::LockFileName(), UndoJournal::BackgroundFileName(0),
                                     UndoJournal::IdsFileName(1)}));
    canvas.store->records[0].state = MetaballErased;
    UpdateRect rect = UpdateRect::PendingEmpty();
    EXPECT_EQ(journal.Undo(rect), UndoErase);
    EXPECT_EQ(canvas.store->records[0].state, MetaballLive);

    UndoJournal second(undoFolder);
    second.Init(canvas);
    EXPECT_EQ(second.Folder(), undoFolder + "-2") << "the folder is taken while the first journal runs";
}

INSTANTIATE_TEST_SUITE_P(Names, FileNamesTest, ::testing::ValuesIn(kNames));

TEST(FileLockTest, ALockIsExclusiveUntilReleasedEvenInOneProgram) {
    TempDir dir;
    const std::string path = platform::Utf8FromPath(dir.path) + "/作品.lock";
    platform::FileLock first;
    platform::FileLock second;
    ASSERT_TRUE(first.TryLock(path));
    EXPECT_FALSE(second.TryLock(path));
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_TRUE(second.TryLock(path));
    EXPECT_FALSE(first.TryLock(path));
    EXPECT_FALSE(first.TryLock(platform::Utf8FromPath(dir.path) + "/missing/x.lock"));
}

TEST(NativeFileTest, CreatingNeverOpensAFileThatIsThere) {
    TempDir dir;
    const std::string path = platform::Utf8FromPath(dir.path) + "/絵.tmp";
    platform::NativeFile file;
    ASSERT_EQ(file.CreateNew(path), platform::NativeFile::Created::Yes);
    EXPECT_EQ(file.WriteSome("abc", 3), 3);
    EXPECT_TRUE(file.FlushToDisk());
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.WriteSome("d", 1), -1) << "a closed file takes no bytes";

    platform::NativeFile again;
    EXPECT_EQ(again.CreateNew(path), platform::NativeFile::Created::AlreadyExists);
    EXPECT_EQ(again.CreateNew(platform::Utf8FromPath(dir.path) + "/missing/絵.tmp"),
              platform::NativeFile::Created::Failed);
    EXPECT_EQ(std::filesystem::file_size(platform::PathFromUtf8(path)), 3u) << "the existing file is untouched";
}

TEST(NativeFileTest, MovingOverReplacesAFileButNeverAFolder) {
    TempDir dir;
    const std::string base = platform::Utf8FromPath(dir.path);
    WriteBytes((dir.path / "from").string(), {1, 2});
    WriteBytes((dir.path / "to").string(), {9});
    std::filesystem::create_directory(dir.path / "folder");
    ASSERT_TRUE(platform::MoveOver(base + "/from", base + "/to"));
    EXPECT_EQ(ReadBytes((dir.path / "to").string()), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "from"));

    EXPECT_FALSE(platform::MoveOver(base + "/to", base + "/folder"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path / "folder"));
    EXPECT_EQ(ReadBytes((dir.path / "to").string()), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_TRUE(platform::RemoveFile(base + "/to"));
    EXPECT_FALSE(platform::RemoveFile(base + "/to"));
}

} // namespace
