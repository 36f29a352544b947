// Every painting the program can make opens again: narrow and long canvases, paint laid millions high and
// any finite material; only what does not fit in memory, or is not a number, is refused.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/MemoryLimit.h"
#include "engine/PaintCanvas.h"
#include "persistence/ImageBlock.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

class DocumentSizes : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("painting.mb");
    std::string again = dir.File("again.mb");

    // Saves `canvas`, opens the file into a fresh canvas, checks that the canvas came back whole and that
    // saving it once more writes the very same bytes.
    void ExpectRoundTrip(PaintCanvas& canvas, PaintCanvas& loaded) {
        ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
        ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
        EXPECT_EQ(loaded.width, canvas.width);
        EXPECT_EQ(loaded.height, canvas.height);
        EXPECT_EQ(loaded.store->Count(), canvas.store->Count());
        EXPECT_EQ(loaded.backgroundImage.bytesPerPixel, canvas.backgroundImage.bytesPerPixel);
        EXPECT_EQ(loaded.backgroundImage.palette, canvas.backgroundImage.palette);
        EXPECT_EQ(loaded.backgroundImage.data, canvas.backgroundImage.data);
        ASSERT_EQ(loaded.SavePaintFile(again), Result::Success);
        EXPECT_EQ(ReadBytes(again), ReadBytes(path));
    }
};

// A material as the program's paint holds it: the two reserved values the reader puts back are those.
MaterialBlock OwnMaterial(float red) {
    MaterialBlock m = DistinctMaterial(red);
    m.reserved1 = 0.2f;
    m.reserved2 = 0.8f;
    return m;
}

MaterialBlock SmallMaterial() {
    MaterialBlock m = OwnMaterial(0.9f);
    m.transparency = 0.0f;
    m.innerRadius = 1.0f;
    m.outerRadius = 2.0f;
    m.outerRadiusSq = 4.0f;
    return m;
}

// A document of a narrow or short canvas is as long as its contents, not a byte longer: the reader's
// size check before reading counts the bytes of the background it may hold exactly (a 24-bit row of one
// pixel is no longer than a palette row).
TEST_F(DocumentSizes, NarrowAndShortCanvasesOpenAgain) {
    for (const int width : {1, 2, 3, 5}) {
        for (const int height : {1, 2}) {
            for (const bool painted : {false, true}) {
                for (const int depth : {1, 3, 4}) {
                    SCOPED_TRACE(testing::Message() << width << " x " << height << (painted ? " painted" : "")
                                                    << ", " << depth << "-byte background");
                    PaintCanvas canvas;
                    ASSERT_EQ(canvas.Create(width, height), Result::Success);
                    RasterImage& background = canvas.backgroundImage;
                    if (depth == 1) {
                        ASSERT_EQ(background.Create(width, height, 1, 2), Result::Success);
                        background.palette = {10, 20, 30, 200, 210, 220};
                        background.PixelAt(width - 1, height - 1)[0] = 1;
                    } else if (depth == 4) {
                        ASSERT_EQ(background.Create(width, height, 4, 0), Result::Success);
                    } else {
                        background.Fill(40, 80, 120);
                    }
                    if (painted) {
                        Paint(canvas, {MakeMetaball(SmallMaterial(), 0.5f * width, 0.5f * height, 0.0f)});
                    }
                    PaintCanvas loaded;
                    ASSERT_EQ(loaded.Create(7, 7), Result::Success);
                    if (depth == 4) {
                        // No background of this program has four bytes a pixel: not ours, and not "short".
                        ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
                        EXPECT_EQ(loaded.LoadPaintFile(path), Result::UnsupportedFormat);
                        EXPECT_EQ(loaded.width, 7);
                        continue;
                    }
                    ExpectRoundTrip(canvas, loaded);
                    RenderAll(canvas);
                    RenderAll(loaded);
                    EXPECT_EQ(loaded.renderedImage.data, canvas.renderedImage.data);
                    // One byte less is a cut file.
                    WriteBytes(again, Truncated(ReadBytes(path), ReadBytes(path).size() - 1));
                    EXPECT_EQ(loaded.LoadPaintFile(again), Result::FileReadFailed);
                }
            }
        }
    }
}

