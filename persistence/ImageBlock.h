#pragma once
// The stream record of a RasterImage, shared by paint documents and background undo files:
// width, height, bytes per pixel, palette count, palette entries, data size, pixel rows.
// All numbers are little-endian. Readers trust no size in a file beyond what the file can hold.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

// True when a picture of this size and depth fits in an image block: its data size is a signed 32-bit
// field, so the rows may hold at most 2^31 - 1 bytes.
bool ImageBlockHolds(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel);

// Where a block writer puts its bytes.
class BlockWriter {
public:
    virtual ~BlockWriter() = default;
    // False when fewer bytes than asked were taken.
    virtual bool WriteBytes(const void* bytes, std::size_t size) = 0;
    bool WriteInt32(std::int32_t value);
    bool WriteFloat(float value);
};

// Collects everything in memory; a failed allocation counts as a short write.
class BufferWriter : public BlockWriter {
public:
    std::vector<std::uint8_t> bytes;
    bool WriteBytes(const void* data, std::size_t size) override;
};

// Reads a file front to back, knowing how many bytes are left, so that a size read from the
// file can be checked against the file before anything is allocated for it.
class BlockReader {
public:
    BlockReader() = default;
    ~BlockReader() { Close(); }
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // -11 when the file cannot be opened or is not a regular file.
    ResultCode Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file != nullptr; }
    std::uint64_t Remaining() const { return remaining; }

    // False on a short read (nothing is consumed beyond the end).
    bool ReadBytes(void* bytes, std::size_t size);
    bool ReadInt32(std::int32_t& value);
    bool ReadFloat(float& value);

private:
    std::FILE* file = nullptr;
    std::uint64_t remaining = 0;
};

// -11 without a writer, -13 on a short write or for a picture no image block holds, else 0.
ResultCode WriteImageBlock(const RasterImage& image, BlockWriter* out);

// Reads one block into `image` (meant to be a scratch image: on failure it may be left empty).
// -11 without a reader; -12 when the file is shorter than the block claims; -14 for a size below 1, a
// depth, palette or data size this program does not write (including palette indices past the
// palette); -1 when the pixels do not fit in memory or the pixel buffer cannot be allocated.
ResultCode ReadImageBlock(BlockReader* in, RasterImage& image);

// Number of bytes WriteImageBlock produces for an image (used to check a file's length up front).
std::uint64_t ImageBlockSize(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel,
                             std::int32_t paletteCount);
