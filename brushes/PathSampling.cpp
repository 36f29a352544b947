#include "brushes/PathSampling.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "brushes/BrushSettings.h"
#include "engine/Truncate.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kPiF = static_cast<float>(kPi);
constexpr float kTension = 0.35f;
constexpr float kShortestChord = 0.01f;

float Sqrt(float v) {
    return static_cast<float>(std::sqrt(static_cast<double>(v)));
}
float CosDeg(float degrees) {
    return static_cast<float>(std::cos(static_cast<double>(degrees) * kPi / 180.0));
}
float SinDeg(float degrees) {
    return static_cast<float>(std::sin(static_cast<double>(degrees) * kPi / 180.0));
}

float Length(float dx, float dy) {
    return Sqrt(dx * dx + dy * dy);
}

// Unit length, as the engine's vectors normalise: a zero vector stays zero.
CanvasPoint Normalised(float x, float y) {
    const float s = x * x + y * y;
    float length = s > 0.0f ? Sqrt(s) : 0.0f;
    length = std::max(length, 1e-10f);
    const float inverse = 1.0f / length;
    return {x * inverse, y * inverse};
}

struct Segment {
    CanvasPoint start;
    float length = 0.0f;
    float ux = 1.0f;
    float uy = 0.0f;
};

Segment MakeSegment(CanvasPoint a, CanvasPoint b) {
    Segment s;
    s.start = a;
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    s.length = Length(dx, dy);
    if (s.length > 0.0f) {
        s.ux = dx / s.length;
        s.uy = dy / s.length;
    }
    return s;
}

std::vector<Segment> SegmentsThrough(const std::vector<CanvasPoint>& points, bool closed) {
    std::vector<Segment> segments;
    if (points.size() < 2) {
        return segments;
    }
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        segments.push_back(MakeSegment(points[i], points[i + 1]));
    }
    if (closed) {
        segments.push_back(MakeSegment(points.back(), points.front()));
    }
    return segments;
}

// The pattern turns from the start bisector towards the end bisector and is stretched where it stands
// oblique to the segment.
void TurnAlongSegment(const Segment& seg, const Segment& prev, const Segment& next, std::int32_t k,
                      std::int32_t n, DabPlacement& p) {
    const CanvasPoint start = Normalised((prev.ux + seg.ux) / 2.0f, (prev.uy + seg.uy) / 2.0f);
    const CanvasPoint end = Normalised((next.ux + seg.ux) / 2.0f, (next.uy + seg.uy) / 2.0f);
    const float t = static_cast<float>(k) / static_cast<float>(n);
    const float vx = (1.0f - t) * start.x + t * end.x;
    const float vy = (1.0f - t) * start.y + t * end.y;
    p.angle = DirectionAngle(vx, vy) - 90.0f;
    const CanvasPoint unit = Normalised(vx, vy);
    const float dot = unit.x * seg.ux + unit.y * seg.uy;
    p.scale = dot == 0.0f ? 1.0f : 1.0f / std::fabs(dot);
}

void SampleSegments(const std::vector<Segment>& segments, bool closed, bool turns, float spacing,
                    std::vector<DabPlacement>& out) {
    if (!(spacing > 0.0f)) {
        return;
    }
    const std::size_t last = segments.size() - 1;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& seg = segments[i];
        std::int32_t n = TruncToInt(seg.length / spacing + 0.5f) + 1;
        n = std::max(n, 2);
        const float step = seg.length / static_cast<float>(n - 1);
        const Segment& prev = i > 0 ? segments[i - 1] : (closed ? segments[last] : seg);
        const Segment& next = i < last ? segments[i + 1] : (closed ? segments[0] : seg);
        for (std::int32_t k = 0; k < n; ++k) {
            // Neighbouring segments share their end samples; a closed path ends on its first point.
            if (k == 0 && i != 0) {
                continue;
            }
            if (k == n - 1 && closed && i == last) {
                continue;
            }
            DabPlacement p;
            p.x = seg.start.x + seg.ux * static_cast<float>(k) * step;
            p.y = seg.start.y + seg.uy * static_cast<float>(k) * step;
            if (turns) {
                TurnAlongSegment(seg, prev, next, k, n, p);
            }
            out.push_back(p);
        }
    }
}

CanvasPoint Tangent(const std::vector<CanvasPoint>& points, std::size_t i) {
    const std::size_t n = points.size();
    const CanvasPoint& before = points[(i + n - 1) % n];
    const CanvasPoint& here = points[i];
    const CanvasPoint& after = points[(i + 1) % n];
    const CanvasPoint in = Normalised(here.x - before.x, here.y - before.y);
    const CanvasPoint out = Normalised(after.x - here.x, after.y - here.y);
    return Normalised(in.x + out.x, in.y + out.y);
}

