#include "persistence/Bmp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "engine/MemoryLimit.h"
#include "persistence/PlatformFile.h"
#include "persistence/SafeFileWriter.h"

namespace {

constexpr std::uint16_t kBmpMagic = 0x4D42; // "BM"
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kMaskBytes = 12;

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// Everything the header of a packed DIB says about where its parts lie, checked against the block size.
struct DibLayout {
    std::int32_t width = 0;
    std::int32_t height = 0; // always positive; `topDown` keeps the sign
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t paletteEntries = 0; // 8-bit pictures only
    std::size_t rowsOffset = 0;
    std::size_t stride = 0;
    std::uint64_t requiredSize = 0;
};

// Reads the layout from the first `headerBytes` bytes of a block that holds `blockSize` bytes in all.
ResultCode ParseDibHeader(const std::uint8_t* header, std::size_t headerBytes, std::uint64_t blockSize,
                          DibLayout& layout) {
    if (headerBytes < 4) {
        return Result::FileReadFailed;
    }
    if (Read32(header) != Bmp::kInfoHeaderSize) {
        return Result::UnsupportedFormat;
    }
    if (headerBytes < Bmp::kInfoHeaderSize) {
        return Result::FileReadFailed;
    }
    const auto width = static_cast<std::int32_t>(Read32(header + 4));
    const auto height = static_cast<std::int32_t>(Read32(header + 8));
    layout.bitCount = Read16(header + 14);
    layout.compression = Read32(header + 16);
    const std::uint32_t clrUsed = Read32(header + 32);

    const bool supported =
        (layout.compression == kBiRgb &&
         (layout.bitCount == 8 || layout.bitCount == 16 || layout.bitCount == 24 || layout.bitCount == 32)) ||
        (layout.compression == kBiBitfields && (layout.bitCount == 16 || layout.bitCount == 32));
    if (!supported) {
        return Result::UnsupportedFormat;
    }
    // Sizes come from outside and are checked before anything is allocated; any size is a picture, but
    // one of no rows or columns is not, and -2^31 rows have no positive count.
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) {
        return Result::UnsupportedFormat;
    }
    layout.width = width;
    layout.height = height < 0 ? -height : height;
    layout.topDown = height < 0;

    std::uint64_t tableBytes = 0;
    if (clrUsed != 0) {
        tableBytes = 4ull * clrUsed;
    } else if (layout.bitCount == 8) {
        tableBytes = 1024;
    }
    if (layout.bitCount == 8) {
        layout.paletteEntries = clrUsed != 0 ? clrUsed : 256;
        // Indices are single bytes; a longer table is not a picture this program understands.
        if (layout.paletteEntries > 256) {
            return Result::UnsupportedFormat;
        }
    }
    std::uint64_t rowsOffset = Bmp::kInfoHeaderSize + tableBytes;
    if (layout.compression == kBiBitfields) {
        rowsOffset += kMaskBytes;
    }
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * layout.bitCount + 31) / 32 * 4;
    layout.requiredSize = rowsOffset + stride * static_cast<std::uint64_t>(layout.height);
    if (layout.requiredSize > blockSize) {
        return Result::FileReadFailed;
    }
    layout.rowsOffset = static_cast<std::size_t>(rowsOffset);
    layout.stride = static_cast<std::size_t>(stride);
    return Result::Success;
}

// Source row y counted from the bottom of the picture, whatever order the rows are stored in.
const std::uint8_t* SourceRow(const std::uint8_t* block, const DibLayout& layout, std::int32_t y) {
    const std::int32_t stored = layout.topDown ? layout.height - 1 - y : y;
    return block + layout.rowsOffset + static_cast<std::size_t>(stored) * layout.stride;
}

ResultCode ConvertPalette(const std::uint8_t* block, const DibLayout& layout, RasterImage& image) {
    const auto entries = static_cast<std::int32_t>(layout.paletteEntries);
    if (const ResultCode rc = image.Create(layout.width, layout.height, 1, entries); rc != Result::Success) {
        return rc;
    }
    const std::uint8_t* table = block + Bmp::kInfoHeaderSize;
    for (std::int32_t k = 0; k < entries; ++k) {
        image.palette[3 * k] = table[4 * k + 2];
        image.palette[3 * k + 1] = table[4 * k + 1];
        image.palette[3 * k + 2] = table[4 * k];
    }
    for (std::int32_t y = 0; y < layout.height; ++y) {
        std::memcpy(image.Row(y), SourceRow(block, layout, y), static_cast<std::size_t>(image.rowStride));
    }
    return Result::Success;
}

