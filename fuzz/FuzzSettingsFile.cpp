// Reads any bytes as the settings file: both dialogs must end up wholly on the screen (or with their
// top-left corner on it when larger than the screen), every palette value must be a fraction, and a
// profile written back must read back with the same values.

#include <QApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/SettingsFile.h"
#include "fuzz/FuzzSupport.h"
#include "toolbox/ColorButtonGrid.h"

namespace {

const QRect kScreen(0, 0, 1920, 1080);

struct Widgets {
    QWidget toolBox;
    QWidget canvasDialog;
};

Widgets* shared = nullptr;

void CheckOnScreen(const QWidget& dialog) {
    const QRect frame = dialog.frameGeometry();
    FUZZ_CHECK(frame.left() >= kScreen.left() && frame.top() >= kScreen.top());
    if (frame.width() <= kScreen.width()) {
        FUZZ_CHECK(frame.right() <= kScreen.right());
    }
    if (frame.height() <= kScreen.height()) {
        FUZZ_CHECK(frame.bottom() <= kScreen.bottom());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(*argc, *argv);
    shared = new Widgets;
    shared->toolBox.resize(300, 500);
    shared->canvasDialog.resize(2500, 200);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = (fuzzsupport::ScratchFolder() / "settings.ini").string();
    fuzzsupport::WriteWhole(path, data, size);

    ColorButtonGrid palette;
    FUZZ_CHECK(palette.Build(72, 192, 8, 3) == 0);
    SettingsFile::Read(QString::fromStdString(path), &shared->toolBox, &shared->canvasDialog, &palette,
                       kScreen);
    CheckOnScreen(shared->toolBox);
    CheckOnScreen(shared->canvasDialog);
    for (const GridCell& at : palette.KeyOrder()) {
        const ColorButton& cell = palette.Cell(at.row, at.column);
        FUZZ_CHECK(cell.used == 0 || cell.used == 1);
        for (float v : {cell.hue, cell.lightness, cell.saturation}) {
            FUZZ_CHECK(v >= 0.0f && v <= 1.0f);
        }
    }

    // Whatever was read, a profile written back reads back the same.
    ProfileFile profile;
    profile.Load(QString::fromStdString(path));
    SettingsFile::StorePalette(profile, palette);
    FUZZ_CHECK(profile.Save(QString::fromStdString(path)));
    ProfileFile again;
    again.Load(QString::fromStdString(path));
    ColorButtonGrid reread;
    FUZZ_CHECK(reread.Build(72, 192, 8, 3) == 0);
    SettingsFile::LoadPalette(again, reread);
    for (const GridCell& at : palette.KeyOrder()) {
        const ColorButton& a = palette.Cell(at.row, at.column);
        const ColorButton& b = reread.Cell(at.row, at.column);
        FUZZ_CHECK(a.used == b.used);
        // Values are stored as whole hundred-thousandths, so they may lose what lies below that.
        FUZZ_CHECK(std::abs(a.hue - b.hue) <= 2e-5f && std::abs(a.lightness - b.lightness) <= 2e-5f &&
                   std::abs(a.saturation - b.saturation) <= 2e-5f);
    }
    return 0;
}
