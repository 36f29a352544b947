// A canvas of any size that fits in memory, refused at once when it does not; paint of any height.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "EngineTestSupport.h"
#include "engine/MemoryLimit.h"
#include "engine/PaintCanvas.h"

namespace {

using enginetest::Ball;
using enginetest::PaintDab;

using enginetest::ResidentKb;

// The limit is the machine's physical memory, as the system reports it.
TEST(MemoryLimit, IsThePhysicalMemoryOfTheMachineUnlessATestSetsIt) {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    long long totalKb = -1;
    while (meminfo >> key) {
        if (key == "MemTotal:") {
            meminfo >> totalKb;
            break;
        }
    }
    const std::uint64_t machine = MemoryLimitBytes();
    if (totalKb > 0) {
        EXPECT_NEAR(static_cast<double>(machine), totalKb * 1024.0, totalKb * 1024.0 * 0.01);
    }
    {
        ScopedMemoryLimit outer(5000);
        EXPECT_TRUE(FitsInMemory(5000));
        EXPECT_FALSE(FitsInMemory(5001));
        {
            ScopedMemoryLimit inner(100);
            EXPECT_FALSE(FitsInMemory(101));
        }
        EXPECT_TRUE(FitsInMemory(5000));
    }
    EXPECT_EQ(MemoryLimitBytes(), machine);
    EXPECT_FALSE(FitsInMemory(SaturatingProduct(std::uint64_t{1} << 40, std::uint64_t{1} << 40)));
    EXPECT_FALSE(FitsInMemory(SaturatingSum(~std::uint64_t{0}, 1)));
}

class CanvasSize : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(canvas.Create(40, 30), Result::Success);
        PaintDab(canvas, {Ball(20.5f, 15.5f, 0.0f, 6.0f, 12.0f)});
        shown = canvas.renderedImage.data;
        created = canvas.createCount;
    }
    // The painting made in SetUp is there as it was.
    void ExpectPaintingKept() {
        EXPECT_EQ(canvas.width, 40);
        EXPECT_EQ(canvas.height, 30);
        ASSERT_TRUE(canvas.HasBuffers());
        EXPECT_EQ(canvas.store->Count(), 1);
        EXPECT_EQ(canvas.renderedImage.data, shown);
        EXPECT_EQ(canvas.Surface(20, 15).coverage, 1.0f);
        EXPECT_EQ(canvas.createCount, created);
    }
    PaintCanvas canvas;
    std::vector<std::uint8_t> shown;
    std::uint64_t created = 0;
};

// The need is computed before anything is allocated or released, so even a size of terabytes is
// refused at once and the painting there is stays.
TEST_F(CanvasSize, ASizeBeyondMemoryIsRefusedAtOnceAndThePaintingStays) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(canvas.Create(200000, 200000), Result::OutOfMemory);
    EXPECT_EQ(canvas.Create(2147483647, 2147483647), Result::OutOfMemory);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ExpectPaintingKept();
}

// Pictures of 4 GiB or more have no data size: on a machine of a terabyte such a canvas is refused as
// one beyond memory, before the painting there is released.
TEST_F(CanvasSize, PicturesTooLargeForTheirDataSizeAreRefusedBeforeAnythingIsReleased) {
    ScopedMemoryLimit terabyte(std::uint64_t{1} << 40);
    ASSERT_TRUE(FitsInMemory(PaintCanvas::BytesNeeded(40000, 40000)));
    EXPECT_EQ(canvas.Create(40000, 40000), Result::OutOfMemory);
    ExpectPaintingKept();
}

TEST_F(CanvasSize, TheLimitIsWhatTheCanvasNeedsNotOneSide) {
    const std::uint64_t needed = PaintCanvas::BytesNeeded(30720, 3);
    {
        ScopedMemoryLimit memory(needed - 1);
        EXPECT_EQ(canvas.Create(30720, 3), Result::OutOfMemory);
        ExpectPaintingKept();
    }
    ScopedMemoryLimit memory(needed);
    ASSERT_EQ(canvas.Create(30720, 3), Result::Success);
    EXPECT_EQ(canvas.width, 30720);
    EXPECT_EQ(canvas.store->Count(), 0);
    EXPECT_EQ(canvas.createCount, created + 1);
    // Neither picture nor buffer is left out of the need: a narrower canvas needs less, a wider more.
    EXPECT_LT(PaintCanvas::BytesNeeded(30719, 3), needed);
    EXPECT_GT(PaintCanvas::BytesNeeded(30720, 4), needed);
}

// The need never falls short of what creating the canvas really takes, or the refusal would not protect.
TEST(CanvasNeed, CoversTheMemoryACanvasTakes) {
    const long before = ResidentKb();
    if (before < 0) {
        GTEST_SKIP() << "no /proc/self/status here";
    }
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(1920, 1080), Result::Success);
    const double grown = (ResidentKb() - before) * 1024.0;
    const double needed = static_cast<double>(PaintCanvas::BytesNeeded(1920, 1080));
    std::printf("1920 x 1080: need %.1f MB, resident growth %.1f MB\n", needed / 1048576.0,
                grown / 1048576.0);
    EXPECT_LE(grown, needed * 1.02 + 4.0 * 1048576.0);
    EXPECT_GT(grown, needed * 0.5) << "the buffers are written at creation";
}

// Paint millions high over paint on the canvas: wherever the high paint has no surface, the search
// reaches the low paint by stepping over the empty height at once, where walking it in half steps would
// take millions of steps for each of thousands of samples.
TEST(HighPaint, IsFoundWithoutWalkingTheEmptyHeightBelowIt) {
    for (const float z : {1500000.0f, 4000000.0f}) {
        SCOPED_TRACE(z);
        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(96, 96), Result::Success);
        canvas.antiAliasing = 1;
        std::vector<Metaball> balls{Ball(48.5f, 48.5f, 0.0f, 40.0f, 60.0f, 0.25f)};
        for (int y = 8; y < 96; y += 16) {
            for (int x = 8; x < 96; x += 16) {
                balls.push_back(Ball(x + 0.5f, y + 0.5f, z, 3.0f, 8.0f));
            }
        }
        const auto start = std::chrono::steady_clock::now();
        PaintDab(canvas, balls);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("paint at %.0f over paint at 0: rendered in %.3f s\n", z, seconds);
        EXPECT_LT(seconds, 20.0);
        // On a high metaball its sphere; beside its core, under its falloff, the low paint, about 10 high.
        EXPECT_EQ(canvas.Surface(40, 40).coverage, 1.0f);
        EXPECT_NEAR(canvas.Surface(40, 40).surfaceZ, z + 3.0f, 0.5f);
        EXPECT_EQ(canvas.Surface(45, 40).coverage, 1.0f);
        EXPECT_NEAR(canvas.Surface(45, 40).surfaceZ, 9.77f, 0.5f);
        EXPECT_NEAR(canvas.Surface(48, 48).surfaceZ, 10.0f, 0.5f);
    }
}

} // namespace