ResultCode ConvertRgb24(const std::uint8_t* block, const DibLayout& layout, RasterImage& image) {
    if (const ResultCode rc = image.CreateRgb(layout.width, layout.height); rc != Result::Success) {
        return rc;
    }
    if (!layout.topDown) {
        image.SetRows(image.dataSize, block + layout.rowsOffset, static_cast<std::int32_t>(layout.stride),
                      24);
        return Result::Success;
    }
    for (std::int32_t y = 0; y < layout.height; ++y) {
        std::memcpy(image.Row(y), SourceRow(block, layout, y), static_cast<std::size_t>(image.rowStride));
    }
    return Result::Success;
}

ResultCode ConvertRgb16(const std::uint8_t* block, const DibLayout& layout, RasterImage& image) {
    std::uint32_t redMask = 0x7C00;
    std::uint32_t greenMask = 0x03E0;
    std::uint32_t blueMask = 0x001F;
    int greenBits = 5;
    if (layout.compression == kBiBitfields) {
        const std::uint8_t* masks = block + layout.rowsOffset - kMaskBytes;
        redMask = Read32(masks) & 0xFFFF;
        greenMask = Read32(masks + 4) & 0xFFFF;
        blueMask = Read32(masks + 8) & 0xFFFF;
        if (redMask == 0xF800 && greenMask == 0x07E0 && blueMask == 0x001F) {
            greenBits = 6;
        } else if (!(redMask == 0x7C00 && greenMask == 0x03E0 && blueMask == 0x001F)) {
            return Result::UnsupportedFormat;
        }
    }
    if (const ResultCode rc = image.CreateRgb(layout.width, layout.height); rc != Result::Success) {
        return rc;
    }
    for (std::int32_t y = 0; y < layout.height; ++y) {
        const std::uint8_t* in = SourceRow(block, layout, y);
        std::uint8_t* out = image.Row(y);
        for (std::int32_t x = 0; x < layout.width; ++x, in += 2, out += 3) {
            const std::uint32_t v = Read16(in);
            // The low bits stay zero: a full 5-bit channel becomes 248.
            out[0] = static_cast<std::uint8_t>((v & blueMask) << 3);
            out[1] = static_cast<std::uint8_t>(((v & greenMask) >> 5) << (8 - greenBits));
            out[2] = static_cast<std::uint8_t>(((v & redMask) >> (5 + greenBits)) << 3);
        }
    }
    return Result::Success;
}

ResultCode ConvertRgb32(const std::uint8_t* block, const DibLayout& layout, RasterImage& image) {
    if (const ResultCode rc = image.CreateRgb(layout.width, layout.height); rc != Result::Success) {
        return rc;
    }
    for (std::int32_t y = 0; y < layout.height; ++y) {
        const std::uint8_t* in = SourceRow(block, layout, y);
        std::uint8_t* out = image.Row(y);
        for (std::int32_t x = 0; x < layout.width; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    return Result::Success;
}

} // namespace

bool HasBmpExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    const std::string extension = path.substr(dot + 1);
    return extension == "bmp" || extension == "BMP";
}

ResultCode LoadPackedDib(RasterImage& image, const std::uint8_t* block, std::size_t size) {
    if (block == nullptr) {
        return Result::OutOfMemory;
    }
    DibLayout layout;
    if (const ResultCode rc = ParseDibHeader(block, size, size, layout); rc != Result::Success) {
        return rc;
    }
    // Built aside, so a failed conversion leaves the caller's image as it was.
    RasterImage scratch;
    ResultCode rc = Result::UnsupportedFormat;
    switch (layout.bitCount) {
    case 8:
        rc = ConvertPalette(block, layout, scratch);
        break;
    case 16:
        rc = ConvertRgb16(block, layout, scratch);
        break;
    case 24:
        rc = ConvertRgb24(block, layout, scratch);
        break;
    case 32:
        rc = ConvertRgb32(block, layout, scratch);
        break;
    default:
        break;
    }
    if (rc == Result::Success) {
        image = std::move(scratch);
    }
    return rc;
}

ResultCode LoadBmpBytes(RasterImage& image, const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr || size < Bmp::kFileHeaderSize || Read16(bytes) != kBmpMagic) {
        return Result::FileReadFailed;
    }
    return LoadPackedDib(image, bytes + Bmp::kFileHeaderSize, size - Bmp::kFileHeaderSize);
}

