// The fast evaluation and the parallel passes must give the very bytes of the reference evaluation on one
// thread: the rendered picture and every surface record, for every kind of paint and after edits.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/PaintCanvas.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using enginetest::PaintDab;

constexpr std::int32_t kWidth = 80;
constexpr std::int32_t kHeight = 60;

float Uniform(std::mt19937& random) {
    return static_cast<float>(random() >> 8) * (1.0f / 16777216.0f);
}

enum class Paint { Opaque, Transparent, Rainbow, Thin, Thick, Mixed };

Metaball Particle(std::mt19937& random, Paint paint, float x, float y, float z) {
    MaterialBlock block;
    block.red = Uniform(random);
    block.green = Uniform(random);
    block.blue = Uniform(random);
    block.innerRadius = 2.0f + 4.0f * Uniform(random);
    block.outerRadius = block.innerRadius * (1.5f + Uniform(random));
    block.outerRadiusSq = block.outerRadius * block.outerRadius;
    block.highlight = Uniform(random);
    Paint kind = paint;
    if (paint == Paint::Mixed) {
        kind = static_cast<Paint>(random() % 5);
    }
    switch (kind) {
    case Paint::Transparent:
        block.transparency = 0.2f + 0.7f * Uniform(random);
        break;
    case Paint::Rainbow:
        block.transparency = 0.5f;
        block.rainbow = 0.3f + 0.5f * Uniform(random);
        break;
    case Paint::Thin:
        block.thickness = 0.35f;
        break;
    case Paint::Thick:
        block.thickness = 2.5f;
        break;
    default:
        break;
    }
    Metaball m;
    PaintCanvas::MetaballFromTemplate(m, x, y, z, block);
    return m;
}

struct Scene {
    Paint paint;
    bool antiAliasing;
    bool edits;
    const char* name;
    // Each stroke is laid this much higher than the one before, leaving empty heights between the
    // layers; edits then lift some paint far above the rest.
    float layerGap = 0.0f;
    int strokes = 4;
};

// Paints strokes dab by dab (each rendering its own rectangle), erases and moves some paint when asked,
// then renders the whole canvas again.
void PaintScene(PaintCanvas& canvas, const Scene& scene) {
    ASSERT_EQ(canvas.Create(kWidth, kHeight), Result::Success);
    canvas.antiAliasing = scene.antiAliasing ? 1 : 0;
    std::mt19937 random(77u + static_cast<unsigned>(scene.paint));
    for (int stroke = 0; stroke < scene.strokes; ++stroke) {
        float x = Uniform(random) * kWidth;
        float y = Uniform(random) * kHeight;
        const float dx = 6.0f * (Uniform(random) - 0.5f);
        const float dy = 6.0f * (Uniform(random) - 0.5f);
        for (int dab = 0; dab < 8; ++dab) {
            std::vector<Metaball> balls;
            for (int k = 0; k < 2; ++k) {
                balls.push_back(Particle(random, scene.paint, x + 4.0f * Uniform(random),
                                         y + 4.0f * Uniform(random),
                                         canvas.BaseHeight(x, y, 2.0f) + scene.layerGap * stroke));
            }
            PaintDab(canvas, balls);
            x += dx;
            y += dy;
        }
    }
    if (scene.edits) {
        std::vector<std::int32_t> erased;
        for (std::int32_t id = 0; id < canvas.store->Count(); id += 4) {
            erased.push_back(id);
        }
        UpdateRect rect;
        canvas.BeginOperation();
        ASSERT_EQ(canvas.EraseIds(erased, rect), 1);
        canvas.Render(rect);
        canvas.EndOperation();
        for (std::int32_t id = 1; id < canvas.store->Count(); id += 9) {
            const Metaball& m = canvas.store->records[static_cast<std::size_t>(id)];
            UpdateRect oldRect;
            UpdateRect newRect;
            canvas.BeginOperation();
            const float lift = scene.layerGap > 0.0f && id % 2 == 1 ? 2500.0f : 1.0f;
            if (canvas.MoveMetaball(id, m.x + 7.0f, m.y - 5.0f, m.z + lift, oldRect, newRect) != 0) {
                canvas.Render(oldRect);
                canvas.Render(newRect);
            }
            canvas.EndOperation();
        }
    }
    UpdateRect whole = UpdateRect::Make(0, 0, kWidth - 1, kHeight - 1);
    canvas.MarkDirty(whole, 1);
    canvas.Render(whole);
}

bool SameSurface(const PaintCanvas& a, const PaintCanvas& b) {
    static_assert(sizeof(SurfaceRecord) == 16 * 4, "the record must have no padding to compare bytes");
    return a.surface.size() == b.surface.size() &&
           std::memcmp(a.surface.data(), b.surface.data(), a.surface.size() * sizeof(SurfaceRecord)) == 0;
}

