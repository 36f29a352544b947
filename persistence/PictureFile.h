#pragma once
// Picture files of either kind the program reads and writes, chosen by the extension: "bmp" or "BMP"
// for BMP files, "png" or "PNG" for PNG files.

#include <string>

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

// True for a path that LoadPictureFile and SavePictureFile accept by its extension.
bool HasPictureExtension(const std::string& path);

// LoadBmpFile or LoadPngFile; -14 for any other extension.
ResultCode LoadPictureFile(RasterImage& image, const std::string& path);

// SaveBmpFile or SavePngFile; -14 for any other extension, and nothing is written.
ResultCode SavePictureFile(const RasterImage& image, const std::string& path);
