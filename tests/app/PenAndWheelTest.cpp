// The pen and the wheel in the canvas view: pen pressure, mouse strokes that stay as they were, Ctrl +
// wheel zoom about the cursor, Shift + wheel and the middle-button pan.

#include <gtest/gtest.h>

#include <QFile>
#include <QPointingDevice>
#include <QScrollBar>
#include <QTabletEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "ViewFixture.h"
#include "app/CommandIds.h"
#include "app/SettingsFile.h"
#include "brushes/RandomSource.h"
#include "toolbox/CDlgToolBox.h"

namespace {

// A view with its tool box, every brush record and pattern drawn from one fixed second.
class PenView : public ViewFixture {
protected:
    PenView() { withDialogs = true; }

    void UseKind(BrushKind kind) { view->ToolBox()->OnBrushButton(static_cast<int>(kind)); }
    // A white canvas of the first one's size, with nothing on it.
    void FreshCanvas() {
        ASSERT_EQ(view->CreateCanvas(1280, 720), Result::Success);
        view->FinishNewCanvas();
    }

    // Every metaball of the store, field by field (the record's padding left out).
    std::string StoreBytes() const {
        std::string out;
        auto put = [&out](const void* p, std::size_t n) { out.append(static_cast<const char*>(p), n); };
        for (const Metaball& m : view->Canvas().store->records) {
            put(static_cast<const MaterialBlock*>(&m), sizeof(MaterialBlock));
            const std::int32_t state = m.state;
            put(&m.id, 4);
            put(&state, 4);
            put(&m.x, 4);
            put(&m.y, 4);
            put(&m.z, 4);
        }
        return out;
    }

    ScopedRandomClock clock{1800000000};
};

// The kinds whose mouse strokes were recorded, one stroke each on a fresh view: a single particle, kinds
// that build a new pattern for every dab, and a pattern built once per stroke that turns with the stroke.
constexpr BrushKind RecordedKinds[] = {BrushKind::Simple, BrushKind::Watercolour, BrushKind::Spray,
                                       BrushKind::Heaped, BrushKind::ParallelLines};

QString RecordingPath() {
    const char* folder = std::getenv("NURIMOKO_TEST_DATA");
    return QString::fromLocal8Bit(folder ? folder : NURIMOKO_TEST_DATA_DIR) +
           QStringLiteral("/mouse-strokes.bin");
}

class MouseStroke : public PenView, public ::testing::WithParamInterface<BrushKind> {};

} // namespace

// The recording holds, per kind, its number and the bytes of the metaballs of one freehand mouse drag.
// It was made with the stroke code as it was before pens were read, by running this test with
// NURIMOKO_WRITE_MOUSE_STROKES=1; the mouse must still lay exactly those metaballs.
TEST_P(MouseStroke, LaysTheRecordedMetaballsByteForByte) {
    const BrushKind kind = GetParam();
    UseKind(kind);
    Drag(QPoint(100, 100), QPoint(220, 140));
    const std::string bytes = StoreBytes();
    ASSERT_FALSE(bytes.empty());

    QFile file(RecordingPath());
    std::map<std::int32_t, std::string> recorded;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray all = file.readAll();
        qsizetype at = 0;
        while (at + 8 <= all.size()) {
            std::int32_t k = 0;
            std::int32_t size = 0;
            std::memcpy(&k, all.constData() + at, 4);
            std::memcpy(&size, all.constData() + at + 4, 4);
            at += 8;
            if (size < 0 || at + size > all.size()) {
                break;
            }
            recorded[k] = std::string(all.constData() + at, static_cast<std::size_t>(size));
            at += size;
        }
        file.close();
    }
    if (std::getenv("NURIMOKO_WRITE_MOUSE_STROKES") != nullptr) {
        recorded[static_cast<std::int32_t>(kind)] = bytes;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const auto& [k, b] : recorded) {
            const std::int32_t size = static_cast<std::int32_t>(b.size());
            file.write(reinterpret_cast<const char*>(&k), 4);
            file.write(reinterpret_cast<const char*>(&size), 4);
            file.write(b.data(), size);
        }
        return;
    }
    const auto found = recorded.find(static_cast<std::int32_t>(kind));
    ASSERT_NE(found, recorded.end()) << "no recording for this kind in " << RecordingPath().toStdString();
    EXPECT_EQ(bytes.size(), found->second.size());
    EXPECT_TRUE(bytes == found->second) << "the mouse stroke laid other metaballs than recorded";
}

