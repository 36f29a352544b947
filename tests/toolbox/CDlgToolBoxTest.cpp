#include <gtest/gtest.h>

#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QScrollBar>
#include <QToolTip>
#include <cmath>
#include <memory>

#include "QtTestApp.h"
#include "ToolBoxTestSupport.h"
#include "background/HlsColour.h"
#include "toolbox/CDlgToolBox.h"

namespace {

class ToolBox : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        box = std::make_unique<CDlgToolBox>(&view, nullptr);
    }

    QAbstractButton* Button(int id) const { return box->findChild<QAbstractButton*>(QString::number(id)); }
    QWidget* Control(const char* id) const { return box->findChild<QWidget*>(QString::fromLatin1(id)); }
    QString Title(const char* id) const {
        return box->findChild<QGroupBox*>(QString::fromLatin1(id))->title();
    }

    RecordingView view;
    std::unique_ptr<CDlgToolBox> box;
};

constexpr int PathButtonIds[7] = {1060, 1061, 1062, 1083, 1084, 1063, 1082};

} // namespace

TEST_F(ToolBox, StartsWithSimpleAndFreehandAndSendsNothingWhileStarting) {
    EXPECT_TRUE(view.toolBox.empty());
    EXPECT_EQ(box->windowTitle(), QString::fromUtf8("道具箱"));
    EXPECT_EQ(box->SelectedBrushKind(), 0);
    EXPECT_EQ(box->SelectedPathKind(), 0);
    EXPECT_EQ(Title("1076"), QString::fromUtf8("ブラシ （シンプル）"));
    EXPECT_EQ(Title("1075"), QString::fromUtf8("経路 （フリーハンド）"));
    EXPECT_TRUE(Control("1088")->isHidden());
    EXPECT_EQ(box->CurrentColor(), (ToolColour{0.0f, 0.5f, 1.0f}));
    struct Bar {
        int id, low, high, position;
    };
    for (const Bar& b : {Bar{1004, 0, 100, 0}, Bar{1012, 0, 100, 100}, Bar{1003, 0, 100, 100},
                         Bar{1009, 0, 25, 0}, Bar{1026, 5, 100, 60}, Bar{1002, 10, 500, 300}}) {
        SCOPED_TRACE(b.id);
        EXPECT_EQ(box->Bar(b.id)->minimum(), b.low);
        EXPECT_EQ(box->Bar(b.id)->maximum(), b.high);
        EXPECT_EQ(box->Bar(b.id)->value(), b.position);
    }
}

TEST_F(ToolBox, ButtonsCarryTheirHintsAndRadialAndStippleStayHidden) {
    EXPECT_EQ(Button(1074)->toolTip(), QString::fromUtf8("スポイト（画面から色取得）"));
    EXPECT_EQ(Button(1085)->toolTip(), QString::fromUtf8("かき混ぜ"));
    EXPECT_EQ(Button(1081)->toolTip(), QString::fromUtf8("水彩"));
    EXPECT_EQ(Button(1077)->toolTip(), QString::fromUtf8("色の塗り替え"));
    EXPECT_EQ(Button(1084)->toolTip(), QString::fromUtf8("正多角形"));
    EXPECT_EQ(Button(1080)->toolTip(), QString::fromUtf8("現在の色を登録"));
    EXPECT_TRUE(Button(1072)->isHidden());
    EXPECT_TRUE(Button(1086)->isHidden());
    for (int id :
         {1064, 1087, 1065, 1066, 1073, 1077, 1068, 1069, 1070, 1071, 1085, 1074, 1067, 1078, 1081}) {
        EXPECT_FALSE(Button(id)->isHidden()) << id;
    }
}

struct KindCase {
    int kind;
    const char* caption;
    bool brushSize, density, particleSize;
    int brushMin, brushMax, particleMin, particleMax;
    int brushPosition, densityPosition, particlePosition;
};

class ToolBoxKinds : public ToolBox, public ::testing::WithParamInterface<KindCase> {};

