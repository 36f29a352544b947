// Writes the small seed corpora of the fuzz targets with the program's own writers (paint documents,
// 24-bit BMP files, undo step files, settings files) plus hand-built BMP files of the depths the
// program reads but never writes. Usage: make-seeds <corpus folder>

#include <QString>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/SettingsFile.h"
#include "engine/PaintCanvas.h"
#include "persistence/Bmp.h"
#include "persistence/PngFile.h"
#include "persistence/UndoJournal.h"
#include "toolbox/ColorButtonGrid.h"

namespace fs = std::filesystem;

namespace {

bool failed = false;

void Check(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "make-seeds: %s failed\n", what.c_str());
        failed = true;
    }
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "writing " + path.string());
}

struct Le {
    std::vector<std::uint8_t> bytes;
    Le& U8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    Le& U16(std::uint16_t v) {
        return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8));
    }
    Le& U32(std::uint32_t v) {
        return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
    }
};

Metaball Ball(const MaterialBlock& material, float x, float y) {
    Metaball m;
    PaintCanvas::MetaballFromTemplate(m, x, y, 0.0f, material);
    return m;
}

void Paint(PaintCanvas& canvas, const std::vector<Metaball>& balls) {
    UpdateRect changed = UpdateRect::Empty();
    canvas.BeginOperation();
    Check(canvas.AddMetaballs(balls, changed) == Result::Success, "depositing");
    Check(canvas.Render(changed) == Result::Success, "rendering");
    canvas.EndOperation();
}

void PaintSeeds(const fs::path& out) {
    MaterialBlock red;
    red.red = 0.9f;
    red.green = 0.1f;
    red.blue = 0.2f;
    red.innerRadius = 2.0f;
    red.outerRadius = 4.0f;
    red.transparency = 0.3f;
    red.rainbow = 0.5f;
    MaterialBlock blue = red;
    blue.blue = 1.0f;
    blue.outerRadius = 1.0f; // smaller than the inner radius: raised on loading

    PaintCanvas empty;
    Check(empty.Create(4, 3) == Result::Success, "empty canvas");
    Check(empty.SavePaintFile((out / "empty.mb").string()) == Result::Success, "empty.mb");

    PaintCanvas painted;
    Check(painted.Create(12, 8) == Result::Success, "painted canvas");
    Paint(painted, {Ball(red, 3.5f, 3.5f), Ball(red, 5.5f, 3.5f), Ball(blue, 8.5f, 4.5f),
                    Ball(MaterialBlock{}, 6.0f, 6.0f)});
    UpdateRect rect = UpdateRect::Empty();
    Check(painted.EraseIds({1}, rect) >= 0, "erasing");
    Check(painted.SavePaintFile((out / "painted.mb").string()) == Result::Success, "painted.mb");

    PaintCanvas palette;
    Check(palette.Create(5, 4) == Result::Success, "palette canvas");
    Check(palette.backgroundImage.Create(5, 4, 1, 4) == Result::Success, "palette background");
    for (int k = 0; k < 12; ++k) {
        palette.backgroundImage.palette[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(20 * k);
    }
    for (std::size_t k = 0; k < palette.backgroundImage.data.size(); ++k) {
        palette.backgroundImage.data[k] = static_cast<std::uint8_t>(k % 4);
    }
    Paint(palette, {Ball(blue, 2.5f, 2.5f)});
    Check(palette.SavePaintFile((out / "palette.mb").string()) == Result::Success, "palette.mb");
}

// A BITMAPFILEHEADER and BITMAPINFOHEADER for width × height at `bits`, then `rest` (table and rows).
std::vector<std::uint8_t> BmpFile(std::int32_t width, std::int32_t height, std::uint16_t bits,
                                  std::uint32_t compression, std::uint32_t colours,
                                  const std::vector<std::uint8_t>& rest) {
    Le b;
    b.U16(0x4D42).U32(static_cast<std::uint32_t>(54 + rest.size())).U16(0).U16(0).U32(54);
    b.U32(40).U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height)).U16(1).U16(bits);
    b.U32(compression).U32(0).U32(0).U32(0).U32(colours).U32(0);
    b.bytes.insert(b.bytes.end(), rest.begin(), rest.end());
    return b.bytes;
}

