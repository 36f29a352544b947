// A settings file spoilt by a broken disc, and a primary screen that does not start at the origin: both
// dialogs still come back wholly on the screen and every palette value stays a fraction. (Hand-edited
// garbage values are covered with the settings file's own tests.)

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <string>

#include "QtTestApp.h"
#include "app/SettingsFile.h"
#include "toolbox/ColorButtonGrid.h"

namespace {

const QRect kScreen(0, 0, 1920, 1080);

class FaultSettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        toolBox.resize(300, 500);
        canvasDialog.resize(400, 300);
        ASSERT_EQ(palette.Build(72, 192, 8, 3), 0);
    }

    void WriteFile(const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    void Read(QRect screen = kScreen) { SettingsFile::Read(path, &toolBox, &canvasDialog, &palette, screen); }

    static void ExpectOnScreen(const QWidget& w, QRect screen = kScreen) {
        const QRect frame = w.frameGeometry();
        EXPECT_GE(frame.left(), screen.left());
        EXPECT_GE(frame.top(), screen.top());
        if (frame.width() <= screen.width()) {
            EXPECT_LE(frame.right(), screen.right());
        }
        if (frame.height() <= screen.height()) {
            EXPECT_LE(frame.bottom(), screen.bottom());
        }
    }

    void ExpectPaletteFractions() const {
        for (const GridCell& at : palette.KeyOrder()) {
            const ColorButton& cell = palette.Cell(at.row, at.column);
            EXPECT_TRUE(cell.used == 0 || cell.used == 1);
            for (float v : {cell.hue, cell.lightness, cell.saturation}) {
                EXPECT_GE(v, 0.0f);
                EXPECT_LE(v, 1.0f);
            }
        }
    }

    QApplication& app = TestApp(); // before any widget
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("nurimoko.ini"));
    QWidget toolBox;
    QWidget canvasDialog;
    ColorButtonGrid palette;
};

TEST_F(FaultSettingsFile, AScreenAwayFromTheOriginIsRespected) {
    const QRect screen(1920, 100, 1280, 1024);
    WriteFile(
        "[Dialog_toolbox]\nLeft=0\nTop=5000\nDisplay=1\n[Dialog_background]\nLeft=9000\nTop=-5\nDisplay=1\n");
    Read(screen);
    ExpectOnScreen(toolBox, screen);
    ExpectOnScreen(canvasDialog, screen);
    // Pulled back against the screen's own edges, not against the origin.
    EXPECT_EQ(toolBox.frameGeometry().left(), screen.left());
    EXPECT_EQ(toolBox.frameGeometry().bottom(), screen.bottom());
    EXPECT_EQ(canvasDialog.frameGeometry().right(), screen.right());
    EXPECT_EQ(canvasDialog.frameGeometry().top(), screen.top());
}

TEST_F(FaultSettingsFile, BinaryJunkLeavesEverythingUsable) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) {
        junk.append(static_cast<char>((i * 131 + 7) & 0xFF));
    }
    junk.insert(100, "\0[Dialog_toolbox]\nLeft=\xff\xfe-77777\nTop=\0\0\n", 39);
    WriteFile(junk);
    Read();
    ExpectOnScreen(toolBox);
    ExpectOnScreen(canvasDialog);
    ExpectPaletteFractions();
}

} // namespace
