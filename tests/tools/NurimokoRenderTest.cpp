// Runs the built nurimoko-render executable (found beside this test program's folder, in ../tools).

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "engine/PaintCanvas.h"
#include "persistence/Bmp.h"
#include "persistence/PngFile.h"

namespace {

namespace fs = std::filesystem;

fs::path ToolPath() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return self.parent_path().parent_path() / "tools" / "nurimoko-render";
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    }
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class NurimokoRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "nurimoko-render-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        ASSERT_TRUE(fs::exists(ToolPath())) << "build the nurimoko-render target first: " << ToolPath();
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(dir, error);
    }

    ToolRun Tool(const std::vector<std::string>& args) {
        std::string command = "'" + ToolPath().string() + "'";
        for (const std::string& a : args) {
            command += " '" + a + "'";
        }
        command += " >'" + (dir / "stdout").string() + "' 2>'" + (dir / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        ToolRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadText(dir / "stdout");
        run.err = ReadText(dir / "stderr");
        return run;
    }

    std::string File(const std::string& name) const { return (dir / name).string(); }

    // A small painting with paint of two materials over a coloured background, saved as a document.
    std::string SavePainting() {
        PaintCanvas canvas;
        EXPECT_EQ(canvas.Create(48, 32), Result::Success);
        canvas.backgroundImage.Fill(40, 160, 90);
        MaterialBlock red;
        red.red = 0.9f;
        red.green = 0.1f;
        red.blue = 0.1f;
        MaterialBlock clear = red;
        clear.blue = 0.8f;
        clear.transparency = 0.5f;
        std::vector<Metaball> metaballs;
        for (int i = 0; i < 6; ++i) {
            Metaball m;
            PaintCanvas::MetaballFromTemplate(m, 8.5f + 6.0f * i, 12.5f + (i % 2) * 6.0f, 0.0f,
                                              i < 3 ? red : clear);
            metaballs.push_back(m);
        }
        UpdateRect changed;
        EXPECT_EQ(canvas.AddMetaballs(metaballs, changed), Result::Success);
        const std::string path = File("painting.mb");
        EXPECT_EQ(canvas.SavePaintFile(path), Result::Success);
        return path;
    }

    // What the program shows for a document: loaded and rendered over the whole canvas in one go.
    static RasterImage Rendered(const std::string& document, bool antiAliasing) {
        PaintCanvas canvas;
        EXPECT_EQ(canvas.LoadPaintFile(document), Result::Success);
        canvas.antiAliasing = antiAliasing ? 1 : 0;
        UpdateRect all = UpdateRect::Make(0, 0, canvas.width - 1, canvas.height - 1);
        canvas.BeginOperation();
        EXPECT_EQ(canvas.Render(all), Result::Success);
        canvas.EndOperation();
        return canvas.renderedImage;
    }

    fs::path dir;
};

TEST_F(NurimokoRenderTest, RendersADocumentToBmpAndPng) {
    const std::string document = SavePainting();
    const RasterImage expected = Rendered(document, true);

    const ToolRun bmp = Tool({document, File("out.bmp")});
    ASSERT_EQ(bmp.status, 0) << bmp.err;
    const auto bmpBytes = ReadBytes(File("out.bmp"));
    ASSERT_EQ(bmpBytes.size(), 54 + expected.data.size());
    EXPECT_EQ(bmpBytes[0], 'B');
    EXPECT_EQ(bmpBytes[28], 24);
    EXPECT_TRUE(std::equal(expected.data.begin(), expected.data.end(), bmpBytes.begin() + 54));

    const ToolRun png = Tool({document, File("out.png")});
    ASSERT_EQ(png.status, 0) << png.err;
    std::vector<std::uint8_t> expectedPng;
    ASSERT_EQ(EncodePng(expected, expectedPng), Result::Success);
    EXPECT_EQ(ReadBytes(File("out.png")), expectedPng);
}

