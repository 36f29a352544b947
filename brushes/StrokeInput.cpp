// The input half of StrokeController: mouse events to path points, previews, guidance and snapping.

#include <cmath>

#include "brushes/StrokeController.h"
#include "engine/PaintCanvas.h"

namespace {

float Distance(float dx, float dy) {
    return static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

// Window position moved to the pixel centre, in a float frame that keeps y downwards.
CanvasPoint CentreOf(WindowPoint p) {
    return CanvasPoint{static_cast<float>(p.x) + 0.5f, static_cast<float>(p.y) + 0.5f};
}

} // namespace

const char* StrokeController::GuidanceText(PathKind path) {
    switch (path) {
    case PathKind::Freehand:
        return "フリーハンド： マウス左クリックしたままドラッグ。";
    case PathKind::StraightLine:
        return "直線：【始点】マウス左クリック。【終点】マウス左クリック。【キャンセル】マウス右クリック。";
    case PathKind::Polyline:
    case PathKind::Curve:
        return "折れ線：【始点】マウス左クリック。【途中の点】マウス左クリック。【終点】マウス左ダブルクリッ"
               "ク。"
               "【1点キャンセル】マウス右クリック。";
    case PathKind::Circumference:
        return "円周：【円の中心】マウス左クリック。【円周上の１点】マウス左クリック。【キャンセル】マウス右"
               "クリック。";
    case PathKind::Arc:
        return "円弧：【円の中心】マウス左クリック。【円弧上の始点】マウス左クリック。【円弧上の終点】"
               "マウス左クリック。【キャンセル】マウス右クリック。";
    case PathKind::RegularPolygon:
        return "正多角形：【正多角形の中心】マウス左クリック。【正多角形の頂点】マウス左クリック。"
               "【正多角形の隣の頂点】マウス左クリック。【キャンセル】マウス右クリック。";
    }
    return "";
}

void StrokeController::ShowGuidance(PathKind path) {
    view.SetStatusText(GuidanceText(path));
}

WindowPoint StrokeController::SnapToGrid(WindowPoint point) const {
    if (brush.pathKind == PathKind::Freehand) {
        return point;
    }
    const GridSnapSettings grid = view.GridSnap();
    // A spacing below one pixel has no grid lines to snap to.
    if (!grid.shown || !grid.snap || grid.spacing < 1) {
        return point;
    }
    const ViewMapping mapping = view.Mapping();
    const CanvasPoint at = mapping.WindowToCanvas(point);
    const float g = static_cast<float>(grid.spacing);
    const auto snap = [g](float v) {
        const float lo = g * std::trunc(v / g) + 0.5f;
        const float hi = lo + g;
        return std::fabs(v - hi) <= std::fabs(v - lo) ? hi : lo;
    };
    return mapping.CanvasToWindow(CanvasPoint{snap(at.x), snap(at.y)});
}

// ---- Preview shapes ----

PreviewPoint StrokeController::ToDrawing(float windowX, float windowY) const {
    const ViewMapping m = view.Mapping();
    const float z = m.Zoom();
    return PreviewPoint{(windowX - m.displayX) / z + m.sourceX, (windowY - m.displayY) / z + m.sourceY};
}

PreviewPoint StrokeController::ToDrawing(WindowPoint p) const {
    return ToDrawing(static_cast<float>(p.x) + 0.5f, static_cast<float>(p.y) + 0.5f);
}

void StrokeController::Show(PreviewShape& shape) {
    shape.onScreen = true;
    previewChanged = true;
}

void StrokeController::Hide(PreviewShape& shape) {
    if (shape.onScreen) {
        shape.onScreen = false;
        previewChanged = true;
    }
}

void StrokeController::SetPenWidths() {
    preview.ForEach([](PreviewShape& s) { s.penWidth = 1; });
    switch (brush.pathKind) {
    case PathKind::StraightLine:
    case PathKind::Polyline:
        preview.pathLine.penWidth = 3;
        break;
    case PathKind::Curve:
        preview.curve.penWidth = 3;
        break;
    case PathKind::Circumference:
        preview.circle.penWidth = 3;
        break;
    case PathKind::Arc:
        preview.arc.penWidth = 3;
        break;
    case PathKind::RegularPolygon:
        preview.polygon.penWidth = 3;
        break;
    case PathKind::Freehand:
        break;
    }
    previewChanged = true;
}

void StrokeController::ShowCursorCircle(WindowPoint point) {
    const float zoom = view.Mapping().Zoom();
    const std::int32_t half =
        static_cast<std::int32_t>(zoom * static_cast<float>(static_cast<std::int32_t>(brush.brushSize) / 2));
    PreviewShape& shape = preview.cursorCircle;
    shape.kind = PreviewKind::Circle;
    const PreviewPoint topLeft = ToDrawing(WindowPoint{point.x - half, point.y - half});
    const PreviewPoint bottomRight = ToDrawing(WindowPoint{point.x + half, point.y + half});
    shape.left = topLeft.x;
    shape.top = topLeft.y;
    shape.right = bottomRight.x;
    shape.bottom = bottomRight.y;
    Show(shape);
}

void StrokeController::ShowLine(PreviewShape& shape, WindowPoint from, WindowPoint to) {
    shape.kind = PreviewKind::Polyline;
    shape.points = {ToDrawing(from), ToDrawing(to)};
    Show(shape);
}

void StrokeController::ShowPathLine(WindowPoint cursor) {
    PreviewShape& shape = preview.pathLine;
    shape.kind = PreviewKind::Polyline;
    shape.points.clear();
    for (const WindowPoint& p : points) {
        shape.points.push_back(ToDrawing(p));
    }
    shape.points.push_back(ToDrawing(cursor));
    Show(shape);
}

void StrokeController::ShowCurve(WindowPoint cursor) {
    std::vector<CanvasPoint> through;
    for (const WindowPoint& p : points) {
        through.push_back(CentreOf(p));
    }
    through.push_back(CentreOf(cursor));
    PreviewShape& shape = preview.curve;
    shape.kind = PreviewKind::Polyline;
    shape.points.clear();
    for (const CanvasPoint& s : SampleCurvePoints(through, false, 5.0f)) {
        shape.points.push_back(ToDrawing(s.x, s.y));
    }
    Show(shape);
}

void StrokeController::ShowRadiusCircle(WindowPoint centre, WindowPoint cursor) {
    const CanvasPoint c = CentreOf(centre);
    const CanvasPoint q = CentreOf(cursor);
    const float r = Distance(q.x - c.x, q.y - c.y);
    PreviewShape& shape = preview.circle;
    shape.kind = PreviewKind::Circle;
    const PreviewPoint topLeft = ToDrawing(c.x - r, c.y - r);
    const PreviewPoint bottomRight = ToDrawing(c.x + r, c.y + r);
    shape.left = topLeft.x;
    shape.top = topLeft.y;
    shape.right = bottomRight.x;
    shape.bottom = bottomRight.y;
    Show(shape);
}

// The radius from the centre to the cursor and the circle it draws.
void StrokeController::ShowRadiusPreview(WindowPoint cursor) {
    Hide(preview.radiusLine);
    Hide(preview.circle);
    ShowLine(preview.radiusLine, points[0], cursor);
    ShowRadiusCircle(points[0], cursor);
}

// With the second point placed: its radius stays, a second line follows the cursor and the circle goes.
void StrokeController::ShowSecondPointPreview(WindowPoint cursor) {
    Hide(preview.radiusLine);
    ShowLine(preview.radiusLine, points[0], points[1]);
    Hide(preview.secondLine);
    ShowLine(preview.secondLine, points[0], cursor);
    Hide(preview.circle);
}

void StrokeController::CountArcTurn(WindowPoint cursor) {
    const WindowPoint c = points[0];
    const double cross = static_cast<double>(previousCursor.x - c.x) * (cursor.y - c.y) -
                         static_cast<double>(previousCursor.y - c.y) * (cursor.x - c.x);
    if (cross >= 0.0) {
        ++clockwiseMoves;
    } else {
        ++counterclockwiseMoves;
    }
}

void StrokeController::ShowArc(WindowPoint cursor) {
    const WindowPoint c = points[0];
    const WindowPoint a = points[1];
    const float ax = static_cast<float>(a.x - c.x);
    const float ay = static_cast<float>(a.y - c.y);
    const float startAngle = DirectionAngle(ax, ay);
    const float cursorAngle =
        DirectionAngle(static_cast<float>(cursor.x - c.x), static_cast<float>(cursor.y - c.y));
    PreviewShape& shape = preview.arc;
    shape.kind = PreviewKind::Arc;
    shape.centre = ToDrawing(c);
    shape.radius = Distance(ax, ay) / view.Mapping().Zoom();
    // Counterclockwise on the screen from the cursor back to the start when the mouse went clockwise.
    if (clockwiseMoves > counterclockwiseMoves) {
        shape.startAngle = cursorAngle;
        shape.endAngle = startAngle;
    } else {
        shape.startAngle = startAngle;
        shape.endAngle = cursorAngle;
    }
    Show(shape);
}

void StrokeController::ShowPolygon(WindowPoint cursor) {
    std::vector<CanvasPoint> vertices =
        RegularPolygonVertices(CentreOf(points[0]), CentreOf(points[1]), CentreOf(cursor));
    if (vertices.empty()) {
        return;
    }
    vertices.push_back(vertices.front());
    PreviewShape& shape = preview.polygon;
    shape.kind = PreviewKind::Polyline;
    shape.points.clear();
    for (const CanvasPoint& v : vertices) {
        shape.points.push_back(ToDrawing(v.x, v.y));
    }
    Show(shape);
}

// ---- Events ----

void StrokeController::AddPoint(WindowPoint point) {
    if (points.empty()) {
        BeginStroke();
    }
    points.push_back(point);
}

ResultCode StrokeController::Commit() {
    view.SetStatusText("");
    const ResultCode result = CommitPath();
    EndStroke();
    return result;
}

ResultCode StrokeController::HandleStrokeEvent(StrokeEvent type, WindowPoint point) {
    if (type == StrokeEvent::ButtonUp && !buttonHeld) {
        return Result::Success;
    }
    if (type == StrokeEvent::ButtonDown) {
        buttonHeld = true;
    }
    if (type == StrokeEvent::ButtonDown || type == StrokeEvent::Move) {
        Hide(preview.cursorCircle);
    }
    ResultCode result = Result::Success;
    switch (brush.pathKind) {
    case PathKind::Freehand:
        result = HandleFreehand(type, point);
        break;
    case PathKind::StraightLine:
        result = HandleStraightLine(type, point);
        break;
    case PathKind::Polyline:
        result = HandlePolyline(type, point, false);
        break;
    case PathKind::Curve:
        result = HandlePolyline(type, point, true);
        break;
    case PathKind::Circumference:
        result = HandleCircumference(type, point);
        break;
    case PathKind::Arc:
        result = HandleArc(type, point);
        break;
    case PathKind::RegularPolygon:
        result = HandleRegularPolygon(type, point);
        break;
    }
    if (type == StrokeEvent::Move && result == Result::Success) {
        ShowCursorCircle(point);
    }
    if (type == StrokeEvent::ButtonUp) {
        buttonHeld = false;
    }
    if (previewChanged) {
        previewChanged = false;
        view.PreviewChanged();
    }
    return result;
}

ResultCode StrokeController::HandleFreehand(StrokeEvent type, WindowPoint point) {
    ResultCode result = Result::Success;
    switch (type) {
    case StrokeEvent::ButtonDown:
        if (points.empty()) {
            BeginStroke();
            result = FreehandStep(point);
        }
        // The press position stands in the list twice.
        points.push_back(point);
        break;
    case StrokeEvent::Move:
        if (buttonHeld) {
            result = FreehandStep(point);
        }
        break;
    case StrokeEvent::ButtonUp:
        view.SetStatusText("");
        EndStroke();
        break;
    case StrokeEvent::DoubleClick:
    case StrokeEvent::RightDown:
        break;
    }
    return result;
}

ResultCode StrokeController::HandleStraightLine(StrokeEvent type, WindowPoint point) {
    switch (type) {
    case StrokeEvent::ButtonDown:
        AddPoint(point);
        // At least: points collected for another path kind chosen mid-path count as well.
        if (points.size() >= 2) {
            Hide(preview.pathLine);
            return Commit();
        }
        break;
    case StrokeEvent::Move:
        if (!points.empty()) {
            Hide(preview.pathLine);
            ShowPathLine(point);
        }
        break;
    case StrokeEvent::RightDown:
        if (!points.empty()) {
            points.pop_back();
            Hide(preview.pathLine);
        }
        break;
    default:
        break;
    }
    return Result::Success;
}

ResultCode StrokeController::HandlePolyline(StrokeEvent type, WindowPoint point, bool curve) {
    switch (type) {
    case StrokeEvent::ButtonDown:
        AddPoint(point);
        break;
    case StrokeEvent::Move:
    case StrokeEvent::RightDown:
        if (points.empty()) {
            break;
        }
        if (type == StrokeEvent::RightDown) {
            points.pop_back();
        }
        Hide(preview.pathLine);
        ShowPathLine(point);
        if (curve) {
            Hide(preview.curve);
            ShowCurve(point);
        }
        break;
    case StrokeEvent::DoubleClick: {
        // A double click always follows a press that began the stroke; without points there is none.
        if (points.empty()) {
            break;
        }
        Hide(preview.pathLine);
        if (curve) {
            Hide(preview.curve);
        }
        const ResultCode result = Commit();
        if (result != Result::Success) {
            ShowResultMessage(messages, result);
        }
        return result;
    }
    case StrokeEvent::ButtonUp:
        break;
    }
    return Result::Success;
}

ResultCode StrokeController::HandleCircumference(StrokeEvent type, WindowPoint point) {
    switch (type) {
    case StrokeEvent::ButtonDown:
        AddPoint(point);
        if (points.size() >= 2) {
            Hide(preview.radiusLine);
            Hide(preview.circle);
            return Commit();
        }
        break;
    case StrokeEvent::Move:
        if (!points.empty()) {
            ShowRadiusPreview(point);
        }
        break;
    case StrokeEvent::RightDown:
        if (!points.empty()) {
            points.pop_back();
            Hide(preview.radiusLine);
            Hide(preview.circle);
        }
        break;
    default:
        break;
    }
    return Result::Success;
}

ResultCode StrokeController::HandleArc(StrokeEvent type, WindowPoint point) {
    switch (type) {
    case StrokeEvent::ButtonDown:
        AddPoint(point);
        if (points.size() == 2) {
            clockwiseMoves = 0;
            counterclockwiseMoves = 0;
            previousCursor = point;
        } else if (points.size() >= 3) {
            Hide(preview.radiusLine);
            Hide(preview.secondLine);
            Hide(preview.arc);
            return Commit();
        }
        break;
    case StrokeEvent::Move:
        if (points.size() == 1) {
            ShowRadiusPreview(point);
        } else if (points.size() == 2) {
            ShowSecondPointPreview(point);
            Hide(preview.arc);
            CountArcTurn(point);
            ShowArc(point);
            previousCursor = point;
        }
        break;
    case StrokeEvent::RightDown:
        if (points.empty()) {
            break;
        }
        points.pop_back();
        if (points.size() == 1) {
            Hide(preview.arc);
            Hide(preview.secondLine);
            Hide(preview.radiusLine);
            ShowRadiusCircle(points[0], point);
            ShowLine(preview.radiusLine, points[0], point);
        } else if (points.empty()) {
            Hide(preview.circle);
            Hide(preview.radiusLine);
        }
        break;
    default:
        break;
    }
    return Result::Success;
}

ResultCode StrokeController::HandleRegularPolygon(StrokeEvent type, WindowPoint point) {
    switch (type) {
    case StrokeEvent::ButtonDown:
        AddPoint(point);
        if (points.size() >= 3) {
            Hide(preview.circle);
            Hide(preview.radiusLine);
            Hide(preview.secondLine);
            Hide(preview.polygon);
            return Commit();
        }
        break;
    case StrokeEvent::Move:
        if (points.size() == 1) {
            ShowRadiusPreview(point);
        } else if (points.size() == 2) {
            ShowSecondPointPreview(point);
            Hide(preview.polygon);
            if (!(point == points[1])) {
                ShowPolygon(point);
            }
        }
        break;
    case StrokeEvent::RightDown:
        if (points.empty()) {
            break;
        }
        points.pop_back();
        if (points.size() == 1) {
            Hide(preview.polygon);
            Hide(preview.secondLine);
            Hide(preview.radiusLine);
            ShowLine(preview.radiusLine, points[0], point);
        } else if (points.empty()) {
            Hide(preview.circle);
            Hide(preview.radiusLine);
        }
        break;
    default:
        break;
    }
    return Result::Success;
}
