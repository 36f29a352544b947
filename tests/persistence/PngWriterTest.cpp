#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "persistence/PngWriter.h"
#include "persistence/SafeFileWriter.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

std::uint32_t BigEndian32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return (static_cast<std::uint32_t>(b.at(at)) << 24) | (static_cast<std::uint32_t>(b.at(at + 1)) << 16) |
           (static_cast<std::uint32_t>(b.at(at + 2)) << 8) | static_cast<std::uint32_t>(b.at(at + 3));
}

std::vector<std::uint8_t> Ascii(const char* text) {
    return std::vector<std::uint8_t>(text, text + std::strlen(text));
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// Splits a PNG file into chunks, checking every chunk's CRC on the way.
std::vector<Chunk> Chunks(const std::vector<std::uint8_t>& png) {
    std::vector<Chunk> chunks;
    const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = BigEndian32(png, at);
        Chunk c;
        c.type.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                      png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        c.data.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        EXPECT_EQ(BigEndian32(png, at + 8 + length), Crc32(png.data() + at + 4, length + 4)) << c.type;
        chunks.push_back(std::move(c));
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

// Undoes a zlib stream made only of stored blocks, checking headers, lengths and the Adler-32.
std::vector<std::uint8_t> Unstore(const std::vector<std::uint8_t>& z, int& blocks) {
    std::vector<std::uint8_t> raw;
    EXPECT_EQ((z.at(0) * 256 + z.at(1)) % 31, 0);
    EXPECT_EQ(z.at(0) & 0x0F, 8);
    std::size_t at = 2;
    blocks = 0;
    bool last = false;
    while (!last) {
        last = z.at(at) & 1;
        EXPECT_EQ(z.at(at) & 6, 0) << "stored blocks only";
        const std::uint16_t len = static_cast<std::uint16_t>(z.at(at + 1) | (z.at(at + 2) << 8));
        const std::uint16_t nlen = static_cast<std::uint16_t>(z.at(at + 3) | (z.at(at + 4) << 8));
        EXPECT_EQ(static_cast<std::uint16_t>(~len), nlen);
        raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(at + 5),
                   z.begin() + static_cast<std::ptrdiff_t>(at + 5 + len));
        at += 5 + len;
        ++blocks;
    }
    EXPECT_EQ(BigEndian32(z, at), Adler32(raw.data(), raw.size()));
    EXPECT_EQ(at + 4, z.size());
    return raw;
}

// The RGB rows of a PNG file written by EncodePng, top row first, filter bytes removed.
std::vector<std::uint8_t> DecodeRgb(const std::vector<std::uint8_t>& png, std::uint32_t& width,
                                    std::uint32_t& height, int& blocks) {
    const auto chunks = Chunks(png);
    EXPECT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.empty());
    const auto& ihdr = chunks.front().data;
    width = BigEndian32(ihdr, 0);
    height = BigEndian32(ihdr, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(ihdr.begin() + 8, ihdr.end()),
              (std::vector<std::uint8_t>{8, 2, 0, 0, 0}));
    std::vector<std::uint8_t> z;
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].type, "IDAT");
        z.insert(z.end(), chunks[i].data.begin(), chunks[i].data.end());
    }
    const auto raw = Unstore(z, blocks);
    std::vector<std::uint8_t> rgb;
    const std::size_t line = 1 + 3 * static_cast<std::size_t>(width);
    EXPECT_EQ(raw.size(), line * height);
    for (std::size_t at = 0; at + line <= raw.size(); at += line) {
        EXPECT_EQ(raw[at], 0) << "filter type none";
        rgb.insert(rgb.end(), raw.begin() + static_cast<std::ptrdiff_t>(at + 1),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + line));
    }
    return rgb;
}

TEST(PngWriterTest, ChecksumsMatchTheirStandardCheckValues) {
    const auto digits = Ascii("123456789");
    EXPECT_EQ(Crc32(digits.data(), digits.size()), 0xCBF43926u);
    EXPECT_EQ(Crc32(digits.data() + 4, 5, Crc32(digits.data(), 4)), 0xCBF43926u) << "continued in two parts";
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    const auto word = Ascii("Wikipedia");
    EXPECT_EQ(Adler32(word.data(), word.size()), 0x11E60398u);
    EXPECT_EQ(Adler32(nullptr, 0), 1u);
    // Long runs exercise the modulus reduction.
    const std::vector<std::uint8_t> ones(100000, 0xFF);
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t v : ones) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Adler32(ones.data(), ones.size()), (b << 16) | a);
}

