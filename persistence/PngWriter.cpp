#include "persistence/PngWriter.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>

#include "persistence/SafeFileWriter.h"

namespace {

constexpr std::size_t kStoredBlockLimit = 65535;
// IDAT chunks are split so that no chunk length comes near the format's 2^31 - 1 limit.
constexpr std::size_t kChunkLimit = std::size_t{1} << 20;

const std::array<std::uint32_t, 256>& CrcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::uint8_t* data,
              std::size_t size) {
    PutBigEndian32(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    PutBigEndian32(out, Crc32(out.data() + typeAt, size + 4));
}

// Filter byte 0 and red, green, blue for every row, top row first.
std::vector<std::uint8_t> ScanLines(const RasterImage& image) {
    const std::size_t lineSize = 1 + static_cast<std::size_t>(image.width) * 3;
    std::vector<std::uint8_t> lines(lineSize * static_cast<std::size_t>(image.height));
    std::uint8_t* out = lines.data();
    for (std::int32_t y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* row = image.Row(y);
        *out++ = 0;
        for (std::int32_t x = 0; x < image.width; ++x) {
            if (image.bytesPerPixel == 3) {
                const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
                *out++ = p[2];
                *out++ = p[1];
                *out++ = p[0];
            } else {
                const std::uint8_t* entry = image.palette.data() + static_cast<std::size_t>(row[x]) * 3;
                *out++ = entry[0];
                *out++ = entry[1];
                *out++ = entry[2];
            }
        }
    }
    return lines;
}

// A zlib stream of stored deflate blocks.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
    const std::size_t blocks =
        std::max<std::size_t>(1, (raw.size() + kStoredBlockLimit - 1) / kStoredBlockLimit);
    std::vector<std::uint8_t> z;
    z.reserve(2 + raw.size() + blocks * 5 + 4);
    z.push_back(0x78); // deflate, 32K window
    z.push_back(0x01); // no preset dictionary; header divisible by 31
    std::size_t at = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t size = std::min(kStoredBlockLimit, raw.size() - at);
        const bool last = b + 1 == blocks;
        z.push_back(last ? 1 : 0);
        const auto len = static_cast<std::uint16_t>(size);
        const auto nlen = static_cast<std::uint16_t>(~len);
        z.push_back(static_cast<std::uint8_t>(len));
        z.push_back(static_cast<std::uint8_t>(len >> 8));
        z.push_back(static_cast<std::uint8_t>(nlen));
        z.push_back(static_cast<std::uint8_t>(nlen >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                 raw.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
    }
    PutBigEndian32(z, Adler32(raw.data(), raw.size()));
    return z;
}

} // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size, std::uint32_t previous) {
    const auto& table = CrcTable();
    std::uint32_t c = previous ^ 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::uint8_t* bytes, std::size_t size, std::uint32_t previous) {
    constexpr std::uint32_t kModulus = 65521;
    std::uint32_t a = previous & 0xFFFF;
    std::uint32_t b = previous >> 16;
    while (size > 0) {
        // 5552 is the longest run whose sums cannot overflow 32 bits before the reduction.
        const std::size_t run = std::min<std::size_t>(size, 5552);
        for (std::size_t i = 0; i < run; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
        bytes += run;
        size -= run;
    }
    return (b << 16) | a;
}

ResultCode EncodePng(const RasterImage& image, std::vector<std::uint8_t>& bytes) {
    if (image.IsEmpty() || image.width < 1 || image.height < 1) {
        return Result::NoData;
    }
    const std::size_t needed =
        static_cast<std::size_t>(image.rowStride) * static_cast<std::size_t>(image.height);
    if ((image.bytesPerPixel != 3 && image.bytesPerPixel != 1) || image.data.size() < needed ||
        image.rowStride < RasterImage::StrideFor(image.width, image.bytesPerPixel)) {
        return Result::BadParameter;
    }
    if (image.bytesPerPixel == 1) {
        const std::size_t entries = std::min<std::size_t>(image.palette.size() / 3, image.paletteCount);
        for (std::int32_t y = 0; y < image.height; ++y) {
            const std::uint8_t* row = image.Row(y);
            if (std::any_of(row, row + image.width, [&](std::uint8_t k) { return k >= entries; })) {
                return Result::BadParameter;
            }
        }
    }
    try {
        const std::vector<std::uint8_t> stream = StoredZlib(ScanLines(image));
        std::vector<std::uint8_t> out;
        out.reserve(stream.size() + stream.size() / kChunkLimit * 12 + 64);
        const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        out.insert(out.end(), signature, signature + 8);
        std::vector<std::uint8_t> header;
        PutBigEndian32(header, static_cast<std::uint32_t>(image.width));
        PutBigEndian32(header, static_cast<std::uint32_t>(image.height));
        header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace
        PutChunk(out, "IHDR", header.data(), header.size());
        for (std::size_t at = 0; at < stream.size(); at += kChunkLimit) {
            PutChunk(out, "IDAT", stream.data() + at, std::min(kChunkLimit, stream.size() - at));
        }
        PutChunk(out, "IEND", nullptr, 0);
        bytes = std::move(out);
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    return Result::Success;
}

ResultCode SavePngFile(const RasterImage& image, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const ResultCode encoded = EncodePng(image, bytes);
    if (encoded != Result::Success) {
        return encoded;
    }
    return SafeFileWriter::WriteFile(path, bytes.data(), bytes.size());
}
