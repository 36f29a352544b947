#include "persistence/SafeFileWriter.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class SafeFileWriterTest : public testing::Test {
protected:
    void SetUp() override {
        folder = testsupport::MakeTempFolder("safe-writer");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static void Put(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    int EntryCount() const { return static_cast<int>(std::distance(fs::directory_iterator(folder), {})); }

    fs::path folder;
};

} // namespace

TEST_F(SafeFileWriterTest, WritesANewFileInPieces) {
    const std::string path = PathOf("new.bin");
    SafeFileWriter writer(path);
    ASSERT_EQ(writer.Open(), Result::Success);
    EXPECT_FALSE(fs::exists(path)) << "the target appears only on commit";
    EXPECT_EQ(fs::path(writer.TemporaryPath()).parent_path(), folder);
    EXPECT_EQ(writer.Write("abc", 3), Result::Success);
    EXPECT_EQ(writer.Write("defg", 4), Result::Success);
    EXPECT_EQ(writer.BytesWritten(), 7u);
    ASSERT_EQ(writer.Commit(), Result::Success);
    EXPECT_EQ(Contents(path), "abcdefg");
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(SafeFileWriterTest, ReplacesAnExistingFileAndKeepsItsPermissions) {
    const std::string path = PathOf("doc.mb");
    Put(path, "old contents that are longer");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // As the system reports them (where files have no such rights, only whether they are read-only).
    const fs::perms before = fs::status(path).permissions();
    ASSERT_EQ(SafeFileWriter::WriteFile(path, "new", 3), Result::Success);
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(fs::status(path).permissions(), before);
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(SafeFileWriterTest, AShortWriteKeepsThePreviousFileByteForByte) {
    const std::string path = PathOf("doc.mb");
    const std::string previous("previous\0document\xff", 18);
    Put(path, previous);
    for (std::uint64_t limit : {0u, 2u, 5u}) {
        SCOPED_TRACE(limit);
        SafeFileWriter::ScopedWriteLimit full(limit);
        SafeFileWriter writer(path);
        ASSERT_EQ(writer.Open(), Result::Success);
        EXPECT_EQ(writer.Write("abc", 3), limit >= 3 ? Result::Success : Result::FileWriteFailed);
        EXPECT_EQ(writer.Write("def", 3), Result::FileWriteFailed);
        // Later writes keep failing even if they would fit.
        EXPECT_EQ(writer.Write("", 0), Result::FileWriteFailed);
        EXPECT_EQ(writer.Commit(), Result::FileWriteFailed);
        EXPECT_EQ(Contents(path), previous);
        EXPECT_EQ(EntryCount(), 1) << "no temporary file is left behind";
    }
    // The limit ends with its scope.
    EXPECT_EQ(SafeFileWriter::WriteFile(path, "abcdef", 6), Result::Success);
    EXPECT_EQ(Contents(path), "abcdef");
}

TEST_F(SafeFileWriterTest, WriteFileReportsTheShortWrite) {
    const std::string path = PathOf("image.bmp");
    Put(path, "old");
    SafeFileWriter::ScopedWriteLimit full(10);
    EXPECT_EQ(SafeFileWriter::WriteFile(path, "0123456789ABCDEF", 16), Result::FileWriteFailed);
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(SafeFileWriterTest, AbandonedWriterLeavesNothingBehind) {
    const std::string path = PathOf("doc.mb");
    Put(path, "keep");
    {
        SafeFileWriter writer(path);
        ASSERT_EQ(writer.Open(), Result::Success);
        ASSERT_EQ(writer.Write("lost", 4), Result::Success);
    }
    EXPECT_EQ(Contents(path), "keep");
    EXPECT_EQ(EntryCount(), 1);

    SafeFileWriter writer(path);
    ASSERT_EQ(writer.Open(), Result::Success);
    writer.Discard();
    EXPECT_EQ(writer.Write("x", 1), Result::FileWriteFailed);
    EXPECT_EQ(writer.Commit(), Result::FileWriteFailed);
    EXPECT_EQ(Contents(path), "keep");
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(SafeFileWriterTest, OpenFailsWhereNoFileCanBeCreated) {
    EXPECT_EQ(SafeFileWriter::WriteFile(PathOf("missing/doc.mb"), "x", 1), Result::FileOpenFailed);
    EXPECT_EQ(SafeFileWriter::WriteFile("", "x", 1), Result::FileOpenFailed);
    SafeFileWriter unopened(PathOf("doc.mb"));
    EXPECT_EQ(unopened.Write("x", 1), Result::FileWriteFailed);
    EXPECT_EQ(EntryCount(), 0);
}

TEST_F(SafeFileWriterTest, AFailedRenameKeepsTheTargetAndRemovesTheTemporaryFile) {
    // A folder cannot be replaced by a file.
    const std::string path = PathOf("occupied");
    fs::create_directory(path);
    EXPECT_EQ(SafeFileWriter::WriteFile(path, "x", 1), Result::FileWriteFailed);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(SafeFileWriterTest, WritingThroughALinkReplacesTheLinkedFile) {
    const std::string real = PathOf("real.mb");
    const std::string link = PathOf("link.mb");
    Put(real, "old");
    std::error_code refused;
    fs::create_symlink(real, link, refused);
    if (refused) {
        GTEST_SKIP() << "this system does not let a program create links: " << refused.message();
    }
    ASSERT_EQ(SafeFileWriter::WriteFile(link, "new", 3), Result::Success);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(real), "new");
    EXPECT_EQ(EntryCount(), 2);
}
