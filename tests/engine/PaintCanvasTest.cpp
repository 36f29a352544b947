#include <gtest/gtest.h>

#include <algorithm>

#include "AllocationFailure.h"
#include "EngineTestSupport.h"
#include "engine/PaintCanvas.h"

namespace {

using enginetest::Ball;
using enginetest::PaintDab;

TEST(PaintCanvasConstruction, HoldsNoBuffersAndTheFixedLights) {
    const PaintCanvas canvas;
    EXPECT_EQ(canvas.width, 0);
    EXPECT_EQ(canvas.height, 0);
    EXPECT_FALSE(canvas.store);
    EXPECT_FALSE(canvas.grid);
    EXPECT_TRUE(canvas.surface.empty());
    EXPECT_EQ(canvas.pendingRect, UpdateRect::PendingEmpty());
    EXPECT_EQ(canvas.operationOpen, 0);
    EXPECT_EQ(canvas.drawingArea, 3);
    EXPECT_EQ(canvas.heightMode, 1);
    EXPECT_EQ(canvas.antiAliasing, 0);
    EXPECT_EQ(canvas.antiAliasingSamples, 3);

    EXPECT_FLOAT_EQ(canvas.viewDirection.z, -1.0f);
    // Lights travel away from where they shine from.
    EXPECT_NEAR(canvas.lights[0].x, 0.548f, 1e-3f);
    EXPECT_NEAR(canvas.lights[0].y, -0.438f, 1e-3f);
    EXPECT_NEAR(canvas.lights[0].z, -0.712f, 1e-3f);
    EXPECT_NEAR(canvas.lights[1].x, -0.408f, 1e-3f);
    EXPECT_NEAR(canvas.lights[1].y, -0.408f, 1e-3f);
    EXPECT_NEAR(canvas.lights[1].z, -0.816f, 1e-3f);
}

TEST(PaintCanvasCreate, NewCanvasIsWhiteCleanAndFullyDirty) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(640, 480), Result::Success);
    EXPECT_EQ(canvas.width, 640);
    EXPECT_EQ(canvas.height, 480);
    for (const RasterImage* image : {&canvas.backgroundImage, &canvas.renderedImage}) {
        EXPECT_EQ(image->width, 640);
        EXPECT_EQ(image->height, 480);
        EXPECT_EQ(image->bytesPerPixel, 3);
        EXPECT_EQ(image->rowStride, 1920);
        EXPECT_TRUE(
            std::all_of(image->data.begin(), image->data.end(), [](std::uint8_t b) { return b == 255; }));
    }
    EXPECT_EQ(canvas.store->Count(), 0);
    const std::size_t pixels = 640u * 480u;
    ASSERT_EQ(canvas.dirtyFlags.size(), pixels);
    ASSERT_EQ(canvas.paintedMask.size(), pixels);
    ASSERT_EQ(canvas.heightSnapshot.size(), pixels);
    ASSERT_EQ(canvas.grid->lists.size(), pixels);
    EXPECT_TRUE(
        std::all_of(canvas.dirtyFlags.begin(), canvas.dirtyFlags.end(), [](auto f) { return f == 1; }));
    EXPECT_TRUE(
        std::all_of(canvas.paintedMask.begin(), canvas.paintedMask.end(), [](auto m) { return m == 0; }));
    EXPECT_TRUE(std::all_of(canvas.heightSnapshot.begin(), canvas.heightSnapshot.end(),
                            [](float h) { return h == 0.0f; }));
    const SurfaceRecord& record = canvas.Surface(639, 479);
    EXPECT_EQ(record.coverage, 0.0f);
    EXPECT_EQ(record.highlight, 1.0f);
    EXPECT_EQ(record.transmission, 1.0f);
    EXPECT_EQ(canvas.grid->surfaceThreshold, 0.5f);
    EXPECT_EQ(canvas.grid->surfaceStep, 0.5f);
    EXPECT_EQ(canvas.grid->absorptionStep, 1.0f);
    EXPECT_EQ(canvas.grid->store, canvas.store.get());
}

