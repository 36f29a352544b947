#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <functional>

#include "ViewFixture.h"
#include "app/CommandIds.h"
#include "dialogs/CDlgBackground.h"
#include "persistence/Bmp.h"
#include "persistence/UndoJournal.h"
#include "toolbox/CDlgToolBox.h"

namespace {

class ViewWithDialogs : public ViewFixture {
protected:
    void SetUp() override {
        withDialogs = true;
        ViewFixture::SetUp();
        ASSERT_NE(view->ToolBox(), nullptr);
        ASSERT_NE(view->CanvasDialog(), nullptr);
    }
    template <typename T> T* Control(QWidget* dialog, const char* id) {
        return dialog->findChild<T*>(QString::fromLatin1(id));
    }
    const std::uint8_t* Shown(int x, int y) { return view->DisplayImage().PixelAt(x, y); }
};

TEST_F(ViewWithDialogs, OnAFirstStartBothDialogsOpenAsToolWindowsOfTheMainWindow) {
    for (QWidget* dialog :
         {static_cast<QWidget*>(view->ToolBox()), static_cast<QWidget*>(view->CanvasDialog())}) {
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(dialog->isMinimized());
        EXPECT_EQ(dialog->windowType(), Qt::Tool);
        ASSERT_NE(dialog->windowHandle(), nullptr);
        EXPECT_EQ(dialog->windowHandle()->transientParent(), view->window()->windowHandle());
    }
    EXPECT_TRUE(view->IsCommandChecked(Cmd::ShowToolBox));
    EXPECT_TRUE(view->IsCommandChecked(Cmd::ShowCanvasDialog));
}

TEST_F(ViewWithDialogs, HidingAToolWindowHidesItAloneAndTheMenuBringsItBack) {
    struct Way {
        const char* name;
        std::function<void(QWidget*)> hide;
    };
    const Way ways[] = {
        {"menu",
         [this](QWidget* d) {
             view->OnCommand(d == view->ToolBox() ? Cmd::ShowToolBox : Cmd::ShowCanvasDialog);
         }},
        {"Esc",
         [](QWidget* d) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(d, &esc);
         }},
        {"close box", [](QWidget* d) { d->close(); }},
    };
    for (const Way& way : ways) {
        for (QWidget* dialog :
             {static_cast<QWidget*>(view->ToolBox()), static_cast<QWidget*>(view->CanvasDialog())}) {
            SCOPED_TRACE(std::string(way.name) + " / " + dialog->windowTitle().toStdString());
            QWidget* other = dialog == view->ToolBox() ? static_cast<QWidget*>(view->CanvasDialog())
                                                       : static_cast<QWidget*>(view->ToolBox());
            const int command = dialog == view->ToolBox() ? Cmd::ShowToolBox : Cmd::ShowCanvasDialog;
            ASSERT_TRUE(view->IsCommandChecked(command));
            way.hide(dialog);
            EXPECT_FALSE(dialog->isVisible());
            // Hidden, never minimised: a window manager minimises the main window with it.
            EXPECT_FALSE(dialog->windowState().testFlag(Qt::WindowMinimized));
            EXPECT_FALSE(view->window()->windowState().testFlag(Qt::WindowMinimized));
            EXPECT_TRUE(view->isVisible());
            EXPECT_TRUE(other->isVisible());
            EXPECT_FALSE(view->IsCommandChecked(command));
            view->OnCommand(command);
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_TRUE(view->IsCommandChecked(command));
        }
    }
    // Showing the canvas dialog again gives it a fresh copy of the canvas's background.
    view->OnCommand(Cmd::ShowCanvasDialog);
    view->CanvasDialog()->WorkingImage().Fill(1, 2, 3);
    view->OnCommand(Cmd::ShowCanvasDialog);
    EXPECT_EQ(view->CanvasDialog()->WorkingImage().data, view->Canvas().backgroundImage.data);
}

