// Reads any bytes as a BMP file and as a packed DIB (the clipboard's picture block), then checks the
// picture that comes out: consistent layout, palette indices that expand, and a lossless round trip
// through the writer for 24-bit pictures.

#include <cstdint>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "persistence/Bmp.h"

namespace {

void CheckPicture(const RasterImage& image) {
    FUZZ_CHECK(image.width >= 1 && image.height >= 1);
    FUZZ_CHECK(image.bytesPerPixel == 1 || image.bytesPerPixel == 3);
    FUZZ_CHECK(image.rowStride == RasterImage::StrideFor(image.width, image.bytesPerPixel));
    FUZZ_CHECK(image.dataSize == static_cast<std::uint64_t>(image.rowStride) * image.height);
    FUZZ_CHECK(image.data.size() == image.dataSize);
    FUZZ_CHECK(image.palette.size() == static_cast<std::size_t>(image.paletteCount) * 3);

    RasterImage expanded = image;
    if (image.bytesPerPixel == 1) {
        if (expanded.ExpandPalette() != Result::Success) {
            return;
        }
        FUZZ_CHECK(expanded.bytesPerPixel == 3);
    }
    std::vector<std::uint8_t> file;
    FUZZ_CHECK(EncodeBmp(expanded, file) == Result::Success);
    RasterImage again;
    FUZZ_CHECK(LoadBmpBytes(again, file.data(), file.size()) == Result::Success);
    FUZZ_CHECK(again.width == expanded.width && again.height == expanded.height);
    FUZZ_CHECK(again.data == expanded.data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RasterImage fromFile;
    if (LoadBmpBytes(fromFile, data, size) == Result::Success) {
        CheckPicture(fromFile);
    }
    // The same bytes as a clipboard block, so header fields reach the converter without the file header.
    RasterImage fromBlock;
    if (LoadPackedDib(fromBlock, data, size) == Result::Success) {
        CheckPicture(fromBlock);
    }
    return 0;
}