TEST(PaintCanvasCreate, ImageRowsArePaddedToFourBytes) {
    const struct {
        int width;
        int stride;
    } cases[] = {{1, 4}, {3, 12}, {5, 16}, {4, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(c.width, 2), Result::Success);
        EXPECT_EQ(canvas.renderedImage.rowStride, c.stride);
        EXPECT_EQ(canvas.backgroundImage.rowStride, c.stride);
    }
}

TEST(PaintCanvasCreate, RecreatingDiscardsAllPaint) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(40, 40), Result::Success);
    PaintDab(canvas, {Ball(20.5f, 20.5f, 0.0f, 4.0f, 8.0f)});
    ASSERT_EQ(canvas.store->Count(), 1);
    ASSERT_EQ(canvas.Create(30, 20), Result::Success);
    EXPECT_EQ(canvas.store->Count(), 0);
    EXPECT_EQ(canvas.grid->width, 30);
    EXPECT_EQ(canvas.grid->height, 20);
    EXPECT_EQ(canvas.Surface(20, 10).coverage, 0.0f);
    EXPECT_EQ(canvas.paintedMask[canvas.PixelIndex(20, 10)], 0);
}

TEST(PaintCanvasCreate, NegativeSizeIsRefusedWithoutBuffers) {
    PaintCanvas canvas;
    EXPECT_EQ(canvas.Create(-5, 10), Result::BadParameter);
    EXPECT_FALSE(canvas.HasBuffers());
    UpdateRect rect;
    EXPECT_EQ(canvas.AddMetaballs({Ball(1.0f, 1.0f, 0.0f, 1.0f, 2.0f)}, rect), Result::NoData);
}

TEST(PaintCanvasCreate, EveryAllocationFailureReturnsOutOfMemoryAndLeavesASafeCanvas) {
    // Fails the first, second, … allocation of Create until Create needs no more than it is given.
    bool succeeded = false;
    int failures = 0;
    for (long successes = 0; successes < 200 && !succeeded; ++successes) {
        SCOPED_TRACE(successes);
        PaintCanvas canvas;
        ResultCode code;
        {
            allocationfailure::Scope failing(successes);
            code = canvas.Create(64, 48);
        }
        if (code == Result::Success) {
            succeeded = true;
            break;
        }
        ASSERT_EQ(code, Result::OutOfMemory);
        ++failures;
        EXPECT_EQ(canvas.width, 64);
        EXPECT_EQ(canvas.height, 48);
        EXPECT_FALSE(canvas.HasBuffers());
        // A half-built canvas refuses work, renders nothing and can be released and created again.
        UpdateRect rect;
        EXPECT_EQ(canvas.AddMetaballs({Ball(10.5f, 10.5f, 0.0f, 3.0f, 6.0f)}, rect), Result::NoData);
        UpdateRect all = UpdateRect::Make(0, 0, 63, 47);
        EXPECT_EQ(canvas.Render(all), Result::Success);
        canvas.MarkDirty(all, 0);
        canvas.BeginOperation();
        canvas.EndOperation();
        canvas.ReleaseBuffers();
        ASSERT_EQ(canvas.Create(64, 48), Result::Success);
        EXPECT_TRUE(canvas.HasBuffers());
        EXPECT_EQ(canvas.AddMetaballs({Ball(10.5f, 10.5f, 0.0f, 3.0f, 6.0f)}, rect), Result::Success);
    }
    EXPECT_TRUE(succeeded);
    // Both images, the store, the grid and the five per-pixel buffers each failed once.
    EXPECT_GE(failures, 9);
}

