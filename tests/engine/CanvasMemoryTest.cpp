#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "EngineTestSupport.h"
#include "engine/PaintCanvas.h"

namespace {

using enginetest::ResidentKb;

// Bytes held by the canvas's buffers, from their sizes and capacities.
std::size_t BufferBytes(const PaintCanvas& canvas) {
    std::size_t bytes = canvas.renderedImage.data.capacity() + canvas.backgroundImage.data.capacity();
    bytes += canvas.surface.capacity() * sizeof(SurfaceRecord);
    bytes += canvas.dirtyFlags.capacity() + canvas.paintedMask.capacity();
    bytes += canvas.heightSnapshot.capacity() * sizeof(float);
    if (canvas.grid) {
        bytes += sizeof(MetaballGrid) + canvas.grid->lists.capacity() * sizeof(PixelList);
        bytes += canvas.grid->arena.HeldEntries() * sizeof(PixelEntry);
    }
    if (canvas.store) {
        bytes += sizeof(MetaballStore) + canvas.store->records.capacity() * sizeof(Metaball);
    }
    return bytes;
}

TEST(CanvasMemory, EmptyFullHdCanvasHoldsOnlyItsPerPixelBuffers) {
    const double pixels = 1920.0 * 1080.0;
    const long before = ResidentKb();
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(1920, 1080), Result::Success);
    const long after = ResidentKb();

    const double perPixel = static_cast<double>(BufferBytes(canvas)) / pixels;
    const double expected = sizeof(SurfaceRecord) + sizeof(PixelList) + 1 + 1 + sizeof(float) + 3 + 3;
    std::printf("empty 1920 x 1080 canvas: %.1f MB in buffers, %.2f bytes per pixel "
                "(surface record %zu, pixel list %zu); resident growth %.1f MB, %.2f bytes per pixel\n",
                BufferBytes(canvas) / 1048576.0, perPixel, sizeof(SurfaceRecord), sizeof(PixelList),
                (after - before) / 1024.0, (after - before) * 1024.0 / pixels);
    EXPECT_NEAR(perPixel, expected, 0.01);
    if (before > 0 && after > 0) {
        // Every buffer is written at creation, so it is resident, not merely reserved.
        EXPECT_GT((after - before) * 1024.0, 0.9 * BufferBytes(canvas));
    }
}

} // namespace
