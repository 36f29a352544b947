#include "app/ToolWindows.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace ToolWindow {

void Attach(QWidget* dialog) {
    // A tool window stays above the window it belongs to; it has a title and a close box, and neither a
    // minimise nor a maximise box.
    dialog->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
}

bool IsShown(const QWidget* dialog) {
    return dialog->isVisible() && !dialog->isMinimized();
}

void Show(QWidget* dialog) {
    dialog->showNormal();
    dialog->raise();
    dialog->activateWindow();
}

void Hide(QWidget* dialog) {
    dialog->hide();
}

bool Toggle(QWidget* dialog) {
    if (IsShown(dialog)) {
        Hide(dialog);
        return false;
    }
    Show(dialog);
    return true;
}

namespace {
int TitleBarHeight(const QWidget& window) {
    const int known = window.geometry().top() - window.frameGeometry().top();
    return known > 0 ? known : window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
}
} // namespace

QSize ExpectedFrameSize(const QWidget& window) {
    const QSize frame = window.frameGeometry().size();
    if (frame != window.size()) {
        return frame;
    }
    return window.size() + QSize(0, TitleBarHeight(window));
}

QRect FreeAreaBeside(const QWidget& view) {
    const QScreen* screen = view.screen() ? view.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return QRect();
    }
    const QRect available = screen->availableGeometry();
    QWidget* main = view.window();
    int top = available.top();
    if (main != &view) {
        // Before the main window is first shown its layout has not run yet; running it places the menu and
        // tool bars, so the view's offset below them is known.
        if (!main->isVisible() && main->layout() != nullptr) {
            main->layout()->activate();
        }
        top += view.mapTo(main, QPoint(0, 0)).y();
    }
    top += TitleBarHeight(*main);
    top = std::min(top, available.bottom());
    return QRect(available.left(), top, available.width(), available.bottom() - top + 1);
}

} // namespace ToolWindow
