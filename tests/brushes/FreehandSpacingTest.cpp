// Freehand strokes at any mouse speed: a step longer than the brush's dab spacing lays the dabs in
// between along the segment; slower steps lay the single dab they always did.

#include <bit>
#include <cmath>
#include <cstdio>
#include <string>

#include "StrokeTestFakes.h"
#include "brushes/RandomSource.h"

namespace {

using E = StrokeEvent;

// Every field of every metaball on the canvas, floats as their bit patterns, one metaball a line.
std::string DumpMetaballs(const PaintCanvas& canvas) {
    std::string text;
    char word[24];
    for (const Metaball& m : canvas.store->records) {
        const float material[] = {m.red,           m.green,     m.blue,      m.innerRadius, m.outerRadius,
                                  m.outerRadiusSq, m.thickness, m.reserved1, m.reserved2,   m.transparency,
                                  m.highlight,     m.reserved3, m.reserved4, m.rainbow};
        for (const float f : material) {
            std::snprintf(word, sizeof word, "%08x ", std::bit_cast<std::uint32_t>(f));
            text += word;
        }
        std::snprintf(word, sizeof word, "%d %u ", m.id, static_cast<unsigned>(m.state));
        text += word;
        for (const float f : {m.x, m.y, m.z}) {
            std::snprintf(word, sizeof word, "%08x ", std::bit_cast<std::uint32_t>(f));
            text += word;
        }
        text += "\n";
    }
    return text;
}

// FNV-1a, 64 bits.
std::uint64_t Fingerprint(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

class FreehandSpacing : public StrokeFixture {
protected:
    void Zoom(float zoom) {
        view.mapping = ViewMapping{0.0f, 0.0f, zoom * Size, zoom * Size, 0.0f, 0.0f, Size, Size};
    }

    // The placements of the last step, which the stroke keeps until the next one.
    const std::vector<DabPlacement>& LastStep() const { return stroke.Brush().placements; }

    // Whether the rendered pixel (x, y) (canvas pixels, row 0 at the bottom) shows paint.
    bool Painted(std::int32_t x, std::int32_t y) const {
        const std::uint8_t* a = canvas.renderedImage.PixelAt(x, y);
        const std::uint8_t* b = canvas.backgroundImage.PixelAt(x, y);
        return a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
    }
};

} // namespace

// Slow strokes, steps of at most a third of a canvas pixel (zoom 4, moves of one window pixel a side),
// recorded with the program as it was before freehand steps were spaced: the count and the
// fingerprint of DumpMetaballs, every field of every metaball, bit for bit.
TEST_F(FreehandSpacing, SlowStrokesLayExactlyTheParticlesTheyAlwaysLaid) {
    struct Recorded {
        const char* name;
        BrushKind kind;
        std::int32_t count;
        std::uint64_t fingerprint;
    };
    const Recorded recorded[] = {
        {"simple", BrushKind::Simple, 33, 0x21ce5c9f44f975c6ull},
        {"watercolour", BrushKind::Watercolour, 330, 0xbc52549f549515f6ull},
        {"stipple", BrushKind::Stipple, 132, 0x3e45d232b268616bull},
        {"multi", BrushKind::Multi, 198, 0x2e47153519df0537ull},
        {"heaped", BrushKind::Heaped, 66, 0xf413f4b20d9afa38ull},
        {"parallel", BrushKind::ParallelLines, 116, 0xc40992313ed35a90ull},
        {"bellows", BrushKind::Bellows, 174, 0x86227f0d60dad04aull},
        {"radial", BrushKind::Radial, 726, 0x029acf80a1ca8a4bull},
        {"rough", BrushKind::Rough, 248, 0x59e00a65993b9c0eull},
        {"circle", BrushKind::Circle, 660, 0xcf7834c96a047ae3ull},
    };
    const WindowPoint steps[] = {{1, 0}, {1, 0}, {1, 1}, {1, 0}, {1, -1}, {0, 1}, {1, 0}, {1, 1}};
    for (const Recorded& r : recorded) {
        SCOPED_TRACE(r.name);
        ASSERT_EQ(canvas.Create(Size, Size), Result::Success);
        ScopedRandomClock clock(1800000000);
        UseBrush(r.kind, PathKind::Freehand, 12.0f);
        Zoom(4.0f);
        WindowPoint at{100, 120};
        Send(E::ButtonDown, at.x, at.y);
        for (int round = 0; round < 4; ++round) {
            for (const WindowPoint& s : steps) {
                at.x += s.x;
                at.y += s.y;
                Send(E::Move, at.x, at.y);
                // Every slow step lays at most the one dab at the cursor.
                EXPECT_LE(LastStep().size(), 1u);
            }
        }
        Send(E::ButtonUp, at.x, at.y);
        EXPECT_EQ(MetaballCount(), r.count);
#ifndef _WIN32
        // The recording was made with the GNU C library: another library rounds sin and cos of the
        // patterns differently in the last bits, so there only the dabs' count is held to it.
        EXPECT_EQ(Fingerprint(DumpMetaballs(canvas)), r.fingerprint);
#endif
    }
}

TEST_F(FreehandSpacing, QuickStepLaysDabsEverySpacingAlongIt) {
    // Window (x, y) is canvas ((x + 0.5) / zoom, 64 - (y + 0.5) / zoom).
    struct Case {
        const char* what;
        BrushKind kind;
        float size;
        float zoom;
        WindowPoint from;
        WindowPoint to;
        float spacing;             // DabSpacing of the brush
        std::size_t dabs;          // placements of the step, the one at the cursor included
        std::int32_t particlesPer; // of every dab
    };
    const Case cases[] = {
        // Spacing 8 × 0.25 = 2: 40 px gives 19 dabs at 2, 4, … 38 and the one at 40.
        {"simple, 40 px across", BrushKind::Simple, 8.0f, 1.0f, {10, 30}, {50, 30}, 2.0f, 20, 1},
        // 30 by 40 window pixels is 50 canvas pixels: 24 between, the cursor's at 50.
        {"simple, 50 px slanting down", BrushKind::Simple, 8.0f, 1.0f, {10, 10}, {40, 50}, 2.0f, 25, 1},
        // At zoom 2 the 40 window pixels are 20 canvas pixels.
        {"simple, zoomed in", BrushKind::Simple, 8.0f, 2.0f, {20, 60}, {60, 60}, 2.0f, 10, 1},
        // Exactly one spacing: the single dab of a slow step.
        {"simple, one spacing", BrushKind::Simple, 8.0f, 1.0f, {10, 30}, {12, 30}, 2.0f, 1, 1},
        // Spacing 24 ÷ 12 = 2 and its dab is a random disc.
        {"spray, 40 px upwards", BrushKind::Spray, 24.0f, 1.0f, {30, 50}, {30, 10}, 2.0f, 20, -1},
        // Spacing 40 ÷ 8 = 5 for 20 px: dabs at 5, 10, 15 and 20.
        {"radial", BrushKind::Radial, 40.0f, 1.0f, {20, 20}, {40, 20}, 5.0f, 4, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(canvas.Create(Size, Size), Result::Success);
        Zoom(c.zoom);
        UseBrush(c.kind, PathKind::Freehand, c.size);
        Send(E::ButtonDown, c.from.x, c.from.y);
        ASSERT_FLOAT_EQ(stroke.Brush().DabSpacing(), c.spacing);
        const std::int32_t pressed = MetaballCount();
        Send(E::Move, c.to.x, c.to.y);

        const ViewMapping& m = view.mapping;
        const CanvasPoint a = m.WindowToCanvas(c.from);
        const CanvasPoint b = m.WindowToCanvas(c.to);
        const float length = std::hypot(b.x - a.x, b.y - a.y);
        const std::vector<DabPlacement>& dabs = LastStep();
        ASSERT_EQ(dabs.size(), c.dabs);
        for (std::size_t k = 0; k < dabs.size(); ++k) {
            SCOPED_TRACE(k);
            // The k-th dab lies (k + 1) spacings along the segment, the last on the cursor.
            const float along = k + 1 == dabs.size() ? length : static_cast<float>(k + 1) * c.spacing;
            EXPECT_NEAR(dabs[k].x, a.x + (b.x - a.x) * along / length, 1e-4f);
            EXPECT_NEAR(dabs[k].y, a.y + (b.y - a.y) * along / length, 1e-4f);
            EXPECT_FLOAT_EQ(dabs[k].angle, 0.0f);
            EXPECT_FLOAT_EQ(dabs[k].scale, 1.0f);
        }
        EXPECT_FLOAT_EQ(dabs.back().x, b.x);
        EXPECT_FLOAT_EQ(dabs.back().y, b.y);
        if (c.particlesPer > 0) {
            EXPECT_EQ(MetaballCount() - pressed, static_cast<std::int32_t>(c.dabs) * c.particlesPer);
        } else {
            EXPECT_GE(MetaballCount() - pressed, static_cast<std::int32_t>(c.dabs));
        }
        // One step is still shown and marked once, over the union of its dabs.
        Send(E::ButtonUp, c.to.x, c.to.y);
        EXPECT_EQ(view.busyBegun, 0);
    }
}

TEST_F(FreehandSpacing, QuickSimpleStrokeLeavesNoGap) {
    // Particles of radius 2 (field to 4) 40 px apart would leave bare paper between them.
    UseBrush(BrushKind::Simple, PathKind::Freehand, 8.0f);
    Send(E::ButtonDown, 10, 30);
    Send(E::Move, 50, 30);
    Send(E::Move, 50, 0);
    Send(E::ButtonUp, 50, 0);
    // Window row 30 is canvas row 33; window column 50 is canvas column 50.
    for (std::int32_t x = 10; x <= 50; ++x) {
        EXPECT_TRUE(Painted(x, 33)) << "bare paper at x " << x;
    }
    for (std::int32_t y = 33; y <= 63; ++y) {
        EXPECT_TRUE(Painted(50, y)) << "bare paper at y " << y;
    }
    ASSERT_EQ(recorder.records.size(), 1u);
    EXPECT_EQ(recorder.records[0].ids.size(), static_cast<std::size_t>(MetaballCount()));
}

TEST_F(FreehandSpacing, TurningKindsTakeTheirDirectionAlongTheStep) {
    // Parallel lines, spacing 2. The press and four short moves to the right, then one long step
    // straight down the window from (20, 30) to (20, 70).
    UseBrush(BrushKind::ParallelLines, PathKind::Freehand, 8.0f);
    Send(E::ButtonDown, 10, 30);
    for (std::int32_t x = 12; x <= 20; x += 2) {
        Send(E::Move, x, 30);
    }
    // Moving right on the window: angle 90 - 0.
    ASSERT_EQ(LastStep().size(), 1u);
    EXPECT_FLOAT_EQ(LastStep()[0].angle, 90.0f);
    Send(E::Move, 20, 70);
    // The sixth-last mouse position is now (12, 30). The dab k spacings down stands where the cursor
    // would be at (20, 30 + 2k): its direction runs from (12, 30) to there, (8, 2k), and its angle is
    // 90 minus that direction's angle.
    const std::vector<DabPlacement>& dabs = LastStep();
    ASSERT_EQ(dabs.size(), 20u);
    struct Expected {
        std::size_t k;
        float angle;
    };
    const Expected expected[] = {
        {4, 45.0f},       // (8, 8)
        {1, 75.963757f},  // (8, 2): 90 - atan(1/4)
        {8, 26.565051f},  // (8, 16): 90 - atan(2)
        {20, 11.309932f}, // the cursor's own, (8, 40): 90 - atan(5)
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.k);
        const DabPlacement& p = dabs[e.k - 1];
        EXPECT_FLOAT_EQ(p.x, 20.5f);
        EXPECT_FLOAT_EQ(p.y, 33.5f - 2.0f * static_cast<float>(e.k));
        EXPECT_NEAR(p.angle, e.angle, 1e-4f);
    }
}

TEST_F(FreehandSpacing, BellowsStillWaitForSixMousePositions) {
    // A long first move has no direction yet: neither it nor the dabs along it are laid.
    UseBrush(BrushKind::Bellows, PathKind::Freehand, 20.0f);
    ASSERT_GT(40.0f, stroke.Brush().DabSpacing());
    Send(E::ButtonDown, 10, 30);
    Send(E::Move, 50, 30);
    EXPECT_EQ(MetaballCount(), 0);
    EXPECT_TRUE(LastStep().empty());
    Send(E::Move, 52, 30);
    Send(E::Move, 54, 30);
    EXPECT_EQ(MetaballCount(), 0);
    // The fourth move is the sixth position of the list: it lays its dab.
    Send(E::Move, 56, 30);
    EXPECT_GT(MetaballCount(), 0);
    EXPECT_EQ(LastStep().size(), 1u);
    // From the sixth-last position, the press at (10, 30), every dab of a long step down to the right
    // runs between right (angle 90) and the step's end (46 to 50 right, 0 to 30 down: angle above 59).
    Send(E::Move, 60, 60);
    EXPECT_GT(LastStep().size(), 1u);
    for (const DabPlacement& p : LastStep()) {
        EXPECT_GT(p.angle, 59.0f);
        EXPECT_LT(p.angle, 90.0f);
    }
}
