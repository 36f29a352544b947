// Depositing many metaballs at once over bands of rows on several threads (as loading does) must leave
// the pixel lists exactly as depositing them one by one does: same entries in the same order, same
// capacities.

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <functional>
#include <limits>
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

// Entries compared bit for bit, so a swapped -0 and +0 or a moved NaN shows; returns how many there are.
std::int32_t CompareLists(const PaintCanvas& actual, const PaintCanvas& expected) {
    std::int32_t entries = 0;
    for (std::int32_t row = 0; row < kHeight; ++row) {
        for (std::int32_t col = 0; col < kWidth; ++col) {
            const PixelList& a = actual.grid->At(col, row);
            const PixelList& e = expected.grid->At(col, row);
            EXPECT_EQ(a.count, e.count) << col << "," << row;
            EXPECT_EQ(a.capacity, e.capacity) << col << "," << row;
            if (a.count != e.count) {
                return entries;
            }
            for (std::int32_t i = 0; i < a.count; ++i) {
                EXPECT_EQ(a.entries[i].id, e.entries[i].id) << col << "," << row << " #" << i;
                EXPECT_EQ(std::bit_cast<std::uint32_t>(a.entries[i].top),
                          std::bit_cast<std::uint32_t>(e.entries[i].top))
                    << col << "," << row << " #" << i;
                EXPECT_EQ(std::bit_cast<std::uint32_t>(a.entries[i].bottom),
                          std::bit_cast<std::uint32_t>(e.entries[i].bottom))
                    << col << "," << row << " #" << i;
                if (a.entries[i].id != e.entries[i].id) {
                    return entries;
                }
            }
            entries += a.count;
        }
    }
    return entries;
}

void ExpectSameLists(const PaintCanvas& actual, const PaintCanvas& expected) {
    ASSERT_EQ(actual.store->Count(), expected.store->Count());
    EXPECT_GT(CompareLists(actual, expected), kWidth * kHeight * 5)
        << "the lists must be deep enough to show order faults";
}

// Scenes whose lists are hard to get in order: tops that tie, signed zeros, NaN and infinite tops,
// rising and falling heights, and lists far longer than usual.
struct AwkwardScene {
    const char* name;
    std::function<std::vector<Metaball>()> make;
};

Metaball AwkwardBall(float x, float y, float z, float outer, float thickness = 1.0f) {
    MaterialBlock block;
    block.innerRadius = outer * 0.5f;
    block.outerRadius = outer;
    block.thickness = thickness;
    Metaball m;
    PaintCanvas::MetaballFromTemplate(m, x, y, z, block);
    return m;
}

const std::vector<AwkwardScene>& AwkwardScenes() {
    static const std::vector<AwkwardScene> scenes = {
        {"equal tops at one spot",
         [] {
             std::vector<Metaball> out;
             for (int i = 0; i < 30; ++i) {
                 out.push_back(AwkwardBall(20.5f, 20.5f, i % 3 == 0 ? 2.0f : 1.0f, 6.0f));
             }
             return out;
         }},
        {"signed zero tops",
         [] {
             // Zero thickness gives top == z exactly, so -0 and +0 tops meet at the same pixels.
             std::vector<Metaball> out;
             for (int i = 0; i < 24; ++i) {
                 out.push_back(AwkwardBall(15.0f + static_cast<float>(i % 4), 18.0f,
                                           i % 2 == 0 ? -0.0f : 0.0f, 5.0f, i % 3 == 0 ? 0.0f : -0.0f));
             }
             return out;
         }},
        {"NaN and infinite tops among ordinary ones",
         [] {
             const float nan = std::numeric_limits<float>::quiet_NaN();
             const float inf = std::numeric_limits<float>::infinity();
             std::vector<Metaball> out;
             const float zs[] = {1.0f, nan, 3.0f, 2.0f, inf, 0.5f, nan, -inf, 3.0f, 1.5f, 4.0f, -1.0f};
             for (int i = 0; i < 36; ++i) {
                 out.push_back(AwkwardBall(12.0f + static_cast<float>(i % 7),
                                           14.0f + static_cast<float>(i % 5), zs[i % 12],
                                           4.0f + static_cast<float>(i % 3)));
             }
             // A NaN thickness as well.
             out.push_back(AwkwardBall(16.0f, 16.0f, 1.0f, 5.0f, nan));
             out.push_back(AwkwardBall(16.5f, 15.5f, 2.5f, 5.0f));
             return out;
         }},
        {"rising heights",
         [] {
             std::vector<Metaball> out;
             for (int i = 0; i < 80; ++i) {
                 out.push_back(AwkwardBall(10.0f + 0.5f * static_cast<float>(i % 20), 25.0f,
                                           0.05f * static_cast<float>(i), 7.0f));
             }
             return out;
         }},
        {"falling heights",
         [] {
             std::vector<Metaball> out;
             for (int i = 0; i < 80; ++i) {
                 out.push_back(AwkwardBall(30.0f, 10.0f + 0.4f * static_cast<float>(i % 25),
                                           4.0f - 0.05f * static_cast<float>(i), 7.0f));
             }
             return out;
         }},
        {"hundreds at one spot with few distinct heights",
         [] {
             std::mt19937 random(77u);
             std::vector<Metaball> out;
             for (int i = 0; i < 300; ++i) {
                 const float z = static_cast<float>(random() % 9) * 0.25f;
                 out.push_back(AwkwardBall(35.0f + static_cast<float>(random() % 3),
                                           26.0f + static_cast<float>(random() % 3), z, 9.0f,
                                           random() % 2 == 0 ? 1.0f : 0.35f));
             }
             return out;
         }},
        {"rows whose only pixel the paint misses",
         [] {
             // In the top or bottom row of each, the pixel under the centre lies beyond the short chord
             // (its nearer edge is farther away than the chord reaches), so the row gets no entry.
             return std::vector<Metaball>{AwkwardBall(0x1.382p+4f, 0x1.094p+4f, 1.0f, 0x1.cd82b4p+1f),
                                          AwkwardBall(0x1.db818p+5f, 0x1.334p+5f, 1.0f, 0x1.333334p-1f),
                                          AwkwardBall(0x1.305cp+3f, 0x1.53cp+4f, 1.0f, 0x1.4p+0f),
                                          AwkwardBall(0x1.2296p+4f, 0x1.9f4p+4f, 1.0f, 0x1.0cccccp+0f),
                                          AwkwardBall(0x1.93eb8p+5f, 0x1.13ep+5f, 1.0f, 0x1.a1eb86p+2f),
                                          AwkwardBall(0x1.a414p+2f, 0x1.294p+4f, 1.0f, 0x1.23d70ap-1f)};
         }},
        {"scattered over the whole canvas", ScatteredMetaballs},
    };
    return scenes;
}

