// Reads any bytes as a PNG file, then checks the picture that comes out: a consistent 24-bit layout and
// a lossless round trip through the writer.

#include <cstdint>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "persistence/PngFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RasterImage image;
    if (LoadPngBytes(image, data, size) != Result::Success) {
        FUZZ_CHECK(image.IsEmpty()); // a failed load leaves the picture as it was
        return 0;
    }
    FUZZ_CHECK(image.width >= 1 && image.height >= 1);
    FUZZ_CHECK(image.bytesPerPixel == 3 && image.paletteCount == 0);
    FUZZ_CHECK(image.rowStride == RasterImage::StrideFor(image.width, 3));
    FUZZ_CHECK(image.data.size() == image.dataSize);
    std::vector<std::uint8_t> file;
    FUZZ_CHECK(EncodePng(image, file) == Result::Success);
    RasterImage again;
    FUZZ_CHECK(LoadPngBytes(again, file.data(), file.size()) == Result::Success);
    FUZZ_CHECK(again.width == image.width && again.height == image.height);
    FUZZ_CHECK(again.data == image.data);
    return 0;
}
