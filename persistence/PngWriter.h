#pragma once
// A small PNG writer for exporting pictures: 8-bit RGB, no interlacing, the image data in stored
// (uncompressed) deflate blocks, so it needs no compression library.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

// CRC-32 as PNG chunks use it (polynomial 0xEDB88320); pass a previous result to continue it.
std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size, std::uint32_t previous = 0);
// Adler-32 as the zlib stream uses it; pass a previous result to continue it.
std::uint32_t Adler32(const std::uint8_t* bytes, std::size_t size, std::uint32_t previous = 1);

// The whole PNG file of a 24-bit or palette image, top row first. -31 for an empty image, -25 for
// another depth or a palette index past the palette, -1 when the buffer cannot be allocated.
ResultCode EncodePng(const RasterImage& image, std::vector<std::uint8_t>& bytes);

// Writes the PNG file, replacing an existing file only once the whole file is written:
// codes of EncodePng, -11 when the file cannot be created, -13 when a write fails.
ResultCode SavePngFile(const RasterImage& image, const std::string& path);
