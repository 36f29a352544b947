// Depositing many metaballs at once over bands of rows on several threads (as loading does) must leave
// the pixel lists exactly as depositing them one by one does: same entries in the same order, same
// capacities.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/PaintCanvas.h"

namespace {

constexpr std::int32_t kWidth = 70;
constexpr std::int32_t kHeight = 53;

std::vector<Metaball> ScatteredMetaballs() {
    std::mt19937 random(4242u);
    const auto uniform = [&random] { return static_cast<float>(random() >> 8) * (1.0f / 16777216.0f); };
    std::vector<Metaball> out;
    for (int i = 0; i < 400; ++i) {
        MaterialBlock block;
        block.innerRadius = 1.0f + 6.0f * uniform();
        block.outerRadius = block.innerRadius * 2.0f;
        block.thickness = i % 3 == 0 ? 0.35f : 1.0f;
        Metaball m;
        // Some land outside the canvas and are refused; many share a height, so equal tops occur.
        PaintCanvas::MetaballFromTemplate(m, uniform() * (kWidth + 20) - 10.0f,
                                          uniform() * (kHeight + 20) - 10.0f,
                                          i % 4 == 0 ? 1.0f : 5.0f * uniform(), block);
        out.push_back(m);
    }
    return out;
}

void ExpectSameLists(const PaintCanvas& actual, const PaintCanvas& expected) {
    ASSERT_EQ(actual.store->Count(), expected.store->Count());
    std::int32_t entries = 0;
    for (std::int32_t row = 0; row < kHeight; ++row) {
        for (std::int32_t col = 0; col < kWidth; ++col) {
            const PixelList& a = actual.grid->At(col, row);
            const PixelList& e = expected.grid->At(col, row);
            ASSERT_EQ(a.count, e.count) << col << "," << row;
            ASSERT_EQ(a.capacity, e.capacity) << col << "," << row;
            for (std::int32_t i = 0; i < a.count; ++i) {
                ASSERT_EQ(a.entries[i].id, e.entries[i].id) << col << "," << row << " #" << i;
                ASSERT_EQ(a.entries[i].top, e.entries[i].top);
                ASSERT_EQ(a.entries[i].bottom, e.entries[i].bottom);
            }
            entries += a.count;
        }
    }
    EXPECT_GT(entries, kWidth * kHeight * 5) << "the lists must be deep enough to show order faults";
}

TEST(BandedDeposition, ListsMatchOneByOneDepositionForEveryThreadCountAndBatching) {
    const std::vector<Metaball> metaballs = ScatteredMetaballs();
    PaintCanvas expected;
    ASSERT_EQ(expected.Create(kWidth, kHeight), Result::Success);
    for (const Metaball& m : metaballs) {
        UpdateRect rect;
        ASSERT_EQ(expected.AddMetaballs({m}, rect), Result::Success);
    }
    ASSERT_LT(expected.store->Count(), static_cast<std::int32_t>(metaballs.size()));

    for (const std::int32_t threads : {1, 2, 7}) {
        for (const std::size_t batch : {std::size_t{1000}, std::size_t{37}}) {
            SCOPED_TRACE(testing::Message() << "threads " << threads << ", batches of " << batch);
            PaintCanvas canvas;
            canvas.renderThreads = threads;
            ASSERT_EQ(canvas.Create(kWidth, kHeight), Result::Success);
            ASSERT_EQ(canvas.ReserveForMetaballs(metaballs), Result::Success);
            for (std::size_t start = 0; start < metaballs.size(); start += batch) {
                const std::vector<Metaball> part(metaballs.begin() + static_cast<std::ptrdiff_t>(start),
                                                 metaballs.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                         metaballs.size(), start + batch)));
                ASSERT_EQ(canvas.AddMetaballsInBands(part), Result::Success);
            }
            ExpectSameLists(canvas, expected);
        }
    }
}

TEST(BandedDeposition, LoadedDocumentHasTheListsOfTheSavedCanvas) {
    PaintCanvas saved;
    ASSERT_EQ(saved.Create(kWidth, kHeight), Result::Success);
    for (const Metaball& m : ScatteredMetaballs()) {
        UpdateRect rect;
        ASSERT_EQ(saved.AddMetaballs({m}, rect), Result::Success);
    }
    const std::string path = ::testing::TempDir() + "banded-deposition.mb";
    ASSERT_EQ(saved.SavePaintFile(path), Result::Success);
    for (const std::int32_t threads : {1, 2, 7}) {
        SCOPED_TRACE(testing::Message() << "threads " << threads);
        PaintCanvas loaded;
        loaded.renderThreads = threads;
        ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
        ExpectSameLists(loaded, saved);
    }
    std::remove(path.c_str());
}

} // namespace