TEST_P(ToolBoxKinds, SelectingAKindShowsAndRangesItsBars) {
    const KindCase& c = GetParam();
    view.toolBox.clear();
    box->SelectBrushKind(c.kind);
    EXPECT_EQ(Title("1076"),
              QString::fromUtf8("ブラシ （") + QString::fromUtf8(c.caption) + QString::fromUtf8("）"));
    EXPECT_EQ(!Control("1035")->isHidden(), c.brushSize);
    EXPECT_EQ(!Control("1026")->isHidden(), c.brushSize);
    EXPECT_EQ(!Control("1036")->isHidden(), c.density);
    EXPECT_EQ(!Control("1027")->isHidden(), c.density);
    EXPECT_EQ(!Control("1040")->isHidden(), c.particleSize);
    EXPECT_EQ(!Control("1002")->isHidden(), c.particleSize);
    for (int always : {1004, 1012, 1003, 1009}) {
        EXPECT_FALSE(box->Bar(always)->isHidden());
    }
    EXPECT_EQ(box->Bar(1026)->minimum(), c.brushMin);
    EXPECT_EQ(box->Bar(1026)->maximum(), c.brushMax);
    EXPECT_EQ(box->Bar(1002)->minimum(), c.particleMin);
    EXPECT_EQ(box->Bar(1002)->maximum(), c.particleMax);
    EXPECT_EQ(box->Bar(1027)->minimum(), 5);
    EXPECT_EQ(box->Bar(1027)->maximum(), 100);
    EXPECT_EQ(box->Bar(1026)->value(), c.brushPosition);
    EXPECT_EQ(box->Bar(1027)->value(), c.densityPosition);
    EXPECT_EQ(box->Bar(1002)->value(), c.particlePosition);
    // Showing a kind writes nothing back into its record.
    EXPECT_FLOAT_EQ(box->Brush(c.kind).brushSize,
                    BrushSettings::ForKind(static_cast<BrushKind>(c.kind)).brushSize);
    ASSERT_FALSE(view.toolBox.empty());
    EXPECT_EQ(view.toolBox.back(), std::make_pair(1, c.kind));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ToolBoxKinds,
    ::testing::Values(KindCase{0, "シンプル", true, false, false, 5, 100, 10, 500, 60, 100, 300},
                      KindCase{1, "虹色模様", true, false, false, 5, 100, 10, 200, 60, 100, 200},
                      KindCase{2, "水彩", true, false, false, 5, 100, 10, 200, 50, 100, 10},
                      KindCase{4, "マルチ", true, true, true, 10, 100, 10, 50, 40, 50, 12},
                      KindCase{5, "かすれ", true, true, true, 10, 100, 10, 50, 40, 50, 12},
                      KindCase{6, "スプレイ", true, true, true, 10, 100, 10, 40, 40, 50, 12},
                      KindCase{7, "もりもり", true, true, true, 10, 100, 25, 100, 40, 50, 40},
                      KindCase{8, "平行線", true, true, true, 10, 100, 10, 50, 40, 100, 20},
                      KindCase{9, "じゃばら", true, false, true, 10, 100, 10, 100, 40, 100, 30},
                      KindCase{11, "円", true, false, true, 10, 100, 10, 100, 40, 100, 20},
                      KindCase{12, "ざらざら", true, true, true, 10, 100, 10, 30, 40, 50, 13},
                      KindCase{13, "消しゴム", true, false, false, 2, 100, 10, 10, 40, 100, 10},
                      KindCase{14, "スポイト", false, false, false, 0, 0, 0, 0, 0, 100, 0},
                      KindCase{15, "色塗り", true, false, false, 2, 100, 10, 10, 20, 100, 10},
                      KindCase{16, "かき混ぜ", true, false, false, 20, 100, 10, 10, 40, 100, 10}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return "Kind" + std::to_string(info.param.kind); });

TEST_F(ToolBox, TwoKindsKeepSeparateBarValues) {
    box->SelectBrushKind(0);
    box->Bar(1026)->setValue(80);
    box->Bar(1004)->setValue(35);
    box->SelectBrushKind(13);
    box->Bar(1026)->setValue(10);
    EXPECT_EQ(box->Bar(1004)->value(), 0);
    box->SelectBrushKind(0);
    EXPECT_EQ(box->Bar(1026)->value(), 80);
    EXPECT_EQ(box->Bar(1004)->value(), 35);
    EXPECT_FLOAT_EQ(box->Brush(0).brushSize, 80.0f);
    EXPECT_FLOAT_EQ(box->Brush(0).particle.transparency, 0.35f);
    EXPECT_FLOAT_EQ(box->Brush(13).brushSize, 10.0f);
}

TEST_F(ToolBox, ParticleSizeBarKeepsTheOuterRatioAndStopsAtItsEnd) {
    box->SelectBrushKind(0);
    ASSERT_EQ(box->Bar(1002)->value(), 300);
    view.toolBox.clear();
    box->Bar(1002)->setValue(400);
    EXPECT_FLOAT_EQ(box->Brush(0).particle.innerRadius, 40.0f);
    EXPECT_FLOAT_EQ(box->Brush(0).particle.outerRadius, 80.0f);
    EXPECT_FLOAT_EQ(box->Brush(0).particle.outerRadiusSq, 6400.0f);
    EXPECT_EQ(view.toolBox, (std::vector<std::pair<int, int>>{{2, 0}}));
    box->Bar(1002)->setValue(900);
    EXPECT_EQ(box->Bar(1002)->value(), 500);
    EXPECT_FLOAT_EQ(box->Brush(0).particle.innerRadius, 50.0f);
    EXPECT_FLOAT_EQ(box->Brush(0).particle.outerRadius, 100.0f);
}

