// Whatever a document reader accepts, the writer must write back in a form the reader accepts again:
// a document that opens once and then cannot be opened after saving loses the painting.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <limits>

#include "engine/PaintCanvas.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

// A 4 × 4 document with one metaball whose material field at `offset` holds `value`.
std::vector<std::uint8_t> DocumentWith(std::size_t offset, float value) {
    MaterialBlock material = DistinctMaterial(0.4f);
    std::memcpy(reinterpret_cast<char*>(&material) + offset, &value, sizeof value);
    Bytes b;
    b.Header(4, 4, 1).I32(0);
    const float* f = &material.red;
    for (int k = 0; k < 14; ++k) {
        b.F32(f[k]);
    }
    b.I32(0).I32(1).F32(2.5f).F32(2.5f).F32(0.0f);
    return b.WhiteImage(4, 4).data;
}

TEST(FaultDocumentRoundTrip, EveryDocumentThatOpensOpensAgainAfterSaving) {
    struct Case {
        const char* name;
        std::size_t offset;
        float value;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        // The square of a large outer radius lies far past anything the reader takes as a value.
        {"large outer radius", offsetof(MaterialBlock, outerRadius), 2048.0f},
        {"outer radius squared not a number", offsetof(MaterialBlock, outerRadiusSq), nan},
        {"reserved value not a number", offsetof(MaterialBlock, reserved1), nan},
        {"other reserved value infinite", offsetof(MaterialBlock, reserved2),
         std::numeric_limits<float>::infinity()},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string original = dir.File("original.mb");
        const std::string saved = dir.File("saved.mb");
        WriteBytes(original, DocumentWith(c.offset, c.value));
        PaintCanvas canvas;
        ASSERT_EQ(canvas.LoadPaintFile(original), Result::Success);
        ASSERT_EQ(canvas.store->Count(), 1);
        const Metaball& m = canvas.store->records[0];
        EXPECT_EQ(m.outerRadiusSq, m.outerRadius * m.outerRadius);
        EXPECT_EQ(m.reserved1, 0.2f);
        EXPECT_EQ(m.reserved2, 0.8f);

        ASSERT_EQ(canvas.SavePaintFile(saved), Result::Success);
        PaintCanvas again;
        ASSERT_EQ(again.LoadPaintFile(saved), Result::Success);
        ASSERT_EQ(again.store->Count(), 1);
        EXPECT_EQ(again.store->records[0].outerRadius, m.outerRadius);
        EXPECT_EQ(again.store->records[0].outerRadiusSq, m.outerRadiusSq);
    }
}

} // namespace