INSTANTIATE_TEST_SUITE_P(Kinds, MouseStroke, ::testing::ValuesIn(RecordedKinds));

namespace {

class WheelView : public ViewFixture {
protected:
    void Wheel(QPoint at, int delta, Qt::KeyboardModifiers mods) {
        QWheelEvent wheel(QPointF(at), view->viewport()->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
    }
    void Zoom(int steps) {
        for (int i = 0; i < steps; ++i) {
            view->OnCommand(Cmd::ZoomIn);
        }
        for (int i = 0; i > steps; --i) {
            view->OnCommand(Cmd::ZoomOut);
        }
    }
    void ScrollTo(int x, int y) {
        view->horizontalScrollBar()->setValue(x);
        view->verticalScrollBar()->setValue(y);
    }
    QPoint ScrollPosition() const {
        return QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    }
};

} // namespace

TEST_F(WheelView, CtrlWheelZoomsThroughTheZoomStepsKeepingThePointUnderTheCursor) {
    struct Case {
        int zoomSteps; // zoom commands before the wheel: in when positive, out when negative
        QPoint scroll;
        QPoint cursor;
        int delta;
        int wheelSteps; // zoom steps the wheel makes
    };
    const Case cases[] = {
        {0, {200, 100}, {300, 200}, 120, 1},   {2, {500, 300}, {10, 400}, -120, -1},
        {-1, {150, 50}, {600, 30}, 240, 2},    {4, {1000, 700}, {320, 240}, 120, 1},
        {3, {700, 400}, {450, 100}, -240, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "zoom steps " << c.zoomSteps << ", scroll " << c.scroll.x() << "," << c.scroll.y()
                     << ", cursor " << c.cursor.x() << "," << c.cursor.y() << ", delta " << c.delta);
        view->OnCommand(Cmd::ZoomActual);
        Zoom(c.zoomSteps + c.wheelSteps);
        const FloatRect expectedSize = view->Geometry().displayRect;
        view->OnCommand(Cmd::ZoomActual);
        Zoom(c.zoomSteps);
        ScrollTo(c.scroll.x(), c.scroll.y());
        ASSERT_EQ(ScrollPosition(), c.scroll);
        const CanvasPoint before = view->Geometry().ClientToImage(c.cursor.x(), c.cursor.y());

        Wheel(c.cursor, c.delta, Qt::ControlModifier);

        // The same displayed size as that many zoom commands.
        EXPECT_FLOAT_EQ(view->Geometry().displayRect.width, expectedSize.width);
        EXPECT_FLOAT_EQ(view->Geometry().displayRect.height, expectedSize.height);
        // The scroll position is whole pixels, so the point may move by up to half a client pixel.
        const CanvasPoint after = view->Geometry().ClientToImage(c.cursor.x(), c.cursor.y());
        const float slack = 0.5f / view->Geometry().Zoom() + 1e-3f;
        EXPECT_NEAR(after.x, before.x, slack);
        EXPECT_NEAR(after.y, before.y, slack);
        // The display origin follows the scroll bars, and the scroll range the new size.
        EXPECT_FLOAT_EQ(view->Geometry().displayRect.x,
                        static_cast<float>(-view->horizontalScrollBar()->value()));
        EXPECT_FLOAT_EQ(view->Geometry().displayRect.y,
                        static_cast<float>(-view->verticalScrollBar()->value()));
        EXPECT_EQ(view->horizontalScrollBar()->maximum(),
                  static_cast<int>(1280.0f * view->Geometry().Zoom()) - view->viewport()->width());
    }
}

TEST_F(WheelView, CtrlWheelAddsUpFineTurnsAndStopsAtTheEdgeOfThePicture) {
    ScrollTo(0, 0);
    // Half a notch does nothing yet; the second half makes the step.
    Wheel(QPoint(5, 5), 60, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.width, 1280.0f);
    Wheel(QPoint(5, 5), 60, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.width, 1280.0f * 1.2f);
    // Zooming out near the top-left corner would need a scroll position before the picture's start.
    Wheel(QPoint(5, 5), -120, Qt::ControlModifier);
    Wheel(QPoint(5, 5), -120, Qt::ControlModifier);
    EXPECT_EQ(ScrollPosition(), QPoint(0, 0));
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.x, 0.0f);
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.y, 0.0f);
    // Nothing was painted on the way.
    EXPECT_EQ(view->Canvas().store->Count(), 0);
}

