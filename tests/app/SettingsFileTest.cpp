#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

#include "QtTestApp.h"
#include "app/SettingsFile.h"
#include "toolbox/CDlgToolBox.h"
#include "toolbox/ColorButtonGrid.h"

namespace {

const QRect Screen(0, 0, 1920, 1080);

QString ReadText(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromLatin1(file.readAll());
}

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

ColorButtonGrid DefaultPalette() {
    ColorButtonGrid palette;
    palette.Build(40, 80, 8, 3);
    CDlgToolBox::FillDefaultPalette(palette);
    return palette;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(folder.isValid());
        path = folder.filePath(QStringLiteral("nurimoko.ini"));
        toolBox = std::make_unique<QDialog>();
        canvas = std::make_unique<QDialog>();
        toolBox->resize(200, 400);
        canvas->resize(300, 250);
    }

    QTemporaryDir folder;
    QString path;
    std::unique_ptr<QDialog> toolBox;
    std::unique_ptr<QDialog> canvas;
};

} // namespace

TEST(SettingsFilePath, FolderAndNameWithoutExtension) {
    struct Case {
        const char* executable;
        const char* settings;
    };
    for (const Case& c : {Case{"C:\\Tools\\paint.exe", "C:\\Tools/paint.ini"},
                          Case{"/opt/nurimoko/bin/nurimoko", "/opt/nurimoko/bin/nurimoko.ini"},
                          Case{"/opt/a.b/prog", "/opt/a.b/prog.ini"},
                          Case{"/usr/local/bin/my.paint.bin", "/usr/local/bin/my.paint.ini"}}) {
        SCOPED_TRACE(c.executable);
        EXPECT_EQ(SettingsFile::PathFor(QString::fromLatin1(c.executable)), QString::fromLatin1(c.settings));
    }
}

TEST(SettingsFilePath, FallsBackWhenTheExecutableFolderIsNotWritable) {
    QTemporaryDir programs;
    QTemporaryDir config;
    ASSERT_TRUE(programs.isValid() && config.isValid());
    const QString executable = programs.filePath(QStringLiteral("nurimoko"));
    EXPECT_EQ(SettingsFile::Choose(executable, config.path()),
              programs.filePath(QStringLiteral("nurimoko.ini")));
    // A folder that cannot take the file (here: one that does not exist) sends it to the fallback folder.
    const QString nowhere = programs.filePath(QStringLiteral("gone/nurimoko"));
    const QString chosen = SettingsFile::Choose(nowhere, config.path() + QStringLiteral("/sub"));
    EXPECT_EQ(chosen, config.path() + QStringLiteral("/sub/nurimoko.ini"));
    EXPECT_TRUE(QFileInfo(config.path() + QStringLiteral("/sub")).isDir());
}

