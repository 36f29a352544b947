#include "brushes/StrokeController.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "background/HlsColour.h"
#include "engine/PaintCanvas.h"

namespace {

constexpr const char* DrawingText = "描画中...";
constexpr const char* ProcessingText = "処理中...";

bool IsFreehand(const BrushSettings& brush) {
    return brush.pathKind == PathKind::Freehand;
}

float Clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

} // namespace

StrokeController::StrokeController(PaintCanvas& canvasRef, ViewServices& viewRef)
    : canvas(canvasRef), view(viewRef) {}

void StrokeController::RefreshBrush() {
    if (brushSource != nullptr) {
        brush = brushSource->CurrentBrush();
        // The tool box's copy carries no built pattern; a stroke under way must still paint with it.
        if (strokeActive) {
            brush.BuildDabPattern();
        }
    }
    ShowGuidance(brush.pathKind);
}

void StrokeController::SetPathKind(PathKind path) {
    brush.pathKind = path;
    ShowGuidance(path);
}

void StrokeController::ReadCanvasSettings() {
    if (canvasSettings == nullptr) {
        return;
    }
    const CanvasDrawingSettings settings = canvasSettings->DrawingSettings();
    canvas.drawingArea = settings.drawingArea;
    canvas.heightMode = settings.heightMode;
    canvas.planeHeight = settings.planeHeight;
}

void StrokeController::BeginStroke() {
    canvas.antiAliasing = 1;
    ReadCanvasSettings();
    strokeActive = false; // the pattern is built once, below
    RefreshBrush();
    brush.BuildDabPattern();
    canvas.BeginOperation();
    points.clear();
    SetPenWidths();
    strokeActive = true;
}

PaintColour StrokeController::ClampedParticleColour() const {
    PaintColour colour;
    colour.red = Clamp01(brush.particle.red);
    colour.green = Clamp01(brush.particle.green);
    colour.blue = Clamp01(brush.particle.blue);
    return colour;
}

ResultCode StrokeController::FreehandStep(WindowPoint point) {
    const ViewMapping mapping = view.Mapping();
    const CanvasPoint from = mapping.WindowToCanvas(points.empty() ? point : points.back());
    points.push_back(point);
    const CanvasPoint at = mapping.WindowToCanvas(point);
    switch (brush.kind) {
    case BrushKind::Eraser:
        EditAtStep(true, at.x, at.y);
        return Result::Success;
    case BrushKind::Recolour:
        EditAtStep(false, at.x, at.y);
        return Result::Success;
    case BrushKind::Eyedropper:
        PickColourAt(at.x, at.y);
        return Result::Success;
    case BrushKind::Stir:
        StirAt(at.x, at.y);
        return Result::Success;
    default:
        break;
    }
    brush.placements.clear();
    brush.FreehandPlacements(from, at, points, brush.placements);
    if (brush.placements.empty()) {
        return Result::Success;
    }
    return StampAll();
}

void StrokeController::EditAtStep(bool erase, float x, float y) {
    UpdateRect rect = UpdateRect::Empty();
    const float radius = brush.brushSize / 2.0f;
    const int changed = erase ? canvas.EraseInCircle(x, y, radius, rect)
                              : canvas.RecolourInCircle(x, y, radius, ClampedParticleColour(), rect);
    if (changed == 0) {
        return;
    }
    canvas.Render(rect);
    view.BlitRect(rect);
    view.SetModified();
}

void StrokeController::StirAt(float x, float y) {
    const float radius = brush.brushSize / 2.0f;
    // The turn is scaled by the distance over the radius; without a radius there is no turn.
    if (!(radius > 0.0f)) {
        return;
    }
    std::vector<std::int32_t> ids;
    canvas.CollectInCircle(x, y, radius, ids);
    if (ids.empty() || !canvas.store) {
        return;
    }
    UpdateRect total = UpdateRect::Empty();
    for (const std::int32_t id : ids) {
        if (!canvas.store->Contains(id)) {
            continue;
        }
        const Metaball& m = canvas.store->records[static_cast<std::size_t>(id)];
        if (!m.IsLive()) {
            continue;
        }
        const float dx = m.x - x;
        const float dy = m.y - y;
        const float d =
            static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
        // A fiftieth of a turn at the centre, nothing at the rim; clockwise with y upwards.
        const float degrees = -7.2f * (1.0f - d / radius);
        const double radians = static_cast<double>(degrees) * std::numbers::pi / 180.0;
        const float c = static_cast<float>(std::cos(radians));
        const float s = static_cast<float>(std::sin(radians));
        const float nx = x + (dx * c - dy * s);
        const float ny = y + (dx * s + dy * c);
        UpdateRect oldRect;
        UpdateRect newRect;
        if (canvas.MoveMetaball(id, nx, ny, m.z, oldRect, newRect) == 1) {
            if (oldRect.valid) {
                total.Union(oldRect);
            }
            if (newRect.valid) {
                total.Union(newRect);
            }
        }
    }
    if (!total.valid) {
        return;
    }
    canvas.Render(total);
    view.BlitRect(total);
    view.SetModified();
}

void StrokeController::PickColourAt(float x, float y) {
    FloatColour picked;
    if (canvas.renderedImage.GetPixelColor(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                                           picked) != Result::Success) {
        return;
    }
    PaintColour colour;
    colour.red = Clamp01(picked.red);
    colour.green = Clamp01(picked.green);
    colour.blue = Clamp01(picked.blue);
    const HlsColour hls = RgbToHls(colour);
    if (brushSource != nullptr) {
        brushSource->SetCurrentColour(hls.hue / 360.0f, hls.lightness, hls.saturation);
    }
    view.SetStatusText("DEBUG: SetImageColorOnPoint 02");
}