// Paint laid on a plane millions high opens again and shows as it showed before saving; the search
// finds it without walking the empty height between it and the paint below.
TEST_F(DocumentSizes, PaintMillionsHighOpensAgainAndShowsTheSame) {
    for (const float z : {1500000.0f, 4000000.0f, 8000000.0f}) {
        SCOPED_TRACE(z);
        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(48, 40), Result::Success);
        MaterialBlock low = OwnMaterial(0.2f);
        low.innerRadius = 14.0f;
        low.outerRadius = 20.0f;
        low.outerRadiusSq = 400.0f;
        Paint(canvas,
              {MakeMetaball(low, 24.5f, 20.5f, 0.0f), MakeMetaball(OwnMaterial(0.9f), 24.5f, 20.5f, z),
               MakeMetaball(OwnMaterial(0.6f), 10.5f, 30.5f, z + 3.0f)});
        PaintCanvas loaded;
        ExpectRoundTrip(canvas, loaded);
        RenderAll(canvas);
        RenderAll(loaded);
        EXPECT_EQ(loaded.renderedImage.data, canvas.renderedImage.data);
        EXPECT_NE(loaded.renderedImage.data, loaded.backgroundImage.data);
        // The high paint is on top at its centre; the low paint shows beside it.
        EXPECT_NEAR(loaded.Surface(24, 20).surfaceZ, z + 3.0f, 1.0f);
        EXPECT_NEAR(loaded.Surface(36, 20).surfaceZ, 14.0f * 0.75f * 0.6f, 5.0f);
    }
}

// Any finite value a record holds is taken as it is; what is not a number, or infinite, is refused.
TEST_F(DocumentSizes, EveryFiniteValueIsTakenAndNothingElse) {
    const float big = std::numeric_limits<float>::max();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        int field; // index into the fourteen material floats, or 14, 15, 16 for x, y, z
        float value;
        ResultCode expected;
    };
    const Case cases[] = {
        {"red far past 1", 0, 1.0e30f, Result::Success},
        {"negative blue", 2, -7.5e20f, Result::Success},
        {"huge transparency", 9, 3.0e12f, Result::Success},
        {"negative highlight", 10, -big, Result::Success},
        {"largest reserved value", 11, big, Result::Success},
        {"tiny rainbow", 13, std::numeric_limits<float>::denorm_min(), Result::Success},
        {"x far off the canvas", 14, 2.0e9f, Result::Success},
        {"y far below the canvas", 15, -big, Result::Success},
        {"z a thousand million high", 16, 1.0e9f, Result::Success},
        {"z deep below the canvas", 16, -4.0e6f, Result::Success},
        {"infinite z", 16, inf, Result::UnsupportedFormat},
        {"x not a number", 14, nan, Result::UnsupportedFormat},
        {"green not a number", 1, nan, Result::UnsupportedFormat},
        {"infinite reserved value", 12, -inf, Result::UnsupportedFormat},
        {"infinite thickness", 6, inf, Result::UnsupportedFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MaterialBlock material = DistinctMaterial(0.5f);
        float position[3] = {10.5f, 8.5f, 0.0f};
        if (c.field < 14) {
            (&material.red)[c.field] = c.value;
        } else {
            position[c.field - 14] = c.value;
        }
        Bytes file;
        file.Header(20, 16, 1).I32(0);
        for (int k = 0; k < 14; ++k) {
            file.F32((&material.red)[k]);
        }
        file.I32(0).I32(1).F32(position[0]).F32(position[1]).F32(position[2]).WhiteImage(20, 16);
        WriteBytes(path, file.data);

        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(5, 5), Result::Success);
        ASSERT_EQ(canvas.LoadPaintFile(path), c.expected);
        if (c.expected != Result::Success) {
            EXPECT_EQ(canvas.width, 5);
            continue;
        }
        // A centre off the canvas is dropped by the deposition, as any such paint is.
        const bool onCanvas =
            position[0] >= 0.0f && position[0] < 20.0f && position[1] >= 0.0f && position[1] < 16.0f;
        ASSERT_EQ(canvas.store->Count(), onCanvas ? 1 : 0);
        if (onCanvas) {
            const Metaball& m = canvas.store->records[0];
            EXPECT_EQ(std::memcmp(&m.red, &material.red, 5 * sizeof(float)), 0);
            EXPECT_EQ(std::memcmp(&m.thickness, &material.thickness, sizeof(float)), 0);
            EXPECT_EQ(std::memcmp(&m.transparency, &material.transparency, 5 * sizeof(float)), 0);
            EXPECT_EQ(m.z, position[2]);
            RenderAll(canvas);
            ASSERT_EQ(canvas.SavePaintFile(again), Result::Success);
            EXPECT_EQ(ReadBytes(again).size(), file.data.size());
        }
    }
}