// Paintings of any size and height: rendered as the program shows them, and written back as the very
// document that was read.
TEST_F(NurimokoRenderTest, RendersPaintingsOfAnySizeAndHeightAndWritesThemBackUnchanged) {
    const struct {
        const char* name;
        int width;
        int height;
        float z; // of the paint; NaN for none
    } cases[] = {
        {"paint at 1,500,000", 48, 32, 1500000.0f},
        {"paint at 4,000,000", 48, 32, 4000000.0f},
        {"an empty strip", 1, 40, std::nanf("")},
        {"a banner", 30720, 3, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(c.width, c.height), Result::Success);
        canvas.backgroundImage.Fill(200, 30, 60);
        if (!std::isnan(c.z)) {
            MaterialBlock material;
            material.innerRadius = 1.5f;
            material.outerRadius = 3.0f;
            std::vector<Metaball> metaballs(2);
            PaintCanvas::MetaballFromTemplate(metaballs[0], 2.5f, 1.5f, c.z, material);
            PaintCanvas::MetaballFromTemplate(metaballs[1], c.width - 10.5f, 1.5f, 0.0f, material);
            UpdateRect changed;
            ASSERT_EQ(canvas.AddMetaballs(metaballs, changed), Result::Success);
        }
        const std::string document = File("painting.mb");
        ASSERT_EQ(canvas.SavePaintFile(document), Result::Success);
        const RasterImage expected = Rendered(document, true);
        EXPECT_EQ(expected.data != canvas.backgroundImage.data, !std::isnan(c.z));

        const ToolRun bmp = Tool({document, File("out.bmp")});
        ASSERT_EQ(bmp.status, 0) << bmp.err;
        const auto bmpBytes = ReadBytes(File("out.bmp"));
        ASSERT_EQ(bmpBytes.size(), 54 + expected.data.size());
        EXPECT_TRUE(std::equal(expected.data.begin(), expected.data.end(), bmpBytes.begin() + 54));

        const ToolRun copy = Tool({document, File("copy.mb")});
        ASSERT_EQ(copy.status, 0) << copy.err;
        EXPECT_EQ(ReadBytes(File("copy.mb")), ReadBytes(document));

        // The picture itself, read as a new canvas, comes out as it went in.
        const ToolRun picture = Tool({File("out.bmp"), File("again.bmp")});
        ASSERT_EQ(picture.status, 0) << picture.err;
        EXPECT_EQ(ReadBytes(File("again.bmp")), bmpBytes);
    }
}

