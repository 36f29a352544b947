#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

#include "QtTestApp.h"
#include "app/ViewMessages.h"
#include "dialogs/CDlgBackground.h"
#include "persistence/Bmp.h"
#include "persistence/PngFile.h"

namespace {

using Messages = std::vector<int>;

class CanvasView : public ViewMessageTarget {
public:
    Messages canvasDialog;
    void OnCanvasDialogMessage(int wParam, int lParam) override {
        EXPECT_EQ(lParam, 0);
        canvasDialog.push_back(wParam);
    }
    void OnToolBoxMessage(int, int) override {}
};

class CanvasDialog : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        dialog = std::make_unique<CDlgBackground>(&view, nullptr);
        dialog->showMessage = [this](const QString& text) { messages.push_back(text); };
        RasterImage white;
        white.CreateRgb(1280, 720);
        white.Fill(255, 255, 255);
        dialog->SetWorkingImage(white);
    }

    QAbstractButton* Button(int id) const { return dialog->findChild<QAbstractButton*>(QString::number(id)); }
    QLineEdit* Field(int id) const { return dialog->findChild<QLineEdit*>(QString::number(id)); }
    QColor RowColour(int row) const {
        const std::uint8_t* p = dialog->WorkingImage().PixelAt(0, row);
        return QColor(p[2], p[1], p[0]);
    }

    CanvasView view;
    std::unique_ptr<CDlgBackground> dialog;
    std::vector<QString> messages;
};

} // namespace

TEST_F(CanvasDialog, StartsWithTheInitialSettings) {
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("キャンバス"));
    for (int id : {1054, 1057, 1050, 1043, 1089}) {
        EXPECT_TRUE(Button(id)->isChecked()) << id;
    }
    for (int id : {1055, 1056, 1058, 1051, 1052, 1053, 1044, 1045, 1046}) {
        EXPECT_FALSE(Button(id)->isChecked()) << id;
    }
    EXPECT_EQ(Field(1059)->text(), QStringLiteral("0"));
    EXPECT_EQ(Field(1060)->text(), QStringLiteral("15"));
    EXPECT_EQ(dialog->DrawingArea(), 3);
    EXPECT_EQ(dialog->HeightMode(), 1);
    EXPECT_EQ(dialog->PlaneHeight(), 0);
    EXPECT_EQ(dialog->GridSpacing(), 15);
    EXPECT_TRUE(dialog->Snap());
    EXPECT_EQ(dialog->SolidColour(), QColor(255, 255, 255));
    EXPECT_EQ(dialog->GradientColour1(), QColor(0, 200, 255));
    EXPECT_EQ(dialog->GradientColour2(), QColor(255, 255, 255));
    EXPECT_EQ(dialog->GridColour(), QColor(128, 128, 128));
    EXPECT_EQ(Button(1036)->text(), QString::fromUtf8("画像ファイル\nから"));
    EXPECT_EQ(Button(1089)->text(), QString::fromUtf8("グリッドにスナップ"));
    EXPECT_TRUE(view.canvasDialog.empty());
}

TEST_F(CanvasDialog, GradientRightAfterStartGoesFromWhiteAtTheBottomToSkyBlueAtTheTop) {
    Button(1040)->click();
    EXPECT_EQ(view.canvasDialog, (Messages{101, 1, 102}));
    EXPECT_EQ(RowColour(0), QColor(255, 255, 255));
    EXPECT_EQ(RowColour(719), QColor(0, 200, 255));
}

TEST_F(CanvasDialog, DirectionsAndColoursAreReadWhenTheButtonIsPressed) {
    dialog->chooseColour = [](QColor& c) {
        c = QColor(10, 20, 30);
        return true;
    };
    Button(1032)->click();
    // A new colour alone changes nothing and tells the view nothing.
    EXPECT_TRUE(view.canvasDialog.empty());
    EXPECT_EQ(RowColour(719), QColor(255, 255, 255));
    EXPECT_EQ(dialog->GradientColour1(), QColor(10, 20, 30));
    Button(1053)->click(); // →: colour 1 in column 0
    Button(1040)->click();
    const std::uint8_t* left = dialog->WorkingImage().PixelAt(0, 100);
    EXPECT_EQ(QColor(left[2], left[1], left[0]), QColor(10, 20, 30));
    EXPECT_EQ(RowColour(0), RowColour(719));
}

TEST_F(CanvasDialog, SolidAndRainbowFillTheWorkingPicture) {
    dialog->chooseColour = [](QColor& c) {
        c = QColor(1, 2, 3);
        return true;
    };
    Button(1031)->click();
    Button(1039)->click();
    EXPECT_EQ(RowColour(300), QColor(1, 2, 3));
    Button(1042)->click();
    EXPECT_EQ(view.canvasDialog, (Messages{101, 1, 102, 101, 1, 102}));
    EXPECT_NE(RowColour(0), RowColour(360));
}