class RenderEquivalenceTest : public ::testing::TestWithParam<Scene> {};

TEST_P(RenderEquivalenceTest, FastAndParallelRenderingMatchTheReferenceByteForByte) {
    const Scene& scene = GetParam();
    PaintCanvas reference;
    reference.referenceEvaluation = true;
    reference.renderThreads = 1;
    PaintScene(reference, scene);
    std::int32_t painted = 0;
    for (const SurfaceRecord& record : reference.surface) {
        painted += record.coverage != 0.0f ? 1 : 0;
    }
    ASSERT_GT(painted, kWidth * kHeight / 10) << "the scene must paint a good part of the canvas";
    ASSERT_NE(reference.renderedImage.data, reference.backgroundImage.data);

    for (const std::int32_t threads : {1, 2, 7}) {
        SCOPED_TRACE(testing::Message() << "threads " << threads);
        PaintCanvas canvas;
        canvas.renderThreads = threads;
        PaintScene(canvas, scene);
        EXPECT_EQ(canvas.renderedImage.data, reference.renderedImage.data);
        EXPECT_TRUE(SameSurface(canvas, reference));
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, RenderEquivalenceTest,
                         ::testing::Values(Scene{Paint::Opaque, false, false, "OpaquePlain"},
                                           Scene{Paint::Opaque, true, true, "OpaqueSmoothEdited"},
                                           Scene{Paint::Transparent, true, false, "TransparentSmooth"},
                                           Scene{Paint::Transparent, false, true, "TransparentEdited"},
                                           Scene{Paint::Rainbow, true, true, "RainbowSmoothEdited"},
                                           Scene{Paint::Thin, true, false, "ThinSmooth"},
                                           Scene{Paint::Thick, false, true, "ThickEdited"},
                                           Scene{Paint::Mixed, true, true, "MixedSmoothEdited"},
                                           Scene{Paint::Transparent, true, false, "TransparentLayersWithGaps", 30.0f},
                                           Scene{Paint::Mixed, true, true, "MixedLayersLiftedSmooth", 30.0f},
                                           Scene{Paint::Thick, false, true, "ThickLayersLifted", 30.0f},
                                           Scene{Paint::Mixed, true, true, "DeepMixedSmoothEdited", 0.0f, 24}),
                         [](const ::testing::TestParamInfo<Scene>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

namespace {

// A canvas as it is right after a document is opened: paint listed, every surface record reset.
void ForgetSurface(PaintCanvas& canvas) {
    for (SurfaceRecord& record : canvas.surface) {
        record.Reset();
        record.normal.Set(0.0f, 0.0f, 0.0f);
    }
}

TEST(BandedRender, EqualsOneRenderOfTheWholeCanvasAndReportsEveryRowOnce) {
    for (const bool antiAliasing : {false, true}) {
        for (const Paint paint : {Paint::Opaque, Paint::Transparent, Paint::Mixed}) {
            SCOPED_TRACE(testing::Message()
                         << "anti-aliasing " << antiAliasing << ", paint " << static_cast<int>(paint));
            const Scene scene{paint, antiAliasing, true, "banded"};
            PaintCanvas whole;
            PaintScene(whole, scene);
            ForgetSurface(whole);
            UpdateRect all = UpdateRect::Make(0, 0, kWidth - 1, kHeight - 1);
            whole.Render(all);

            for (const std::int32_t bandRows : {1, 5, 7}) {
                SCOPED_TRACE(testing::Message() << "bands of " << bandRows);
                PaintCanvas banded;
                PaintScene(banded, scene);
                ForgetSurface(banded);
                std::int32_t nextRow = 0;
                int bands = 0;
                UpdateRect rect = UpdateRect::Make(0, 0, kWidth - 1, kHeight - 1);
                banded.RenderInBands(rect, bandRows, [&](const UpdateRect& done) {
                    EXPECT_EQ(done.y0, nextRow);
                    EXPECT_EQ(done.x0, 0);
                    EXPECT_EQ(done.x1, kWidth - 1);
                    nextRow = done.y1 + 1;
                    ++bands;
                });
                EXPECT_EQ(nextRow, kHeight);
                // Every band reports rows, except a first band of one row: its top row waits for the row
                // above.
                const int expected = (kHeight + bandRows - 1) / bandRows;
                EXPECT_EQ(bands, bandRows > 1 ? expected : expected - 1);
                EXPECT_EQ(banded.renderedImage.data, whole.renderedImage.data);
                EXPECT_TRUE(SameSurface(banded, whole));
            }
        }
    }
}

} // namespace