TEST_F(NurimokoRenderTest, NoAntialiasRendersWithoutEdgeSampling) {
    const std::string document = SavePainting();
    const RasterImage plain = Rendered(document, false);
    ASSERT_NE(plain.data, Rendered(document, true).data)
        << "the painting must have edges that anti-aliasing smooths";

    const ToolRun run = Tool({document, File("plain.png"), "--no-antialias"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::uint8_t> expectedPng;
    ASSERT_EQ(EncodePng(plain, expectedPng), Result::Success);
    EXPECT_EQ(ReadBytes(File("plain.png")), expectedPng);
}

TEST_F(NurimokoRenderTest, ConvertsAPalettePictureIntoADocument) {
    // A 3 × 2 8-bit picture with a four-colour table (blue, green, red, reserved).
    std::vector<std::uint8_t> bmp = {'B', 'M'};
    const std::uint32_t rowsSize = 4 * 2;
    PutLe(bmp, 54 + 16 + rowsSize, 4);
    PutLe(bmp, 0, 4);
    PutLe(bmp, 54 + 16, 4);
    for (std::uint32_t v : {40u, 3u, 2u}) {
        PutLe(bmp, v, 4);
    }
    PutLe(bmp, 1, 2);
    PutLe(bmp, 8, 2);
    for (std::uint32_t v : {0u, 0u, 0u, 0u, 4u, 0u}) {
        PutLe(bmp, v, 4);
    }
    bmp.insert(bmp.end(), {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 10, 20, 30, 0});
    bmp.insert(bmp.end(), {0, 1, 2, 0, 3, 2, 1, 0}); // row 0, row 1 (each padded to 4 bytes)
    WriteBytes(File("picture.bmp"), bmp);

    const ToolRun run = Tool({File("picture.bmp"), File("picture.mb")});
    ASSERT_EQ(run.status, 0) << run.err;
    PaintCanvas canvas;
    ASSERT_EQ(canvas.LoadPaintFile(File("picture.mb")), Result::Success);
    EXPECT_EQ(canvas.width, 3);
    EXPECT_EQ(canvas.height, 2);
    EXPECT_EQ(canvas.store->Count(), 0);
    ASSERT_EQ(canvas.backgroundImage.bytesPerPixel, 3) << "palette pictures are expanded";
    const auto rgb = [&](int x, int y) {
        const std::uint8_t* p = canvas.backgroundImage.PixelAt(x, y);
        return std::vector<int>{p[2], p[1], p[0]};
    };
    EXPECT_EQ(rgb(0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(rgb(1, 0), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(rgb(2, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(rgb(0, 1), (std::vector<int>{30, 20, 10}));

    const ToolRun info = Tool({"--info", File("picture.mb")});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "width: 3\nheight: 2\nmetaballs: 0\nbackground bytes per pixel: 3\n");
}

TEST_F(NurimokoRenderTest, APngPictureStartsACanvasAsABmpPictureDoes) {
    RasterImage picture;
    ASSERT_EQ(picture.CreateRgb(7, 5), Result::Success);
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 7; ++x) {
            std::uint8_t* p = picture.PixelAt(x, y);
            p[0] = static_cast<std::uint8_t>(30 * x);
            p[1] = static_cast<std::uint8_t>(50 * y);
            p[2] = static_cast<std::uint8_t>(200 - 9 * (x + y));
        }
    }
    ASSERT_EQ(SavePngFile(picture, File("picture.png")), Result::Success);
    ASSERT_EQ(SaveBmpFile(picture, File("picture.bmp")), Result::Success);
    for (const char* input : {"picture.png", "picture.bmp"}) {
        SCOPED_TRACE(input);
        const ToolRun document = Tool({File(input), File("canvas.mb")});
        ASSERT_EQ(document.status, 0) << document.err;
        PaintCanvas canvas;
        ASSERT_EQ(canvas.LoadPaintFile(File("canvas.mb")), Result::Success);
        EXPECT_EQ(canvas.store->Count(), 0);
        EXPECT_EQ(canvas.backgroundImage.data, picture.data);

        const ToolRun rendered = Tool({File(input), File("rendered.png")});
        ASSERT_EQ(rendered.status, 0) << rendered.err;
        RasterImage back;
        ASSERT_EQ(LoadPngFile(back, File("rendered.png")), Result::Success);
        EXPECT_EQ(back.data, picture.data) << "an unpainted canvas shows its background";
    }
    WriteBytes(File("broken.png"), {0x89, 'P', 'N', 'G'});
    const ToolRun broken = Tool({File("broken.png"), File("out.mb")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("-12"), std::string::npos) << broken.err;
    EXPECT_FALSE(fs::exists(File("out.mb")));
}

TEST_F(NurimokoRenderTest, InfoDescribesADocument) {
    const std::string document = SavePainting();
    const ToolRun run = Tool({"--info", document});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "width: 48\nheight: 32\nmetaballs: 6\nbackground bytes per pixel: 3\n");
    EXPECT_TRUE(run.err.empty());
}

TEST_F(NurimokoRenderTest, BrokenDocumentsFailWithTheProgramsMessage) {
    const std::string document = SavePainting();
    const auto good = ReadBytes(document);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* message;
        const char* code;
    };
    auto foreign = good;
    foreign[1] = 'X';
    auto version = good;
    version[25] = '9';
    auto oversized = good;
    for (const std::size_t at : {40, 44}) { // 200000 × 200000 (0x30D40)
        oversized[at] = 0x40;
        oversized[at + 1] = 0x0D;
        oversized[at + 2] = 0x03;
        oversized[at + 3] = 0x00;
    }
    const std::vector<Case> cases = {
        {"truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + 200),
         "【ヌリモコ】ファイルを読めませんでした。", "-12"},
        {"foreign", foreign, "【ヌリモコ】のファイルではありません。", "-14"},
        {"other version", version, "【ヌリモコ】ファイルのバージョンが異なります。", "-15"},
        {"larger than memory", oversized, "ﾒﾓﾘｰ不足です。", "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(File("broken.mb"), c.bytes);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{File("broken.mb"), File("out.png")},
              std::vector<std::string>{"--info", File("broken.mb")}}) {
            const ToolRun run = Tool(args);
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(c.code), std::string::npos) << run.err;
            EXPECT_TRUE(run.out.empty());
        }
        EXPECT_FALSE(fs::exists(File("out.png")));
    }
    const ToolRun missing = Tool({File("nothing.mb"), File("out.bmp")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("【ヌリモコ】ファイルを読めませんでした。"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("-11"), std::string::npos) << missing.err;
}

TEST_F(NurimokoRenderTest, BrokenPicturesAndFailedSavesFailWithTheCodesMessage) {
    WriteBytes(File("broken.bmp"), {'X', 'Y', 0, 0});
    const ToolRun picture = Tool({File("broken.bmp"), File("out.mb")});
    EXPECT_EQ(picture.status, 1);
    EXPECT_NE(picture.err.find("ﾌｧｲﾙからﾃﾞｰﾀを読み込めませんでした。"), std::string::npos) << picture.err;
    EXPECT_NE(picture.err.find("-12"), std::string::npos);
    EXPECT_FALSE(fs::exists(File("out.mb")));

    const std::string document = SavePainting();
    const ToolRun save = Tool({document, File("missing/out.mb")});
    EXPECT_EQ(save.status, 1);
    EXPECT_NE(save.err.find("ﾌｧｲﾙを開けませんでした。"), std::string::npos) << save.err;
    EXPECT_NE(save.err.find("-11"), std::string::npos);
}

TEST_F(NurimokoRenderTest, UsageErrorsExitWithTwo) {
    const std::string document = SavePainting();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {document},
        {document, File("a.png"), File("b.png")},
        {document, File("out.jpg")},
        {File("notes.txt"), File("out.png")},
        {"--frobnicate", document, File("out.png")},
        {"--info"},
        {"--info", document, File("out.png")},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage"), std::string::npos);
    }
    const ToolRun help = Tool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("nurimoko-render INPUT OUTPUT [--no-antialias]"), std::string::npos);
    EXPECT_NE(help.out.find("--info"), std::string::npos);
}

} // namespace
