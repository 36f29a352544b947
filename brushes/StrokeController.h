#pragma once
// One stroke from the mouse to the canvas. The input half turns the view's mouse events into the
// points of a path, with rubber-band previews and guidance texts; the application half puts the
// stroke on the canvas (stamping dabs, erasing, recolouring, stirring or picking a colour), shows
// status and progress, and records the stroke for undo when it ends.

#include <cstdint>
#include <string>
#include <vector>

#include "brushes/BrushSettings.h"
#include "brushes/StrokePreview.h"
#include "brushes/StrokeServices.h"
#include "engine/ResultCode.h"
#include "engine/UpdateRect.h"

class PaintCanvas;

// The mouse events the view forwards, each with the position in window pixels after SnapToGrid.
enum class StrokeEvent : std::int32_t {
    ButtonDown = 1,  // left button pressed
    Move = 2,        // mouse moved, with or without a button held
    ButtonUp = 3,    // left button released
    DoubleClick = 4, // left double click (in place of the second press)
    RightDown = 5,   // right button pressed without Shift
};

class StrokeController {
public:
    // The brush source, canvas settings, recorder and message sink may be set later (the dialogs are
    // created after the view); while one is absent its part of a stroke is left out.
    StrokeController(PaintCanvas& canvas, ViewServices& view);

    void SetBrushSource(BrushSource* source) { brushSource = source; }
    void SetCanvasSettingsSource(CanvasSettingsSource* source) { canvasSettings = source; }
    void SetRecorder(StrokeRecorder* target) { recorder = target; }
    void SetMessageSink(MessageSink* sink) { messages = sink; }

    // ---- Input ----

    // Handles one mouse event of the painting mode. Returns the failure of a commit or a freehand step.
    ResultCode HandleStrokeEvent(StrokeEvent type, WindowPoint point);
    // The pen's pressure for the events that follow (PenPressure keeps it in (0, 1]); 1, the mouse's,
    // lays every dab as the brush says. Freehand dabs of the kinds that lay paint carry it.
    void SetPenPressure(float reading) { penPressure = PenPressure(reading); }
    float CurrentPenPressure() const { return penPressure; }
    // The position the view passes to HandleStrokeEvent: on the nearest grid line crossing when the
    // grid is shown, snapping is on and the path is not freehand; otherwise unchanged.
    WindowPoint SnapToGrid(WindowPoint point) const;
    // Shows the path kind's guidance text in the status line.
    void ShowGuidance(PathKind path);
    static const char* GuidanceText(PathKind path);

    // ---- Working brush ----

    // Takes a fresh copy of the tool box's brush (new hue variation) and shows its guidance text.
    void RefreshBrush();
    // The tool box chose a path kind.
    void SetPathKind(PathKind path);
    BrushSettings& Brush() { return brush; }
    const BrushSettings& Brush() const { return brush; }

    // ---- Application ----

    void BeginStroke();
    ResultCode FreehandStep(WindowPoint point);
    ResultCode CommitPath();
    void EndStroke();
    ResultCode StampAll();

    // ---- State the view reads ----

    const std::vector<WindowPoint>& Points() const { return points; }
    const StrokePreview& Preview() const { return preview; }
    // The view drew the canvas over the brush outline ("cursorHidden" = 1).
    void WipeCursor() { preview.cursorCircle.onScreen = false; }
    bool ButtonHeld() const { return buttonHeld; }
    bool StrokeActive() const { return strokeActive; }
    std::int32_t ClockwiseMoves() const { return clockwiseMoves; }
    std::int32_t CounterclockwiseMoves() const { return counterclockwiseMoves; }

private:
    // Input, by path kind.
    ResultCode HandleFreehand(StrokeEvent type, WindowPoint point);
    ResultCode HandleStraightLine(StrokeEvent type, WindowPoint point);
    ResultCode HandlePolyline(StrokeEvent type, WindowPoint point, bool curve);
    ResultCode HandleCircumference(StrokeEvent type, WindowPoint point);
    ResultCode HandleArc(StrokeEvent type, WindowPoint point);
    ResultCode HandleRegularPolygon(StrokeEvent type, WindowPoint point);

    void AddPoint(WindowPoint point);
    ResultCode Commit();
    void ShowCursorCircle(WindowPoint point);
    void ShowPathLine(WindowPoint cursor);
    void ShowCurve(WindowPoint cursor);
    void ShowRadiusCircle(WindowPoint centre, WindowPoint cursor);
    void ShowRadiusPreview(WindowPoint cursor);
    void ShowSecondPointPreview(WindowPoint cursor);
    void ShowLine(PreviewShape& shape, WindowPoint from, WindowPoint to);
    void ShowArc(WindowPoint cursor);
    void ShowPolygon(WindowPoint cursor);
    void CountArcTurn(WindowPoint cursor);
    void Show(PreviewShape& shape);
    void Hide(PreviewShape& shape);
    PreviewPoint ToDrawing(float windowX, float windowY) const;
    PreviewPoint ToDrawing(WindowPoint p) const;
    void SetPenWidths();

    // Application helpers.
    void ReadCanvasSettings();
    ResultCode SamplePoints();
    ResultCode EditAlongPath(bool erase);
    void EditAtStep(bool erase, float x, float y);
    void StirAt(float x, float y);
    void PickColourAt(float x, float y);
    void Progress(std::size_t index, std::size_t count);
    PaintColour ClampedParticleColour() const;
    void RecordStroke();

    PaintCanvas& canvas;
    ViewServices& view;
    BrushSource* brushSource = nullptr;
    CanvasSettingsSource* canvasSettings = nullptr;
    StrokeRecorder* recorder = nullptr;
    MessageSink* messages = nullptr;

    BrushSettings brush;
    std::vector<WindowPoint> points;
    StrokePreview preview;
    bool previewChanged = false;
    bool buttonHeld = false;
    bool strokeActive = false;
    std::int32_t clockwiseMoves = 0;
    std::int32_t counterclockwiseMoves = 0;
    WindowPoint previousCursor;
    float penPressure = 1.0f;
    float stepPressure = 1.0f; // the pressure of the stroke's previous freehand step
};
