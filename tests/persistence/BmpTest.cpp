#include "persistence/Bmp.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/MemoryLimit.h"
#include "persistence/SafeFileWriter.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t Get16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A packed DIB as other programs write them: header, colour table, optional masks, rows.
struct Dib {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    Bytes table;                      // raw colour-table bytes (4 per entry)
    std::vector<std::uint32_t> masks; // written only when given
    Bytes rows;                       // as stored

    Bytes Build() const {
        Bytes b(40, 0);
        Put32(b, 0, 40);
        Put32(b, 4, static_cast<std::uint32_t>(width));
        Put32(b, 8, static_cast<std::uint32_t>(height));
        Put16(b, 12, 1);
        Put16(b, 14, bitCount);
        Put32(b, 16, compression);
        Put32(b, 32, clrUsed);
        b.insert(b.end(), table.begin(), table.end());
        for (std::uint32_t m : masks) {
            Bytes four(4);
            Put32(four, 0, m);
            b.insert(b.end(), four.begin(), four.end());
        }
        b.insert(b.end(), rows.begin(), rows.end());
        return b;
    }
};

Bytes WithFileHeader(const Bytes& dib) {
    Bytes b(14, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<std::uint32_t>(dib.size() + 14));
    Put32(b, 10, 54);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

struct Bgr {
    std::uint8_t blue, green, red;
    bool operator==(const Bgr&) const = default;
};

Bgr PixelOf(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = image.PixelAt(x, y);
    return Bgr{p[0], p[1], p[2]};
}

ResultCode Load(RasterImage& image, const Bytes& dib) {
    return LoadPackedDib(image, dib.data(), dib.size());
}

RasterImage Numbered(int width, int height) {
    RasterImage image;
    EXPECT_EQ(image.CreateRgb(width, height), Result::Success);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.PixelAt(x, y);
            p[0] = static_cast<std::uint8_t>(x * 10);
            p[1] = static_cast<std::uint8_t>(y * 20);
            p[2] = static_cast<std::uint8_t>(x + y + 100);
        }
    }
    return image;
}

class BmpFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder = testsupport::MakeTempFolder("bmp-test");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    static Bytes Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void Put(const std::string& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path folder;
};

} // namespace

TEST_F(BmpFileTest, TwoByTwoImageGivesASeventyByteFile) {
    RasterImage image = Numbered(2, 2);
    const std::string path = PathOf("small.bmp");
    ASSERT_EQ(SaveBmpFile(image, path), Result::Success);
    const Bytes file = Contents(path);
    ASSERT_EQ(file.size(), 70u);
    EXPECT_EQ(Get16(file, 0), 0x4D42);
    EXPECT_EQ(Get32(file, 2), 70u);
    EXPECT_EQ(Get32(file, 6), 0u);
    EXPECT_EQ(Get32(file, 10), 54u);
    EXPECT_EQ(Get32(file, 14), 40u);
    EXPECT_EQ(Get32(file, 18), 2u);
    EXPECT_EQ(Get32(file, 22), 2u);
    EXPECT_EQ(Get16(file, 26), 1);
    EXPECT_EQ(Get16(file, 28), 24);
    for (std::size_t at : {30u, 34u, 38u, 42u, 46u, 50u}) {
        EXPECT_EQ(Get32(file, at), 0u) << at;
    }
    // Two bottom-up rows of 8 bytes, each ending in two zero bytes.
    const Bytes row0(file.begin() + 54, file.begin() + 62);
    const Bytes row1(file.begin() + 62, file.begin() + 70);
    EXPECT_EQ(row0, (Bytes{0, 0, 100, 10, 0, 101, 0, 0}));
    EXPECT_EQ(row1, (Bytes{0, 20, 101, 10, 20, 102, 0, 0}));
}