TEST_F(CanvasDialog, ACancelledColourDialogChangesNothing) {
    dialog->chooseColour = [](QColor& c) {
        c = QColor(9, 9, 9);
        return false;
    };
    Button(1034)->click();
    EXPECT_EQ(dialog->GridColour(), QColor(128, 128, 128));
}

TEST_F(CanvasDialog, ColourButtonsShowTheirColour) {
    dialog->chooseColour = [](QColor& c) {
        c = QColor(40, 80, 120);
        return true;
    };
    Button(1033)->click();
    const QImage face = Button(1033)->grab().toImage();
    EXPECT_EQ(face.pixelColor(face.width() / 2, face.height() / 2), QColor(40, 80, 120));
}

TEST_F(CanvasDialog, AnEmptyClipboardShowsNoDataAndChangesNothing) {
    QGuiApplication::clipboard()->clear();
    const RasterImage before = dialog->WorkingImage();
    Button(1037)->click();
    EXPECT_EQ(messages, (std::vector<QString>{QString::fromUtf8("ﾃﾞｰﾀがありません。")}));
    EXPECT_EQ(view.canvasDialog, (Messages{101, 102}));
    EXPECT_EQ(dialog->WorkingImage().data, before.data);
}

TEST_F(CanvasDialog, AClipboardPictureCoversTheBackground) {
    QImage picture(64, 36, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 60));
    QGuiApplication::clipboard()->setImage(picture);
    Button(1037)->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(view.canvasDialog, (Messages{101, 1, 102}));
    EXPECT_EQ(RowColour(0), QColor(200, 30, 60));
    EXPECT_EQ(RowColour(719), QColor(200, 30, 60));
    QGuiApplication::clipboard()->clear();
}

TEST_F(CanvasDialog, PictureFromAFile) {
    // Cancelled: not even the status texts change.
    dialog->chooseBitmapFile = [] { return QString(); };
    Button(1036)->click();
    EXPECT_TRUE(view.canvasDialog.empty());

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString missing = folder.filePath(QStringLiteral("missing.bmp"));
    dialog->chooseBitmapFile = [&] { return missing; };
    const RasterImage before = dialog->WorkingImage();
    Button(1036)->click();
    EXPECT_EQ(view.canvasDialog, (Messages{101, 102}));
    EXPECT_EQ(messages, (std::vector<QString>{QString::fromUtf8("ﾌｧｲﾙを開けませんでした。")}));
    EXPECT_EQ(dialog->WorkingImage().data, before.data);

    RasterImage picture;
    picture.CreateRgb(32, 18);
    picture.Fill(0, 128, 64);
    const QString path = folder.filePath(QStringLiteral("green.bmp"));
    ASSERT_EQ(SaveBmpFile(picture, path.toStdString()), Result::Success);
    dialog->chooseBitmapFile = [&] { return path; };
    view.canvasDialog.clear();
    Button(1036)->click();
    EXPECT_EQ(view.canvasDialog, (Messages{101, 1, 102}));
    EXPECT_EQ(RowColour(500), QColor(0, 128, 64));

    picture.Fill(200, 10, 90);
    const QString png = folder.filePath(QStringLiteral("violet.png"));
    ASSERT_EQ(SavePngFile(picture, png.toStdString()), Result::Success);
    dialog->chooseBitmapFile = [&] { return png; };
    view.canvasDialog.clear();
    Button(1036)->click();
    EXPECT_EQ(view.canvasDialog, (Messages{101, 1, 102}));
    EXPECT_EQ(RowColour(500), QColor(200, 10, 90));
}

TEST_F(CanvasDialog, GridAndHeightButtonsNotifyTheView) {
    Button(1041)->click();
    Button(1061)->click();
    Button(1089)->click();
    Button(1058)->click();
    Button(1057)->click();
    Button(1055)->click();
    EXPECT_EQ(view.canvasDialog, (Messages{201, 202, 203, 2, 2}));
    EXPECT_FALSE(dialog->Snap());
}

