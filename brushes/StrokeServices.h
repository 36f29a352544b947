#pragma once
// What a stroke needs from the windows around it. The stroke code calls these small interfaces; the
// canvas view, the tool box and the canvas dialog implement them, and tests fake them.

#include <cstdint>
#include <string>
#include <vector>

#include "brushes/BrushSettings.h"
#include "brushes/PathSampling.h"
#include "engine/Metaball.h"
#include "engine/ResultCode.h"
#include "engine/UpdateRect.h"

// Where the picture sits in the view: the shown part of the image (source, image pixels) and the
// place it is drawn (display, client pixels). The zoom is the same on both axes.
// Window points are client pixels with y downwards; canvas points are image pixels with y upwards.
struct ViewMapping {
    float displayX = 0.0f;
    float displayY = 0.0f;
    float displayWidth = 1.0f;
    float displayHeight = 1.0f;
    float sourceX = 0.0f;
    float sourceY = 0.0f;
    float sourceWidth = 1.0f;
    float sourceHeight = 1.0f;

    float Zoom() const { return displayWidth / sourceWidth; }

    // Window pixel to canvas point, taking the pixel's centre.
    CanvasPoint WindowToCanvas(WindowPoint p) const {
        const float z = Zoom();
        return CanvasPoint{(static_cast<float>(p.x) + 0.5f - displayX) / z + sourceX,
                           sourceHeight - ((static_cast<float>(p.y) + 0.5f - displayY) / z + sourceY)};
    }
    // Canvas point to window pixel, truncating toward zero.
    WindowPoint CanvasToWindow(CanvasPoint c) const {
        const float z = Zoom();
        return WindowPoint{static_cast<std::int32_t>((c.x - sourceX) * z + displayX),
                           static_cast<std::int32_t>((sourceHeight - c.y - sourceY) * z + displayY)};
    }
};

// The canvas dialog's controls that a stroke copies into the canvas when it begins.
struct CanvasDrawingSettings {
    std::int32_t drawingArea = 3; // "前景＋背景" 3, "前景" 1, "背景" 2
    std::int32_t heightMode = 1;  // "絵の具の上" 1, "平面上" 0
    float planeHeight = 0.0f;     // the integer of the "高さ（Z値）" field
};

// The part of the view's grid settings that snapping reads.
struct GridSnapSettings {
    bool shown = false;
    std::int32_t spacing = 15; // pixels
    bool snap = true;
};

// The canvas view. Texts are UTF-8.
class ViewServices {
public:
    virtual ~ViewServices() = default;

    // Status pane 0.
    virtual void SetStatusText(const std::string& text) = 0;
    // Remembers the start time, shows `text` in status pane 0 unless it is null, shows the wait cursor.
    virtual void BeginBusy(const char* text) = 0;
    // Status pane 0 reads the text, a space and ten "●"/"〇" for `percent`; redrawn at once.
    virtual void ShowProgress(const std::string& text, int percent) = 0;
    // Status pane 0 reads "処理時間: %f 秒\n" with the seconds since BeginBusy; the wait cursor goes.
    virtual void EndBusy() = 0;
    // Copies this rectangle of the canvas's rendered image (image pixels, row 0 at the bottom) to the
    // display picture, draws the grid into it and puts it on the screen. Invalid rectangles do nothing.
    virtual void BlitRect(const UpdateRect& rect) = 0;
    // The painting changed since the last new, open or save.
    virtual void SetModified() = 0;

    virtual ViewMapping Mapping() const = 0;
    virtual GridSnapSettings GridSnap() const = 0;

    // The preview shapes of the stroke input changed: paint the overlay again.
    virtual void PreviewChanged() = 0;
};

// The tool box.
class BrushSource {
public:
    virtual ~BrushSource() = default;

    // A full copy of the selected kind's settings with the current colour (hue variation drawn anew),
    // the current path kind and the "閉じる" state for Polyline and Curve.
    virtual BrushSettings CurrentBrush() = 0;
    // Makes (hue, lightness, saturation), each 0..1, the current colour and redraws the colour display
    // and the brush previews (the eyedropper).
    virtual void SetCurrentColour(float hue, float lightness, float saturation) = 0;
};

// The canvas dialog.
class CanvasSettingsSource {
public:
    virtual ~CanvasSettingsSource() = default;
    virtual CanvasDrawingSettings DrawingSettings() const = 0;
};

// Where a finished stroke is recorded for undo; the lists are copies the recorder may consume and are
// parallel (the i-th position or colour belongs to the i-th id).
class StrokeRecorder {
public:
    virtual ~StrokeRecorder() = default;
    virtual ResultCode RecordAdd(std::vector<std::int32_t> ids) = 0;
    virtual ResultCode RecordErase(std::vector<std::int32_t> ids) = 0;
    virtual ResultCode RecordMove(std::vector<std::int32_t> ids, std::vector<Position3> oldPositions,
                                  std::vector<Position3> newPositions) = 0;
    virtual ResultCode RecordRecolour(std::vector<std::int32_t> ids, std::vector<PaintColour> oldColours,
                                      std::vector<PaintColour> newColours) = 0;
};