TEST_F(BmpFileTest, ASavedFileReadsBackToTheSamePixels) {
    const RasterImage image = Numbered(5, 3);
    const std::string path = PathOf("round.BMP");
    ASSERT_EQ(SaveBmpFile(image, path), Result::Success);
    RasterImage loaded;
    ASSERT_EQ(LoadBmpFile(loaded, path), Result::Success);
    EXPECT_EQ(loaded.width, 5);
    EXPECT_EQ(loaded.height, 3);
    EXPECT_EQ(loaded.bytesPerPixel, 3);
    EXPECT_EQ(loaded.paletteCount, 0);
    EXPECT_EQ(loaded.data, image.data);
}

// No side is too long: a panorama wider than 30,000 pixels reads back as written.
TEST_F(BmpFileTest, PicturesOfAnySideReadBackToTheSamePixels) {
    const struct {
        int width;
        int height;
    } sizes[] = {{30720, 3}, {1, 40000}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const RasterImage image = Numbered(size.width, size.height);
        const std::string path = PathOf("wide.bmp");
        ASSERT_EQ(SaveBmpFile(image, path), Result::Success);
        RasterImage loaded;
        ASSERT_EQ(LoadBmpFile(loaded, path), Result::Success);
        EXPECT_EQ(loaded.width, size.width);
        EXPECT_EQ(loaded.height, size.height);
        EXPECT_EQ(loaded.data, image.data);
    }
}

// A picture that does not fit in memory is refused as such before its bytes are read, from a file and
// from a clipboard block alike, and the image keeps what it held.
TEST_F(BmpFileTest, APictureLargerThanMemoryIsRefusedAsOutOfMemory) {
    const RasterImage image = Numbered(64, 64);
    const std::string path = PathOf("big.bmp");
    ASSERT_EQ(SaveBmpFile(image, path), Result::Success);
    Bytes dib;
    ASSERT_EQ(EncodePackedDib(image, dib), Result::Success);
    const std::uint64_t pixelBytes = 64 * 64 * 3;
    for (const std::uint64_t limit : {pixelBytes - 1, pixelBytes + 40}) {
        SCOPED_TRACE(limit);
        RasterImage target = Numbered(2, 2);
        ScopedMemoryLimit memory(limit);
        EXPECT_EQ(LoadBmpFile(target, path), Result::OutOfMemory);
        EXPECT_EQ(target.width, 2);
        if (limit < pixelBytes) {
            EXPECT_EQ(LoadPackedDib(target, dib.data(), dib.size()), Result::OutOfMemory);
            EXPECT_EQ(target.width, 2);
        } else {
            // The file's bytes are held beside the picture; a clipboard block is not the reader's.
            EXPECT_EQ(LoadPackedDib(target, dib.data(), dib.size()), Result::Success);
            EXPECT_EQ(target.width, 64);
        }
    }
    RasterImage target;
    ScopedMemoryLimit memory(2 * (pixelBytes + 54));
    EXPECT_EQ(LoadBmpFile(target, path), Result::Success);
}

TEST_F(BmpFileTest, OnlyTheExtensionsBmpAndBMPAreAccepted) {
    const RasterImage image = Numbered(2, 2);
    struct Case {
        const char* name;
        bool accepted;
    };
    for (const Case c :
         {Case{"a.bmp", true}, Case{"b.BMP", true}, Case{"c.Bmp", false}, Case{"d.bmpx", false},
          Case{"e", false}, Case{"f.png", false}, Case{"g.bmp.txt", false}}) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf(c.name);
        EXPECT_EQ(HasBmpExtension(path), c.accepted);
        EXPECT_EQ(SaveBmpFile(image, path), c.accepted ? Result::Success : Result::UnsupportedFormat);
        EXPECT_EQ(fs::exists(path), c.accepted) << "a refused name writes no file";
        if (!c.accepted) {
            // Even an existing, valid picture under that name is refused.
            Put(path, WithFileHeader(Dib{.rows = {1, 2, 3, 0}}.Build()));
        }
        RasterImage loaded;
        EXPECT_EQ(LoadBmpFile(loaded, path), c.accepted ? Result::Success : Result::UnsupportedFormat);
    }
    // The last "." of the whole path counts, also when it is in a folder name.
    EXPECT_FALSE(HasBmpExtension("pictures.bmp/picture"));
}