// Pictures as the program writes them: a tiny one and one with several rows of varied pixels.
void PngSeeds(const fs::path& out) {
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{17, 9}}) {
        RasterImage rgb;
        Check(rgb.CreateRgb(w, h) == Result::Success, "PNG seed picture");
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t x = 0; x < w; ++x) {
                std::uint8_t* p = rgb.PixelAt(x, y);
                p[0] = static_cast<std::uint8_t>(15 * x);
                p[1] = static_cast<std::uint8_t>(28 * y);
                p[2] = static_cast<std::uint8_t>(x * y);
            }
        }
        const std::string name = "rgb" + std::to_string(w) + "x" + std::to_string(h) + ".png";
        Check(SavePngFile(rgb, (out / name).string()) == Result::Success, name.c_str());
    }
}

void BmpSeeds(const fs::path& out) {
    RasterImage rgb;
    Check(rgb.CreateRgb(3, 2) == Result::Success, "3x2 picture");
    for (std::size_t k = 0; k < rgb.data.size(); ++k) {
        rgb.data[k] = static_cast<std::uint8_t>(37 * k);
    }
    Check(SaveBmpFile(rgb, (out / "rgb24.bmp").string()) == Result::Success, "rgb24.bmp");

    // 8-bit with a four-entry table, and with the full 256-entry table implied by biClrUsed 0.
    Le table4;
    for (std::uint32_t k = 0; k < 4; ++k) {
        table4.U32(0x00102030u * (k + 1));
    }
    Le rows8{{0, 1, 2, 3, 3, 2, 1, 0}};
    Le small = table4;
    small.bytes.insert(small.bytes.end(), rows8.bytes.begin(), rows8.bytes.end());
    WriteAll(out / "pal8.bmp", BmpFile(3, 2, 8, 0, 4, small.bytes));
    Le full;
    for (std::uint32_t k = 0; k < 256; ++k) {
        full.U32(k * 0x010101u);
    }
    full.bytes.insert(full.bytes.end(), rows8.bytes.begin(), rows8.bytes.end());
    WriteAll(out / "pal8-256.bmp", BmpFile(2, 2, 8, 0, 0, full.bytes));

    // 16-bit 5-5-5 (BI_RGB) and 5-6-5 (BI_BITFIELDS), two rows of two pixels.
    Le rows555;
    rows555.U16(0x7FFF).U16(0x7C00).U16(0x03E0).U16(0x001F);
    WriteAll(out / "rgb555.bmp", BmpFile(2, 2, 16, 0, 0, rows555.bytes));
    Le rows565;
    rows565.U32(0xF800).U32(0x07E0).U32(0x001F).U16(0xFFFF).U16(0xF800).U16(0x07E0).U16(0x001F);
    WriteAll(out / "rgb565.bmp", BmpFile(2, 2, 16, 3, 0, rows565.bytes));

    // 32-bit, without and with masks, and a top-down 24-bit picture.
    Le rows32;
    rows32.U32(0xFF112233).U32(0x00445566).U32(0x80778899).U32(0x01AABBCC);
    WriteAll(out / "rgb32.bmp", BmpFile(2, 2, 32, 0, 0, rows32.bytes));
    Le masked32;
    masked32.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF);
    masked32.bytes.insert(masked32.bytes.end(), rows32.bytes.begin(), rows32.bytes.end());
    WriteAll(out / "bitfields32.bmp", BmpFile(2, 2, 32, 3, 0, masked32.bytes));
    std::vector<std::uint8_t> topDown = ReadAll(out / "rgb24.bmp");
    if (topDown.size() > 26) {
        const std::uint32_t negative = static_cast<std::uint32_t>(-2);
        for (int i = 0; i < 4; ++i) {
            topDown[22 + i] = static_cast<std::uint8_t>(negative >> (8 * i));
        }
        WriteAll(out / "topdown24.bmp", topDown);
    }
}