void StrokeController::Progress(std::size_t index, std::size_t count) {
    const int percent =
        static_cast<int>(static_cast<double>(index) / static_cast<double>(count) * 100.0 * 0.8);
    view.ShowProgress(ProcessingText, percent);
}

ResultCode StrokeController::StampAll() {
    const bool freehand = IsFreehand(brush);
    if (!freehand) {
        view.BeginBusy(DrawingText);
    }
    // Spray and radial dabs are rendered one by one; the others are added first and rendered once.
    const bool renderEach = brush.kind == BrushKind::Radial || brush.kind == BrushKind::Spray;
    UpdateRect total = UpdateRect::Empty();
    std::vector<UpdateRect> kept;
    std::vector<Metaball> particles;
    ResultCode result = Result::Success;
    const std::size_t count = brush.placements.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!freehand) {
            Progress(i + 1, count);
        }
        result = brush.StampDab(canvas, static_cast<std::int32_t>(i), particles);
        if (result != Result::Success) {
            break;
        }
        UpdateRect rect = UpdateRect::Empty();
        result = canvas.AddMetaballs(particles, rect);
        if (result != Result::Success) {
            break;
        }
        if (!rect.valid) {
            continue;
        }
        if (renderEach) {
            result = canvas.Render(rect);
            if (result != Result::Success) {
                break;
            }
        } else {
            kept.push_back(rect);
        }
        total.Union(rect);
    }
    // Dabs added before a failure stay on the canvas, so they are still rendered and shown.
    if (!renderEach && total.valid) {
        canvas.MarkDirty(total, 0);
        for (const UpdateRect& rect : kept) {
            canvas.MarkDirty(rect, 1);
        }
        const ResultCode rendered = canvas.Render(total);
        if (result == Result::Success) {
            result = rendered;
        }
    }
    if (total.valid) {
        view.BlitRect(total);
        view.SetModified();
    }
    if (!freehand) {
        view.EndBusy();
    }
    return result;
}

ResultCode StrokeController::SamplePoints() {
    std::vector<CanvasPoint> path;
    const ViewMapping mapping = view.Mapping();
    for (const WindowPoint& p : points) {
        path.push_back(mapping.WindowToCanvas(p));
    }
    // An arc runs the way the mouse mostly went round its centre.
    const ArcSweep sweep =
        counterclockwiseMoves > clockwiseMoves ? ArcSweep::Counterclockwise : ArcSweep::Clockwise;
    return brush.SamplePath(path, brush.pathKind, brush.closed, sweep);
}

ResultCode StrokeController::EditAlongPath(bool erase) {
    view.BeginBusy(DrawingText);
    const ResultCode sampled = SamplePoints();
    if (sampled != Result::Success) {
        view.EndBusy();
        return sampled;
    }
    const PaintColour colour = ClampedParticleColour();
    UpdateRect total = UpdateRect::Empty();
    std::vector<UpdateRect> kept;
    const std::size_t count = brush.placements.size();
    for (std::size_t i = 0; i < count; ++i) {
        Progress(i + 1, count);
        const DabPlacement& p = brush.placements[i];
        const float radius = p.scale * brush.brushSize * 0.5f;
        UpdateRect rect = UpdateRect::Empty();
        const int changed = erase ? canvas.EraseInCircle(p.x, p.y, radius, rect)
                                  : canvas.RecolourInCircle(p.x, p.y, radius, colour, rect);
        if (changed != 0 && rect.valid) {
            kept.push_back(rect);
            total.Union(rect);
        }
    }
    ResultCode result = Result::Success;
    if (total.valid) {
        canvas.MarkDirty(total, 0);
        for (const UpdateRect& rect : kept) {
            canvas.MarkDirty(rect, 1);
        }
        result = canvas.Render(total);
        view.BlitRect(total);
        view.SetModified();
    }
    view.EndBusy();
    return result;
}

ResultCode StrokeController::CommitPath() {
    if (brush.kind == BrushKind::Eraser) {
        return EditAlongPath(true);
    }
    if (brush.kind == BrushKind::Recolour) {
        return EditAlongPath(false);
    }
    const ResultCode sampled = SamplePoints();
    if (sampled != Result::Success) {
        return sampled;
    }
    return StampAll();
}

void StrokeController::RecordStroke() {
    if (recorder == nullptr || canvas.changedIds.empty()) {
        return;
    }
    ResultCode result = Result::Success;
    switch (brush.kind) {
    case BrushKind::Eyedropper:
        return;
    case BrushKind::Eraser: {
        std::vector<std::int32_t> ids = canvas.changedIds;
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        result = recorder->RecordErase(std::move(ids));
        break;
    }
    case BrushKind::Recolour:
        result = recorder->RecordRecolour(canvas.changedIds, canvas.oldColours, canvas.newColours);
        break;
    case BrushKind::Stir:
        result = recorder->RecordMove(canvas.changedIds, canvas.oldPositions, canvas.newPositions);
        break;
    default:
        result = recorder->RecordAdd(canvas.changedIds);
        break;
    }
    if (result != Result::Success) {
        ShowResultMessage(messages, result);
    }
}

void StrokeController::EndStroke() {
    points.clear();
    // Without a stroke of its own the change lists still hold the previous stroke's ids.
    if (!strokeActive) {
        return;
    }
    strokeActive = false;
    canvas.EndOperation();
    RecordStroke();
}
