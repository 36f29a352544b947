#include "persistence/PictureFile.h"

#include "persistence/Bmp.h"
#include "persistence/PngFile.h"

bool HasPictureExtension(const std::string& path) {
    return HasBmpExtension(path) || HasPngExtension(path);
}

ResultCode LoadPictureFile(RasterImage& image, const std::string& path) {
    if (HasPngExtension(path)) {
        return LoadPngFile(image, path);
    }
    return LoadBmpFile(image, path);
}

ResultCode SavePictureFile(const RasterImage& image, const std::string& path) {
    if (HasPngExtension(path)) {
        return SavePngFile(image, path);
    }
    return SaveBmpFile(image, path);
}