TEST(PaintCanvasClear, RemovesPaintButKeepsSizeBackgroundAndListArrays) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(40, 30), Result::Success);
    canvas.backgroundImage.Fill(10, 20, 30);
    PaintDab(canvas, {Ball(20.5f, 15.5f, 0.0f, 4.0f, 8.0f)});
    ASSERT_NE(canvas.Surface(20, 15).coverage, 0.0f);
    const std::int32_t capacity = canvas.grid->At(20, 15).capacity;
    ASSERT_GT(capacity, 0);
    const std::vector<std::uint8_t> mask = canvas.paintedMask;

    EXPECT_EQ(canvas.Clear(), Result::Success);
    EXPECT_EQ(canvas.width, 40);
    EXPECT_EQ(canvas.height, 30);
    EXPECT_EQ(canvas.store->Count(), 0);
    EXPECT_EQ(canvas.grid->At(20, 15).count, 0);
    EXPECT_EQ(canvas.grid->At(20, 15).capacity, capacity);
    EXPECT_EQ(canvas.Surface(20, 15).coverage, 0.0f);
    EXPECT_EQ(canvas.renderedImage.data, canvas.backgroundImage.data);
    const std::uint8_t* bg = canvas.backgroundImage.PixelAt(20, 15);
    EXPECT_EQ(bg[0], 30);
    EXPECT_EQ(bg[2], 10);
    // The painted mask belongs to the last operation and stays.
    EXPECT_EQ(canvas.paintedMask, mask);
}

TEST(PaintCanvasMarkDirty, SetsOnlyTheClampedRectangle) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(10, 8), Result::Success);
    canvas.MarkDirty(UpdateRect::Make(-3, 6, 2, 20), 0);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x <= 2 && y >= 6;
            EXPECT_EQ(canvas.dirtyFlags[canvas.PixelIndex(x, y)], inside ? 0 : 1) << x << "," << y;
        }
    }
    const std::vector<std::uint8_t> before = canvas.dirtyFlags;
    canvas.MarkDirty(UpdateRect::Empty(), 0);
    canvas.MarkDirty(UpdateRect::PendingEmpty(), 0);
    EXPECT_EQ(canvas.dirtyFlags, before);
}

TEST(PaintCanvasNeverCreated, AnswersNoDataAndChangesNothing) {
    PaintCanvas canvas;
    UpdateRect rect = UpdateRect::Make(1, 2, 3, 4);
    EXPECT_EQ(canvas.AddMetaballs({Ball(1.5f, 1.5f, 0.0f, 1.0f, 2.0f)}, rect), Result::NoData);
    EXPECT_EQ(rect, UpdateRect::Make(1, 2, 3, 4));
    EXPECT_EQ(canvas.InsertIntoGrid(Ball(1.5f, 1.5f, 0.0f, 1.0f, 2.0f)), Result::NoData);
    EXPECT_EQ(canvas.Clear(), Result::NoData);
    EXPECT_EQ(canvas.changedIds.size(), 0u);
    EXPECT_EQ(canvas.Render(rect), Result::Success);
    canvas.Compose(rect);
    canvas.MarkDirty(rect, 0);
    EXPECT_EQ(canvas.BaseHeight(1.0f, 1.0f, 4.0f), 0.0f);
    std::vector<std::int32_t> ids{7};
    PaintColour colour;
    EXPECT_EQ(canvas.PickAt(0, 0, ids, colour), 0);
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(canvas.EraseIds({0}, rect), 0);
    UpdateRect oldRect;
    UpdateRect newRect;
    EXPECT_EQ(canvas.MoveMetaball(0, 1.0f, 1.0f, 0.0f, oldRect, newRect), 0);
    canvas.ReleaseBuffers();
}

TEST(Oru_NormalizedVector3D, NormalisesOnEverySetAndKeepsZero) {
    Oru_NormalizedVector3D v(3.0f, 0.0f, 4.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    v.Set(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    v.SetDifference(Oru_Vector3D(1.0f, 1.0f, 1.0f), Oru_Vector3D(1.0f, 3.0f, 1.0f));
    EXPECT_FLOAT_EQ(v.y, 1.0f);
}

} // namespace