// Each seed is the step kind's selector byte followed by the step file the journal wrote.
void UndoSeeds(const fs::path& out, const fs::path& scratch) {
    PaintCanvas canvas;
    Check(canvas.Create(24, 16) == Result::Success, "undo canvas");
    MaterialBlock material;
    material.innerRadius = 2.0f;
    material.outerRadius = 4.0f;
    Paint(canvas, {Ball(material, 3.5f, 8.5f), Ball(material, 6.5f, 8.5f), Ball(material, 9.5f, 8.5f)});
    UndoJournal journal((scratch / "UNDO").string());
    journal.Init(canvas);
    Check(journal.Reset() == Result::Success, "journal reset");
    const std::vector<std::int32_t> ids = {0, 2, 1};
    const std::vector<Position3> from = {{3.5f, 8.5f, 0.0f}, {9.5f, 8.5f, 0.0f}, {6.5f, 8.5f, 0.0f}};
    const std::vector<Position3> to = {{4.0f, 9.0f, 0.5f}, {20.0f, 2.0f, 0.0f}, {1.0f, 1.0f, 1.0f}};
    const std::vector<PaintColour> before = {
        {0, 1.0f, 1.0f, 1.0f}, {0, 0.5f, 0.2f, 0.1f}, {0, 0.0f, 0.0f, 0.0f}};
    const std::vector<PaintColour> after = {
        {0, 0.2f, 0.4f, 0.6f}, {0, 1.0f, 0.0f, 0.0f}, {0, 0.3f, 0.3f, 0.3f}};
    Check(journal.RecordAdd(ids) == Result::Success, "add step");
    Check(journal.RecordErase({1}) == Result::Success, "erase step");
    Check(journal.RecordMove(ids, from, to) == Result::Success, "move step");
    Check(journal.RecordRecolour(ids, before, after) == Result::Success, "recolour step");
    Check(journal.RecordBackground() == Result::Success, "background step");
    const char* names[] = {"add", "erase", "move", "recolour", "background"};
    const std::uint8_t selectors[] = {0, 1, 2, 3, 4};
    const auto& entries = journal.Entries();
    Check(entries.size() == 6, "six entries");
    for (std::size_t i = 1; i < entries.size() && i <= 5; ++i) {
        const UndoEntry& e = entries[i];
        std::vector<std::uint8_t> seed = {selectors[i - 1]};
        const auto file = ReadAll(journal.PathOf(e.idsFile.empty() ? e.backgroundFile : e.idsFile));
        seed.insert(seed.end(), file.begin(), file.end());
        WriteAll(out / (std::string(names[i - 1]) + ".undo"), seed);
    }
}

void SettingsSeeds(const fs::path& out) {
    ColorButtonGrid palette;
    Check(palette.Build(72, 192, 8, 3) == 0, "palette");
    int n = 0;
    for (const GridCell& at : palette.KeyOrder()) {
        ColorButton& cell = palette.Cell(at.row, at.column);
        cell.used = n % 3 == 0 ? 1 : 0;
        cell.hue = static_cast<float>(n) / 23.0f;
        cell.lightness = 0.5f;
        cell.saturation = 1.0f - static_cast<float>(n) / 46.0f;
        ++n;
    }
    ProfileFile profile;
    profile.SetInt(SettingsFile::ToolBoxSection, "Top", 120);
    profile.SetInt(SettingsFile::ToolBoxSection, "Left", 5000);
    profile.SetInt(SettingsFile::ToolBoxSection, "Display", 1);
    profile.SetInt(SettingsFile::CanvasDialogSection, "Top", -40);
    profile.SetInt(SettingsFile::CanvasDialogSection, "Left", 30);
    profile.SetInt(SettingsFile::CanvasDialogSection, "Display", 0);
    SettingsFile::StorePalette(profile, palette);
    Check(profile.Save(QString::fromStdString((out / "written.ini").string())), "written.ini");

    // A hand-edited file: comments, odd spacing and case, a missing flag key, junk values.
    const std::string edited = "; edited by hand\r\n[dialog_TOOLBOX]\r\n top = 99999999999 \r\nLeft=-7x\r\n"
                               "Display=yes\r\nColorButton00-flag=1\r\nColorButton00-H=250000\r\n"
                               "ColorButton02-flag=0\n[Dialog_background]\nTop=+15\nLeft=\n";
    WriteAll(out / "edited.ini", std::vector<std::uint8_t>(edited.begin(), edited.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-seeds <corpus folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path scratch = fs::temp_directory_path() / ("nurimoko-seeds-" + std::to_string(::getpid()));
    for (const char* target : {"paint_file", "bmp", "png", "undo_files", "settings_file"}) {
        fs::create_directories(root / target);
    }
    fs::create_directories(scratch);
    PaintSeeds(root / "paint_file");
    BmpSeeds(root / "bmp");
    PngSeeds(root / "png");
    UndoSeeds(root / "undo_files", scratch);
    SettingsSeeds(root / "settings_file");
    std::error_code error;
    fs::remove_all(scratch, error);
    return failed ? 1 : 0;
}
