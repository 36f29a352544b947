#include "persistence/ImageBlock.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>

#include "persistence/PlatformFile.h"

namespace {

void EncodeUint32(std::uint32_t v, std::uint8_t out[4]) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out[2] = static_cast<std::uint8_t>(v >> 16);
    out[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t DecodeUint32(const std::uint8_t in[4]) {
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
           (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

} // namespace

bool BlockWriter::WriteInt32(std::int32_t value) {
    std::uint8_t bytes[4];
    EncodeUint32(static_cast<std::uint32_t>(value), bytes);
    return WriteBytes(bytes, 4);
}

bool BlockWriter::WriteFloat(float value) {
    std::uint8_t bytes[4];
    EncodeUint32(std::bit_cast<std::uint32_t>(value), bytes);
    return WriteBytes(bytes, 4);
}

bool BufferWriter::WriteBytes(const void* data, std::size_t size) {
    try {
        const auto* first = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), first, first + size);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

ResultCode BlockReader::Open(const std::string& path) {
    Close();
    std::error_code error;
    const std::filesystem::path fsPath = platform::PathFromUtf8(path);
    if (!std::filesystem::is_regular_file(fsPath, error)) {
        return Result::FileOpenFailed;
    }
    file = platform::OpenFile(path, "rb");
    if (!file) {
        return Result::FileOpenFailed;
    }
    const std::uintmax_t size = std::filesystem::file_size(fsPath, error);
    if (error) {
        Close();
        return Result::FileOpenFailed;
    }
    remaining = size;
    return Result::Success;
}

void BlockReader::Close() {
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
    remaining = 0;
}

bool BlockReader::ReadBytes(void* bytes, std::size_t size) {
    if (!file || size > remaining) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    const std::size_t got = std::fread(bytes, 1, size, file);
    remaining -= got;
    return got == size;
}

bool BlockReader::ReadInt32(std::int32_t& value) {
    std::uint8_t bytes[4];
    if (!ReadBytes(bytes, 4)) {
        return false;
    }
    value = static_cast<std::int32_t>(DecodeUint32(bytes));
    return true;
}

bool BlockReader::ReadFloat(float& value) {
    std::uint8_t bytes[4];
    if (!ReadBytes(bytes, 4)) {
        return false;
    }
    value = std::bit_cast<float>(DecodeUint32(bytes));
    return true;
}

std::uint64_t ImageBlockSize(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel,
                             std::int32_t paletteCount) {
    const std::uint64_t stride = static_cast<std::uint64_t>(RasterImage::StrideFor(width, bytesPerPixel));
    return 20 + 3 * static_cast<std::uint64_t>(paletteCount) + stride * static_cast<std::uint64_t>(height);
}

bool ImageBlockHolds(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel) {
    if (width < 0 || height < 0 || bytesPerPixel < 0) {
        return false;
    }
    const std::uint64_t rows = static_cast<std::uint64_t>(RasterImage::StrideFor(width, bytesPerPixel)) *
                               static_cast<std::uint64_t>(height);
    return rows <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
}

ResultCode WriteImageBlock(const RasterImage& image, BlockWriter* out) {
    if (!out) {
        return Result::FileOpenFailed;
    }
    // A data size past the field would be written negative and the block could never be read again.
    if (image.dataSize > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        return Result::FileWriteFailed;
    }
    const std::size_t paletteBytes = static_cast<std::size_t>(image.paletteCount) * 3;
    if (!out->WriteInt32(image.width) || !out->WriteInt32(image.height) ||
        !out->WriteInt32(image.bytesPerPixel) || !out->WriteInt32(image.paletteCount)) {
        return Result::FileWriteFailed;
    }
    if (paletteBytes > image.palette.size() || !out->WriteBytes(image.palette.data(), paletteBytes)) {
        return Result::FileWriteFailed;
    }
    if (image.dataSize > image.data.size() || !out->WriteInt32(static_cast<std::int32_t>(image.dataSize)) ||
        !out->WriteBytes(image.data.data(), image.dataSize)) {
        return Result::FileWriteFailed;
    }
    return Result::Success;
}

ResultCode ReadImageBlock(BlockReader* in, RasterImage& image) {
    if (!in || !in->IsOpen()) {
        return Result::FileOpenFailed;
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bytesPerPixel = 0;
    std::int32_t paletteCount = 0;
    if (!in->ReadInt32(width) || !in->ReadInt32(height) || !in->ReadInt32(bytesPerPixel) ||
        !in->ReadInt32(paletteCount)) {
        return Result::FileReadFailed;
    }
    if (width < 1 || height < 1) {
        return Result::UnsupportedFormat;
    }
    const bool rgb = bytesPerPixel == 3 && paletteCount == 0;
    const bool indexed = bytesPerPixel == 1 && paletteCount >= 1 && paletteCount <= 256;
    if (!rgb && !indexed) {
        return Result::UnsupportedFormat;
    }
    const std::size_t paletteBytes = static_cast<std::size_t>(paletteCount) * 3;
    if (in->Remaining() < paletteBytes + 4) {
        return Result::FileReadFailed;
    }
    std::uint8_t palette[256 * 3];
    std::int32_t dataSize = 0;
    if (!in->ReadBytes(palette, paletteBytes) || !in->ReadInt32(dataSize)) {
        return Result::FileReadFailed;
    }
    const std::uint64_t expected = static_cast<std::uint64_t>(RasterImage::StrideFor(width, bytesPerPixel)) *
                                   static_cast<std::uint64_t>(height);
    if (dataSize < 0 || static_cast<std::uint64_t>(dataSize) != expected) {
        return Result::UnsupportedFormat;
    }
    if (in->Remaining() < expected) {
        return Result::FileReadFailed;
    }
    const ResultCode created = image.Create(width, height, bytesPerPixel, paletteCount);
    if (created != Result::Success) {
        return created;
    }
    if (image.dataSize != expected || image.data.size() < expected || image.palette.size() < paletteBytes) {
        return Result::OutOfMemory;
    }
    std::copy(palette, palette + paletteBytes, image.palette.begin());
    if (!in->ReadBytes(image.data.data(), expected)) {
        return Result::FileReadFailed;
    }
    if (indexed) {
        // An index past the palette would make every later palette lookup read out of bounds.
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* row = image.Row(y);
            for (std::int32_t x = 0; x < width; ++x) {
                if (row[x] >= paletteCount) {
                    return Result::UnsupportedFormat;
                }
            }
        }
    }
    return Result::Success;
}