TEST_F(BmpFileTest, BrokenAndForeignFilesGiveCodes) {
    const Bytes valid = WithFileHeader(Dib{.width = 2, .height = 2, .rows = Bytes(16, 7)}.Build());
    Bytes notBm = valid;
    notBm[0] = 'P';
    Bytes core(valid.begin(), valid.begin() + 26);
    Put32(core, 14, 12);
    struct Case {
        const char* name;
        Bytes file;
        ResultCode expected;
    };
    const Case cases[] = {
        {"empty", {}, Result::FileReadFailed},
        {"short file header", Bytes{'B', 'M', 0, 0}, Result::FileReadFailed},
        {"not BM", notBm, Result::FileReadFailed},
        {"header cut short", Bytes(valid.begin(), valid.begin() + 30), Result::FileReadFailed},
        {"rows cut short", Bytes(valid.begin(), valid.end() - 1), Result::FileReadFailed},
        {"core header", core, Result::UnsupportedFormat},
        {"4-bit",
         WithFileHeader(Dib{.width = 2, .height = 2, .bitCount = 4, .rows = Bytes(64 + 8, 0)}.Build()),
         Result::UnsupportedFormat},
        {"run-length", WithFileHeader(Dib{.bitCount = 8, .compression = 1, .rows = Bytes(1028, 0)}.Build()),
         Result::UnsupportedFormat},
        {"valid", valid, Result::Success},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf("broken.bmp");
        Put(path, c.file);
        RasterImage image = Numbered(3, 3);
        const RasterImage before = image;
        EXPECT_EQ(LoadBmpFile(image, path), c.expected);
        if (c.expected != Result::Success) {
            EXPECT_EQ(image.data, before.data) << "a failed load leaves the image as it was";
        }
        RasterImage fromMemory;
        EXPECT_EQ(LoadBmpBytes(fromMemory, c.file.data(), c.file.size()), c.expected);
    }
    RasterImage image;
    EXPECT_EQ(LoadBmpFile(image, PathOf("missing.bmp")), Result::FileOpenFailed);
}

