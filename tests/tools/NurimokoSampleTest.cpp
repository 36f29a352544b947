// Runs the built nurimoko-sample executable (found beside this test program's folder, in ../tools) and
// reads back the pictures it paints for the manual and the paint documents it writes from scripted
// strokes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "brushes/RandomSource.h"
#include "engine/PaintCanvas.h"
#include "persistence/Bmp.h"
#include "persistence/RasterImage.h"

namespace {

namespace fs = std::filesystem;

fs::path SampleToolPath() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return self.parent_path().parent_path() / "tools" / "nurimoko-sample";
}

// The paper tone the samples are painted on (red, green, blue).
constexpr std::uint8_t Paper[3] = {246, 241, 230};

bool IsPaper(const RasterImage& image, std::int32_t x, std::int32_t windowY) {
    const std::uint8_t* px = image.PixelAt(x, image.height - 1 - windowY);
    return px[2] == Paper[0] && px[1] == Paper[1] && px[0] == Paper[2];
}

std::int32_t PaintedPixels(const RasterImage& image) {
    std::int32_t n = 0;
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            n += IsPaper(image, x, y) ? 0 : 1;
        }
    }
    return n;
}

class NurimokoSampleTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "nurimoko-sample-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        ASSERT_TRUE(fs::exists(SampleToolPath()))
            << "build the nurimoko-sample target first: " << SampleToolPath();
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(dir, error);
    }

    // The exit status of the tool run with `args`; its error output lands in `err`.
    int Run(const std::vector<std::string>& args) {
        std::string command = "'" + SampleToolPath().string() + "'";
        for (const std::string& a : args) {
            command += " '" + a + "'";
        }
        const fs::path errPath = dir / "stderr";
        command += " >/dev/null 2>'" + errPath.string() + "'";
        const int raw = std::system(command.c_str());
        std::ifstream in(errPath);
        err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // Paints with the arguments on the paper tone into a BMP file and loads it.
    RasterImage Paint(const std::string& name, std::vector<std::string> args) {
        const fs::path out = dir / (name + ".bmp");
        args.insert(args.end(), {"--background", "246,241,230"});
        args.push_back("--out");
        args.push_back(out.string());
        EXPECT_EQ(Run(args), 0) << err;
        RasterImage image;
        EXPECT_EQ(LoadBmpFile(image, out.string()), Result::Success) << out;
        return image;
    }

    // Paints with the arguments into a paint document; its bytes.
    std::string Document(const std::string& name, std::vector<std::string> args) {
        const fs::path out = dir / (name + ".mb");
        args.push_back("--out");
        args.push_back(out.string());
        EXPECT_EQ(Run(args), 0) << err;
        std::ifstream in(out, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Paints with the arguments into a paint document and loads its metaballs, in the order laid.
    std::vector<Metaball> Metaballs(const std::string& name, std::vector<std::string> args) {
        Document(name, std::move(args));
        PaintCanvas canvas;
        EXPECT_EQ(canvas.LoadPaintFile((dir / (name + ".mb")).string()), Result::Success);
        return canvas.store ? canvas.store->records : std::vector<Metaball>{};
    }

    fs::path dir;
    std::string err;
};

TEST_F(NurimokoSampleTest, EveryBrushKindPaintsItsOwnPicture) {
    const char* kinds[] = {"simple", "spray", "bellows", "circle", "eraser", "stir"};
    std::vector<RasterImage> pictures;
    for (const char* kind : kinds) {
        SCOPED_TRACE(kind);
        RasterImage image = Paint(kind, {"--brush", kind});
        ASSERT_EQ(image.width, 240);
        ASSERT_EQ(image.height, 120);
        ASSERT_EQ(image.bytesPerPixel, 3);
        // Paint covers a good part of the picture, not a stray pixel or two.
        EXPECT_GT(PaintedPixels(image), 240 * 120 / 20);
        pictures.push_back(std::move(image));
    }
    for (std::size_t a = 0; a < pictures.size(); ++a) {
        for (std::size_t b = a + 1; b < pictures.size(); ++b) {
            SCOPED_TRACE(std::string(kinds[a]) + " / " + kinds[b]);
            EXPECT_NE(pictures[a].data, pictures[b].data);
        }
    }
}

TEST_F(NurimokoSampleTest, KindsGivenByNumberMatchTheirNames) {
    // The simple brush has no randomness, so the same stroke gives the same picture.
    const RasterImage byName = Paint("by-name", {"--brush", "simple", "--path", "line"});
    const RasterImage byNumber = Paint("by-number", {"--brush", "0", "--path", "1"});
    EXPECT_EQ(byName.data, byNumber.data);
}

TEST_F(NurimokoSampleTest, PathKindsFollowTheirShapes) {
    // The circle of "円周" goes round its centre and leaves it bare; the straight line crosses the middle.
    const RasterImage circle =
        Paint("circle", {"--brush", "simple", "--brush-size", "20", "--path", "circumference"});
    EXPECT_TRUE(IsPaper(circle, 120, 60));
    EXPECT_FALSE(IsPaper(circle, 120 + 36, 60));
    EXPECT_FALSE(IsPaper(circle, 120 - 36, 60));
    EXPECT_FALSE(IsPaper(circle, 120, 60 - 36));

    const RasterImage line = Paint("line", {"--brush", "simple", "--brush-size", "20", "--path", "line"});
    EXPECT_FALSE(IsPaper(line, 120, 60));
    EXPECT_TRUE(IsPaper(line, 120, 10));
    EXPECT_TRUE(IsPaper(line, 5, 5));

    // The arc runs over the top from the left to the right of its low centre, never below it.
    const RasterImage arc = Paint("arc", {"--brush", "simple", "--brush-size", "20", "--path", "arc"});
    EXPECT_FALSE(IsPaper(arc, 120, 84 - 50));
    EXPECT_TRUE(IsPaper(arc, 120, 84));
    EXPECT_TRUE(IsPaper(arc, 120, 118));
}

TEST_F(NurimokoSampleTest, MarksShowTheClickedPoints) {
    const RasterImage plain =
        Paint("plain", {"--brush", "simple", "--brush-size", "20", "--path", "circumference"});
    const RasterImage marked =
        Paint("marked", {"--brush", "simple", "--brush-size", "20", "--path", "circumference", "--marks"});
    // The centre click is marked on the bare paper inside the circle.
    EXPECT_TRUE(IsPaper(plain, 120, 60));
    EXPECT_FALSE(IsPaper(marked, 120, 60));
}

TEST_F(NurimokoSampleTest, WritesPngOfTheRequestedSize) {
    const fs::path out = dir / "small.png";
    ASSERT_EQ(Run({"--brush", "heaped", "--size", "100x50", "--out", out.string()}), 0) << err;
    std::ifstream in(out, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 33u);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    EXPECT_TRUE(std::equal(signature, signature + 8, bytes.begin()));
    // IHDR: width and height, big-endian, right after the chunk's length and type.
    EXPECT_EQ(bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19], 100);
    EXPECT_EQ(bytes[20] << 24 | bytes[21] << 16 | bytes[22] << 8 | bytes[23], 50);
}

TEST_F(NurimokoSampleTest, RefusesBadArgumentsWithoutWriting) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
    };
    const fs::path out = dir / "never.bmp";
    const std::vector<Case> cases = {
        {"unknown brush", {"--brush", "feather", "--out", out.string()}},
        {"brush number out of range", {"--brush", "17", "--out", out.string()}},
        {"unknown path", {"--brush", "simple", "--path", "spiral", "--out", out.string()}},
        {"no output", {"--brush", "simple"}},
        {"no brush", {"--out", out.string()}},
        {"other picture format", {"--brush", "simple", "--out", (dir / "never.jpg").string()}},
        {"size too small", {"--brush", "simple", "--size", "8x8", "--out", out.string()}},
        {"size malformed", {"--brush", "simple", "--size", "wide", "--out", out.string()}},
        {"brush size zero", {"--brush", "simple", "--brush-size", "0", "--out", out.string()}},
        {"brush size beyond the bar", {"--brush", "simple", "--brush-size", "101", "--out", out.string()}},
        {"brush size not whole", {"--brush", "simple", "--brush-size", "20.5", "--out", out.string()}},
        {"no density bar for simple", {"--brush", "simple", "--density", "50", "--out", out.string()}},
        {"density below the bar", {"--brush", "multi", "--density", "4", "--out", out.string()}},
        {"particle size beyond the bar",
         {"--brush", "rough", "--particle-size", "31", "--out", out.string()}},
        {"transparency beyond the bar",
         {"--brush", "simple", "--transparency", "101", "--out", out.string()}},
        {"variation beyond the bar", {"--brush", "simple", "--variation", "26", "--out", out.string()}},
        {"colour malformed", {"--brush", "simple", "--colour", "255,0", "--out", out.string()}},
        {"colour beyond a byte", {"--brush", "simple", "--colour", "256,0,0", "--out", out.string()}},
        {"background malformed", {"--brush", "simple", "--background", "white", "--out", out.string()}},
        {"canvas malformed", {"--brush", "simple", "--canvas", "100x", "--out", out.string()}},
        {"clock not a number", {"--brush", "simple", "--clock", "noon", "--out", out.string()}},
        {"points malformed", {"--brush", "simple", "--points", "10,10 20", "--out", out.string()}},
        {"points empty", {"--brush", "simple", "--points", "", "--out", out.string()}},
        {"point outside the canvas",
         {"--brush", "simple", "--points", "10,10 240,10", "--out", out.string()}},
        {"point below the canvas", {"--brush", "simple", "--points", "10,-1", "--out", out.string()}},
        {"line of three points",
         {"--brush", "simple", "--path", "line", "--points", "1,1 2,2 3,3", "--out", out.string()}},
        {"arc of two points",
         {"--brush", "simple", "--path", "arc", "--points", "1,1 2,2", "--out", out.string()}},
        {"closed line", {"--brush", "simple", "--path", "line", "--closed", "--out", out.string()}},
        {"stir along a line", {"--brush", "stir", "--path", "line", "--out", out.string()}},
        {"points twice in one stroke",
         {"--brush", "simple", "--points", "1,1", "--points", "2,2", "--out", out.string()}},
        {"stroke without a brush",
         {"--brush", "simple", "--stroke", "--points", "1,1", "--out", out.string()}},
        {"empty stroke group",
         {"--brush", "simple", "--stroke", "--stroke", "--brush", "simple", "--out", out.string()}},
        {"stroke group at the end", {"--brush", "simple", "--out", out.string(), "--stroke"}},
        {"marks in a document", {"--brush", "simple", "--marks", "--out", (dir / "never.mb").string()}},
        {"option without its value", {"--brush", "simple", "--out"}},
        {"unknown option", {"--brush", "simple", "--speed", "3", "--out", out.string()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.args), 2);
        EXPECT_NE(err.find("usage:"), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(dir / "never.jpg"));
        EXPECT_FALSE(fs::exists(dir / "never.mb"));
    }
}