TEST_F(ToolBox, BarsWriteTheirFieldsAndOnlySizeBarsNotifyTheView) {
    box->SelectBrushKind(4);
    view.toolBox.clear();
    box->Bar(1027)->setValue(75);
    box->Bar(1003)->setValue(40);
    box->Bar(1012)->setValue(20);
    box->Bar(1009)->setValue(10);
    EXPECT_TRUE(view.toolBox.empty());
    box->Bar(1026)->setValue(55);
    EXPECT_EQ(view.toolBox, (std::vector<std::pair<int, int>>{{2, 0}}));
    const BrushSettings& b = box->Brush(4);
    EXPECT_FLOAT_EQ(b.density, 0.75f);
    EXPECT_FLOAT_EQ(b.particle.thickness, 0.4f);
    EXPECT_FLOAT_EQ(b.particle.highlight, 0.2f);
    EXPECT_FLOAT_EQ(b.brushSize, 55.0f);
    // Line steps move by one, page steps by two.
    box->Bar(1026)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(box->Bar(1026)->value(), 56);
    box->Bar(1026)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(box->Bar(1026)->value(), 54);
}

TEST_F(ToolBox, EyedropperAndStirForceFreehandAndHideTheOtherPaths) {
    for (int tool : {1074, 1085}) {
        SCOPED_TRACE(tool);
        Button(1062)->click(); // polyline
        ASSERT_EQ(box->SelectedPathKind(), 2);
        EXPECT_FALSE(Control("1088")->isHidden());
        EXPECT_EQ(Title("1075"), QString::fromUtf8("経路 （折れ線）"));
        view.toolBox.clear();
        Button(tool)->click();
        const int kind = tool == 1074 ? 14 : 16;
        EXPECT_EQ(view.toolBox, (std::vector<std::pair<int, int>>{{1, kind}, {0, 0}, {3, 0}}));
        EXPECT_EQ(box->SelectedPathKind(), 0);
        EXPECT_TRUE(Control("1088")->isHidden());
        EXPECT_FALSE(Button(1060)->isHidden());
        EXPECT_TRUE(Button(1060)->isChecked());
        for (int id : PathButtonIds) {
            if (id != 1060) {
                EXPECT_TRUE(Button(id)->isHidden()) << id;
            }
        }
        Button(1064)->click(); // simple
        for (int id : PathButtonIds) {
            EXPECT_FALSE(Button(id)->isHidden()) << id;
        }
        EXPECT_EQ(box->SelectedPathKind(), 0);
    }
}

TEST_F(ToolBox, BrushButtonSendsKindThenZero) {
    Button(1065)->click(); // heaped
    EXPECT_EQ(view.toolBox, (std::vector<std::pair<int, int>>{{1, 7}, {0, 0}}));
    EXPECT_EQ(Title("1076"), QString::fromUtf8("ブラシ （もりもり）"));
    view.toolBox.clear();
    Button(1063)->click(); // circumference
    EXPECT_EQ(view.toolBox, (std::vector<std::pair<int, int>>{{3, 4}}));
    EXPECT_EQ(Title("1075"), QString::fromUtf8("経路 （円周）"));
    EXPECT_TRUE(Control("1088")->isHidden());
    Button(1083)->click(); // curve
    EXPECT_FALSE(Control("1088")->isHidden());
}

TEST_F(ToolBox, NothingIsSentWithoutAView) {
    box->SetView(nullptr);
    Button(1065)->click();
    box->Bar(1026)->setValue(70);
    EXPECT_TRUE(view.toolBox.empty());
}

