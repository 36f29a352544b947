#pragma once
// BMP files and packed device-independent bitmaps (a BITMAPINFOHEADER, an optional colour table and the
// pixel rows: the layout of a BMP file after its 14-byte file header, and of a CF_DIB clipboard block).
// Loaders fill the image only on success; on failure it keeps its old contents.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

namespace Bmp {
inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;
} // namespace Bmp

// True when the text after the path's last "." is exactly "bmp" or "BMP".
bool HasBmpExtension(const std::string& path);

// Builds `image` from a packed DIB of `size` bytes: 8-bit palette pictures (as palette images), 16-bit
// 5-5-5 and 5-6-5, 24-bit and 32-bit (BI_RGB or BI_BITFIELDS); rows stored top-down are turned bottom-up.
// -14 for a header other than 40 bytes, an unsupported depth or compression or a width or height of 0
// or less (a height of -2^31 included), -12 for a block shorter than its header claims, -1 when the
// picture does not fit in memory or cannot be allocated.
ResultCode LoadPackedDib(RasterImage& image, const std::uint8_t* block, std::size_t size);

// Builds `image` from the bytes of a whole BMP file held in memory ("BM" file header first).
// -12 for fewer than 14 bytes or a file that does not start with "BM", otherwise as LoadPackedDib.
ResultCode LoadBmpBytes(RasterImage& image, const std::uint8_t* bytes, std::size_t size);

// Reads a BMP file: -14 for a wrong extension, -11 when it cannot be opened, -1 when the file's bytes and
// the picture together do not fit in memory, otherwise as LoadBmpBytes.
ResultCode LoadBmpFile(RasterImage& image, const std::string& path);

// The 54 header bytes and the rows of a 24-bit image as a BMP file. -31 for an empty image,
// -25 for an image that is not 24-bit, -1 when the buffer cannot be allocated.
ResultCode EncodeBmp(const RasterImage& image, std::vector<std::uint8_t>& bytes);

// The same picture as a packed DIB (the file without its 14-byte file header), e.g. for the clipboard.
ResultCode EncodePackedDib(const RasterImage& image, std::vector<std::uint8_t>& bytes);

// Writes a 24-bit image as a BMP file, replacing an existing file only once the whole file is written.
// -14 for a wrong extension (nothing is written), -11 when the file cannot be created, -13 when a write
// fails (the old file stays as it was), -31 / -25 as EncodeBmp.
ResultCode SaveBmpFile(const RasterImage& image, const std::string& path);