TEST_F(CanvasDialog, SettingsAreReadFromTheControls) {
    Button(1056)->click();
    Button(1058)->click();
    Field(1059)->setText(QStringLiteral("-12"));
    Field(1060)->setText(QStringLiteral("40"));
    EXPECT_EQ(dialog->DrawingArea(), 2);
    EXPECT_EQ(dialog->HeightMode(), 0);
    EXPECT_EQ(dialog->PlaneHeight(), -12);
    EXPECT_EQ(dialog->GridSpacing(), 40);
    const CanvasDrawingSettings s = static_cast<const CanvasSettingsSource&>(*dialog).DrawingSettings();
    EXPECT_EQ(s.drawingArea, 2);
    EXPECT_EQ(s.heightMode, 0);
    EXPECT_FLOAT_EQ(s.planeHeight, -12.0f);
    Button(1055)->click();
    EXPECT_EQ(dialog->DrawingArea(), 1);
    Field(1059)->setText(QString());
    EXPECT_EQ(dialog->PlaneHeight(), 0);
}

// The height field takes only heights at which paint shows: typing past ±8,000,000 is refused key by
// key, and text put in by the program is held to the range.
TEST_F(CanvasDialog, TheHeightFieldTakesOnlyHeightsAtWhichPaintShows) {
    QLineEdit* field = Field(1059);
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"8000000", "8000000"},
        {"80000009", "8000000"},
        {"-8000000", "-8000000"},
        {"9000000", "900000"},
        {"12x5", "125"},
        {"--3", "-3"},
        {"-", "-"},
        {"1500000", "1500000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        field->clear();
        for (const QChar key : QString::fromLatin1(c.typed)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(key));
            QApplication::sendEvent(field, &press);
        }
        EXPECT_EQ(field->text(), QString::fromLatin1(c.shown));
    }
    field->setText(QStringLiteral("999999999"));
    EXPECT_EQ(dialog->PlaneHeight(), CDlgBackground::PlaneHeightLimit);
    field->setText(QStringLiteral("-999999999"));
    EXPECT_EQ(dialog->PlaneHeight(), -CDlgBackground::PlaneHeightLimit);
}

TEST_F(CanvasDialog, PresetSwatchesSetTheGridColourOnly) {
    QWidget* swatches = dialog->findChild<QWidget*>(QStringLiteral("1092"));
    ASSERT_NE(swatches, nullptr);
    auto click = [&](QPoint local) {
        const QPoint at = swatches->mapTo(dialog.get(), local);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), dialog->mapToGlobal(QPointF(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &press);
    };
    click(QPoint(2, swatches->height() - 2)); // lower left
    EXPECT_EQ(dialog->GridColour(), QColor(255, 0, 0));
    click(QPoint(swatches->width() - 2, 2)); // upper right
    EXPECT_EQ(dialog->GridColour(), QColor(255, 255, 255));
    click(QPoint(swatches->width() * 3 / 10, swatches->height() - 2)); // lower, second: hue 72°
    const QColor second = dialog->GridColour();
    EXPECT_EQ(second.blue(), 0);
    EXPECT_GT(second.green(), 200);
    EXPECT_TRUE(view.canvasDialog.empty());
    const QImage face = Button(1034)->grab().toImage();
    EXPECT_EQ(face.pixelColor(face.width() / 2, face.height() / 2), second);
}

TEST_F(CanvasDialog, CloseBoxHidesWithoutMinimising) {
    dialog->show();
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->isMinimized());
}

TEST_F(CanvasDialog, WithoutAWorkingPictureNothingIsHandedToTheView) {
    dialog->SetWorkingImage(RasterImage());
    Button(1040)->click();
    EXPECT_EQ(view.canvasDialog, (Messages{101, 102}));
}

namespace {

void Click(QWidget* widget, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace

// Each direction arrow has a box of its own that takes the click anywhere in it, apart from its
// neighbours, so aiming at → never picks ↑.
TEST_F(CanvasDialog, EveryDirectionArrowHasRoomToAimAt) {
    const std::vector<std::vector<int>> rows = {{1050, 1051, 1053, 1052}, {1043, 1044, 1046, 1045}};
    dialog->show();
    for (const std::vector<int>& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            SCOPED_TRACE(row[i]);
            QAbstractButton* radio = Button(row[i]);
            ASSERT_NE(radio, nullptr);
            // The whole arrow is shown in its box, and the boxes of a row do not touch.
            EXPECT_LE(radio->sizeHint().width(), radio->width());
            if (i + 1 < row.size()) {
                EXPECT_LT(radio->geometry().right() + 1, Button(row[i + 1])->geometry().left());
            }
            const int w = radio->width();
            const int h = radio->height();
            for (const QPoint at : {QPoint(1, h / 2), QPoint(w / 2, h / 2), QPoint(w - 2, h / 2)}) {
                SCOPED_TRACE(at.x());
                Button(row[(i + 1) % row.size()])->setChecked(true);
                Click(radio, at);
                EXPECT_TRUE(radio->isChecked());
            }
        }
    }
}
