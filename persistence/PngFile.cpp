#include "persistence/PngFile.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#include "engine/MemoryLimit.h"
#include "persistence/Bmp.h"
#include "persistence/PlatformFile.h"
#include "persistence/SafeFileWriter.h"

// libpng reports errors by longjmp. The functions that call setjmp hold no object with a destructor of
// their own: everything that must be freed lives in their callers, so a jump never skips a destructor.

namespace {

constexpr std::size_t kSignatureSize = 8;

void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

struct MemoryReader {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->at) {
        png_error(png, "the file is cut short");
    }
    std::memcpy(out, reader->bytes + reader->at, count);
    reader->at += count;
}

void AppendToVector(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool grown = true;
    try {
        out->insert(out->end(), data, data + count);
    } catch (const std::bad_alloc&) {
        grown = false;
    } catch (const std::length_error&) {
        grown = false;
    }
    if (!grown) {
        png_error(png, "out of memory");
    }
}

void FlushNothing(png_structp) {}

// Reads the picture into `scratch`, whose rows `rows` points at.
ResultCode Decode(png_structp png, png_infop info, MemoryReader* reader, RasterImage& scratch,
                  std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) {
        return Result::FileReadFailed;
    }
    png_set_read_fn(png, reader, ReadFromMemory);
    // Any size is read that fits in memory; the library's own cap on a side would refuse wide banners.
    png_set_user_limits(png, 0x7FFFFFFFu, 0x7FFFFFFFu);
    png_read_info(png, info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (width < 1 || height < 1 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
        return Result::UnsupportedFormat;
    }
    // The file's bytes, the row pointers and the 24-bit picture are held at once.
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t picture = SaturatingProduct(stride, height);
    const std::uint64_t rowPointers = SaturatingProduct(height, sizeof(png_bytep));
    if (!FitsInMemory(SaturatingSum(SaturatingSum(reader->size, picture), rowPointers))) {
        return Result::OutOfMemory;
    }
    // No gamma or colour-space handling: the stored values are the picture, as in a BMP file.
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) {
        if (bitDepth < 8) {
            png_set_expand_gray_1_2_4_to_8(png);
        }
        png_set_gray_to_rgb(png);
    }
    png_set_strip_alpha(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_channels(png, info) != 3 || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 3) {
        return Result::UnsupportedFormat;
    }
    if (scratch.CreateRgb(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)) !=
        Result::Success) {
        return Result::OutOfMemory;
    }
    try {
        rows.resize(height);
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    }
    for (png_uint_32 i = 0; i < height; ++i) {
        rows[i] = scratch.Row(static_cast<std::int32_t>(height - 1 - i)); // PNG rows go top first
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return Result::Success;
}

ResultCode Encode(png_structp png, png_infop info, const RasterImage& rgb, std::vector<png_bytep>& rows,
                  std::vector<std::uint8_t>& out) {
    if (setjmp(png_jmpbuf(png))) {
        return Result::OutOfMemory;
    }
    png_set_write_fn(png, &out, AppendToVector, FlushNothing);
    png_set_user_limits(png, 0x7FFFFFFFu, 0x7FFFFFFFu);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rgb.width), static_cast<png_uint_32>(rgb.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    return Result::Success;
}

} // namespace

bool HasPngExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    const std::string extension = path.substr(dot + 1);
    return extension == "png" || extension == "PNG";
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
    RasterImage expanded;
    const RasterImage* rgb = &image;
    if (image.bytesPerPixel == 1) {
        const std::size_t entries = std::min<std::size_t>(image.palette.size() / 3, image.paletteCount);
        for (std::int32_t y = 0; y < image.height; ++y) {
            const std::uint8_t* row = image.Row(y);
            for (std::int32_t x = 0; x < image.width; ++x) {
                if (row[x] >= entries) {
                    return Result::BadParameter;
                }
            }
        }
        expanded = image;
        if (expanded.IsEmpty() || expanded.ExpandPalette() != Result::Success) {
            return Result::OutOfMemory;
        }
        rgb = &expanded;
    }
    std::vector<png_bytep> rows;
    std::vector<std::uint8_t> out;
    try {
        rows.resize(static_cast<std::size_t>(rgb->height));
        out.reserve(needed / 4 + 1024);
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    }
    for (std::int32_t i = 0; i < rgb->height; ++i) {
        // libpng only reads the rows it is given.
        rows[static_cast<std::size_t>(i)] = const_cast<png_bytep>(rgb->Row(rgb->height - 1 - i));
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png == nullptr) {
        return Result::OutOfMemory;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return Result::OutOfMemory;
    }
    const ResultCode rc = Encode(png, info, *rgb, rows, out);
    png_destroy_write_struct(&png, &info);
    if (rc == Result::Success) {
        bytes = std::move(out);
    }
    return rc;
}

ResultCode SavePngFile(const RasterImage& image, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const ResultCode encoded = EncodePng(image, bytes);
    if (encoded != Result::Success) {
        return encoded;
    }
    return SafeFileWriter::WriteFile(path, bytes.data(), bytes.size());
}

ResultCode LoadPngBytes(RasterImage& image, const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr || size < kSignatureSize || png_sig_cmp(bytes, 0, kSignatureSize) != 0) {
        return Result::FileReadFailed;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png == nullptr) {
        return Result::OutOfMemory;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Result::OutOfMemory;
    }
    MemoryReader reader{bytes, size, 0};
    RasterImage scratch;
    std::vector<png_bytep> rows;
    const ResultCode rc = Decode(png, info, &reader, scratch, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (rc == Result::Success) {
        image = std::move(scratch);
    }
    return rc;
}

ResultCode LoadPngFile(RasterImage& image, const std::string& path) {
    if (!HasPngExtension(path)) {
        return Result::UnsupportedFormat;
    }
    std::FILE* file = platform::OpenFile(path, "rb");
    if (file == nullptr) {
        return Result::FileOpenFailed;
    }
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{file};
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return Result::FileReadFailed;
    }
    const long length = std::ftell(file);
    if (length < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        return Result::FileReadFailed;
    }
    // The whole file is held while it is decoded: a file larger than the memory is refused as any
    // picture is that does not fit, before anything is allocated.
    if (!FitsInMemory(static_cast<std::uint64_t>(length))) {
        return Result::OutOfMemory;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        return Result::FileReadFailed;
    }
    return LoadPngBytes(image, bytes.data(), bytes.size());
}