// Sides beyond 30,000 are pictures like any other: a banner and a strip open again.
TEST_F(DocumentSizes, ABannerAndAStripOpenAgain) {
    const struct {
        int width;
        int height;
        bool painted;
    } cases[] = {{30720, 3, true}, {1, 40, false}, {3, 40000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(c.width, c.height), Result::Success);
        canvas.backgroundImage.Fill(250, 240, 10);
        if (c.painted) {
            Paint(canvas, {MakeMetaball(SmallMaterial(), 1.5f, 1.5f, 0.0f),
                           MakeMetaball(SmallMaterial(), c.width - 1.5f, c.height - 1.5f, 2.0f)});
        }
        PaintCanvas loaded;
        ExpectRoundTrip(canvas, loaded);
        RenderAll(canvas);
        RenderAll(loaded);
        EXPECT_EQ(loaded.renderedImage.data, canvas.renderedImage.data);
        EXPECT_EQ(loaded.renderedImage.data != loaded.backgroundImage.data, c.painted);
    }
}

// A document whose canvas cannot fit in memory is refused with OutOfMemory at once, from its header,
// and the canvas keeps its painting.
TEST_F(DocumentSizes, ACanvasLargerThanMemoryIsRefusedAtOnce) {
    Bytes file;
    file.Header(200000, 200000, 0).WhiteImage(4, 4);
    WriteBytes(path, file.data);
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(12, 9), Result::Success);
    Paint(canvas, {MakeMetaball(DistinctMaterial(0.8f), 6.5f, 4.5f, 0.0f)});
    RenderAll(canvas);
    const std::vector<std::uint8_t> shown = canvas.renderedImage.data;

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(canvas.LoadPaintFile(path), Result::OutOfMemory);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(canvas.width, 12);
    ASSERT_TRUE(canvas.store);
    EXPECT_EQ(canvas.store->Count(), 1);
    EXPECT_EQ(canvas.renderedImage.data, shown);
    EXPECT_EQ(ReadBytes(path), file.data);
}

// The memory a document needs is its canvas and the background read beside it: one byte less than that
// refuses it, that much opens it. A canvas that fits but whose background no image block can hold is
// no document at all.
TEST_F(DocumentSizes, TheMemoryLimitCountsTheCanvasAndTheBackground) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(64, 48), Result::Success);
    Paint(canvas, {MakeMetaball(DistinctMaterial(0.8f), 6.5f, 4.5f, 0.0f)});
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
    const std::uint64_t needed = PaintCanvas::BytesNeeded(64, 48) + 64 * 3 * 48;
    {
        ScopedMemoryLimit memory(needed - 1);
        PaintCanvas loaded;
        ASSERT_EQ(loaded.Create(5, 5), Result::Success);
        EXPECT_EQ(loaded.LoadPaintFile(path), Result::OutOfMemory);
        EXPECT_EQ(loaded.width, 5);
    }
    {
        ScopedMemoryLimit memory(needed);
        PaintCanvas loaded;
        EXPECT_EQ(loaded.LoadPaintFile(path), Result::Success);
    }
    ScopedMemoryLimit terabytes(std::uint64_t{1} << 40);
    const struct {
        int width;
        int height;
        ResultCode expected;
    } sizes[] = {{50000, 50000, Result::UnsupportedFormat}, {200000, 200000, Result::OutOfMemory}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.width);
        Bytes file;
        file.Header(size.width, size.height, 0).WhiteImage(4, 4);
        WriteBytes(path, file.data);
        PaintCanvas loaded;
        EXPECT_EQ(loaded.LoadPaintFile(path), size.expected);
    }
}

} // namespace