TEST_F(ViewWithDialogs, GridIsDrawnIntoTheDisplayOnlyAndGoesAway) {
    Control<QLineEdit>(view->CanvasDialog(), "1060")->setText(QStringLiteral("10"));
    Control<QPushButton>(view->CanvasDialog(), "1041")->click();
    EXPECT_EQ(view->Grid().shown, 1);
    EXPECT_EQ(view->Grid().spacing, 10);
    EXPECT_TRUE(view->CursorHidden());
    // Column 0 is a grid line; column 5 is not.
    EXPECT_NE(Shown(0, 3)[0], 255);
    EXPECT_EQ(Shown(5, 3)[0], 255);
    EXPECT_EQ(view->Canvas().renderedImage.PixelAt(0, 3)[0], 255);
    // The saved and the copied picture never carry the grid.
    prompts->savePath = dir.filePath(QStringLiteral("grid.bmp"));
    view->OnCommand(Cmd::SavePicture);
    RasterImage saved;
    ASSERT_EQ(LoadBmpFile(saved, prompts->savePath.toStdString()), Result::Success);
    EXPECT_EQ(saved.PixelAt(0, 3)[0], 255);
    view->OnCommand(Cmd::CopyPicture);
    EXPECT_EQ(prompts->copiedPicture.PixelAt(0, 3)[0], 255);

    Control<QCheckBox>(view->CanvasDialog(), "1089")->click();
    EXPECT_EQ(view->Grid().snap, Control<QCheckBox>(view->CanvasDialog(), "1089")->isChecked() ? 1 : 0);

    Control<QPushButton>(view->CanvasDialog(), "1061")->click();
    EXPECT_EQ(view->Grid().shown, 0);
    EXPECT_EQ(view->Grid().spacing, 0);
    EXPECT_EQ(Shown(0, 3)[0], 255);
}

TEST_F(ViewWithDialogs, BackgroundChangeIsComposedRecordedAndUndone) {
    view->CanvasDialog()->GenerateGradient();
    EXPECT_EQ(view->StatusText(), QStringLiteral("背景画像を変更"));
    EXPECT_EQ(view->Canvas().backgroundImage.data, view->CanvasDialog()->WorkingImage().data);
    const std::uint8_t* top = view->Canvas().renderedImage.PixelAt(10, 719);
    EXPECT_FALSE(top[0] == 255 && top[1] == 255 && top[2] == 255);
    EXPECT_EQ(std::vector<int>(Shown(10, 719), Shown(10, 719) + 3), std::vector<int>(top, top + 3));
    ASSERT_EQ(view->Journal()->Entries().size(), 2u);
    EXPECT_EQ(view->Journal()->Entries()[1].kind, UndoBackground);
    EXPECT_FALSE(view->Modified()); // background changes leave the flag alone

    view->OnCommand(Cmd::EditUndo);
    const std::uint8_t* back = view->Canvas().renderedImage.PixelAt(10, 719);
    EXPECT_EQ(back[0], 255);
    EXPECT_EQ(back[1], 255);
    EXPECT_EQ(view->CanvasDialog()->WorkingImage().data, view->Canvas().backgroundImage.data);
}

// Paint laid on the plane at the greatest height the field takes shows, and opens again as it was.
TEST_F(ViewWithDialogs, PaintOnTheHighestPlaneSavesAndOpensAgainAsItWas) {
    CDlgBackground* dialog = view->CanvasDialog();
    Control<QAbstractButton>(dialog, "1058")->click();
    Control<QLineEdit>(dialog, "1059")->setText(QString::number(CDlgBackground::PlaneHeightLimit));
    ASSERT_EQ(dialog->HeightMode(), 0);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, QPoint(200, 150));
    for (int i = 1; i <= 8; ++i) {
        Move(QPoint(200 + 20 * i, 150 + 5 * i), true);
    }
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(360, 190));
    const PaintCanvas& canvas = view->Canvas();
    ASSERT_GT(canvas.store->Count(), 0);
    EXPECT_EQ(canvas.store->records[0].z, static_cast<float>(CDlgBackground::PlaneHeightLimit));
    EXPECT_NE(RenderedAt(QPoint(280, 170)), QColor(255, 255, 255)) << "the paint shows";
    const std::vector<std::uint8_t> painted = canvas.renderedImage.data;

    prompts->savePath = dir.filePath(QStringLiteral("high.mb"));
    view->OnCommand(Cmd::FileSaveAs);
    view->OnCommand(Cmd::FileNew); // cancelled: nothing changes
    prompts->openPath = prompts->savePath;
    view->OnCommand(Cmd::FileOpen);
    EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join(u' ').toStdString();
    EXPECT_EQ(view->Canvas().renderedImage.data, painted);
}