TEST_F(NurimokoSampleTest, ReportsAnOutputThatCannotBeWritten) {
    EXPECT_EQ(Run({"--brush", "simple", "--out", (dir / "no-such-folder" / "x.png").string()}), 1);
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
}

TEST_F(NurimokoSampleTest, SameArgumentsWithAClockGiveTheSameDocument) {
    const std::vector<std::vector<std::string>> scripts = {
        {"--brush", "rough", "--points", "30,30 60,40 90,35 120,60", "--clock", "1800000000"},
        {"--brush", "spray", "--path", "curve", "--points", "20,20 80,100 140,20 200,90", "--closed",
         "--variation", "25", "--clock", "7"},
        {"--canvas",     "160x90",   "--clock", "1234567", "--brush",  "watercolour",   "--points",
         "20,40 120,45", "--stroke", "--brush", "heaped",  "--path",   "circumference", "--points",
         "80,45 100,45", "--stroke", "--brush", "stir",    "--points", "70,30 90,60"},
        // The built-in sample points.
        {"--brush", "radial", "--clock", "42"},
    };
    for (std::size_t n = 0; n < scripts.size(); ++n) {
        SCOPED_TRACE(n);
        const std::string first = Document("first", scripts[n]);
        const std::string second = Document("second", scripts[n]);
        ASSERT_GT(first.size(), 100u);
        EXPECT_TRUE(first == second) << "two runs of the same arguments differ";

        // Another clock gives other particles, and without a clock no two runs are alike.
        std::vector<std::string> other = scripts[n];
        auto clock = std::find(other.begin(), other.end(), "--clock");
        ASSERT_NE(clock, other.end());
        *(clock + 1) += "1";
        EXPECT_FALSE(Document("other", other) == first);
        other.erase(clock, clock + 2);
        EXPECT_FALSE(Document("unclocked-a", other) == Document("unclocked-b", other));
    }
}

