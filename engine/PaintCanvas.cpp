#include "engine/PaintCanvas.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "engine/MemoryLimit.h"

void SurfaceRecord::Reset() {
    coverage = 0.0f;
    surfaceZ = 0.0f;
    red = 0.0f;
    green = 0.0f;
    blue = 0.0f;
    transparency = 0.0f;
    highlight = 1.0f;
    rainbow = 0.0f;
    transmittedRed = 0.0f;
    transmittedGreen = 0.0f;
    transmittedBlue = 0.0f;
    transmission = 1.0f;
    edgeFlag = 0;
}

PaintCanvas::PaintCanvas() {
    viewDirection.Set(0.0f, 0.0f, -1.0f);
    // Each light is stored as the direction in which it travels, the negation of where it comes from.
    const Oru_NormalizedVector3D fromLight0(-1.0f, 0.8f, 1.3f);
    const Oru_NormalizedVector3D fromLight1(0.5f, 0.5f, 1.0f);
    lights[0].Set(-fromLight0.x, -fromLight0.y, -fromLight0.z);
    lights[1].Set(-fromLight1.x, -fromLight1.y, -fromLight1.z);
}

PaintCanvas::~PaintCanvas() {
    ReleaseBuffers();
}

namespace {

// Replaces a buffer with a freshly sized one; false when the memory is not there.
template <typename T> bool AllocateBuffer(std::vector<T>& buffer, std::size_t count) {
    try {
        std::vector<T> fresh(count);
        buffer.swap(fresh);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

template <typename T> void FreeBuffer(std::vector<T>& buffer) {
    std::vector<T> empty;
    buffer.swap(empty);
}

} // namespace

std::uint64_t PaintCanvas::BytesNeeded(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) {
        return 0;
    }
    const auto pixels =
        SaturatingProduct(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
    const auto image = SaturatingProduct(static_cast<std::uint64_t>(RasterImage::StrideFor(width, 3)),
                                         static_cast<std::uint64_t>(height));
    const std::uint64_t perPixel = sizeof(decltype(MetaballGrid::lists)::value_type) + sizeof(SurfaceRecord) +
                                   sizeof(decltype(dirtyFlags)::value_type) +
                                   sizeof(decltype(paintedMask)::value_type) +
                                   sizeof(decltype(heightSnapshot)::value_type);
    // The rendered and the background picture, then one of each per-pixel buffer.
    return SaturatingSum(SaturatingProduct(image, 2), SaturatingProduct(pixels, perPixel));
}

ResultCode PaintCanvas::Create(std::int32_t newWidth, std::int32_t newHeight) {
    // Refused before anything is released, so the painting there is stays whole.
    if (newWidth >= 0 && newHeight >= 0 &&
        (!FitsInMemory(BytesNeeded(newWidth, newHeight)) ||
         !RasterImage::HoldsSize(newWidth, newHeight, 3))) {
        return Result::OutOfMemory;
    }
    ReleaseBuffers();
    ++createCount;
    if (newWidth < 0 || newHeight < 0) {
        return Result::BadParameter;
    }
    width = newWidth;
    height = newHeight;

    ResultCode code = renderedImage.CreateRgb(width, height);
    if (code != Result::Success) {
        return code;
    }
    code = backgroundImage.CreateRgb(width, height);
    if (code != Result::Success) {
        return code;
    }

    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    try {
        store = std::make_unique<MetaballStore>();
        grid = std::make_unique<MetaballGrid>();
    } catch (const std::bad_alloc&) {
        ReleaseBuffers();
        return Result::OutOfMemory;
    }
    grid->width = width;
    grid->height = height;
    grid->surfaceThreshold = 0.5f;
    grid->surfaceStep = 0.5f;
    grid->absorptionStep = 1.0f;
    grid->store = store.get();

    // A half-built canvas keeps nothing: every buffer is absent until a later Create succeeds.
    if (!AllocateBuffer(grid->lists, pixels) || !AllocateBuffer(surface, pixels) ||
        !AllocateBuffer(dirtyFlags, pixels) || !AllocateBuffer(paintedMask, pixels) ||
        !AllocateBuffer(heightSnapshot, pixels)) {
        ReleaseBuffers();
        return Result::OutOfMemory;
    }

    // The buffers are fresh: every surface record holds its reset values (a surface height of 0, which
    // the zeroed height snapshot already holds) and no pixel counts as painted.
    MarkDirty(UpdateRect::Make(0, 0, width - 1, height - 1), 1);

    backgroundImage.Fill(255, 255, 255);
    CopyBackgroundToRendered();
    return Result::Success;
}

ResultCode PaintCanvas::CopyBackgroundToRendered() {
    return renderedImage.CopyRect(backgroundImage, UpdateRect::Make(0, 0, width - 1, height - 1));
}

ResultCode PaintCanvas::Clear() {
    if (!store || !grid) {
        return Result::NoData;
    }
    for (SurfaceRecord& record : surface) {
        record.Reset();
    }
    store->records.clear();
    // Arrays and capacities stay, so repainting the same area does not reallocate.
    for (PixelList& list : grid->lists) {
        list.count = 0;
    }
    return CopyBackgroundToRendered();
}

void PaintCanvas::ReleaseBuffers() {
    grid.reset();
    store.reset();
    FreeBuffer(surface);
    FreeBuffer(dirtyFlags);
    FreeBuffer(paintedMask);
    FreeBuffer(heightSnapshot);
}

void PaintCanvas::MarkDirty(const UpdateRect& rect, std::uint8_t value) {
    if (dirtyFlags.empty() || !rect.valid) {
        return;
    }
    UpdateRect bounds = rect;
    bounds.Clamp(width, height);
    if (!bounds.valid) {
        return;
    }
    for (std::int32_t y = bounds.y0; y <= bounds.y1; ++y) {
        std::uint8_t* row = dirtyFlags.data() + PixelIndex(0, y);
        std::fill(row + bounds.x0, row + bounds.x1 + 1, value);
    }
}