ResultCode LoadBmpFile(RasterImage& image, const std::string& path) {
    if (!HasBmpExtension(path)) {
        return Result::UnsupportedFormat;
    }
    std::FILE* file = platform::OpenFile(path, "rb");
    if (file == nullptr) {
        return Result::FileOpenFailed;
    }
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{file};

    if (std::fseek(file, 0, SEEK_END) != 0) {
        return Result::FileReadFailed;
    }
    const long length = std::ftell(file);
    if (length < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        return Result::FileReadFailed;
    }
    std::uint8_t fileHeader[Bmp::kFileHeaderSize];
    if (static_cast<std::uint64_t>(length) < Bmp::kFileHeaderSize ||
        std::fread(fileHeader, 1, sizeof fileHeader, file) != sizeof fileHeader ||
        Read16(fileHeader) != kBmpMagic) {
        return Result::FileReadFailed;
    }
    const std::uint64_t available = static_cast<std::uint64_t>(length) - Bmp::kFileHeaderSize;

    // The header decides how much is read, so a lying header costs neither memory nor a read past the end.
    std::uint8_t infoHeader[Bmp::kInfoHeaderSize];
    const std::size_t headerBytes = std::fread(
        infoHeader, 1, static_cast<std::size_t>(std::min<std::uint64_t>(available, sizeof infoHeader)), file);
    DibLayout layout;
    if (const ResultCode rc = ParseDibHeader(infoHeader, headerBytes, available, layout);
        rc != Result::Success) {
        return rc;
    }
    // The file's bytes and the picture made from them are held at once.
    const std::uint64_t picture =
        SaturatingProduct(static_cast<std::uint64_t>(RasterImage::StrideFor(layout.width, 3)),
                          static_cast<std::uint64_t>(layout.height));
    if (!FitsInMemory(SaturatingSum(layout.requiredSize, picture))) {
        return Result::OutOfMemory;
    }
    std::vector<std::uint8_t> block;
    try {
        block.resize(static_cast<std::size_t>(layout.requiredSize));
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    std::memcpy(block.data(), infoHeader, headerBytes);
    const std::size_t rest = block.size() - headerBytes;
    if (std::fread(block.data() + headerBytes, 1, rest, file) != rest) {
        return Result::FileReadFailed;
    }
    return LoadPackedDib(image, block.data(), block.size());
}

ResultCode EncodePackedDib(const RasterImage& image, std::vector<std::uint8_t>& bytes) {
    if (image.IsEmpty() || image.width <= 0 || image.height <= 0) {
        return Result::NoData;
    }
    if (image.bytesPerPixel != 3 || image.data.size() < image.dataSize ||
        image.rowStride != RasterImage::StrideFor(image.width, 3)) {
        return Result::BadParameter;
    }
    try {
        bytes.assign(Bmp::kInfoHeaderSize + image.dataSize, 0);
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    std::uint8_t* h = bytes.data();
    Put32(h, Bmp::kInfoHeaderSize);
    Put32(h + 4, static_cast<std::uint32_t>(image.width));
    Put32(h + 8, static_cast<std::uint32_t>(image.height));
    Put16(h + 12, 1);
    Put16(h + 14, static_cast<std::uint16_t>(8 * image.bytesPerPixel));
    Put32(h + 16, kBiRgb);
    Put32(h + 32, static_cast<std::uint32_t>(image.paletteCount));
    std::memcpy(h + Bmp::kInfoHeaderSize, image.data.data(), image.dataSize);
    return Result::Success;
}

ResultCode EncodeBmp(const RasterImage& image, std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> dib;
    if (const ResultCode rc = EncodePackedDib(image, dib); rc != Result::Success) {
        return rc;
    }
    try {
        bytes.assign(Bmp::kFileHeaderSize + dib.size(), 0);
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    std::uint8_t* h = bytes.data();
    Put16(h, kBmpMagic);
    Put32(h + 2, static_cast<std::uint32_t>(bytes.size()));
    Put32(h + 10, static_cast<std::uint32_t>(Bmp::kFileHeaderSize + Bmp::kInfoHeaderSize));
    std::memcpy(h + Bmp::kFileHeaderSize, dib.data(), dib.size());
    return Result::Success;
}

ResultCode SaveBmpFile(const RasterImage& image, const std::string& path) {
    if (!HasBmpExtension(path)) {
        return Result::UnsupportedFormat;
    }
    std::vector<std::uint8_t> bytes;
    if (const ResultCode rc = EncodeBmp(image, bytes); rc != Result::Success) {
        return rc;
    }
    return SafeFileWriter::WriteFile(path, bytes.data(), bytes.size());
}