void ExpectIdenticalLists(const PaintCanvas& actual, const PaintCanvas& expected) {
    ASSERT_EQ(actual.store->Count(), expected.store->Count());
    ASSERT_EQ(actual.changedIds, expected.changedIds);
    CompareLists(actual, expected);
}

TEST(BandedDeposition, AwkwardTopsGiveTheListsOfOneByOneDeposition) {
    for (const AwkwardScene& scene : AwkwardScenes()) {
        const std::vector<Metaball> metaballs = scene.make();
        PaintCanvas expected;
        ASSERT_EQ(expected.Create(kWidth, kHeight), Result::Success);
        for (const Metaball& m : metaballs) {
            UpdateRect rect;
            ASSERT_EQ(expected.AddMetaballs({m}, rect), Result::Success);
        }
        // Batches of one and of a few put new entries into lists that already hold some.
        for (const std::int32_t threads : {1, 2, 7}) {
            for (const std::size_t batch : {metaballs.size(), std::size_t{7}, std::size_t{1}}) {
                SCOPED_TRACE(testing::Message()
                             << scene.name << ", threads " << threads << ", batches of " << batch);
                PaintCanvas canvas;
                canvas.renderThreads = threads;
                ASSERT_EQ(canvas.Create(kWidth, kHeight), Result::Success);
                for (std::size_t start = 0; start < metaballs.size(); start += batch) {
                    const std::vector<Metaball> part(
                        metaballs.begin() + static_cast<std::ptrdiff_t>(start),
                        metaballs.begin() +
                            static_cast<std::ptrdiff_t>(std::min(metaballs.size(), start + batch)));
                    ASSERT_EQ(canvas.AddMetaballsInBands(part), Result::Success);
                }
                ExpectIdenticalLists(canvas, expected);
            }
        }
    }
}

TEST(BandedDeposition, ListsThinnedByErasingTakeNewEntriesAsOneByOneDepositionDoes) {
    // Some entries removed again (as undoing paint does), then more deposited on top.
    const std::vector<Metaball> first = ScatteredMetaballs();
    const std::vector<Metaball> second = AwkwardScenes()[2].make();
    PaintCanvas expected;
    PaintCanvas canvas;
    canvas.renderThreads = 2;
    for (PaintCanvas* c : {&expected, &canvas}) {
        ASSERT_EQ(c->Create(kWidth, kHeight), Result::Success);
        UpdateRect rect;
        ASSERT_EQ(c->AddMetaballs(first, rect), Result::Success);
        for (std::int32_t id = 0; id < c->store->Count(); id += 3) {
            for (PixelList& list : c->grid->lists) {
                list.RemoveFirst(id);
            }
        }
    }
    for (const Metaball& m : second) {
        UpdateRect rect;
        ASSERT_EQ(expected.AddMetaballs({m}, rect), Result::Success);
    }
    ASSERT_EQ(canvas.AddMetaballsInBands(second), Result::Success);
    ExpectIdenticalLists(canvas, expected);
}

TEST(BandedDeposition, BandsDoneCountsUpToAllBandsOnTheCallingThread) {
    PaintCanvas canvas;
    canvas.renderThreads = 2;
    ASSERT_EQ(canvas.Create(kWidth, kHeight), Result::Success);
    std::vector<std::pair<std::int32_t, std::int32_t>> calls;
    ASSERT_EQ(canvas.AddMetaballsInBands(
                  ScatteredMetaballs(),
                  [&](std::int32_t done, std::int32_t total) { calls.emplace_back(done, total); }),
              Result::Success);
    ASSERT_GE(calls.size(), 2u);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].second, calls.front().second);
        EXPECT_GT(calls[i].first, i == 0 ? 0 : calls[i - 1].first);
    }
    EXPECT_EQ(calls.back().first, calls.back().second);
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
    struct Way {
        std::int32_t threads;
        bool oneByOne;
    };
    for (const Way way : {Way{1, true}, Way{1, false}, Way{2, false}, Way{7, false}}) {
        SCOPED_TRACE(testing::Message() << "threads " << way.threads << (way.oneByOne ? ", one by one" : ""));
        PaintCanvas loaded;
        loaded.renderThreads = way.threads;
        loaded.referenceDeposition = way.oneByOne;
        ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
        ExpectSameLists(loaded, saved);
        if (!way.oneByOne) {
            // Counted before they are placed, the lists fill one block without a gap.
            std::size_t capacities = 0;
            for (const PixelList& list : loaded.grid->lists) {
                capacities += static_cast<std::size_t>(list.capacity);
            }
            EXPECT_EQ(loaded.grid->arena.HeldEntries(), capacities);
        }
    }
    std::remove(path.c_str());
}

} // namespace
