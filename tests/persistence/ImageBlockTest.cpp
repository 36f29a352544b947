#include <gtest/gtest.h>

#include "engine/MemoryLimit.h"
#include "persistence/ImageBlock.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

// Takes a fixed number of bytes, then refuses, as a full disc would.
class LimitedWriter : public BlockWriter {
public:
    explicit LimitedWriter(std::size_t limit) : left(limit) {}
    bool WriteBytes(const void*, std::size_t size) override {
        if (size > left) {
            left = 0;
            return false;
        }
        left -= size;
        return true;
    }

private:
    std::size_t left;
};

RasterImage Gradient(std::int32_t width, std::int32_t height) {
    RasterImage image;
    EXPECT_EQ(image.CreateRgb(width, height), Result::Success);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t* p = image.PixelAt(x, y);
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 11);
            p[2] = static_cast<std::uint8_t>(x + y);
        }
    }
    return image;
}

RasterImage ReadBack(const std::string& path, ResultCode& code) {
    BlockReader in;
    RasterImage image;
    code = in.Open(path);
    if (code == Result::Success) {
        code = ReadImageBlock(&in, image);
    }
    return image;
}

TEST(ImageBlockTest, WritesTheFieldsInOrderAndReadsThemBack) {
    TempDir dir;
    const RasterImage image = Gradient(5, 3); // 15 bytes a row, padded to 16
    BufferWriter out;
    ASSERT_EQ(WriteImageBlock(image, &out), Result::Success);
    ASSERT_EQ(out.bytes.size(), 20u + 16 * 3);
    EXPECT_EQ(out.bytes.size(), ImageBlockSize(5, 3, 3, 0));
    EXPECT_EQ(Int32At(out.bytes, 0), 5);
    EXPECT_EQ(Int32At(out.bytes, 4), 3);
    EXPECT_EQ(Int32At(out.bytes, 8), 3);
    EXPECT_EQ(Int32At(out.bytes, 12), 0);
    EXPECT_EQ(Int32At(out.bytes, 16), 48);
    EXPECT_TRUE(std::equal(image.data.begin(), image.data.end(), out.bytes.begin() + 20));

    WriteBytes(dir.File("block"), out.bytes);
    ResultCode code = Result::GeneralError;
    const RasterImage back = ReadBack(dir.File("block"), code);
    ASSERT_EQ(code, Result::Success);
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.bytesPerPixel, 3);
    EXPECT_EQ(back.rowStride, 16);
    EXPECT_EQ(back.data, image.data);
}

TEST(ImageBlockTest, PaletteEntriesFollowThePaletteCount) {
    TempDir dir;
    RasterImage image;
    ASSERT_EQ(image.Create(3, 2, 1, 2), Result::Success);
    image.palette = {1, 2, 3, 4, 5, 6};
    *image.PixelAt(2, 1) = 1;
    BufferWriter out;
    ASSERT_EQ(WriteImageBlock(image, &out), Result::Success);
    ASSERT_EQ(out.bytes.size(), 16u + 6 + 4 + 8);
    EXPECT_EQ(std::vector<std::uint8_t>(out.bytes.begin() + 16, out.bytes.begin() + 22), image.palette);
    EXPECT_EQ(Int32At(out.bytes, 22), 8);

    WriteBytes(dir.File("block"), out.bytes);
    ResultCode code = Result::GeneralError;
    const RasterImage back = ReadBack(dir.File("block"), code);
    ASSERT_EQ(code, Result::Success);
    EXPECT_EQ(back.paletteCount, 2);
    EXPECT_EQ(back.palette, image.palette);
    EXPECT_EQ(back.data, image.data);
}

TEST(ImageBlockTest, NoWriterOrReaderFailsToOpen) {
    const RasterImage image = Gradient(2, 2);
    RasterImage target;
    EXPECT_EQ(WriteImageBlock(image, nullptr), Result::FileOpenFailed);
    EXPECT_EQ(ReadImageBlock(nullptr, target), Result::FileOpenFailed);
    BlockReader closed;
    EXPECT_EQ(ReadImageBlock(&closed, target), Result::FileOpenFailed);
}

