// Saves that fail part-way, at every byte, as a full disc would: the call reports -13, the previous file
// stays byte for byte, no temporary file is left, and the next save succeeds.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "engine/PaintCanvas.h"
#include "persistence/Bmp.h"
#include "persistence/SafeFileWriter.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

std::set<std::string> FilesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.insert(item.path().filename().string());
    }
    return names;
}

// Runs `save` with the disc filling up after 0, 1, 2, … bytes, up to one byte short of `size`.
void FailAtEveryByte(const std::string& path, std::size_t size, const std::function<ResultCode()>& save) {
    const auto before = ReadBytes(path);
    const auto names = FilesIn(std::filesystem::path(path).parent_path());
    for (std::size_t limit = 0; limit < size; ++limit) {
        SafeFileWriter::ScopedWriteLimit full(limit);
        const ResultCode rc = save();
        if (rc != Result::FileWriteFailed || ReadBytes(path) != before ||
            FilesIn(std::filesystem::path(path).parent_path()) != names) {
            ADD_FAILURE() << "a save cut after " << limit << " bytes returned " << rc
                          << " or changed the folder";
            return;
        }
    }
}

class FaultSave : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(canvas.Create(10, 6), Result::Success);
        // A palette background, so the image block has palette entries as well as rows.
        ASSERT_EQ(canvas.backgroundImage.Create(10, 6, 1, 3), Result::Success);
        for (std::size_t k = 0; k < canvas.backgroundImage.palette.size(); ++k) {
            canvas.backgroundImage.palette[k] = static_cast<std::uint8_t>(40 * k);
        }
        Paint(canvas, {MakeMetaball(DistinctMaterial(0.3f), 3.5f, 3.5f, 0.0f),
                       MakeMetaball(DistinctMaterial(0.3f), 5.5f, 3.5f, 0.0f),
                       MakeMetaball(MaterialBlock{}, 7.5f, 2.5f, 0.0f)});
    }

    TempDir dir;
    std::string path = dir.File("painting.mb");
    PaintCanvas canvas;
};

TEST_F(FaultSave, ADocumentSaveCutAtAnyByteKeepsThePreviousDocument) {
    PaintCanvas previous;
    ASSERT_EQ(previous.Create(4, 4), Result::Success);
    ASSERT_EQ(previous.SavePaintFile(path), Result::Success);
    // Measure the new document's size in a folder of its own, then fail it at every byte over the old one.
    const std::string probe = dir.File("probe.mb");
    ASSERT_EQ(canvas.SavePaintFile(probe), Result::Success);
    const auto complete = ReadBytes(probe);
    std::filesystem::remove(probe);

    FailAtEveryByte(path, complete.size(), [&] { return canvas.SavePaintFile(path); });

    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
    EXPECT_EQ(ReadBytes(path), complete);
    PaintCanvas loaded;
    EXPECT_EQ(loaded.LoadPaintFile(path), Result::Success);
    EXPECT_EQ(loaded.store->Count(), 3);
}

TEST_F(FaultSave, AFirstSaveCutShortLeavesNoFileAtAll) {
    SafeFileWriter::ScopedWriteLimit full(60);
    EXPECT_EQ(canvas.SavePaintFile(path), Result::FileWriteFailed);
    EXPECT_TRUE(FilesIn(dir.path).empty());
}

TEST_F(FaultSave, APictureSaveCutAtAnyByteKeepsThePreviousPicture) {
    const std::string picture = dir.File("picture.bmp");
    RasterImage old;
    ASSERT_EQ(old.CreateRgb(2, 2), Result::Success);
    ASSERT_EQ(SaveBmpFile(old, picture), Result::Success);
    RasterImage rendered;
    ASSERT_EQ(rendered.CreateRgb(7, 3), Result::Success);
    rendered.Fill(10, 200, 30);
    std::vector<std::uint8_t> complete;
    ASSERT_EQ(EncodeBmp(rendered, complete), Result::Success);

    FailAtEveryByte(picture, complete.size(), [&] { return SaveBmpFile(rendered, picture); });

    ASSERT_EQ(SaveBmpFile(rendered, picture), Result::Success);
    EXPECT_EQ(ReadBytes(picture), complete);
}

} // namespace
