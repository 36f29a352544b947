#pragma once
// A canvas view on the offscreen platform with its files in a temporary folder and scripted prompts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <memory>

#include "FakePrompts.h"
#include "QtTestApp.h"
#include "app/COvaneView.h"

class ViewFixture : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(dir.isValid());
        ViewOptions options;
        options.undoFolder = dir.filePath(QStringLiteral("UNDO"));
        options.undoFallbackFolder = dir.filePath(QStringLiteral("UNDO-fallback"));
        options.settingsPath = dir.filePath(QStringLiteral("nurimoko.ini"));
        options.recoveryFolder = dir.filePath(QStringLiteral("recovery"));
        options.createDialogs = withDialogs;
        AdjustOptions(options);
        view = std::make_unique<COvaneView>(nullptr, options);
        auto fake = std::make_unique<FakePrompts>();
        prompts = fake.get();
        view->SetPrompts(std::move(fake));
        view->resize(640, 480);
        view->show();
        view->InitialUpdate();
        QApplication::processEvents();
    }
    // Lets a fixture change where the view keeps its files before the view is made.
    virtual void AdjustOptions(ViewOptions&) {}
    void TearDown() override {
        view.reset();
        QApplication::processEvents();
    }

    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint p,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const Qt::MouseButtons held =
            (type == QEvent::MouseButtonRelease) ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(p), view->viewport()->mapToGlobal(QPointF(p)), button, held, mods);
        QApplication::sendEvent(view->viewport(), &event);
    }
    void Move(QPoint p, bool held) {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), view->viewport()->mapToGlobal(QPointF(p)),
                          Qt::NoButton, held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
    // A freehand drag from `from` to `to` in client pixels.
    void Drag(QPoint from, QPoint to, int steps = 8) {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, from);
        for (int i = 1; i <= steps; ++i) {
            Move(from + (to - from) * i / steps, true);
        }
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, to);
    }
    // The rendered canvas pixel under a client point (red, green, blue).
    QColor RenderedAt(QPoint client) const {
        const CanvasPoint p = view->Geometry().ClientToImage(client.x(), client.y());
        const std::uint8_t* px =
            view->Canvas().renderedImage.PixelAt(static_cast<int>(p.x), static_cast<int>(p.y));
        return QColor(px[2], px[1], px[0]);
    }

    bool withDialogs = false;
    QTemporaryDir dir;
    std::unique_ptr<COvaneView> view;
    FakePrompts* prompts = nullptr;
};
