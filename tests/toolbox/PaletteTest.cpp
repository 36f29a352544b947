#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "QtTestApp.h"
#include "ToolBoxTestSupport.h"
#include "toolbox/CDlgColorButtonOperation.h"
#include "toolbox/CDlgToolBox.h"

namespace {

class Palette : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        box = std::make_unique<CDlgToolBox>(&view, nullptr);
        box->showMessage = [this](const QString& text) { messages.push_back(text); };
        box->askCellOperation = [this](int hasColour) {
            asked.push_back(hasColour);
            return answer;
        };
        palette = box->findChild<QWidget*>(QStringLiteral("1079"));
    }

    // The centre of a cell in the palette's client coordinates (y downwards).
    QPoint CellCentre(int row, int column) const {
        const ColorButton& c = box->Palette().Cell(row, column);
        return QPoint((c.left + c.right) / 2, box->Palette().height - (c.top + c.bottom) / 2);
    }

    void Mouse(QEvent::Type type, QPoint dialogPoint, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers = {}) {
        QMouseEvent event(type, QPointF(dialogPoint), box->mapToGlobal(QPointF(dialogPoint)), button,
                          type == QEvent::MouseMove ? Qt::MouseButtons(button) : Qt::MouseButtons(button),
                          modifiers);
        QApplication::sendEvent(box.get(), &event);
    }
    void ClickCell(int row, int column, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers mods = {}) {
        Mouse(QEvent::MouseButtonPress, palette->mapTo(box.get(), CellCentre(row, column)), button, mods);
    }

    void RightClickCell(int row, int column) { ClickCell(row, column, Qt::RightButton); }

    RecordingView view;
    std::unique_ptr<CDlgToolBox> box;
    QWidget* palette = nullptr;
    std::vector<QString> messages;
    std::vector<int> asked;
    int answer = CDlgColorButtonOperation::Cancel;
};

} // namespace

TEST_F(Palette, DefaultsRunFromRedAtTheTopAndBlackToWhiteInColumnOne) {
    const ColorButtonGrid& p = box->Palette();
    ASSERT_EQ(p.rows, 8);
    ASSERT_EQ(p.columns, 3);
    EXPECT_EQ(p.width, palette->width());
    EXPECT_EQ(p.height, palette->height());
    const ColorButton& red = p.Cell(7, 0);
    EXPECT_EQ(red.used, 1);
    EXPECT_FLOAT_EQ(red.hue, 1.0f);
    EXPECT_FLOAT_EQ(red.lightness, 0.5f);
    EXPECT_FLOAT_EQ(red.saturation, 1.0f);
    EXPECT_NEAR(p.Cell(5, 0).hue, 60.0f / 360.0f, 1e-6);  // yellow
    EXPECT_NEAR(p.Cell(0, 0).hue, 330.0f / 360.0f, 1e-5); // rose
    const float greys[4] = {0.0f, 0.5f, 0.75f, 1.0f};     // rows 7 down to 4
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.Cell(7 - i, 1).used, 1);
        EXPECT_FLOAT_EQ(p.Cell(7 - i, 1).lightness, greys[i]);
        EXPECT_FLOAT_EQ(p.Cell(7 - i, 1).saturation, 0.0f);
    }
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(p.Cell(row, 2).used, 0);
        EXPECT_EQ(p.Cell(row, 0).used, 1);
        if (row < 4) {
            EXPECT_EQ(p.Cell(row, 1).used, 0);
        }
    }
}

TEST_F(Palette, LeftClickOnAUsedCellTakesItsColourAndOnAnEmptyCellNothing) {
    box->SetCurrentColour(0.5f, 0.3f, 0.2f);
    ClickCell(0, 2); // empty
    EXPECT_EQ(box->CurrentColor(), (ToolColour{0.5f, 0.3f, 0.2f}));
    ClickCell(7, 0);
    EXPECT_EQ(box->CurrentColor(), (ToolColour{1.0f, 0.5f, 1.0f}));
    // The swatch follows the colour.
    const QImage swatch = box->findChild<QWidget*>(QStringLiteral("1006"))->grab().toImage();
    EXPECT_EQ(swatch.pixelColor(swatch.width() / 2, swatch.height() / 2), QColor(255, 0, 0));
}

