#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>

#include "persistence/Bmp.h"
#include "persistence/PictureFile.h"
#include "persistence/PngFile.h"
#include "persistence/SafeFileWriter.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t BigEndian32(const Bytes& b, std::size_t at) {
    return (static_cast<std::uint32_t>(b.at(at)) << 24) | (static_cast<std::uint32_t>(b.at(at + 1)) << 16) |
           (static_cast<std::uint32_t>(b.at(at + 2)) << 8) | static_cast<std::uint32_t>(b.at(at + 3));
}

void PutBigEndian32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        c ^= bytes[i];
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
    }
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const Bytes& bytes) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t v : bytes) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
    PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, Crc32(out.data() + typeAt, data.size() + 4));
}

// A PNG file made by hand, independently of the library: the scan lines (each with its filter byte)
// go into one stored deflate block.
struct HandMadePng {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint8_t bitDepth = 8;
    std::uint8_t colourType = 2;
    std::uint8_t interlace = 0;
    Bytes scanLines{};
    Bytes palette{};      // PLTE data
    Bytes transparency{}; // tRNS data

    Bytes Build() const {
        Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        Bytes header;
        PutBigEndian32(header, width);
        PutBigEndian32(header, height);
        header.insert(header.end(), {bitDepth, colourType, 0, 0, interlace});
        PutChunk(out, "IHDR", header);
        if (!palette.empty()) {
            PutChunk(out, "PLTE", palette);
        }
        if (!transparency.empty()) {
            PutChunk(out, "tRNS", transparency);
        }
        Bytes z = {0x78, 0x01, 0x01};
        const auto len = static_cast<std::uint16_t>(scanLines.size());
        z.insert(z.end(), {static_cast<std::uint8_t>(len), static_cast<std::uint8_t>(len >> 8),
                           static_cast<std::uint8_t>(~len), static_cast<std::uint8_t>(~len >> 8)});
        z.insert(z.end(), scanLines.begin(), scanLines.end());
        PutBigEndian32(z, Adler32(scanLines));
        PutChunk(out, "IDAT", z);
        PutChunk(out, "IEND", {});
        return out;
    }
};

// Red, green, blue of a pixel of a 24-bit image.
std::array<int, 3> Rgb(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = image.PixelAt(x, y);
    return {p[2], p[1], p[0]};
}

RasterImage Patterned(std::int32_t width, std::int32_t height) {
    RasterImage image;
    EXPECT_EQ(image.CreateRgb(width, height), Result::Success);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t* p = image.PixelAt(x, y);
            p[0] = static_cast<std::uint8_t>(x * 7 + y);
            p[1] = static_cast<std::uint8_t>(y * 13);
            p[2] = static_cast<std::uint8_t>((x ^ y) * 5);
        }
    }
    return image;
}

TEST(PngFileTest, PicturesRoundTripExactlyWithTheirRowPadding) {
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{5, 4}, std::pair{701, 509}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        const RasterImage image = Patterned(w, h);
        Bytes png;
        ASSERT_EQ(EncodePng(image, png), Result::Success);
        ASSERT_GT(png.size(), 33u);
        // An 8-bit RGB picture, so other programs see the same colours.
        EXPECT_EQ(BigEndian32(png, 16), static_cast<std::uint32_t>(w));
        EXPECT_EQ(BigEndian32(png, 20), static_cast<std::uint32_t>(h));
        EXPECT_EQ(png[24], 8);
        EXPECT_EQ(png[25], 2);
        RasterImage back;
        ASSERT_EQ(LoadPngBytes(back, png.data(), png.size()), Result::Success);
        EXPECT_EQ(back.width, w);
        EXPECT_EQ(back.height, h);
        EXPECT_EQ(back.bytesPerPixel, 3);
        EXPECT_EQ(back.rowStride, image.rowStride);
        EXPECT_EQ(back.data, image.data) << "pixels and the zero padding of every row";
    }
}

