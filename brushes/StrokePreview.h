#pragma once
// The rubber-band shapes of the stroke input, kept as state that the canvas view paints over the
// picture. Geometry is in drawing coordinates: image pixels with y growing downwards from the top
// of the picture, so the view maps a drawing point d to the window with
// (d.x - sourceX) * zoom + displayX, (d.y - sourceY) * zoom + displayY.
// Every shape is painted with a solid pen by inverting the pixels under it.

#include <cstdint>
#include <vector>

#include <initializer_list>

struct PreviewPoint {
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const PreviewPoint&) const = default;
};

enum class PreviewKind : std::int32_t {
    None = 0,
    Polyline = 1, // `points`, joined in order
    Circle = 2,   // the ellipse inside `left`, `top`, `right`, `bottom`
    Arc = 3,      // `centre`, `radius`, from `startAngle` to `endAngle`
};

struct PreviewShape {
    PreviewKind kind = PreviewKind::None;
    std::int32_t penWidth = 1; // pixels on the screen
    bool onScreen = false;     // painted only while true

    std::vector<PreviewPoint> points;
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
    PreviewPoint centre;
    float radius = 0.0f;
    // Degrees measured with y downwards (so growing clockwise on the screen). The arc runs
    // counterclockwise on the screen from the start to the end; equal angles give a full circle.
    float startAngle = 0.0f;
    float endAngle = 0.0f;

    // The arc in the usual painter convention: 0 at three o'clock, counterclockwise positive.
    float ScreenStartAngle() const { return -startAngle; }
    // Counterclockwise extent in degrees, in (0, 360].
    float ScreenSweep() const {
        float sweep = startAngle - endAngle;
        while (sweep <= 0.0f) {
            sweep += 360.0f;
        }
        while (sweep > 360.0f) {
            sweep -= 360.0f;
        }
        return sweep;
    }
};

// One shape per role.
struct StrokePreview {
    PreviewShape cursorCircle; // brush outline at the mouse; the view hides it whenever it redraws the canvas
    PreviewShape pathLine;     // straight line and polyline rubber band, the control polygon of a curve
    PreviewShape curve;
    PreviewShape circle;
    PreviewShape arc;
    PreviewShape polygon;
    PreviewShape radiusLine; // centre to the first point or the cursor
    PreviewShape secondLine; // centre to the cursor once two points exist

    template <typename F> void ForEach(F&& f) {
        for (PreviewShape* s :
             {&cursorCircle, &pathLine, &curve, &circle, &arc, &polygon, &radiusLine, &secondLine}) {
            f(*s);
        }
    }
    template <typename F> void ForEach(F&& f) const {
        for (const PreviewShape* s :
             {&cursorCircle, &pathLine, &curve, &circle, &arc, &polygon, &radiusLine, &secondLine}) {
            f(*s);
        }
    }
};