TEST_F(Palette, RegisterFillsColumnOneFromRowThreeDownThenColumnTwoFromTheTop) {
    box->SetCurrentColour(0.25f, 0.4f, 0.6f);
    const GridCell order[] = {{3, 1}, {2, 1}, {1, 1}, {0, 1}, {7, 2}, {6, 2},
                              {5, 2}, {4, 2}, {3, 2}, {2, 2}, {1, 2}, {0, 2}};
    for (const GridCell& at : order) {
        SCOPED_TRACE(at.row * 10 + at.column);
        EXPECT_EQ(box->Palette().Cell(at.row, at.column).used, 0);
        box->findChild<QPushButton*>(QStringLiteral("1080"))->click();
        const ColorButton& cell = box->Palette().Cell(at.row, at.column);
        EXPECT_EQ(cell.used, 1);
        EXPECT_FLOAT_EQ(cell.hue, 0.25f);
        EXPECT_FLOAT_EQ(cell.lightness, 0.4f);
        EXPECT_FLOAT_EQ(cell.saturation, 0.6f);
    }
    EXPECT_TRUE(messages.empty());
    const ColorButton before = box->Palette().Cell(7, 0);
    box->SetCurrentColour(0.9f, 0.9f, 0.9f);
    box->RegisterCurrentColour();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              QString::fromUtf8("登録できる色数が一杯になりました。\n色枠をマウス右クリックして、色を削除して"
                                "ください。\nまたは、shift+マウス右クリックで色を登録してください。"));
    EXPECT_FLOAT_EQ(box->Palette().Cell(7, 0).hue, before.hue);
}

TEST_F(Palette, ShiftRightClickReplacesAColourWithoutAsking) {
    box->SetCurrentColour(0.6f, 0.2f, 0.8f);
    ClickCell(6, 0, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_TRUE(asked.empty());
    const ColorButton& cell = box->Palette().Cell(6, 0);
    EXPECT_FLOAT_EQ(cell.hue, 0.6f);
    EXPECT_FLOAT_EQ(cell.lightness, 0.2f);
}

TEST_F(Palette, RightClickAsksWithTheUsedFlagAndAppliesTheAnswer) {
    box->SetCurrentColour(0.7f, 0.5f, 0.5f);
    answer = CDlgColorButtonOperation::Register;
    RightClickCell(2, 2);
    ASSERT_EQ(asked, std::vector<int>{0});
    EXPECT_EQ(box->Palette().Cell(2, 2).used, 1);
    EXPECT_FLOAT_EQ(box->Palette().Cell(2, 2).hue, 0.7f);
    EXPECT_EQ(box->Palette().Cell(2, 2).selected, 0);
    answer = CDlgColorButtonOperation::Delete;
    RightClickCell(7, 0);
    EXPECT_EQ(asked.back(), 1);
    EXPECT_EQ(box->Palette().Cell(7, 0).used, 0);
    answer = CDlgColorButtonOperation::Cancel;
    RightClickCell(6, 0);
    EXPECT_EQ(box->Palette().Cell(6, 0).used, 1);
    EXPECT_EQ(box->Palette().Cell(6, 0).selected, 0);
}

TEST_F(Palette, TheCellIsMarkedWhileThePopupIsOpen) {
    int selectedDuring = -1;
    box->askCellOperation = [&](int) {
        selectedDuring = box->Palette().Cell(4, 1).selected;
        return 0;
    };
    RightClickCell(4, 1);
    EXPECT_EQ(selectedDuring, 1);
}

// The real popup, driven from inside its own event loop.
TEST_F(Palette, PopupOnAnEmptyCellHasNoDeleteAndEscLeavesTheCell) {
    box->askCellOperation = nullptr;
    box->show();
    bool deleteHidden = false;
    bool registerShown = false;
    QColor background;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activeModalWidget();
        ASSERT_NE(popup, nullptr);
        deleteHidden = popup->findChild<QPushButton*>(QStringLiteral("1082"))->isHidden();
        registerShown = !popup->findChild<QPushButton*>(QStringLiteral("1081"))->isHidden();
        background = popup->palette().color(QPalette::Window);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(popup, &esc);
    });
    RightClickCell(1, 2);
    EXPECT_TRUE(deleteHidden);
    EXPECT_TRUE(registerShown);
    EXPECT_EQ(background, QColor(255, 200, 0));
    EXPECT_EQ(box->Palette().Cell(1, 2).used, 0);
}