TEST(PngFileTest, TheTopRowComesFirstInTheFile) {
    // Other programs read the file: a picture whose top half is red must show red at the top.
    RasterImage image;
    ASSERT_EQ(image.CreateRgb(2, 2), Result::Success);
    image.FillRow(1, FloatColour{1.0f, 0.0f, 0.0f});
    HandMadePng expected{
        .width = 2, .height = 2, .scanLines = {0, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
    RasterImage fromHand;
    const Bytes hand = expected.Build();
    ASSERT_EQ(LoadPngBytes(fromHand, hand.data(), hand.size()), Result::Success);
    EXPECT_EQ(fromHand.data, image.data);
    EXPECT_EQ(Rgb(fromHand, 0, 1), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(Rgb(fromHand, 0, 0), (std::array<int, 3>{0, 0, 0}));
}

TEST(PngFileTest, PaintingsCompressWellBelowTheirBmpSize) {
    // Smooth shading with a few sharp edges, like a rendered painting.
    RasterImage image;
    ASSERT_EQ(image.CreateRgb(320, 240), Result::Success);
    for (std::int32_t y = 0; y < 240; ++y) {
        for (std::int32_t x = 0; x < 320; ++x) {
            std::uint8_t* p = image.PixelAt(x, y);
            const bool paint = (x - 160) * (x - 160) + (y - 120) * (y - 120) < 80 * 80;
            p[0] = static_cast<std::uint8_t>(paint ? 40 + y / 3 : 230);
            p[1] = static_cast<std::uint8_t>(paint ? 60 + x / 4 : 225);
            p[2] = static_cast<std::uint8_t>(paint ? 200 - (x + y) / 8 : 220);
        }
    }
    Bytes png;
    ASSERT_EQ(EncodePng(image, png), Result::Success);
    Bytes bmp;
    ASSERT_EQ(EncodeBmp(image, bmp), Result::Success);
    EXPECT_LT(png.size() * 10, bmp.size()) << png.size() << " bytes against " << bmp.size();
    RasterImage back;
    ASSERT_EQ(LoadPngBytes(back, png.data(), png.size()), Result::Success);
    EXPECT_EQ(back.data, image.data);
}

TEST(PngFileTest, EveryKindOfPngBecomesA24BitPictureOfItsStoredColours) {
    struct Case {
        const char* name;
        HandMadePng png;
        std::array<int, 3> first;
        std::array<int, 3> second;
    };
    const std::vector<Case> cases = {
        {"rgb", {.width = 2, .scanLines = {0, 10, 20, 30, 40, 50, 60}}, {10, 20, 30}, {40, 50, 60}},
        {"rgba: alpha dropped, colour kept",
         {.width = 2, .colourType = 6, .scanLines = {0, 10, 20, 30, 0, 40, 50, 60, 128}},
         {10, 20, 30},
         {40, 50, 60}},
        {"grey", {.width = 2, .colourType = 0, .scanLines = {0, 7, 200}}, {7, 7, 7}, {200, 200, 200}},
        {"grey with alpha",
         {.width = 2, .colourType = 4, .scanLines = {0, 7, 0, 200, 90}},
         {7, 7, 7},
         {200, 200, 200}},
        {"one-bit grey",
         {.width = 2, .bitDepth = 1, .colourType = 0, .scanLines = {0, 0x40}},
         {0, 0, 0},
         {255, 255, 255}},
        {"palette with transparency",
         {.width = 2,
          .colourType = 3,
          .scanLines = {0, 1, 0},
          .palette = {1, 2, 3, 250, 150, 50},
          .transparency = {0, 0}},
         {250, 150, 50},
         {1, 2, 3}},
        {"16-bit rgb keeps the high bytes",
         {.width = 2, .bitDepth = 16, .scanLines = {0, 10, 99, 20, 1, 30, 255, 40, 0, 50, 0, 60, 7}},
         {10, 20, 30},
         {40, 50, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = c.png.Build();
        RasterImage image;
        ASSERT_EQ(LoadPngBytes(image, file.data(), file.size()), Result::Success);
        ASSERT_EQ(image.bytesPerPixel, 3);
        ASSERT_EQ(image.width, 2);
        ASSERT_EQ(image.height, 1);
        EXPECT_EQ(Rgb(image, 0, 0), c.first);
        EXPECT_EQ(Rgb(image, 1, 0), c.second);
    }
}

TEST(PngFileTest, AnInterlacedPictureReadsAsThePlainOne) {
    // A 3 × 3 grey picture, grey 10 × row + column + 1 with rows from the top, plain and in the seven
    // Adam7 passes (pass 1: (0,0); 4: (2,0); 5: row 2 at columns 0, 2; 6: column 1 of rows 0 and 2; 7: row
    // 1).
    const auto g = [](int x, int y) { return static_cast<std::uint8_t>(10 * y + x + 1); };
    const HandMadePng plain{.width = 3,
                            .height = 3,
                            .colourType = 0,
                            .scanLines = {0, g(0, 0), g(1, 0), g(2, 0), 0, g(0, 1), g(1, 1), g(2, 1), 0,
                                          g(0, 2), g(1, 2), g(2, 2)}};
    const HandMadePng interlaced{.width = 3,
                                 .height = 3,
                                 .colourType = 0,
                                 .interlace = 1,
                                 .scanLines = {0, g(0, 0), 0, g(2, 0), 0, g(0, 2), g(2, 2), 0, g(1, 0), 0,
                                               g(1, 2), 0, g(0, 1), g(1, 1), g(2, 1)}};
    RasterImage fromPlain;
    const Bytes plainFile = plain.Build();
    ASSERT_EQ(LoadPngBytes(fromPlain, plainFile.data(), plainFile.size()), Result::Success);
    RasterImage fromInterlaced;
    const Bytes interlacedFile = interlaced.Build();
    ASSERT_EQ(LoadPngBytes(fromInterlaced, interlacedFile.data(), interlacedFile.size()), Result::Success);
    EXPECT_EQ(fromInterlaced.data, fromPlain.data);
    EXPECT_EQ(Rgb(fromInterlaced, 2, 2), (std::array<int, 3>{3, 3, 3})) << "top right";
    EXPECT_EQ(Rgb(fromInterlaced, 1, 0), (std::array<int, 3>{22, 22, 22})) << "bottom middle";
}

// A banner wider than the library's default cap of a million pixels a side is a picture like any other.
TEST(PngFileTest, AVeryWideBannerRoundTrips) {
    RasterImage banner;
    ASSERT_EQ(banner.CreateRgb(1000003, 2), Result::Success);
    for (std::int32_t x = 0; x < banner.width; x += 997) {
        banner.PixelAt(x, x % 2)[0] = static_cast<std::uint8_t>(x);
    }
    Bytes file;
    ASSERT_EQ(EncodePng(banner, file), Result::Success);
    RasterImage back;
    ASSERT_EQ(LoadPngBytes(back, file.data(), file.size()), Result::Success);
    EXPECT_EQ(back.width, banner.width);
    EXPECT_EQ(back.height, 2);
    EXPECT_TRUE(back.data == banner.data);
}

TEST(PngFileTest, BrokenAndForeignFilesGiveCodesAndLeaveThePictureAlone) {
    const Bytes good = HandMadePng{.width = 2, .height = 2, .scanLines = Bytes(14, 0)}.Build();
    Bytes badCrc = good;
    badCrc[good.size() - 20] ^= 0xFF; // inside the IDAT chunk
    Bytes huge = HandMadePng{.width = 200000, .height = 200000}.Build();
    Bytes shortData = HandMadePng{.width = 2, .height = 2, .scanLines = Bytes(7, 0)}.Build();
    Bytes bmp;
    ASSERT_EQ(EncodeBmp(Patterned(2, 2), bmp), Result::Success);
    struct Case {
        const char* name;
        Bytes bytes;
        ResultCode expected;
    };
    const std::vector<Case> cases = {
        {"empty", {}, Result::FileReadFailed},
        {"a BMP file", bmp, Result::FileReadFailed},
        {"cut inside the header", Truncated(good, 20), Result::FileReadFailed},
        {"cut inside the data", Truncated(good, good.size() - 16), Result::FileReadFailed},
        {"damaged data", badCrc, Result::FileReadFailed},
        {"fewer rows than the header says", shortData, Result::FileReadFailed},
        {"more pixels than the memory holds", huge, Result::OutOfMemory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasterImage image = Patterned(3, 3);
        const RasterImage before = image;
        EXPECT_EQ(LoadPngBytes(image, c.bytes.data(), c.bytes.size()), c.expected);
        EXPECT_EQ(image.data, before.data);
        EXPECT_EQ(image.width, 3);
    }
}

TEST(PngFileTest, PaletteImagesAreWrittenAsTheirColours) {
    RasterImage image;
    ASSERT_EQ(image.Create(2, 1, 1, 2), Result::Success);
    image.palette = {200, 100, 50, 1, 2, 3};
    *image.PixelAt(1, 0) = 1;
    Bytes png;
    ASSERT_EQ(EncodePng(image, png), Result::Success);
    RasterImage back;
    ASSERT_EQ(LoadPngBytes(back, png.data(), png.size()), Result::Success);
    EXPECT_EQ(Rgb(back, 0, 0), (std::array<int, 3>{200, 100, 50}));
    EXPECT_EQ(Rgb(back, 1, 0), (std::array<int, 3>{1, 2, 3}));

    *image.PixelAt(0, 0) = 2; // past the palette
    EXPECT_EQ(EncodePng(image, png), Result::BadParameter);
}

TEST(PngFileTest, RefusesPicturesItCannotWrite) {
    Bytes png;
    EXPECT_EQ(EncodePng(RasterImage{}, png), Result::NoData);
    RasterImage deep;
    ASSERT_EQ(deep.Create(2, 2, 4, 0), Result::Success);
    EXPECT_EQ(EncodePng(deep, png), Result::BadParameter);
    EXPECT_TRUE(png.empty());
}

TEST(PngFileTest, AFailedSaveKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("picture.png");
    RasterImage image = Patterned(20, 10);
    ASSERT_EQ(SavePngFile(image, path), Result::Success);
    const auto before = ReadBytes(path);
    Bytes encoded;
    ASSERT_EQ(EncodePng(image, encoded), Result::Success);
    EXPECT_EQ(before, encoded);

    image.Fill(1, 2, 3);
    {
        SafeFileWriter::ScopedWriteLimit full(10);
        EXPECT_EQ(SavePngFile(image, path), Result::FileWriteFailed);
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(SavePngFile(image, dir.File("missing/picture.png")), Result::FileOpenFailed);
}

TEST(PictureFileTest, TheExtensionChoosesTheKindOfFile) {
    TempDir dir;
    const RasterImage image = Patterned(3, 2);
    struct Case {
        const char* name;
        const char* kind; // "BM", "PNG" or nullptr for a refused name
    };
    for (const Case c :
         {Case{"a.bmp", "BM"}, Case{"b.BMP", "BM"}, Case{"c.png", "PNG"}, Case{"d.PNG", "PNG"},
          Case{"e.Png", nullptr}, Case{"f.jpg", nullptr}, Case{"g", nullptr}, Case{"h.png.txt", nullptr}}) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        EXPECT_EQ(HasPictureExtension(path), c.kind != nullptr);
        EXPECT_EQ(SavePictureFile(image, path), c.kind ? Result::Success : Result::UnsupportedFormat);
        RasterImage loaded;
        if (c.kind == nullptr) {
            EXPECT_FALSE(std::filesystem::exists(path)) << "a refused name writes no file";
            WriteBytes(path, ReadBytes(dir.File("c.png")));
            EXPECT_EQ(LoadPictureFile(loaded, path), Result::UnsupportedFormat);
            continue;
        }
        const Bytes file = ReadBytes(path);
        ASSERT_GE(file.size(), 4u);
        EXPECT_EQ(
            std::string(file.begin() + (c.kind[0] == 'P' ? 1 : 0), file.begin() + (c.kind[0] == 'P' ? 4 : 2)),
            c.kind);
        ASSERT_EQ(LoadPictureFile(loaded, path), Result::Success);
        EXPECT_EQ(loaded.data, image.data);
    }
    // The content must match the name: a PNG file called .bmp is not a BMP file.
    WriteBytes(dir.File("disguised.bmp"), ReadBytes(dir.File("c.png")));
    RasterImage loaded;
    EXPECT_EQ(LoadPictureFile(loaded, dir.File("disguised.bmp")), Result::FileReadFailed);
    EXPECT_EQ(LoadPngFile(loaded, dir.File("missing.png")), Result::FileOpenFailed);
}

} // namespace