TEST_F(WheelView, ShiftWheelScrollsSidewaysAndThePlainWheelStillUpright) {
    Zoom(2);
    ScrollTo(300, 200);
    const int lines = QApplication::wheelScrollLines();
    const int sideStep = view->horizontalScrollBar()->singleStep();
    Wheel(QPoint(100, 100), -120, Qt::ShiftModifier);
    EXPECT_EQ(ScrollPosition(), QPoint(300 + lines * sideStep, 200));
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.x, static_cast<float>(-(300 + lines * sideStep)));
    Wheel(QPoint(100, 100), 240, Qt::ShiftModifier);
    EXPECT_EQ(ScrollPosition(), QPoint(300 - lines * sideStep, 200));

    Wheel(QPoint(100, 100), -120, Qt::NoModifier);
    EXPECT_EQ(view->horizontalScrollBar()->value(), 300 - lines * sideStep);
    EXPECT_GT(view->verticalScrollBar()->value(), 200);
    EXPECT_FLOAT_EQ(view->Geometry().Zoom(), 1.44f);
}

TEST_F(WheelView, MiddleDragMovesTheScrollPositionByTheDragDistance) {
    Zoom(2);
    struct Case {
        QPoint scroll;
        QPoint from;
        QPoint to;
        QPoint expected;
    };
    const int maxX = view->horizontalScrollBar()->maximum();
    const Case cases[] = {
        {{300, 200}, {200, 200}, {120, 150}, {380, 250}},
        {{300, 200}, {100, 100}, {160, 190}, {240, 110}},
        // Beyond the end of the picture the position stops at the range.
        {{maxX - 10, 0}, {300, 300}, {200, 100}, {maxX, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "from " << c.from.x() << "," << c.from.y() << " to " << c.to.x() << "," << c.to.y());
        ScrollTo(c.scroll.x(), c.scroll.y());
        Mouse(QEvent::MouseButtonPress, Qt::MiddleButton, c.from);
        EXPECT_TRUE(view->Panning());
        const QPoint halfway = (c.from + c.to) / 2;
        for (const QPoint& p : {halfway, c.to}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(p), view->viewport()->mapToGlobal(QPointF(p)),
                             Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &move);
        }
        Mouse(QEvent::MouseButtonRelease, Qt::MiddleButton, c.to);
        EXPECT_FALSE(view->Panning());
        EXPECT_EQ(ScrollPosition(), c.expected);
        EXPECT_FLOAT_EQ(view->Geometry().displayRect.x, static_cast<float>(-c.expected.x()));
        EXPECT_FLOAT_EQ(view->Geometry().displayRect.y, static_cast<float>(-c.expected.y()));
    }
    // Panning paints nothing and leaves the next left-button stroke alone.
    EXPECT_EQ(view->Canvas().store->Count(), 0);
    Drag(QPoint(100, 100), QPoint(140, 100), 4);
    EXPECT_GT(view->Canvas().store->Count(), 0);
}

namespace {

// A pen, and the strokes it draws as tablet events sent to the view.
class PenStroke : public PenView {
protected:
    void Pen(QEvent::Type type, QPoint p, qreal pressure) {
        const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
        QTabletEvent event(type, &pen, QPointF(p), view->viewport()->mapToGlobal(QPointF(p)), pressure, 0.0f,
                           0.0f, 0.0f, 0.0, 0.0f, Qt::NoModifier, button, held);
        QApplication::sendEvent(view->viewport(), &event);
        EXPECT_TRUE(event.isAccepted());
    }
    // The same drag as the mouse's, with the pen pressed at `pressure` all the way.
    void PenDrag(QPoint from, QPoint to, qreal pressure, int steps = 8) {
        Pen(QEvent::TabletPress, from, pressure);
        for (int i = 1; i <= steps; ++i) {
            Pen(QEvent::TabletMove, from + (to - from) * i / steps, pressure);
        }
        Pen(QEvent::TabletRelease, to, 0.0);
    }
    std::vector<CanvasPoint> PenPath(QPoint from, QPoint to, int steps = 8) const {
        std::vector<CanvasPoint> centres;
        for (int i = 0; i <= steps; ++i) {
            const QPoint p = from + (to - from) * i / steps;
            centres.push_back(view->Geometry().ClientToImage(p.x(), p.y()));
        }
        return centres;
    }