TEST(ImageBlockTest, AShortWriteAnywhereFails) {
    const RasterImage image = Gradient(4, 4);
    for (std::size_t limit : {0u, 3u, 16u, 19u, 20u, 67u}) {
        SCOPED_TRACE(limit);
        LimitedWriter out(limit);
        EXPECT_EQ(WriteImageBlock(image, &out), Result::FileWriteFailed);
    }
}

// Any side is a picture; what is refused is a picture whose pixels do not fit in memory.
TEST(ImageBlockTest, ImagesOfAnySideReadBackUnlessTheirPixelsDoNotFitInMemory) {
    TempDir dir;
    const struct {
        int width;
        int height;
    } sizes[] = {{30720, 3}, {1, 40}, {2, 50000}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const RasterImage image = Gradient(size.width, size.height);
        BufferWriter out;
        ASSERT_EQ(WriteImageBlock(image, &out), Result::Success);
        WriteBytes(dir.File("block"), out.bytes);
        for (const std::uint64_t limit : {std::uint64_t{image.dataSize} - 1, std::uint64_t{image.dataSize}}) {
            SCOPED_TRACE(limit);
            ScopedMemoryLimit memory(limit);
            ResultCode code = Result::Success;
            const RasterImage back = ReadBack(dir.File("block"), code);
            ASSERT_EQ(code, limit < image.dataSize ? Result::OutOfMemory : Result::Success);
            if (code == Result::Success) {
                EXPECT_EQ(back.width, size.width);
                EXPECT_EQ(back.height, size.height);
                EXPECT_EQ(back.data, image.data);
            }
        }
    }
}

TEST(ImageBlockTest, UntrustedSizesAreCheckedBeforeAnythingIsAllocated) {
    TempDir dir;
    struct Case {
        const char* name;
        Bytes bytes;
        ResultCode expected;
    };
    std::vector<Case> cases;
    cases.push_back({"short header", Bytes{}.I32(2).I32(2), Result::FileReadFailed});
    cases.push_back(
        {"negative height", Bytes{}.I32(2).I32(-2).I32(3).I32(0).I32(16), Result::UnsupportedFormat});
    cases.push_back({"rows of a wide image missing", Bytes{}.I32(30001).I32(1).I32(3).I32(0).I32(90004),
                     Result::FileReadFailed});
    cases.push_back({"huge image in a small file",
                     Bytes{}.I32(30000).I32(30000).I32(3).I32(0).I32(-1594967296),
                     Result::UnsupportedFormat});
    cases.push_back({"rows missing",
                     Bytes{}.I32(30000).I32(30000).I32(1).I32(1).Raw({0, 0, 0}).I32(900000000),
                     Result::FileReadFailed});
    cases.push_back({"palette on a 24-bit image",
                     Bytes{}.I32(1).I32(1).I32(3).I32(1).Raw({0, 0, 0}).I32(4).I32(0),
                     Result::UnsupportedFormat});
    cases.push_back(
        {"palette cut short", Bytes{}.I32(1).I32(1).I32(1).I32(200).Raw({0, 0, 0}), Result::FileReadFailed});
    cases.push_back({"data size not the image's",
                     Bytes{}.I32(2).I32(2).I32(3).I32(0).I32(12).Raw(std::vector<std::uint8_t>(16)),
                     Result::UnsupportedFormat});
    cases.push_back({"data size missing", Bytes{}.I32(2).I32(2).I32(3).I32(0), Result::FileReadFailed});
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.File("block"), c.bytes.data);
        ResultCode code = Result::Success;
        ReadBack(dir.File("block"), code);
        EXPECT_EQ(code, c.expected);
    }
}

} // namespace
