#pragma once
// PNG files through libpng: 24-bit pictures are written as 8-bit RGB with the library's compression,
// and every PNG the library can read becomes a 24-bit picture. The colour values are taken as they are
// stored: 16-bit channels keep their high byte, grey becomes three equal channels, palette indices become
// their colours, and an alpha channel is dropped without blending, as the fourth byte of a 32-bit BMP is.
// This is the only file that uses libpng.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

// True when the text after the path's last "." is exactly "png" or "PNG".
bool HasPngExtension(const std::string& path);

// The whole PNG file of a 24-bit or palette image, top row first. -31 for an empty image, -25 for
// another depth or a palette index past the palette, -1 when memory runs out.
ResultCode EncodePng(const RasterImage& image, std::vector<std::uint8_t>& bytes);

// Writes the PNG file, replacing an existing file only once the whole file is written: codes of
// EncodePng, -11 when the file cannot be created, -13 when a write fails.
ResultCode SavePngFile(const RasterImage& image, const std::string& path);

// Builds a 24-bit `image` from the bytes of a whole PNG file held in memory. -12 for bytes that are not
// a PNG file or a file that is damaged or cut short, -1 when the picture does not fit in memory or
// cannot be allocated. On failure `image` keeps its old contents.
ResultCode LoadPngBytes(RasterImage& image, const std::uint8_t* bytes, std::size_t size);

// Reads a PNG file: -14 for a wrong extension, -11 when it cannot be opened, otherwise as LoadPngBytes.
ResultCode LoadPngFile(RasterImage& image, const std::string& path);