TEST_F(BmpFileTest, AFailedSaveKeepsThePreviousFile) {
    const std::string path = PathOf("picture.bmp");
    ASSERT_EQ(SaveBmpFile(Numbered(4, 4), path), Result::Success);
    const Bytes previous = Contents(path);
    {
        SafeFileWriter::ScopedWriteLimit full(60);
        EXPECT_EQ(SaveBmpFile(Numbered(8, 8), path), Result::FileWriteFailed);
    }
    EXPECT_EQ(Contents(path), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
    EXPECT_EQ(SaveBmpFile(Numbered(2, 2), PathOf("missing/picture.bmp")), Result::FileOpenFailed);
}

TEST(BmpTest, OnlyNonEmptyTwentyFourBitImagesAreWritten) {
    Bytes bytes;
    RasterImage empty;
    EXPECT_EQ(EncodeBmp(empty, bytes), Result::NoData);
    RasterImage palette;
    ASSERT_EQ(palette.Create(2, 2, 1, 256), Result::Success);
    EXPECT_EQ(EncodeBmp(palette, bytes), Result::BadParameter);
    EXPECT_EQ(SaveBmpFile(palette, "/nonexistent-folder/x.bmp"), Result::BadParameter);
}

TEST(BmpTest, PackedDibRoundTrip) {
    const RasterImage image = Numbered(7, 4);
    Bytes dib;
    ASSERT_EQ(EncodePackedDib(image, dib), Result::Success);
    EXPECT_EQ(dib.size(), 40u + 24u * 4u);
    RasterImage loaded;
    ASSERT_EQ(Load(loaded, dib), Result::Success);
    EXPECT_EQ(loaded.data, image.data);
}

TEST(BmpTest, SixteenBitLayouts) {
    struct Case {
        const char* name;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        std::uint16_t value;
        Bgr expected;
    };
    const std::vector<std::uint32_t> masks555{0x7C00, 0x03E0, 0x001F};
    const std::vector<std::uint32_t> masks565{0xF800, 0x07E0, 0x001F};
    const Case cases[] = {
        {"5-5-5 white", 0, {}, 0x7FFF, {248, 248, 248}},
        {"5-5-5 red", 0, {}, 0x7C00, {0, 0, 248}},
        {"5-5-5 green", 0, {}, 0x03E0, {0, 248, 0}},
        {"5-5-5 blue", 0, {}, 0x001F, {248, 0, 0}},
        {"5-5-5 top bit ignored", 0, {}, 0x8001, {8, 0, 0}},
        {"bitfields 5-5-5", 3, masks555, 0x7FFF, {248, 248, 248}},
        {"5-6-5 white", 3, masks565, 0xFFFF, {248, 252, 248}},
        {"5-6-5 green", 3, masks565, 0x07E0, {0, 252, 0}},
        {"5-6-5 red", 3, masks565, 0xF800, {0, 0, 248}},
        {"5-6-5 high mask bits", 3, {0xFFFFF800, 0x000107E0, 0x0000001F}, 0x0820, {0, 4, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Two pixels per row: the value and a black one; rows of 4 bytes.
        Dib dib{.width = 2, .height = 2, .bitCount = 16, .compression = c.compression, .masks = c.masks};
        dib.rows = {
            static_cast<std::uint8_t>(c.value), static_cast<std::uint8_t>(c.value >> 8), 0, 0, 0, 0, 0, 0};
        RasterImage image;
        ASSERT_EQ(Load(image, dib.Build()), Result::Success);
        EXPECT_EQ(image.bytesPerPixel, 3);
        EXPECT_EQ(PixelOf(image, 0, 0), c.expected);
        EXPECT_EQ(PixelOf(image, 1, 0), (Bgr{0, 0, 0}));
    }
    Dib other{
        .bitCount = 16, .compression = 3, .masks = {0x001F, 0x03E0, 0x7C00}, .rows = {0xFF, 0xFF, 0, 0}};
    RasterImage image;
    EXPECT_EQ(Load(image, other.Build()), Result::UnsupportedFormat);
}

TEST(BmpTest, ThirtyTwoBitRowsStartAfterTheHeaderOrAfterTheMasks) {
    const Bytes rows{10, 20, 30, 99, 40, 50, 60, 0};
    RasterImage plain;
    ASSERT_EQ(Load(plain, Dib{.width = 2, .bitCount = 32, .rows = rows}.Build()), Result::Success);
    EXPECT_EQ(PixelOf(plain, 0, 0), (Bgr{10, 20, 30}));
    EXPECT_EQ(PixelOf(plain, 1, 0), (Bgr{40, 50, 60}));

    RasterImage fields;
    const Dib withMasks{
        .width = 2, .bitCount = 32, .compression = 3, .masks = {0xFF, 0xFF00, 0xFF0000}, .rows = rows};
    ASSERT_EQ(Load(fields, withMasks.Build()), Result::Success);
    EXPECT_EQ(fields.data, plain.data) << "the masks are skipped, not read as pixels";
}

TEST(BmpTest, EightBitPicturesBecomePaletteImages) {
    Bytes table(1024, 0);
    for (int k = 0; k < 256; ++k) {
        table[4 * k] = static_cast<std::uint8_t>(k);           // blue
        table[4 * k + 1] = static_cast<std::uint8_t>(255 - k); // green
        table[4 * k + 2] = 7;                                  // red
        table[4 * k + 3] = 0xEE;
    }
    const Dib dib{.width = 3, .height = 2, .bitCount = 8, .table = table, .rows = {0, 1, 255, 0, 9, 8, 7, 0}};
    RasterImage image;
    ASSERT_EQ(Load(image, dib.Build()), Result::Success);
    EXPECT_EQ(image.bytesPerPixel, 1);
    EXPECT_EQ(image.paletteCount, 256);
    EXPECT_EQ(image.palette[3 * 255], 7);
    EXPECT_EQ(image.palette[3 * 255 + 1], 0);
    EXPECT_EQ(image.palette[3 * 255 + 2], 255);
    EXPECT_EQ(image.Row(1)[0], 9);
    ASSERT_EQ(image.ExpandPalette(), Result::Success);
    EXPECT_EQ(PixelOf(image, 2, 0), (Bgr{255, 0, 7}));
    EXPECT_EQ(PixelOf(image, 1, 1), (Bgr{8, 247, 7}));

    // A short colour table: the rows follow its two entries.
    const Dib small{
        .width = 2, .bitCount = 8, .clrUsed = 2, .table = {1, 2, 3, 0, 4, 5, 6, 0}, .rows = {1, 0, 0, 0}};
    RasterImage two;
    ASSERT_EQ(Load(two, small.Build()), Result::Success);
    EXPECT_EQ(two.paletteCount, 2);
    ASSERT_EQ(two.ExpandPalette(), Result::Success);
    EXPECT_EQ(PixelOf(two, 0, 0), (Bgr{4, 5, 6}));
    EXPECT_EQ(PixelOf(two, 1, 0), (Bgr{1, 2, 3}));
}

TEST(BmpTest, TopDownRowsAreTurnedBottomUp) {
    struct Case {
        std::uint16_t bitCount;
        Bytes rows; // top row first
        Bytes table;
    };
    const Case cases[] = {
        {24, {2, 2, 2, 0, 1, 1, 1, 0}, {}},
        {32, {2, 2, 2, 0, 1, 1, 1, 0}, {}},
        {16, {0x1F, 0, 0, 0, 0x01, 0, 0, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bitCount);
        RasterImage image;
        ASSERT_EQ(Load(image, Dib{.width = 1, .height = -2, .bitCount = c.bitCount, .rows = c.rows}.Build()),
                  Result::Success);
        EXPECT_EQ(image.height, 2);
        // Row 1 (the top) holds the first stored row.
        EXPECT_GT(image.PixelAt(0, 1)[0], image.PixelAt(0, 0)[0]);
    }
    RasterImage palette;
    ASSERT_EQ(Load(palette, Dib{.width = 1,
                                .height = -2,
                                .bitCount = 8,
                                .clrUsed = 2,
                                .table = {0, 0, 0, 0, 9, 9, 9, 0},
                                .rows = {1, 0, 0, 0, 0, 0, 0, 0}}
                                .Build()),
              Result::Success);
    EXPECT_EQ(palette.Row(1)[0], 1);
    EXPECT_EQ(palette.Row(0)[0], 0);
}

TEST(BmpTest, UntrustedSizesAreCheckedBeforeAnythingIsRead) {
    struct Case {
        const char* name;
        Dib dib;
        ResultCode expected;
    };
    const Case cases[] = {
        {"zero width", Dib{.width = 0, .rows = Bytes(4)}, Result::UnsupportedFormat},
        {"negative width", Dib{.width = -5, .rows = Bytes(4)}, Result::UnsupportedFormat},
        {"zero height", Dib{.height = 0, .rows = Bytes(4)}, Result::UnsupportedFormat},
        {"wide, rows cut short", Dib{.width = 30721, .rows = Bytes(4)}, Result::FileReadFailed},
        {"tall top-down, rows cut short", Dib{.height = -30721, .rows = Bytes(4)}, Result::FileReadFailed},
        {"lowest height", Dib{.height = std::numeric_limits<std::int32_t>::min(), .rows = Bytes(4)},
         Result::UnsupportedFormat},
        {"width claims more rows than given", Dib{.width = 30000, .height = 30000, .rows = Bytes(4)},
         Result::FileReadFailed},
        {"colour table past the end", Dib{.clrUsed = 0xFFFFFFFF, .rows = Bytes(4)}, Result::FileReadFailed},
        {"8-bit table without rows", Dib{.bitCount = 8, .table = Bytes(1024)}, Result::FileReadFailed},
        {"8-bit with more than 256 colours",
         Dib{.bitCount = 8, .clrUsed = 300, .table = Bytes(1200), .rows = Bytes(4)},
         Result::UnsupportedFormat},
        {"bitfields without masks", Dib{.bitCount = 32, .compression = 3}, Result::FileReadFailed},
        {"a banner 30,720 wide", Dib{.width = 30720, .height = 3, .rows = Bytes(3 * 92160)}, Result::Success},
        {"a strip 40,000 tall top-down", Dib{.width = 1, .height = -40000, .rows = Bytes(4 * 40000)},
         Result::Success},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasterImage image;
        const Bytes block = c.dib.Build();
        EXPECT_EQ(Load(image, block), c.expected);
        EXPECT_EQ(image.IsEmpty(), c.expected != Result::Success);
    }
    RasterImage image;
    const Bytes tiny{40, 0};
    EXPECT_EQ(LoadPackedDib(image, tiny.data(), tiny.size()), Result::FileReadFailed);
    EXPECT_EQ(LoadPackedDib(image, nullptr, 0), Result::OutOfMemory);
}

TEST(BmpTest, CorruptedOrCutBlocksNeverReadPastTheirEnd) {
    Bytes table(8, 0);
    const Dib samples[] = {
        Dib{.width = 3, .height = 2, .rows = Bytes(24, 5)},
        Dib{.width = 3,
            .height = -2,
            .bitCount = 32,
            .compression = 3,
            .masks = {0xFF, 0xFF00, 0xFF0000},
            .rows = Bytes(24, 5)},
        Dib{.width = 3,
            .height = 2,
            .bitCount = 16,
            .compression = 3,
            .masks = {0xF800, 0x07E0, 0x1F},
            .rows = Bytes(16, 5)},
        Dib{.width = 3, .height = 2, .bitCount = 8, .clrUsed = 2, .table = table, .rows = Bytes(8, 1)},
    };
    for (const Dib& sample : samples) {
        const Bytes valid = sample.Build();
        SCOPED_TRACE(testing::Message() << "depth " << sample.bitCount);
        // Every shorter block fails with a code; each copy is exactly as long as its size, so a read past
        // the end shows under the address sanitizer.
        for (std::size_t size = 1; size < valid.size(); ++size) {
            const Bytes cut(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(size));
            RasterImage image;
            const ResultCode rc = LoadPackedDib(image, cut.data(), cut.size());
            EXPECT_TRUE(rc == Result::FileReadFailed || rc == Result::UnsupportedFormat)
                << size << ": " << rc;
        }
        // Any single header byte set to an extreme value gives a picture or a code, never a crash.
        for (std::size_t at = 0; at < 40; ++at) {
            for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                Bytes bad = valid;
                bad[at] = value;
                RasterImage image;
                const ResultCode rc = Load(image, bad);
                EXPECT_TRUE(rc == Result::Success || rc == Result::FileReadFailed ||
                            rc == Result::UnsupportedFormat)
                    << at << " = " << int(value) << ": " << rc;
                if (rc == Result::Success) {
                    // Every pixel of a picture takes at least one byte of the block.
                    EXPECT_GT(image.width, 0);
                    EXPECT_GT(image.height, 0);
                    EXPECT_LE(static_cast<std::uint64_t>(image.width) *
                                  static_cast<std::uint64_t>(image.height),
                              bad.size());
                }
            }
        }
    }
}