TEST_F(SettingsFileTest, WrittenAtCloseAndRestoredAtTheNextStart) {
    toolBox->move(100, 150);
    toolBox->show();
    canvas->move(700, 20);
    canvas->show();
    canvas->showMinimized();
    canvas->hide();
    ColorButtonGrid palette = DefaultPalette();
    palette.Cell(3, 1) = ColorButton{1, 0.25f, 0.4f, 0.6f};
    palette.Cell(7, 0).used = 0; // emptied, keeps its colour values
    palette.Cell(0, 2) = ColorButton{1, 1.0f, 1.0f, 1.0f};
    ASSERT_TRUE(SettingsFile::Write(path, toolBox.get(), canvas.get(), &palette));

    const QString text = ReadText(path);
    EXPECT_TRUE(text.contains(QStringLiteral("[Dialog_toolbox]\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("[Dialog_background]\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nDisplay=1\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("ColorButton00-flag=0\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("ColorButton00-H=100000\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("ColorButton23-S=100000\r\n")));
    EXPECT_EQ(text.count(QStringLiteral("ColorButton")), 96);

    auto nextToolBox = std::make_unique<QDialog>();
    auto nextCanvas = std::make_unique<QDialog>();
    nextToolBox->resize(200, 400);
    nextCanvas->resize(300, 250);
    ColorButtonGrid next = DefaultPalette();
    SettingsFile::Read(path, nextToolBox.get(), nextCanvas.get(), &next, Screen);
    EXPECT_EQ(nextToolBox->frameGeometry().topLeft(), toolBox->frameGeometry().topLeft());
    EXPECT_EQ(nextCanvas->frameGeometry().topLeft(), canvas->frameGeometry().topLeft());
    EXPECT_TRUE(nextToolBox->isVisible());
    EXPECT_FALSE(nextCanvas->isVisible());
    for (const GridCell& at : next.KeyOrder()) {
        SCOPED_TRACE(at.row * 10 + at.column);
        const ColorButton& a = palette.Cell(at.row, at.column);
        const ColorButton& b = next.Cell(at.row, at.column);
        EXPECT_EQ(a.used, b.used);
        EXPECT_NEAR(a.hue, b.hue, 1e-5);
        EXPECT_NEAR(a.lightness, b.lightness, 1e-5);
        EXPECT_NEAR(a.saturation, b.saturation, 1e-5);
    }
    EXPECT_EQ(next.Cell(7, 0).used, 0);
    EXPECT_FLOAT_EQ(next.Cell(7, 0).hue, 1.0f);
    EXPECT_FLOAT_EQ(next.Cell(0, 2).hue, 1.0f);
}

TEST_F(SettingsFileTest, AMissingFileOpensBothBesideTheCanvasWithTheDefaultPalette) {
    // The part of the screen below the main window's menu and tool bar.
    const QRect free(0, 88, 1920, 992);
    ColorButtonGrid palette = DefaultPalette();
    SettingsFile::Read(folder.filePath(QStringLiteral("none.ini")), toolBox.get(), canvas.get(), &palette,
                       Screen, free);
    const QRect tool = toolBox->frameGeometry();
    const QRect other = canvas->frameGeometry();
    EXPECT_TRUE(toolBox->isVisible());
    EXPECT_TRUE(canvas->isVisible());
    EXPECT_FALSE(toolBox->isMinimized());
    EXPECT_EQ(tool.right(), free.right());
    EXPECT_EQ(tool.top(), free.top());
    EXPECT_EQ(other.right() + 1, tool.left());
    EXPECT_EQ(other.top(), free.top());
    EXPECT_EQ(palette.Cell(7, 0).used, 1);
    EXPECT_EQ(palette.Cell(3, 1).used, 0);
}

TEST(SettingsFilePlaces, FirstStartPlacesStayInTheFreeAreaWithoutOverlapping) {
    struct Case {
        const char* name;
        QRect area;
        bool sideBySide; // else the canvas dialog goes under the tool box
    };
    const QSize tool(280, 520);
    const QSize other(320, 380);
    for (const Case& c : {Case{"wide screen", QRect(0, 88, 1920, 992), true},
                          Case{"screen away from the origin", QRect(1920, 150, 1280, 874), true},
                          Case{"narrow and tall", QRect(0, 60, 500, 1100), false}}) {
        SCOPED_TRACE(c.name);
        const SettingsFile::FirstStartPlaces places = SettingsFile::PlacesBeside(c.area, tool, other);
        const QRect t(places.toolBox, tool);
        const QRect o(places.canvasDialog, other);
        EXPECT_TRUE(c.area.contains(t));
        EXPECT_TRUE(c.area.contains(o));
        EXPECT_FALSE(t.intersects(o));
        EXPECT_EQ(t.right(), c.area.right());
        EXPECT_EQ(t.top(), c.area.top());
        if (c.sideBySide) {
            EXPECT_EQ(o.right() + 1, t.left());
            EXPECT_EQ(o.top(), c.area.top());
        } else {
            EXPECT_EQ(o.top(), t.bottom() + 1);
        }
    }
    // An area too small for both keeps each one inside it as far as it goes.
    const QRect tiny(0, 50, 400, 300);
    const SettingsFile::FirstStartPlaces places = SettingsFile::PlacesBeside(tiny, tool, other);
    EXPECT_EQ(places.toolBox, QPoint(tiny.right() + 1 - tool.width(), tiny.top()));
    EXPECT_EQ(places.canvasDialog, QPoint(tiny.left(), tiny.top()));
}

TEST_F(SettingsFileTest, PositionsArePulledBackOntoTheScreen) {
    WriteText(path, "[Dialog_toolbox]\r\nTop=-40\r\nLeft=5000\r\nDisplay=1\r\n"
                    "[Dialog_background]\r\nTop=99999\r\nLeft=-7\r\nDisplay=1\r\n");
    SettingsFile::Read(path, toolBox.get(), canvas.get(), nullptr, Screen);
    const QRect tool = toolBox->frameGeometry();
    EXPECT_EQ(tool.left() + tool.width(), 1920);
    EXPECT_EQ(tool.top(), 0);
    const QRect other = canvas->frameGeometry();
    EXPECT_EQ(other.left(), 0);
    EXPECT_EQ(other.top() + other.height(), 1080);
}

TEST_F(SettingsFileTest, GarbageValuesStillStartWithTheDialogsOnTheScreen) {
    WriteText(path, "[Dialog_toolbox]\nTop=abc\nLeft=-99999999999999\nDisplay=yes\nColorButton00-flag=7\n"
                    "ColorButton00-H=99999999999\nColorButton00-L=-5\nColorButton00-S=12x\n"
                    "ColorButton01-flag=\n[Dialog_background]\nTop=2147483647\nLeft=2147483647\nDisplay=1\n");
    // A window larger than the screen keeps its top-left corner on it.
    canvas->resize(2500, 300);
    ColorButtonGrid palette = DefaultPalette();
    SettingsFile::Read(path, toolBox.get(), canvas.get(), &palette, Screen);
    EXPECT_TRUE(Screen.contains(toolBox->frameGeometry()));
    EXPECT_TRUE(Screen.contains(canvas->frameGeometry().topLeft()));
    EXPECT_EQ(canvas->frameGeometry().bottom(), 1079);
    const ColorButton& first = palette.Cell(7, 0);
    EXPECT_EQ(first.used, 1);
    EXPECT_FLOAT_EQ(first.hue, 1.0f);
    EXPECT_FLOAT_EQ(first.lightness, 0.0f);
    EXPECT_FLOAT_EQ(first.saturation, 0.00012f);
    // An empty flag reads as 0: the cell is stored as empty.
    EXPECT_EQ(palette.Cell(6, 0).used, 0);
}

TEST_F(SettingsFileTest, AMissingFlagStopsTheNumbering) {
    ColorButtonGrid stored;
    stored.Build(40, 80, 8, 3);
    for (const GridCell& at : stored.KeyOrder()) {
        stored.Cell(at.row, at.column) = ColorButton{1, 0.5f, 0.5f, 0.5f};
    }
    ASSERT_TRUE(SettingsFile::Write(path, nullptr, nullptr, &stored));
    const ColorButtonGrid defaults = DefaultPalette();
    {
        QString text = ReadText(path);
        text.replace(QStringLiteral("ColorButton00-flag=1\r\n"), QString());
        WriteText(path, text.toLatin1());
    }
    ColorButtonGrid palette = DefaultPalette();
    SettingsFile::Read(path, nullptr, nullptr, &palette, Screen);
    for (const GridCell& at : palette.KeyOrder()) {
        const ColorButton& cell = palette.Cell(at.row, at.column);
        const ColorButton& fresh = defaults.Cell(at.row, at.column);
        EXPECT_EQ(cell.used, fresh.used);
        EXPECT_FLOAT_EQ(cell.hue, fresh.hue);
    }

    ASSERT_TRUE(SettingsFile::Write(path, nullptr, nullptr, &stored));
    QString text = ReadText(path);
    text.replace(QStringLiteral("ColorButton05-flag=1\r\n"), QString());
    WriteText(path, text.toLatin1());
    palette = DefaultPalette();
    SettingsFile::Read(path, nullptr, nullptr, &palette, Screen);
    const std::vector<GridCell> order = palette.KeyOrder();
    for (std::size_t n = 0; n < order.size(); ++n) {
        SCOPED_TRACE(n);
        const ColorButton& cell = palette.Cell(order[n].row, order[n].column);
        const ColorButton& fresh = defaults.Cell(order[n].row, order[n].column);
        if (n < 5) {
            EXPECT_FLOAT_EQ(cell.lightness, 0.5f);
            EXPECT_EQ(cell.used, 1);
        } else {
            EXPECT_EQ(cell.used, fresh.used);
            EXPECT_FLOAT_EQ(cell.lightness, fresh.lightness);
        }
    }
}

TEST(ProfileFile, ReadsLikeAPrivateProfileAndKeepsOtherLines) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("x.ini"));
    WriteText(path, "; made by hand\n[other]\nname = value\n\n[dialog_TOOLBOX]\n  top = 12 \nLeft=0x10\n");
    ProfileFile profile;
    profile.Load(path);
    EXPECT_EQ(profile.GetInt("Dialog_toolbox", "Top", -1), 12);
    EXPECT_EQ(profile.GetInt("Dialog_toolbox", "Left", -1), 0);
    EXPECT_EQ(profile.GetInt("Dialog_toolbox", "Display", -1), -1);
    EXPECT_EQ(profile.GetString("other", "name"), std::optional<std::string>("value"));
    profile.SetInt("Dialog_toolbox", "Display", 1);
    profile.SetInt("Dialog_toolbox", "Top", -3);
    profile.SetInt("Dialog_background", "Top", 4);
    ASSERT_TRUE(profile.Save(path));
    EXPECT_EQ(ReadText(path),
              QStringLiteral("; made by hand\r\n[other]\r\nname=value\r\n\r\n[dialog_TOOLBOX]\r\n"
                             "top=-3\r\nLeft=0x10\r\nDisplay=1\r\n\r\n[Dialog_background]\r\n"
                             "Top=4\r\n"));
}

TEST_F(SettingsFileTest, TheToolBoxPaletteRoundTrips) {
    CDlgToolBox box(nullptr, nullptr);
    box.SetCurrentColour(0.123f, 0.456f, 0.789f);
    box.RegisterCurrentColour();
    ASSERT_TRUE(SettingsFile::Write(path, &box, nullptr, &box.Palette()));
    CDlgToolBox next(nullptr, nullptr);
    SettingsFile::Read(path, &next, nullptr, &next.Palette(), Screen);
    const ColorButton& cell = next.Palette().Cell(3, 1);
    EXPECT_EQ(cell.used, 1);
    EXPECT_NEAR(cell.hue, 0.123f, 1e-5);
    EXPECT_NEAR(cell.lightness, 0.456f, 1e-5);
    EXPECT_NEAR(cell.saturation, 0.789f, 1e-5);
    EXPECT_FALSE(next.isVisible()); // stored while never shown
}