TEST_F(Palette, PopupOnAUsedCellOffersDelete) {
    box->askCellOperation = nullptr;
    box->show();
    bool deleteShown = false;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activeModalWidget();
        ASSERT_NE(popup, nullptr);
        auto* remove = popup->findChild<QPushButton*>(QStringLiteral("1082"));
        deleteShown = !remove->isHidden();
        remove->click();
    });
    RightClickCell(5, 0);
    EXPECT_TRUE(deleteShown);
    EXPECT_EQ(box->Palette().Cell(5, 0).used, 0);
}

TEST(ColorButtonOperation, ButtonsSetTheResultAndEnterCancels) {
    TestApp();
    struct Case {
        const char* id;
        int result;
    };
    for (const Case& c : {Case{"1081", 1}, Case{"1082", 2}, Case{"1083", 0}}) {
        CDlgColorButtonOperation popup(1, nullptr);
        popup.findChild<QPushButton*>(QString::fromLatin1(c.id))->click();
        EXPECT_EQ(popup.result, c.result) << c.id;
    }
    CDlgColorButtonOperation popup(1, nullptr);
    popup.result = 1;
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&popup, &enter);
    EXPECT_EQ(popup.result, 0);
    EXPECT_EQ(popup.findChild<QPushButton*>(QStringLiteral("1083"))->text(), QString::fromUtf8("キャンセル"));
}

TEST_F(Palette, HueBarEndsAreRedAndTheFieldSetsLightnessAndSaturation) {
    QWidget* hue = box->findChild<QWidget*>(QStringLiteral("1007"));
    QWidget* field = box->findChild<QWidget*>(QStringLiteral("1008"));
    box->SetCurrentColour(0.5f, 0.3f, 0.7f);
    box->PickAt(hue->mapTo(box.get(), QPoint(0, hue->height() / 2)));
    EXPECT_FLOAT_EQ(box->CurrentColor().hue, 0.0f);
    EXPECT_FLOAT_EQ(box->CurrentColor().lightness, 0.3f);
    box->PickAt(hue->mapTo(box.get(), QPoint(hue->width(), hue->height() / 2)));
    EXPECT_FLOAT_EQ(box->CurrentColor().hue, 1.0f);
    box->PickAt(hue->mapTo(box.get(), QPoint(hue->width() / 2, 0)));
    EXPECT_NEAR(box->CurrentColor().hue, -0.05f + 1.1f * (hue->width() / 2) / float(hue->width()), 1e-6);

    const QPoint inField(field->width() / 4, field->height() / 4);
    Mouse(QEvent::MouseMove, field->mapTo(box.get(), inField), Qt::LeftButton);
    const float fx = float(inField.x()) / float(field->width());
    const float fy = float(inField.y()) / float(field->height());
    EXPECT_NEAR(box->CurrentColor().lightness, -0.05f + 1.1f * fx, 1e-6);
    EXPECT_NEAR(box->CurrentColor().saturation, -0.05f + 1.1f * (1.0f - fy), 1e-6);
    // The far corner clamps to 1 and 0.
    box->PickAt(field->mapTo(box.get(), QPoint(field->width(), field->height())));
    EXPECT_FLOAT_EQ(box->CurrentColor().lightness, 1.0f);
    EXPECT_FLOAT_EQ(box->CurrentColor().saturation, 0.0f);
}