    QPointingDevice pen{QStringLiteral("test pen"),
                        4711,
                        QInputDevice::DeviceType::Stylus,
                        QPointingDevice::PointerType::Pen,
                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                        1,
                        3};
};

class PenStrokeOfKind : public PenStroke, public ::testing::WithParamInterface<BrushKind> {};

} // namespace

TEST_F(PenStroke, PressureSetsTheThicknessAndTheSpreadOfEachDab) {
    struct Case {
        BrushKind kind;
        bool scatters;
    };
    for (const Case c : {Case{BrushKind::Simple, false}, Case{BrushKind::Spray, true}}) {
        for (const qreal pressure : {0.25, 1.0}) {
            SCOPED_TRACE(testing::Message() << BrushKindCaption(c.kind) << " at " << pressure);
            FreshCanvas();
            ASSERT_EQ(view->Canvas().store->Count(), 0);
            UseKind(c.kind);
            const BrushSettings& settings = view->ToolBox()->Brush(static_cast<int>(c.kind));
            const QPoint from(100, 100);
            const QPoint to(220, 140);
            PenDrag(from, to, pressure);
            const std::vector<CanvasPoint> centres = PenPath(from, to);
            ASSERT_GT(view->Canvas().store->Count(), 0);
            const float p = static_cast<float>(pressure);
            const float reach = settings.brushSize * 0.5f * (c.scatters ? 0.3f + 0.7f * p : 1.0f);
            float farthest = 0.0f;
            for (const Metaball& m : view->Canvas().store->records) {
                EXPECT_FLOAT_EQ(m.thickness, settings.particle.thickness * p);
                // Each particle lies within its dab's reach of the pen's path, where every dab centre lies.
                float nearest = 1e9f;
                for (std::size_t i = 0; i + 1 < centres.size(); ++i) {
                    const CanvasPoint& a = centres[i];
                    const CanvasPoint& b = centres[i + 1];
                    const float vx = b.x - a.x;
                    const float vy = b.y - a.y;
                    const float t =
                        std::clamp(((m.x - a.x) * vx + (m.y - a.y) * vy) / (vx * vx + vy * vy), 0.0f, 1.0f);
                    nearest = std::min(nearest, std::hypot(m.x - (a.x + t * vx), m.y - (a.y + t * vy)));
                }
                EXPECT_LE(nearest, reach + 1e-3f);
                farthest = std::max(farthest, nearest);
                if (!c.scatters) {
                    EXPECT_FLOAT_EQ(m.innerRadius, settings.brushSize * 0.25f);
                }
            }
            if (c.scatters && pressure == 1.0) {
                // A full press spreads beyond the reach of a light one.
                EXPECT_GT(farthest, settings.brushSize * 0.5f * (0.3f + 0.7f * 0.25f));
            }
        }
    }
}

