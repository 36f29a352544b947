#pragma once
// The tool box's bars show no number of their own; their value appears in a tool tip: while the bar is
// dragged or stepped, and when the mouse rests on it.

class QScrollBar;

void ShowValueInToolTip(QScrollBar* bar);
