// Runs the built nurimoko-sample executable (found beside this test program's folder, in ../tools) and
// reads back the pictures it paints for the manual.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

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

    // Paints with the arguments into a BMP file and loads it.
    RasterImage Paint(const std::string& name, std::vector<std::string> args) {
        const fs::path out = dir / (name + ".bmp");
        args.push_back("--out");
        args.push_back(out.string());
        EXPECT_EQ(Run(args), 0) << err;
        RasterImage image;
        EXPECT_EQ(LoadBmpFile(image, out.string()), Result::Success) << out;
        return image;
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.args), 2);
        EXPECT_FALSE(err.empty());
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(dir / "never.jpg"));
    }
}

TEST_F(NurimokoSampleTest, ReportsAnOutputThatCannotBeWritten) {
    EXPECT_EQ(Run({"--brush", "simple", "--out", (dir / "no-such-folder" / "x.png").string()}), 1);
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
}

TEST_F(NurimokoSampleTest, WritesThePaintDocumentOfTheSample) {
    for (const char* kind : {"simple", "spray", "eraser"}) {
        SCOPED_TRACE(kind);
        const fs::path out = dir / (std::string(kind) + ".mb");
        ASSERT_EQ(Run({"--brush", kind, "--size", "120x64", "--out", out.string()}), 0) << err;
        PaintCanvas document;
        ASSERT_EQ(document.LoadPaintFile(out.string()), Result::Success);
        EXPECT_EQ(document.width, 120);
        EXPECT_EQ(document.height, 64);
        const auto live = std::count_if(document.store->records.begin(), document.store->records.end(),
                                        [](const Metaball& m) { return m.state == MetaballLive; });
        EXPECT_GT(live, 10) << "the stroke's paint is in the document";
        const std::uint8_t* corner = document.backgroundImage.PixelAt(0, 0);
        EXPECT_EQ((std::vector<std::uint8_t>{corner[2], corner[1], corner[0]}),
                  (std::vector<std::uint8_t>(Paper, Paper + 3)));
    }
}

} // namespace