TEST_F(ToolBox, CurrentBrushTakesColourPathAndCloseStateAtTheMomentItIsTaken) {
    box->SetCurrentColour(1.0f / 3.0f, 0.5f, 1.0f); // green
    Button(1062)->click();                          // polyline
    auto* close = box->findChild<QCheckBox*>(QStringLiteral("1088"));
    BrushSettings first = box->CurrentBrush();
    EXPECT_EQ(first.pathKind, PathKind::Polyline);
    EXPECT_EQ(first.closed, 0);
    close->setChecked(true);
    BrushSettings second = box->CurrentBrush();
    EXPECT_EQ(second.closed, 1);
    EXPECT_NEAR(second.particle.red, 0.0f, 1e-5);
    EXPECT_NEAR(second.particle.green, 1.0f, 1e-5);
    EXPECT_NEAR(second.particle.blue, 0.0f, 1e-5);
    // The rest of the particle is the kind's own record.
    EXPECT_FLOAT_EQ(second.particle.innerRadius, box->Brush(0).particle.innerRadius);
    Button(1061)->click(); // straight line: the check box no longer counts
    EXPECT_EQ(box->CurrentBrush().closed, 0);
    EXPECT_EQ(box->CurrentBrush().pathKind, PathKind::StraightLine);
}

TEST_F(ToolBox, VariationSpreadsTheHueAroundRed) {
    box->SetCurrentColour(0.0f, 0.5f, 1.0f);
    box->Bar(1009)->setValue(25);
    bool below = false;
    bool above = false;
    for (int i = 0; i < 200; ++i) {
        const BrushSettings b = box->CurrentBrush();
        PaintColour c;
        c.red = b.particle.red;
        c.green = b.particle.green;
        c.blue = b.particle.blue;
        float hue = RgbToHls(c).hue / 360.0f;
        if (hue >= 1.0f) {
            hue -= 1.0f;
        }
        // Distance around the circle from red.
        const float distance = std::min(hue, 1.0f - hue);
        EXPECT_LE(distance, 0.25f + 1e-4f);
        below = below || hue > 0.5f;
        above = above || (hue > 0.01f && hue < 0.5f);
    }
    EXPECT_TRUE(below);
    EXPECT_TRUE(above);
}

TEST_F(ToolBox, CloseBoxHidesWithoutMinimisingOrDestroying) {
    box->show();
    ASSERT_TRUE(box->isVisible());
    box->close();
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(box->isMinimized());
    EXPECT_EQ(box->SelectedBrushKind(), 0);
    box->showNormal();
    EXPECT_TRUE(box->isVisible());
}

TEST_F(ToolBox, PenPressureBoxSitsInThePaintGroupAndStartsOn) {
    auto* pressure = box->findChild<QCheckBox*>(QStringLiteral("1089"));
    ASSERT_NE(pressure, nullptr);
    EXPECT_EQ(pressure->text(), QString::fromUtf8("筆圧"));
    EXPECT_TRUE(pressure->isChecked());
    EXPECT_TRUE(box->PenPressureEnabled());
    // Inside the paint group, clear of the variation bar and the register button beside it.
    QGroupBox* paint = nullptr;
    for (QGroupBox* group : box->findChildren<QGroupBox*>()) {
        if (group->title() == QString::fromUtf8("絵の具")) {
            paint = group;
        }
    }
    ASSERT_NE(paint, nullptr);
    EXPECT_TRUE(paint->geometry().contains(pressure->geometry()));
    EXPECT_FALSE(pressure->geometry().intersects(box->Bar(CDlgToolBox::VariationBar)->geometry()));
    EXPECT_FALSE(pressure->geometry().intersects(Control("1080")->geometry()));

    pressure->click();
    EXPECT_FALSE(box->PenPressureEnabled());
    box->SetPenPressureEnabled(true);
    EXPECT_TRUE(pressure->isChecked());
    // The box is not a brush setting: nothing is sent and the brush stays the same.
    EXPECT_TRUE(view.toolBox.empty());
}

// The bars have no number beside them: their value shows in a tool tip as the bar moves and when the
// mouse rests on it.
TEST_F(ToolBox, EveryBarShowsItsValueInItsToolTip) {
    box->SelectBrushKind(static_cast<int>(BrushKind::Heaped)); // a kind with all three size bars
    box->show();
    for (const int id : {1026, 1002, 1027, 1004, 1012, 1003, 1009}) {
        SCOPED_TRACE(id);
        QScrollBar* bar = box->Bar(id);
        ASSERT_TRUE(bar->isVisible());
        bar->setValue(bar->minimum() + 3);
        QHelpEvent hover(QEvent::ToolTip, QPoint(5, 3), bar->mapToGlobal(QPoint(5, 3)));
        QApplication::sendEvent(bar, &hover);
        EXPECT_EQ(QToolTip::text(), QString::number(bar->minimum() + 3));
        // A step as the arrow or a drag makes it: the tip follows the new value.
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QApplication::processEvents();
        EXPECT_EQ(QToolTip::text(), QString::number(bar->minimum() + 4));
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QApplication::processEvents();
        EXPECT_EQ(QToolTip::text(), QString::number(bar->minimum() + 6));
        QToolTip::hideText();
    }
}