BezierPiece OrdinaryPiece(const std::vector<CanvasPoint>& points, const std::vector<CanvasPoint>& tangents,
                          std::size_t i, std::size_t j) {
    const CanvasPoint& a = points[i];
    const CanvasPoint& b = points[j];
    const float m = kTension * Length(b.x - a.x, b.y - a.y);
    return {a,
            {a.x + m * tangents[i].x, a.y + m * tangents[i].y},
            {b.x - m * tangents[j].x, b.y - m * tangents[j].y},
            b};
}

CanvasPoint Midpoint(CanvasPoint a, CanvasPoint b) {
    return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f};
}

void PlaceRound(CanvasPoint centre, float radius, float angle, bool turns, std::vector<DabPlacement>& out) {
    const float dx = radius * CosDeg(angle);
    const float dy = radius * SinDeg(angle);
    DabPlacement p;
    p.x = centre.x + dx;
    p.y = centre.y + dy;
    if (turns) {
        p.angle = RadialAngle(dx, dy);
    }
    out.push_back(p);
}

} // namespace

float DirectionAngle(float dx, float dy) {
    const float length = Length(dx, dy);
    if (length < 0.00001f) {
        return 0.0f;
    }
    const double cosine = std::clamp(static_cast<double>(dx / length), -1.0, 1.0);
    float angle = static_cast<float>(std::acos(cosine) * 180.0 / kPi);
    if (dy < 0.0f) {
        angle = -angle;
    }
    if (angle < 0.0f) {
        angle += 360.0f;
    }
    return angle;
}

float RadialAngle(float dx, float dy) {
    if (dy == 0.0f) {
        return dx < 0.0f ? 180.0f : 0.0f;
    }
    if (dx == 0.0f) {
        return dy < 0.0f ? 270.0f : 90.0f;
    }
    float angle = static_cast<float>(std::atan(static_cast<double>(dy / dx)) * 180.0 / kPi);
    if (dx < 0.0f) {
        angle += 180.0f;
    }
    if (angle < 0.0f) {
        angle += 360.0f;
    }
    return angle;
}

std::int32_t RegularPolygonSides(float cornerAngle) {
    const float capped = std::min(cornerAngle, 120.0f);
    return TruncToInt(360.0f / std::max(1.0f, capped) + 0.5f);
}

std::vector<CanvasPoint> RegularPolygonVertices(CanvasPoint centre, CanvasPoint first, CanvasPoint adjacent) {
    const float dx = first.x - centre.x;
    const float dy = first.y - centre.y;
    const float radius = Length(dx, dy);
    const float start = DirectionAngle(dx, dy);
    const CanvasPoint a = Normalised(dx, dy);
    const CanvasPoint b = Normalised(adjacent.x - centre.x, adjacent.y - centre.y);
    const double dot = std::clamp(static_cast<double>(a.x * b.x + a.y * b.y), -1.0, 1.0);
    const float corner = static_cast<float>(std::acos(dot) * 180.0 / kPi);
    const std::int32_t sides = RegularPolygonSides(corner);
    std::vector<CanvasPoint> vertices;
    vertices.reserve(static_cast<std::size_t>(sides));
    for (std::int32_t j = 0; j < sides; ++j) {
        const float angle = start + static_cast<float>(j) * 360.0f / static_cast<float>(sides);
        vertices.push_back({centre.x + radius * CosDeg(angle), centre.y + radius * SinDeg(angle)});
    }
    return vertices;
}

CanvasPoint BezierPoint(const BezierPiece& piece, float t) {
    const float s = 1.0f - t;
    const float w0 = s * s * s;
    const float w1 = 3.0f * s * s * t;
    const float w2 = 3.0f * s * t * t;
    const float w3 = t * t * t;
    return {w0 * piece.b0.x + w1 * piece.b1.x + w2 * piece.b2.x + w3 * piece.b3.x,
            w0 * piece.b0.y + w1 * piece.b1.y + w2 * piece.b2.y + w3 * piece.b3.y};
}

float BezierLength(const BezierPiece& piece) {
    float length = 0.0f;
    CanvasPoint previous = piece.b0;
    for (int j = 1; j <= 100; ++j) {
        const CanvasPoint p = BezierPoint(piece, static_cast<float>(j) / 100.0f);
        length += Length(p.x - previous.x, p.y - previous.y);
        previous = p;
    }
    return length;
}

