#pragma once
// The messages the two modeless dialogs send to the canvas view, with their numeric codes.
// They are delivered synchronously by direct calls.

inline constexpr int WM_APP_PROGRESS = 33269;
inline constexpr int WM_APP_CLOSEQUERY = 33270;
inline constexpr int WM_APP_CANVASDIALOG = 33271;
inline constexpr int WM_APP_TOOLBOX = 33272;

// wParam values of WM_APP_CANVASDIALOG.
enum CanvasDialogNotice : int {
    CanvasBackgroundChanged = 1,
    CanvasHeightRadioChanged = 2, // ignored by the view
    CanvasBackgroundChanging = 101,
    CanvasBackgroundDone = 102,
    CanvasGridOn = 201,
    CanvasGridOff = 202,
    CanvasSnapChanged = 203,
};

// wParam values of WM_APP_TOOLBOX.
enum ToolBoxNotice : int {
    ToolBoxIgnored = 0,
    ToolBoxBrushKindChosen = 1, // lParam: the kind
    ToolBoxSizeBarMoved = 2,
    ToolBoxPathKindChosen = 3, // lParam: the kind
};

// Implemented by the canvas view; the tool box and the canvas dialog hold a pointer to it.
class ViewMessageTarget {
public:
    virtual ~ViewMessageTarget() = default;
    virtual void OnCanvasDialogMessage(int wParam, int lParam) = 0;
    virtual void OnToolBoxMessage(int wParam, int lParam) = 0;
};