// With the pen at full pressure, and with 筆圧 off at any pressure, the pen lays what the mouse laid.
TEST_P(PenStrokeOfKind, AtFullPressureOrWithPressureOffLaysTheMouseStrokesMetaballs) {
    const BrushKind kind = GetParam();
    QFile file(RecordingPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray all = file.readAll();
    std::string recorded;
    for (qsizetype at = 0; at + 8 <= all.size();) {
        std::int32_t k = 0;
        std::int32_t size = 0;
        std::memcpy(&k, all.constData() + at, 4);
        std::memcpy(&size, all.constData() + at + 4, 4);
        if (k == static_cast<std::int32_t>(kind)) {
            recorded.assign(all.constData() + at + 8, static_cast<std::size_t>(size));
        }
        at += 8 + size;
    }
    ASSERT_FALSE(recorded.empty());

    struct Case {
        bool pressureOn;
        qreal pressure;
    };
    for (const Case c : {Case{true, 1.0}, Case{false, 0.3}, Case{false, 1.0}}) {
        SCOPED_TRACE(testing::Message() << "筆圧 " << c.pressureOn << ", pressure " << c.pressure);
        FreshCanvas();
        view->ToolBox()->SetPenPressureEnabled(c.pressureOn);
        UseKind(kind);
        PenDrag(QPoint(100, 100), QPoint(220, 140), c.pressure);
        EXPECT_TRUE(StoreBytes() == recorded) << "the pen laid other metaballs than the mouse";
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PenStrokeOfKind, ::testing::ValuesIn(RecordedKinds));

TEST_F(PenStroke, MouseCopiesOfThePensEventsPaintNothingMore) {
    Pen(QEvent::TabletPress, QPoint(100, 100), 0.5);
    // A platform may also send the pen's moves as mouse events; they are left out while the pen touches.
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, QPoint(100, 100));
    Move(QPoint(120, 100), true);
    Pen(QEvent::TabletMove, QPoint(110, 100), 0.5);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(120, 100));
    EXPECT_TRUE(view->ButtonDown());
    Pen(QEvent::TabletRelease, QPoint(110, 100), 0.0);
    EXPECT_FALSE(view->ButtonDown());
    EXPECT_EQ(view->Canvas().store->Count(), 2); // the press and the pen's one move
    for (const Metaball& m : view->Canvas().store->records) {
        EXPECT_FLOAT_EQ(m.thickness, 0.5f);
    }
    // Once lifted, the mouse paints again, at full thickness.
    Drag(QPoint(200, 200), QPoint(210, 200), 1);
    EXPECT_EQ(view->Canvas().store->Count(), 4);
    EXPECT_FLOAT_EQ(view->Canvas().store->records.back().thickness, 1.0f);
}

TEST_F(PenStroke, ThePressureSwitchIsRememberedInTheSettingsFile) {
    // No file yet: on.
    EXPECT_TRUE(view->PenPressureEnabled());
    view->ToolBox()->SetPenPressureEnabled(false);
    ASSERT_EQ(view->OnCloseQuery(), 0);
    ProfileFile written;
    written.Load(view->SettingsPath());
    EXPECT_EQ(written.GetInt("Dialog_toolbox", "PenPressure", -1), 0);

    struct Case {
        const char* text;
        bool on;
    };
    const Case cases[] = {
        {"[Dialog_toolbox]\nPenPressure=0\n", false},
        {"[Dialog_toolbox]\nPenPressure=1\n", true},
        {"[Dialog_toolbox]\nTop=10\nLeft=10\nDisplay=1\n", true}, // a file from before the switch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        view.reset();
        QFile file(dir.filePath(QStringLiteral("nurimoko.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.text);
        file.close();
        SetUp();
        EXPECT_EQ(view->ToolBox()->PenPressureEnabled(), c.on);
        EXPECT_EQ(view->PenPressureEnabled(), c.on);
    }
}

TEST_F(PenStroke, APenHoveringAgainAfterALostReleaseEndsItsStroke) {
    Pen(QEvent::TabletPress, QPoint(100, 100), 0.5);
    Pen(QEvent::TabletMove, QPoint(104, 100), 0.5);
    ASSERT_TRUE(view->ButtonDown());
    const std::int32_t laid = view->Canvas().store->Count();
    // The release was lost; the pen comes back hovering, tip up.
    QTabletEvent hover(QEvent::TabletMove, &pen, QPointF(300, 300),
                       view->viewport()->mapToGlobal(QPointF(300, 300)), 0.0, 0.0f, 0.0f, 0.0f, 0.0, 0.0f,
                       Qt::NoModifier, Qt::NoButton, Qt::NoButton);
    QApplication::sendEvent(view->viewport(), &hover);
    EXPECT_FALSE(view->ButtonDown());
    EXPECT_FALSE(view->Controller()->StrokeActive());
    EXPECT_EQ(view->Canvas().store->Count(), laid); // hovering lays nothing
    // The stroke was recorded, so it can be undone, and the mouse paints again.
    EXPECT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
    Drag(QPoint(200, 200), QPoint(202, 200), 1);
    EXPECT_GT(view->Canvas().store->Count(), laid);
}