TEST_F(NurimokoSampleTest, ClockedStrokesLayTheParticlesWorkedOutByHand) {
    // Canvas 200x100; point X,Y is the pixel whose centre (X + 0.5, Y + 0.5) the stroke receives.
    // Colour 255,0,0 is the tool box's red (hue 0, lightness 0.5, saturation 1).
    struct Particle {
        float x, y;
        float innerRadius, outerRadius;
    };
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::size_t count;
        Particle first;
        Particle last;
    };
    const std::vector<Case> cases = {
        // Brush size 60: particles of 60 × 0.25 = 15, outer 30 (the default ratio 2), spacing 15.
        // 100 px: trunc(100 / 15 + 0.5) + 1 = 8 dabs, 100 / 7 apart, both ends included.
        {"simple along a line",
         {"--brush", "simple", "--path", "line", "--points", "20,50 120,50"},
         8,
         {20.5f, 50.5f, 15.0f, 30.0f},
         {120.5f, 50.5f, 15.0f, 30.0f}},
        // Brush size 20: particles of 5, spacing 5. The press lays one dab, the 40 px step 7 between
        // and one at its end, the 30 px step 5 between and one at its end: 1 + 8 + 6.
        {"simple freehand, two quick steps",
         {"--brush", "simple", "--brush-size", "20", "--points", "20,50 60,50 60,80"},
         15,
         {20.5f, 50.5f, 5.0f, 10.0f},
         {60.5f, 80.5f, 5.0f, 10.0f}},
        // Radius 30, spacing 5: trunc(2π × 30 / 5 + 0.5) + 1 = 39 dabs, the first at angle 0 on the
        // point given, the last one step short of it.
        {"simple round a circumference",
         {"--brush", "simple", "--brush-size", "20", "--path", "circumference", "--points", "100,50 130,50"},
         39,
         {130.5f, 50.5f, 5.0f, 10.0f},
         {100.5f + 30.0f * std::cos(2.0f * 3.14159265f / 39.0f * 38.0f),
          50.5f + 30.0f * std::sin(2.0f * 3.14159265f / 39.0f * 38.0f), 5.0f, 10.0f}},
        // Sides of 60, 58.3 and 58.3 at spacing 5: 13, 13 and 13 samples; every corner once and the
        // first point not again at the end: 13 + 12 + 11, the last 11/12 of the way back to the first.
        {"rainbow round a closed triangle",
         {"--brush", "rainbow", "--brush-size", "20", "--path", "polyline", "--points", "20,20 80,20 50,70",
          "--closed"},
         36,
         {20.5f, 20.5f, 5.0f, 10.0f},
         {50.5f - 30.0f * 11.0f / 12.0f, 70.5f - 50.0f * 11.0f / 12.0f, 5.0f, 10.0f}},
        // Brush size 40, particles of 2, spacing 2: trunc(40 / 2 + 0.5) + 1 = 21 dabs of
        // trunc(40 / 4 + 1 + 0.5) = 11 particles across the stroke, from -20 to 20, turned by -90
        // degrees: the first particle stands 20 above the first dab, the last 20 below the last.
        {"parallel lines along a line",
         {"--brush", "parallel", "--path", "line", "--points", "20,50 60,50"},
         21 * 11,
         {20.5f, 70.5f, 2.0f, 4.0f},
         {60.5f, 30.5f, 2.0f, 4.0f}},
        // Particle size bar 30: particles of 3, outer 6, spacing 3: trunc(40 / 3 + 0.5) + 1 = 14 dabs
        // of trunc(40 / 6 + 1 + 0.5) = 8.
        {"parallel lines with larger particles",
         {"--brush", "parallel", "--particle-size", "30", "--path", "line", "--points", "20,50 60,50"},
         14 * 8,
         {20.5f, 70.5f, 3.0f, 6.0f},
         {60.5f, 30.5f, 3.0f, 6.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"--canvas",   "200x100",  "--clock",
                                         "1800000000", "--colour", "255,0,0"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const std::vector<Metaball> balls = Metaballs("case", args);
        ASSERT_EQ(balls.size(), c.count);
        for (const auto& [m, expected] :
             {std::pair{balls.front(), c.first}, std::pair{balls.back(), c.last}}) {
            EXPECT_NEAR(m.x, expected.x, 1e-3f);
            EXPECT_NEAR(m.y, expected.y, 1e-3f);
            EXPECT_FLOAT_EQ(m.innerRadius, expected.innerRadius);
            EXPECT_FLOAT_EQ(m.outerRadius, expected.outerRadius);
            EXPECT_FLOAT_EQ(m.outerRadiusSq, expected.outerRadius * expected.outerRadius);
            EXPECT_FLOAT_EQ(m.red, 1.0f);
            EXPECT_FLOAT_EQ(m.green, 0.0f);
            EXPECT_FLOAT_EQ(m.blue, 0.0f);
            // On bare canvas paint is laid at height 0, a parallel line's particles a little above.
            EXPECT_GE(m.z, 0.0f);
            EXPECT_LE(m.z, 0.1f * m.innerRadius);
        }
    }
}

TEST_F(NurimokoSampleTest, BarsSetTheParticleAsTheToolBoxDoes) {
    const std::vector<Metaball> defaults =
        Metaballs("defaults", {"--brush", "rainbow", "--points", "50,50", "--clock", "5"});
    ASSERT_EQ(defaults.size(), 1u);
    // The kind's defaults: transparency 0.5, iridescence 0.3, highlight 1, thickness 1.
    EXPECT_FLOAT_EQ(defaults[0].transparency, 0.5f);
    EXPECT_FLOAT_EQ(defaults[0].rainbow, 0.3f);
    EXPECT_FLOAT_EQ(defaults[0].highlight, 1.0f);
    EXPECT_FLOAT_EQ(defaults[0].thickness, 1.0f);

    const std::vector<Metaball> set =
        Metaballs("set", {"--brush", "rainbow", "--points", "50,50", "--clock", "5", "--transparency", "40",
                          "--highlight", "30", "--thickness", "55", "--colour", "0,0,255"});
    ASSERT_EQ(set.size(), 1u);
    EXPECT_FLOAT_EQ(set[0].transparency, 0.4f);
    EXPECT_FLOAT_EQ(set[0].highlight, 0.3f);
    EXPECT_FLOAT_EQ(set[0].thickness, 0.55f);
    EXPECT_FLOAT_EQ(set[0].rainbow, 0.3f);
    EXPECT_NEAR(set[0].red, 0.0f, 1e-6f);
    EXPECT_NEAR(set[0].blue, 1.0f, 1e-6f);
}

TEST_F(NurimokoSampleTest, StrokesArePaintedInOrderAndColoursCarryOver) {
    // A red line, a blue one above it, and a third that keeps the blue; then an eraser over the left
    // half of the lowest line.
    const std::vector<Metaball> balls = Metaballs(
        "three", {"--canvas",     "200x100",  "--clock",      "9",        "--colour", "255,0,0",
                  "--brush",      "simple",   "--path",       "line",     "--points", "20,20 120,20",
                  "--stroke",     "--colour", "0,0,255",      "--brush",  "simple",   "--path",
                  "line",         "--points", "20,50 120,50", "--stroke", "--brush",  "simple",
                  "--brush-size", "20",       "--points",     "20,80"});
    ASSERT_EQ(balls.size(), 8u + 8u + 1u);
    EXPECT_FLOAT_EQ(balls[0].y, 20.5f);
    EXPECT_FLOAT_EQ(balls[0].red, 1.0f);
    EXPECT_FLOAT_EQ(balls[8].y, 50.5f);
    EXPECT_NEAR(balls[8].blue, 1.0f, 1e-6f);
    EXPECT_NEAR(balls[8].red, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(balls[16].y, 80.5f);
    EXPECT_FLOAT_EQ(balls[16].innerRadius, 5.0f);
    EXPECT_NEAR(balls[16].blue, 1.0f, 1e-6f);

    // The eraser takes the particles away: the document keeps only what is left.
    const std::vector<Metaball> erased =
        Metaballs("erased", {"--canvas", "200x100", "--clock", "9", "--brush", "simple", "--path", "line",
                             "--points", "20,20 120,20", "--stroke", "--brush", "eraser", "--brush-size",
                             "40", "--points", "10,20 60,20"});
    ASSERT_FALSE(erased.empty());
    EXPECT_LT(erased.size(), 8u);
    for (const Metaball& m : erased) {
        EXPECT_GT(m.x, 60.5f);
    }
}

TEST_F(NurimokoSampleTest, ArcGoesTheShorterWayRoundFromItsStart) {
    // Centre 100,50, start 140,50 (angle 0), end 100,90 (angle 90): a quarter turn anticlockwise.
    struct Case {
        const char* what;
        const char* points;
        float upwards; // 1 when the arc runs above the centre, -1 below
    };
    const Case cases[] = {
        {"quarter turn up", "100,50 140,50 100,90", 1.0f},
        {"quarter turn down", "100,50 140,50 100,10", -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Metaball> balls =
            Metaballs("arc", {"--canvas", "200x100", "--clock", "3", "--brush", "simple", "--brush-size",
                              "20", "--path", "arc", "--points", c.points});
        // Radius 40 over a quarter turn at spacing 5: q = trunc(62.83 / 5 + 0.5) = 13 steps of 90/13
        // degrees, 14 dabs with both ends.
        ASSERT_EQ(balls.size(), 14u);
        EXPECT_NEAR(balls.front().x, 140.5f, 1e-3f);
        EXPECT_NEAR(balls.front().y, 50.5f, 1e-3f);
        EXPECT_NEAR(balls.back().x, 100.5f, 1e-3f);
        EXPECT_NEAR(balls.back().y, 50.5f + c.upwards * 40.0f, 1e-3f);
        const float turned = 6.0f * 90.0f / 13.0f * 3.14159265f / 180.0f;
        const Metaball& middle = balls[6];
        EXPECT_NEAR(middle.x, 100.5f + 40.0f * std::cos(turned), 1e-3f);
        EXPECT_NEAR(middle.y, 50.5f + c.upwards * 40.0f * std::sin(turned), 1e-3f);
    }
}

TEST_F(NurimokoSampleTest, ClockSeedsAsTheCalendarSecondWould) {
    // A parallel-lines pattern lifts its j-th particle by thickness × radius × table[k + j] × 0.1, k being
    // the skip drawn right after the pattern's seeding. With the generator seeded by the second T, as
    // the calendar seeding would at T: the table holds the first 10000 draws, the pattern's seeding
    // starts the same sequence again, and its first draw gives the skip.
    for (const std::int64_t second : {std::int64_t{1800000000}, std::int64_t{12345}}) {
        SCOPED_TRACE(second);
        RandomSource reference;
        reference.Seed(static_cast<std::uint32_t>(second));
        std::vector<float> table(10000);
        for (float& value : table) {
            value = static_cast<float>(reference.Draw());
        }
        reference.Seed(static_cast<std::uint32_t>(second));
        const std::int32_t skip = reference.DrawWhole(10, 50);

        const std::vector<Metaball> balls =
            Metaballs("clocked", {"--clock", std::to_string(second), "--brush", "parallel", "--path", "line",
                                  "--points", "20,50 60,50"});
        ASSERT_EQ(balls.size(), 21u * 11u);
        for (std::size_t j = 0; j < 11; ++j) {
            SCOPED_TRACE(j);
            const float lift = 1.0f * 2.0f * table[static_cast<std::size_t>(skip) + j] * 0.1f;
            EXPECT_FLOAT_EQ(balls[j].z, lift);
            // Every dab of the line reuses the pattern built at the stroke's start.
            EXPECT_FLOAT_EQ(balls[11 * 20 + j].z, lift);
        }
    }
}

} // namespace
