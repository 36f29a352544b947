#pragma once
// The tool box and the canvas dialog are tool windows of the main window: the window manager keeps them
// above it, and each one is shown and hidden on its own. They are never minimised: window managers
// minimise a window together with the windows that belong to it, which would take the main window away.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ToolWindow {

// Makes `dialog` a tool window of the window its parent belongs to; call before it is first shown.
void Attach(QWidget* dialog);
// Shown, and not minimised by the user through the window manager.
bool IsShown(const QWidget* dialog);
// Shows it in its normal state, above the main window, and gives it the focus.
void Show(QWidget* dialog);
void Hide(QWidget* dialog);
// Hides a shown window, shows a hidden one. True when it is shown afterwards.
bool Toggle(QWidget* dialog);

// The size of the window with its frame: as the window manager framed it, or before that, with a title
// bar of the style's height.
QSize ExpectedFrameSize(const QWidget& window);

// The part of the screen beside which the tool windows may open without covering the main window's
// menu and tool bars: the screen's available area below the top of `view` as it will stand once its
// main window is maximised. `view` is the canvas view inside its (possibly not yet shown) main window.
QRect FreeAreaBeside(const QWidget& view);

} // namespace ToolWindow