TEST_F(ViewWithDialogs, StraightLineShowsAnInvertingRubberBandAndPaintsAtTheSecondPress) {
    view->ToolBox()->OnPathButton(1);
    EXPECT_EQ(view->Controller()->Brush().pathKind, PathKind::StraightLine);
    EXPECT_TRUE(view->StatusText().startsWith(QStringLiteral("直線：")));

    const QPoint a(100, 200);
    const QPoint b(300, 200);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, a);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, a);
    EXPECT_EQ(view->Canvas().store->Count(), 0);
    Move(b, false);
    const QImage screen = view->viewport()->grab().toImage();
    const PreviewShape& band = view->Controller()->Preview().pathLine;
    ASSERT_TRUE(band.onScreen);
    ASSERT_EQ(band.points.size(), 2u);
    // The white canvas under the band is inverted to black; away from it it stays white.
    EXPECT_EQ(QColor(screen.pixel(200, 200)).lightness(), 0);
    EXPECT_EQ(QColor(screen.pixel(200, 260)), QColor(255, 255, 255));

    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, b);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, b);
    EXPECT_GT(view->Canvas().store->Count(), 0);
    EXPECT_NE(RenderedAt(QPoint(200, 200)), QColor(255, 255, 255));
    EXPECT_FALSE(view->Controller()->Preview().pathLine.onScreen);
    EXPECT_TRUE(view->Modified());
    EXPECT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
}

TEST_F(ViewWithDialogs, PolylineCollectsClicksAndPaintsAtTheDoubleClick) {
    view->ToolBox()->OnPathButton(2);
    EXPECT_EQ(view->Controller()->Brush().pathKind, PathKind::Polyline);
    const QPoint corners[] = {QPoint(100, 300), QPoint(250, 150), QPoint(400, 300)};
    for (const QPoint& p : corners) {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, p);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, p);
    }
    // Clicks only collect corners; nothing is painted yet.
    EXPECT_EQ(view->Canvas().store->Count(), 0);
    EXPECT_FALSE(view->Modified());
    Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, corners[2]);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, corners[2]);
    EXPECT_GT(view->Canvas().store->Count(), 0);
    // Both legs are painted: a point on each, halfway between its corners.
    EXPECT_NE(RenderedAt(QPoint(175, 225)), QColor(255, 255, 255));
    EXPECT_NE(RenderedAt(QPoint(325, 225)), QColor(255, 255, 255));
    EXPECT_EQ(RenderedAt(QPoint(250, 290)), QColor(255, 255, 255));
    EXPECT_TRUE(view->Modified());
    EXPECT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
}

TEST_F(ViewWithDialogs, CloseWritesTheSettingsAndDestroysTheDialogs) {
    view->OnCommand(Cmd::ShowCanvasDialog);
    EXPECT_EQ(view->OnCloseQuery(), 0);
    EXPECT_EQ(view->ToolBox(), nullptr);
    EXPECT_EQ(view->CanvasDialog(), nullptr);
    QFile ini(dir.filePath(QStringLiteral("nurimoko.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[Dialog_toolbox]")));
    EXPECT_TRUE(text.contains(QStringLiteral("[Dialog_background]")));
    EXPECT_TRUE(text.contains(QStringLiteral("ColorButton23-flag")));
    // The tool box was shown and the canvas dialog hidden.
    const qsizetype toolbox = text.indexOf(QStringLiteral("[Dialog_toolbox]"));
    const qsizetype background = text.indexOf(QStringLiteral("[Dialog_background]"));
    const QString toolboxPart =
        toolbox < background ? text.mid(toolbox, background - toolbox) : text.mid(toolbox);
    const QString backgroundPart =
        toolbox < background ? text.mid(background) : text.mid(background, toolbox - background);
    EXPECT_TRUE(toolboxPart.contains(QStringLiteral("Display=1")));
    EXPECT_TRUE(backgroundPart.contains(QStringLiteral("Display=0")));
}

} // namespace