std::vector<BezierPiece> CurvePieces(const std::vector<CanvasPoint>& points, bool closed) {
    std::vector<BezierPiece> pieces;
    const std::size_t n = points.size();
    if (n < 2) {
        return pieces;
    }
    std::vector<CanvasPoint> tangents(n);
    for (std::size_t i = 0; i < n; ++i) {
        tangents[i] = Tangent(points, i);
    }
    if (closed) {
        for (std::size_t i = 0; i < n; ++i) {
            pieces.push_back(OrdinaryPiece(points, tangents, i, (i + 1) % n));
        }
        return pieces;
    }
    // The open ends have no tangent of their own: the end control point lies halfway to the inner one.
    BezierPiece first = OrdinaryPiece(points, tangents, 0, 1);
    first.b1 = Midpoint(first.b0, first.b2);
    pieces.push_back(first);
    if (n == 2) {
        return pieces;
    }
    for (std::size_t i = 1; i + 2 < n; ++i) {
        pieces.push_back(OrdinaryPiece(points, tangents, i, i + 1));
    }
    BezierPiece last = OrdinaryPiece(points, tangents, n - 2, n - 1);
    last.b2 = Midpoint(last.b3, last.b1);
    pieces.push_back(last);
    return pieces;
}

ResultCode SampleBezierPiece(const BezierPiece& piece, float spacing, std::vector<CanvasPoint>& out) {
    if (Length(piece.b3.x - piece.b0.x, piece.b3.y - piece.b0.y) < kShortestChord) {
        return Result::BelowMinimum;
    }
    if (!(spacing > 0.0f)) {
        return Result::BadParameter;
    }
    const std::int32_t h = TruncToInt(BezierLength(piece) / spacing + 1.0f);
    if (h <= 1) {
        out.push_back(BezierPoint(piece, 0.0f));
        out.push_back(BezierPoint(piece, 1.0f));
        return Result::Success;
    }
    for (std::int32_t j = 0; j < h; ++j) {
        out.push_back(BezierPoint(piece, static_cast<float>(j) / static_cast<float>(h - 1)));
    }
    return Result::Success;
}

std::vector<CanvasPoint> SampleCurvePoints(const std::vector<CanvasPoint>& points, bool closed,
                                           float spacing) {
    std::vector<CanvasPoint> taken;
    if (!(spacing > 0.0f)) {
        return taken;
    }
    std::vector<std::vector<CanvasPoint>> sampled;
    for (const BezierPiece& piece : CurvePieces(points, closed)) {
        std::vector<CanvasPoint> samples;
        if (SampleBezierPiece(piece, spacing, samples) == Result::Success) {
            sampled.push_back(std::move(samples));
        }
    }
    for (std::size_t i = 0; i < sampled.size(); ++i) {
        const std::vector<CanvasPoint>& samples = sampled[i];
        for (std::size_t j = 0; j < samples.size(); ++j) {
            // Pieces share their end points; a closed curve ends on its first point.
            if (j == 0 && i != 0) {
                continue;
            }
            if (closed && i + 1 == sampled.size() && j + 1 == samples.size()) {
                continue;
            }
            if (!taken.empty() && taken.back() == samples[j]) {
                continue;
            }
            taken.push_back(samples[j]);
        }
    }
    return taken;
}