TEST(PngWriterTest, RowsGoTopFirstInRedGreenBlueOrder) {
    RasterImage image;
    ASSERT_EQ(image.CreateRgb(3, 2), Result::Success);
    // Bottom row (row 0) and top row (row 1), pixels stored blue, green, red.
    std::uint8_t* bottom = image.PixelAt(0, 0);
    bottom[0] = 1;
    bottom[1] = 2;
    bottom[2] = 3;
    std::uint8_t* top = image.PixelAt(2, 1);
    top[0] = 10;
    top[1] = 20;
    top[2] = 30;
    std::vector<std::uint8_t> png;
    ASSERT_EQ(EncodePng(image, png), Result::Success);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int blocks = 0;
    const auto rgb = DecodeRgb(png, width, height, blocks);
    EXPECT_EQ(width, 3u);
    EXPECT_EQ(height, 2u);
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(rgb, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 30, 20, 10, 3, 2, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(PngWriterTest, LargePicturesSpanSeveralStoredBlocksAndChunks) {
    RasterImage image;
    ASSERT_EQ(image.CreateRgb(701, 509), Result::Success); // about 1.07 MB of scan lines
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            std::uint8_t* p = image.PixelAt(x, y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x ^ y);
        }
    }
    std::vector<std::uint8_t> png;
    ASSERT_EQ(EncodePng(image, png), Result::Success);
    EXPECT_GT(Chunks(png).size(), 3u) << "the stream is split over several IDAT chunks";
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int blocks = 0;
    const auto rgb = DecodeRgb(png, width, height, blocks);
    EXPECT_EQ(blocks, static_cast<int>((509 * (1 + 701 * 3) + 65534) / 65535));
    ASSERT_EQ(rgb.size(), 701u * 509 * 3);
    for (const auto& [x, y] :
         {std::pair{0, 0}, std::pair{700, 0}, std::pair{123, 456}, std::pair{700, 508}}) {
        const std::size_t at = (static_cast<std::size_t>(508 - y) * 701 + x) * 3;
        SCOPED_TRACE(testing::Message() << x << "," << y);
        EXPECT_EQ(rgb[at], static_cast<std::uint8_t>(x ^ y));
        EXPECT_EQ(rgb[at + 1], static_cast<std::uint8_t>(y));
        EXPECT_EQ(rgb[at + 2], static_cast<std::uint8_t>(x));
    }
}

TEST(PngWriterTest, PaletteImagesAreWrittenAsTheirColours) {
    RasterImage image;
    ASSERT_EQ(image.Create(2, 1, 1, 2), Result::Success);
    image.palette = {200, 100, 50, 1, 2, 3};
    *image.PixelAt(1, 0) = 1;
    std::vector<std::uint8_t> png;
    ASSERT_EQ(EncodePng(image, png), Result::Success);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int blocks = 0;
    EXPECT_EQ(DecodeRgb(png, width, height, blocks), (std::vector<std::uint8_t>{200, 100, 50, 1, 2, 3}));

    *image.PixelAt(0, 0) = 2; // past the palette
    EXPECT_EQ(EncodePng(image, png), Result::BadParameter);
}

TEST(PngWriterTest, RefusesPicturesItCannotWrite) {
    std::vector<std::uint8_t> png;
    EXPECT_EQ(EncodePng(RasterImage{}, png), Result::NoData);
    RasterImage deep;
    ASSERT_EQ(deep.Create(2, 2, 4, 0), Result::Success);
    EXPECT_EQ(EncodePng(deep, png), Result::BadParameter);
    EXPECT_TRUE(png.empty());
}

TEST(PngWriterTest, AFailedSaveKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("picture.png");
    RasterImage image;
    ASSERT_EQ(image.CreateRgb(20, 10), Result::Success);
    ASSERT_EQ(SavePngFile(image, path), Result::Success);
    const auto before = ReadBytes(path);
    std::vector<std::uint8_t> encoded;
    ASSERT_EQ(EncodePng(image, encoded), Result::Success);
    EXPECT_EQ(before, encoded);

    image.Fill(1, 2, 3);
    {
        SafeFileWriter::ScopedWriteLimit full(100);
        EXPECT_EQ(SavePngFile(image, path), Result::FileWriteFailed);
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(SavePngFile(image, dir.File("missing/picture.png")), Result::FileOpenFailed);
}

} // namespace