TEST(ColorButtonGrid, LayoutAndHitTestFollowTheCellRectangles) {
    ColorButtonGrid grid;
    ASSERT_EQ(grid.Build(30, 80, 8, 3), 0);
    // Rows of 10, columns of 10: row i spans [10 i, 10 i + 10] counted upwards.
    EXPECT_EQ(grid.Cell(0, 0).top, 0);
    EXPECT_EQ(grid.Cell(0, 0).bottom, 10);
    EXPECT_EQ(grid.Cell(7, 2).top, 70);
    EXPECT_EQ(grid.Cell(7, 2).left, 20);
    EXPECT_EQ(grid.Cell(7, 2).right, 30);
    EXPECT_EQ(grid.Cell(3, 1).valid, 1);
    // y is counted downwards in client coordinates: the top of the control is row 7.
    EXPECT_EQ(grid.HitTest(25, 2), (GridCell{7, 2}));
    EXPECT_EQ(grid.HitTest(5, 78), (GridCell{0, 0}));
    // Shared edges belong to the lower row and the left column first.
    EXPECT_EQ(grid.HitTest(10, 70), (GridCell{0, 0}));
    EXPECT_EQ(grid.HitTest(30, 80), (GridCell{0, 2}));
    EXPECT_FALSE(grid.HitTest(-1, 5).has_value());
    EXPECT_FALSE(grid.HitTest(31, 5).has_value());
    EXPECT_FALSE(grid.HitTest(5, 81).has_value());

    ASSERT_EQ(grid.Build(27, 47, 8, 3), 0);
    // Uneven sizes: top = trunc(47 / 8 × i + 0.5), bottom = trunc(top + 47 / 8).
    EXPECT_EQ(grid.Cell(1, 0).top, 6);
    EXPECT_EQ(grid.Cell(1, 0).bottom, 11);
    EXPECT_EQ(grid.Cell(2, 0).top, 12);
    EXPECT_EQ(grid.Cell(0, 1).left, 9);
    EXPECT_EQ(grid.Cell(0, 1).right, 18);
    const std::vector<GridCell> order = grid.KeyOrder();
    ASSERT_EQ(order.size(), 24u);
    EXPECT_EQ(order[0], (GridCell{7, 0}));
    EXPECT_EQ(order[7], (GridCell{0, 0}));
    EXPECT_EQ(order[8], (GridCell{7, 1}));
    EXPECT_EQ(order[23], (GridCell{0, 2}));
}

TEST(ColorButtonGrid, DrawsColoursHatchingAndSelectionFrames) {
    TestApp();
    ColorButtonGrid grid;
    ASSERT_EQ(grid.Build(40, 20, 2, 2), 0);
    grid.Cell(0, 0).used = 1; // lower left: red
    grid.Cell(0, 0).hue = 0.0f;
    grid.Cell(0, 0).lightness = 0.5f;
    grid.Cell(0, 0).saturation = 1.0f;
    grid.Cell(1, 1).selected = 1;
    QImage image(41, 21, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        grid.Draw(painter, 20);
    }
    EXPECT_EQ(image.pixelColor(10, 15), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(0, 10), QColor(0, 0, 0));   // grid line
    EXPECT_EQ(image.pixelColor(30, 1), QColor(255, 0, 0)); // frame of the selected upper right cell
    bool hatched = false;
    for (int x = 1; x < 19; ++x) {
        hatched = hatched || image.pixelColor(x, 5) == QColor(128, 128, 128);
    }
    EXPECT_TRUE(hatched);
}
