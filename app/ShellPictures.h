#pragma once
// The program's own pictures, drawn at start-up: the 32 × 32 tool bar buttons, the application icon
// and the About picture.

#include <QIcon>
#include <QImage>
#include <QPixmap>

inline constexpr int ToolBarIconSize = 32;
inline constexpr int AboutPictureWidth = 692;
inline constexpr int AboutPictureHeight = 116;

// The button face of a tool bar command; a null pixmap for commands without a button.
QPixmap ToolBarPixmap(int commandId);
QIcon ApplicationIcon();
QImage AboutPicture();
