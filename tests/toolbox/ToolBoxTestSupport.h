#pragma once
// A view stand-in that records the messages of the tool box and the canvas dialog.

#include <utility>
#include <vector>

#include "app/ViewMessages.h"

class RecordingView : public ViewMessageTarget {
public:
    std::vector<std::pair<int, int>> toolBox;
    std::vector<std::pair<int, int>> canvasDialog;

    void OnCanvasDialogMessage(int wParam, int lParam) override { canvasDialog.emplace_back(wParam, lParam); }
    void OnToolBoxMessage(int wParam, int lParam) override { toolBox.emplace_back(wParam, lParam); }
};