ResultCode BrushSettings::SamplePath(const std::vector<CanvasPoint>& points, PathKind path,
                                     std::int32_t isClosed, ArcSweep sweep) {
    placements.clear();
    const bool turns = TurnsWithPath(kind);
    const float spacing = DabSpacing();

    switch (path) {
    case PathKind::Freehand:
        break;
    case PathKind::StraightLine:
    case PathKind::Polyline: {
        const bool closedPath = path == PathKind::Polyline && isClosed == 1;
        const std::vector<Segment> segments = SegmentsThrough(points, closedPath);
        if (!segments.empty()) {
            SampleSegments(segments, closedPath, turns, spacing, placements);
        }
        break;
    }
    case PathKind::RegularPolygon: {
        if (points.size() < 3) {
            break;
        }
        const std::vector<Segment> segments =
            SegmentsThrough(RegularPolygonVertices(points[0], points[1], points[2]), true);
        SampleSegments(segments, true, turns, spacing, placements);
        break;
    }
    case PathKind::Curve: {
        const std::vector<CanvasPoint> samples = SampleCurvePoints(points, isClosed == 1, spacing);
        for (std::size_t j = 0; j < samples.size(); ++j) {
            DabPlacement p;
            p.x = samples[j].x;
            p.y = samples[j].y;
            if (turns && samples.size() > 1) {
                const CanvasPoint& before = samples[j > 0 ? j - 1 : j];
                const CanvasPoint& after = samples[j + 1 < samples.size() ? j + 1 : j];
                p.angle = DirectionAngle(after.x - before.x, after.y - before.y) - 90.0f;
            }
            placements.push_back(p);
        }
        break;
    }
    case PathKind::Circumference: {
        if (points.size() < 2 || !(spacing > 0.0f)) {
            break;
        }
        const CanvasPoint centre = points[0];
        const float radius = Length(points[1].x - centre.x, points[1].y - centre.y);
        const std::int32_t q = TruncToInt(2.0f * kPiF * radius / spacing + 0.5f);
        const std::int32_t count = q <= 0 ? 2 : q + 1;
        for (std::int32_t j = 0; j < count; ++j) {
            PlaceRound(centre, radius, static_cast<float>(j) * 360.0f / static_cast<float>(count), turns,
                       placements);
        }
        break;
    }
    case PathKind::Arc: {
        if (points.size() < 3 || !(spacing > 0.0f)) {
            break;
        }
        const CanvasPoint centre = points[0];
        const float ax = points[1].x - centre.x;
        const float ay = points[1].y - centre.y;
        const float radius = Length(ax, ay);
        const float a0 = DirectionAngle(ax, ay);
        float a1 = DirectionAngle(points[2].x - centre.x, points[2].y - centre.y);
        // Equal angles make a full turn.
        if (sweep == ArcSweep::Counterclockwise) {
            while (a1 <= a0) {
                a1 += 360.0f;
            }
        } else {
            while (a1 >= a0) {
                a1 -= 360.0f;
            }
        }
        const float sweepLength = std::fabs(radius * 2.0f * kPiF * (a1 - a0) / 360.0f);
        const std::int32_t q = TruncToInt(sweepLength / spacing + 0.5f);
        if (q <= 0) {
            PlaceRound(centre, radius, a0, turns, placements);
            PlaceRound(centre, radius, a1, turns, placements);
            break;
        }
        for (std::int32_t j = 0; j <= q; ++j) {
            PlaceRound(centre, radius, a0 + static_cast<float>(j) * (a1 - a0) / static_cast<float>(q), turns,
                       placements);
        }
        break;
    }
    }
    return Result::Success;
}

bool BrushSettings::FreehandPlacement(CanvasPoint point, const std::vector<WindowPoint>& pointList,
                                      DabPlacement& out) const {
    if (pointList.empty()) {
        return FreehandPlacementAt(point, pointList, 0.0f, 0.0f, out);
    }
    const WindowPoint& last = pointList.back();
    return FreehandPlacementAt(point, pointList, static_cast<float>(last.x), static_cast<float>(last.y), out);
}

bool BrushSettings::FreehandPlacementAt(CanvasPoint point, const std::vector<WindowPoint>& pointList,
                                        float windowX, float windowY, DabPlacement& out) const {
    DabPlacement p;
    p.x = point.x;
    p.y = point.y;
    if (TurnsWithPath(kind)) {
        // The direction runs over the last six mouse positions, so a jittery step does not spin the dab.
        if (pointList.size() < 6) {
            return false;
        }
        const WindowPoint& from = pointList[pointList.size() - 6];
        const float dx = windowX - static_cast<float>(from.x);
        const float dy = windowY - static_cast<float>(from.y);
        if (Length(dx, dy) < 0.1f) {
            return false;
        }
        // Window y grows downwards, so the angle turns the other way.
        p.angle = 90.0f - RadialAngle(dx, dy);
    }
    out = p;
    return true;
}

void BrushSettings::FreehandPlacements(CanvasPoint from, CanvasPoint to,
                                       const std::vector<WindowPoint>& pointList,
                                       std::vector<DabPlacement>& out) const {
    DabPlacement p;
    const float spacing = DabSpacing();
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    const float length = Length(dx, dy);
    if (pointList.size() >= 2 && spacing > 0.0f && length > spacing) {
        // The mouse ran further than a dab's spacing: the dabs in between, at that spacing from the
        // previous step's dab, each turned by the direction it would have had with the cursor there.
        const WindowPoint& a = pointList[pointList.size() - 2];
        const WindowPoint& b = pointList.back();
        const float ux = dx / length;
        const float uy = dy / length;
        for (std::int32_t k = 1; static_cast<float>(k) * spacing < length; ++k) {
            const float d = static_cast<float>(k) * spacing;
            const float t = d / length;
            const float windowX = static_cast<float>(a.x) + t * static_cast<float>(b.x - a.x);
            const float windowY = static_cast<float>(a.y) + t * static_cast<float>(b.y - a.y);
            if (FreehandPlacementAt(CanvasPoint{from.x + ux * d, from.y + uy * d}, pointList, windowX,
                                    windowY, p)) {
                out.push_back(p);
            }
        }
    }
    if (FreehandPlacement(to, pointList, p)) {
        out.push_back(p);
    }
}
