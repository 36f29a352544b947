// nurimoko-sample: paints strokes with chosen brushes along chosen paths, as a painter's mouse would lay
// them, and writes the picture or the paint document. The manual's pictures are made with it; scripts
// use it for generative paintings, batch samples and strokes reproduced exactly.
//
// The strokes run through the same stroke code the canvas view uses (the stroke controller and its
// input state machine), fed with mouse events on a canvas shown whole at zoom 1. Without --points a
// stroke follows built-in points laid out on the canvas; the kinds that work on paint already there
// (eraser, recolouring, stirring, eyedropper) then first get paint to work on. Run it with --help for
// the options.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "background/HlsColour.h"
#include "brushes/RandomSource.h"
#include "brushes/StrokeController.h"
#include "brushes/ToolBoxBars.h"
#include "engine/PaintCanvas.h"
#include "persistence/PlatformFile.h"
#include "persistence/Bmp.h"
#include "persistence/PngFile.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

const char Usage[] =
    "usage: nurimoko-sample [CANVAS OPTIONS] STROKE [--stroke STROKE ...] --out FILE\n"
    "       nurimoko-sample --list | --help\n"
    "\n"
    "  --out FILE                 FILE.png or FILE.bmp (the picture) or FILE.mb (a paint document)\n"
    "  --canvas WIDTHxHEIGHT      canvas size, each 16..4096 (default 240x120; --size is the same)\n"
    "  --background R,G,B         solid background colour, each 0..255 (default 255,255,255)\n"
    "  --clock T                  seed the random source with T wherever the calendar clock seeding\n"
    "                             would take the time in seconds: the same arguments give the same\n"
    "                             particles, bit for bit (without it every run differs)\n"
    "  --marks                    mark the clicked points in the picture (not for .mb)\n"
    "\n"
    "A STROKE, painted in the order given; --stroke begins the next one:\n"
    "  --brush KIND               brush kind, by name or number (--list shows them); required\n"
    "  --path KIND                path kind (default freehand)\n"
    "  --points \"X,Y X,Y ...\"     canvas points (y upwards, 0 <= X < WIDTH, 0 <= Y < HEIGHT), each\n"
    "                             at the centre of its pixel: for freehand the mouse steps, the first\n"
    "                             being the press; for the other paths the clicks (2 for line and\n"
    "                             circumference, 3 for arc and polygon, polyline and curve end at their\n"
    "                             last point as a double click ends them; an arc goes the shorter way\n"
    "                             round from its start to its end). Without it: built-in points.\n"
    "  --closed                   close a polyline or a curve\n"
    "  Tool-box bars, in bar positions within the kind's range (defaults: the kind's own):\n"
    "  --brush-size N             ブラシサイズ, pixels\n"
    "  --particle-size N          絵の具粒子サイズ, tenths of a pixel\n"
    "  --density N                密度, 5..100\n"
    "  --transparency N           透明度, 0..100\n"
    "  --highlight N              ハイライト強度, 0..100\n"
    "  --thickness N              厚み, 0..100\n"
    "  The tool box's colour and ばらつき bar, kept by later strokes until they set their own:\n"
    "  --colour R,G,B             each 0..255 (at first 255,0,0, the tool box's colour at start)\n"
    "  --variation N              ばらつき, 0..25 (at first 0)\n";

struct NamedKind {
    const char* name;
    std::int32_t value;
};

constexpr NamedKind BrushNames[] = {
    {"simple", 0}, {"rainbow", 1}, {"watercolour", 2}, {"stipple", 3},   {"multi", 4},   {"faded", 5},
    {"spray", 6},  {"heaped", 7},  {"parallel", 8},    {"bellows", 9},   {"radial", 10}, {"circle", 11},
    {"rough", 12}, {"eraser", 13}, {"eyedropper", 14}, {"recolour", 15}, {"stir", 16},
};

constexpr NamedKind PathNames[] = {
    {"freehand", 0},      {"line", 1}, {"polyline", 2}, {"curve", 3},
    {"circumference", 4}, {"arc", 5},  {"polygon", 6},
};

template <std::size_t N> bool ParseKind(const char* text, const NamedKind (&names)[N], std::int32_t& out) {
    for (const NamedKind& k : names) {
        if (std::strcmp(text, k.name) == 0) {
            out = k.value;
            return true;
        }
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value >= static_cast<long>(N)) {
        return false;
    }
    out = static_cast<std::int32_t>(value);
    return true;
}

const char* BrushName(std::int32_t kind) {
    for (const NamedKind& k : BrushNames) {
        if (k.value == kind) {
            return k.name;
        }
    }
    return "?";
}

// A whole decimal number filling the text.
bool ParseWhole(const char* text, long long& out) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE) {
        return false;
    }
    out = value;
    return true;
}

bool ParseBar(const char* text, int low, int high, int& out) {
    long long value = 0;
    if (!ParseWhole(text, value) || value < low || value > high) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

bool ParseRgb(const char* text, Rgb& out) {
    int values[3];
    int consumed = 0;
    if (std::sscanf(text, "%d,%d,%d%n", &values[0], &values[1], &values[2], &consumed) != 3 ||
        text[consumed] != '\0') {
        return false;
    }
    for (const int v : values) {
        if (v < 0 || v > 255) {
            return false;
        }
    }
    out = Rgb{values[0], values[1], values[2]};
    return true;
}

// "X,Y X,Y ..." separated by white space; finite numbers only.
bool ParsePoints(const char* text, std::vector<CanvasPoint>& out) {
    out.clear();
    const char* p = text;
    while (true) {
        while (*p == ' ' || *p == '\t' || *p == '\n') {
            ++p;
        }
        if (*p == '\0') {
            break;
        }
        char* end = nullptr;
        const float x = std::strtof(p, &end);
        if (end == p || *end != ',') {
            return false;
        }
        p = end + 1;
        const float y = std::strtof(p, &end);
        if (end == p || (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\n') || !std::isfinite(x) ||
            !std::isfinite(y)) {
            return false;
        }
        p = end;
        out.push_back(CanvasPoint{x, y});
    }
    return !out.empty();
}

// The view around the stroke: the whole canvas shown at zoom 1, nothing on a screen.
struct SampleView : ViewServices {
    ViewMapping mapping;
    void SetStatusText(const std::string&) override {}
    void BeginBusy(const char*) override {}
    void ShowProgress(const std::string&, int) override {}
    void EndBusy() override {}
    void BlitRect(const UpdateRect&) override {}
    void SetModified() override {}
    ViewMapping Mapping() const override { return mapping; }
    GridSnapSettings GridSnap() const override { return GridSnapSettings{false, 15, false}; }
    void PreviewChanged() override {}
};

// The tool box: one brush record, the current colour and the ばらつき bar. Every stroke takes a copy of
// the record in the current colour with a hue variation drawn anew, as the tool box hands it out; the
// eyedropper changes the colour.
struct SampleTools : BrushSource {
    BrushSettings brush;
    float hue = 0.0f;
    float lightness = 0.5f;
    float saturation = 1.0f;
    int variation = 0;

    BrushSettings CurrentBrush() override {
        BrushSettings copy = brush;
        const float v = static_cast<float>(variation) / 100.0f;
        const float u = static_cast<float>(ProgramRandom().Draw());
        float h = hue + v * (2.0f * u - 1.0f);
        if (h < 0.0f) {
            h += 1.0f;
        }
        if (h > 1.0f) {
            h -= 1.0f;
        }
        const PaintColour c = HlsToRgb(h * 360.0f, lightness, saturation);
        copy.particle.red = c.red;
        copy.particle.green = c.green;
        copy.particle.blue = c.blue;
        return copy;
    }
    void SetCurrentColour(float h, float l, float s) override {
        hue = h;
        lightness = l;
        saturation = s;
    }
};

struct SampleSettings : CanvasSettingsSource {
    CanvasDrawingSettings DrawingSettings() const override { return CanvasDrawingSettings{}; }
};

struct ConsoleMessages : MessageSink {
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

struct Event {
    StrokeEvent type;
    WindowPoint at;
};

// One stroke's brush as the command line gives it: the kind, the path and the bars that were set.
struct StrokeOptions {
    std::int32_t brush = -1;
    std::int32_t path = 0;
    bool closed = false;
    bool hasPoints = false;
    std::vector<CanvasPoint> points;
    std::optional<int> brushSize;
    std::optional<int> particleSize;
    std::optional<int> density;
    std::optional<int> transparency;
    std::optional<int> highlight;
    std::optional<int> thickness;
    std::optional<Rgb> colour;
    std::optional<int> variation;
};

// The kind's default record with the bars of `s` moved as the tool box moves them.
BrushSettings MakeBrush(const StrokeOptions& s) {
    BrushSettings b = BrushSettings::ForKind(static_cast<BrushKind>(s.brush));
    b.pathKind = static_cast<PathKind>(s.path);
    const bool closable = b.pathKind == PathKind::Polyline || b.pathKind == PathKind::Curve;
    b.closed = closable && s.closed ? 1 : 0;
    if (s.brushSize) {
        b.brushSize = static_cast<float>(*s.brushSize);
    }
    if (s.particleSize) {
        b.SetParticleSize(static_cast<float>(*s.particleSize) / 10.0f);
    }
    if (s.density) {
        b.density = static_cast<float>(*s.density) / 100.0f;
    }
    if (s.transparency) {
        b.particle.transparency = static_cast<float>(*s.transparency) / 100.0f;
    }
    if (s.highlight) {
        b.particle.highlight = static_cast<float>(*s.highlight) / 100.0f;
    }
    if (s.thickness) {
        b.particle.thickness = static_cast<float>(*s.thickness) / 100.0f;
    }
    return b;
}

class SamplePainter {
public:
    SamplePainter(std::int32_t width, std::int32_t height) : width(width), height(height) {}

    ResultCode Prepare(const Rgb& background) {
        const ResultCode created = canvas.Create(width, height);
        if (created != Result::Success) {
            return created;
        }
        canvas.backgroundImage.Fill(static_cast<std::uint8_t>(background.red),
                                    static_cast<std::uint8_t>(background.green),
                                    static_cast<std::uint8_t>(background.blue));
        canvas.CopyBackgroundToRendered();
        view.mapping = ViewMapping{0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height),
                                   0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)};
        stroke.SetBrushSource(&tools);
        stroke.SetCanvasSettingsSource(&settings);
        stroke.SetMessageSink(&messages);
        return Result::Success;
    }

    // Runs the events with `brush` as the tool box's record.
    ResultCode Paint(const BrushSettings& brush, const std::vector<Event>& events) {
        tools.brush = brush;
        stroke.RefreshBrush();
        for (const Event& e : events) {
            const ResultCode r = stroke.HandleStrokeEvent(e.type, e.at);
            if (r != Result::Success) {
                return r;
            }
        }
        return Result::Success;
    }

    // A default brush of `kind` along `path`; `brushSize` <= 0 keeps the kind's size.
    ResultCode Paint(BrushKind kind, PathKind path, float brushSize, const std::vector<Event>& events) {
        BrushSettings brush = BrushSettings::ForKind(kind);
        brush.pathKind = path;
        if (brushSize > 0.0f) {
            brush.brushSize = brushSize;
        }
        return Paint(brush, events);
    }

    void SetColour(float hue, float lightness, float saturation) {
        tools.SetCurrentColour(hue, lightness, saturation);
    }
    void SetColour(const Rgb& rgb) {
        PaintColour c;
        c.red = static_cast<float>(rgb.red) / 255.0f;
        c.green = static_cast<float>(rgb.green) / 255.0f;
        c.blue = static_cast<float>(rgb.blue) / 255.0f;
        const HlsColour hls = RgbToHls(c);
        tools.SetCurrentColour(hls.hue / 360.0f, hls.lightness, hls.saturation);
    }
    void SetVariation(int bar) { tools.variation = bar; }

    // The window pixel over the canvas pixel that holds canvas point `p`.
    WindowPoint ToWindow(CanvasPoint p) const {
        return WindowPoint{static_cast<std::int32_t>(std::floor(p.x)),
                           height - 1 - static_cast<std::int32_t>(std::floor(p.y))};
    }

    // A small red cross with a white rim where the user clicks, drawn into the picture (window
    // coordinates), so it shows on paint of any colour.
    void Mark(WindowPoint p) {
        RasterImage& image = canvas.renderedImage;
        const std::int32_t cx = p.x;
        const std::int32_t cy = height - 1 - p.y;
        for (std::int32_t d = -5; d <= 5; ++d) {
            for (std::int32_t w = -1; w <= 1; ++w) {
                Put(image, cx + d, cy + w, 255, 255, 255);
                Put(image, cx + w, cy + d, 255, 255, 255);
            }
        }
        for (std::int32_t d = -4; d <= 4; ++d) {
            Put(image, cx + d, cy, 210, 20, 30);
            Put(image, cx, cy + d, 210, 20, 30);
        }
    }

    const RasterImage& Picture() const { return canvas.renderedImage; }
    PaintCanvas& Canvas() { return canvas; }

    std::int32_t width;
    std::int32_t height;

private:
    static void Put(RasterImage& image, std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height || image.bytesPerPixel != 3) {
            return;
        }
        std::uint8_t* px = image.PixelAt(x, y);
        px[0] = blue;
        px[1] = green;
        px[2] = red;
    }

    PaintCanvas canvas;
    SampleView view;
    SampleTools tools;
    SampleSettings settings;
    ConsoleMessages messages;
    StrokeController stroke{canvas, view};
};

WindowPoint At(const SamplePainter& p, float fx, float fy) {
    return WindowPoint{static_cast<std::int32_t>(fx * static_cast<float>(p.width)),
                       static_cast<std::int32_t>(fy * static_cast<float>(p.height))};
}

// A press, moves every 3 pixels along the points, and a release.
std::vector<Event> Drag(const std::vector<WindowPoint>& through) {
    std::vector<Event> events;
    events.push_back({StrokeEvent::ButtonDown, through.front()});
    for (std::size_t i = 1; i < through.size(); ++i) {
        const WindowPoint a = through[i - 1];
        const WindowPoint b = through[i];
        const float length = static_cast<float>(std::hypot(b.x - a.x, b.y - a.y));
        const int steps = std::max(1, static_cast<int>(length / 3.0f));
        for (int s = 1; s <= steps; ++s) {
            const float t = static_cast<float>(s) / static_cast<float>(steps);
            events.push_back({StrokeEvent::Move,
                              WindowPoint{a.x + static_cast<std::int32_t>(std::lround((b.x - a.x) * t)),
                                          a.y + static_cast<std::int32_t>(std::lround((b.y - a.y) * t))}});
        }
    }
    events.push_back({StrokeEvent::ButtonUp, through.back()});
    return events;
}

// A gentle wave across the picture between the fractions x0 and x1, around the height fy.
std::vector<WindowPoint> Wave(const SamplePainter& p, float x0, float x1, float fy, float amplitude) {
    std::vector<WindowPoint> points;
    const int n = 24;
    for (int i = 0; i <= n; ++i) {
        const float t = static_cast<float>(i) / n;
        const float fx = x0 + (x1 - x0) * t;
        points.push_back(
            At(p, fx, fy + amplitude * static_cast<float>(std::sin(t * 2.0 * 3.14159265358979))));
    }
    return points;
}

// The events of the given window points: for freehand a press at the first, a move with the button
// held to every other and the release at the last; for the other paths the mouse moves to every point
// and clicks there, and a polyline or curve ends with a double click on its last point.
std::vector<Event> EventsThrough(PathKind path, const std::vector<WindowPoint>& points,
                                 std::vector<WindowPoint>& marks) {
    std::vector<Event> events;
    if (path == PathKind::Freehand) {
        events.push_back({StrokeEvent::ButtonDown, points.front()});
        for (std::size_t i = 1; i < points.size(); ++i) {
            events.push_back({StrokeEvent::Move, points[i]});
        }
        events.push_back({StrokeEvent::ButtonUp, points.back()});
        return events;
    }
    for (const WindowPoint& w : points) {
        events.push_back({StrokeEvent::Move, w});
        events.push_back({StrokeEvent::ButtonDown, w});
        events.push_back({StrokeEvent::ButtonUp, w});
        marks.push_back(w);
    }
    if (path == PathKind::Polyline || path == PathKind::Curve) {
        events.push_back({StrokeEvent::DoubleClick, points.back()});
    }
    return events;
}

// The clicks that draw each path kind, as a user would make them, and the points to mark.
std::vector<Event> PathEvents(const SamplePainter& p, PathKind path, std::vector<WindowPoint>& marks) {
    std::vector<Event> events;
    const auto press = [&](WindowPoint w) {
        events.push_back({StrokeEvent::ButtonDown, w});
        events.push_back({StrokeEvent::ButtonUp, w});
        marks.push_back(w);
    };
    const auto move = [&](WindowPoint w) { events.push_back({StrokeEvent::Move, w}); };
    switch (path) {
    case PathKind::Freehand:
        return Drag(Wave(p, 0.12f, 0.88f, 0.5f, 0.22f));
    case PathKind::StraightLine:
        press(At(p, 0.12f, 0.72f));
        move(At(p, 0.5f, 0.5f));
        press(At(p, 0.88f, 0.28f));
        break;
    case PathKind::Polyline:
    case PathKind::Curve: {
        const WindowPoint pts[] = {At(p, 0.1f, 0.75f), At(p, 0.37f, 0.25f), At(p, 0.63f, 0.75f),
                                   At(p, 0.9f, 0.25f)};
        for (const WindowPoint& w : pts) {
            move(w);
            press(w);
        }
        events.push_back({StrokeEvent::DoubleClick, pts[3]});
        break;
    }
    case PathKind::Circumference: {
        const WindowPoint centre = At(p, 0.5f, 0.5f);
        press(centre);
        const WindowPoint rim{centre.x + p.height * 3 / 10, centre.y};
        move(rim);
        press(rim);
        break;
    }
    case PathKind::Arc: {
        // Centre low in the middle; the mouse goes from the left over the top to the right.
        const WindowPoint centre = At(p, 0.5f, 0.7f);
        const float radius = static_cast<float>(p.height) * 0.42f;
        press(centre);
        const WindowPoint start{centre.x - static_cast<std::int32_t>(radius), centre.y};
        move(start);
        press(start);
        for (int a = 175; a >= 5; a -= 10) {
            const double r = a * 3.14159265358979 / 180.0;
            move(WindowPoint{centre.x + static_cast<std::int32_t>(std::lround(radius * std::cos(r))),
                             centre.y - static_cast<std::int32_t>(std::lround(radius * std::sin(r)))});
        }
        const WindowPoint end{centre.x + static_cast<std::int32_t>(radius), centre.y};
        move(end);
        press(end);
        break;
    }
    case PathKind::RegularPolygon: {
        // A pentagon: the second vertex 72 degrees round from the first.
        const WindowPoint centre = At(p, 0.5f, 0.52f);
        const float radius = static_cast<float>(p.height) * 0.36f;
        press(centre);
        const WindowPoint first{centre.x, centre.y - static_cast<std::int32_t>(radius)};
        move(first);
        press(first);
        const double r = 72.0 * 3.14159265358979 / 180.0;
        const WindowPoint next{centre.x + static_cast<std::int32_t>(std::lround(radius * std::sin(r))),
                               centre.y - static_cast<std::int32_t>(std::lround(radius * std::cos(r)))};
        move(next);
        press(next);
        break;
    }
    }
    return events;
}

// Paint for the kinds that work on existing paint: two broad bands of different colours.
ResultCode PaintBands(SamplePainter& p) {
    p.SetColour(0.58f, 0.5f, 0.75f);
    ResultCode r = p.Paint(BrushKind::Simple, PathKind::Freehand, 50.0f,
                           Drag({At(p, 0.08f, 0.33f), At(p, 0.92f, 0.33f)}));
    if (r != Result::Success) {
        return r;
    }
    p.SetColour(0.12f, 0.5f, 0.9f);
    return p.Paint(BrushKind::Simple, PathKind::Freehand, 50.0f,
                   Drag({At(p, 0.08f, 0.67f), At(p, 0.92f, 0.67f)}));
}

// The built-in sample of a brush along a path, in the stroke's colour when it sets one.
ResultCode PaintSample(SamplePainter& p, const StrokeOptions& s, bool marks) {
    const auto kind = static_cast<BrushKind>(s.brush);
    const BrushSettings brush = MakeBrush(s);
    switch (kind) {
    case BrushKind::Eraser:
    case BrushKind::Recolour:
    case BrushKind::Stir: {
        ResultCode r = PaintBands(p);
        if (r != Result::Success) {
            return r;
        }
        if (s.colour) {
            p.SetColour(*s.colour);
        } else {
            p.SetColour(0.95f, 0.55f, 0.9f);
        }
        // Across both bands, so the effect shows on paint of two colours; the stir goes to and fro.
        const std::vector<WindowPoint> across =
            kind == BrushKind::Stir ? Wave(p, 0.2f, 0.8f, 0.5f, -0.3f)
                                    : std::vector<WindowPoint>{At(p, 0.38f, 0.04f), At(p, 0.62f, 0.96f)};
        BrushSettings freehand = brush;
        freehand.pathKind = PathKind::Freehand;
        freehand.closed = 0;
        return p.Paint(freehand, Drag(across));
    }
    case BrushKind::Eyedropper: {
        ResultCode r = PaintBands(p);
        if (r != Result::Success) {
            return r;
        }
        // Pick the lower band's colour, then paint with it.
        const WindowPoint pick = At(p, 0.2f, 0.6f);
        r = p.Paint(kind, PathKind::Freehand, 0.0f,
                    {{StrokeEvent::ButtonDown, pick}, {StrokeEvent::ButtonUp, pick}});
        if (r != Result::Success) {
            return r;
        }
        r = p.Paint(BrushKind::Simple, PathKind::Freehand, 30.0f,
                    Drag({At(p, 0.45f, 0.1f), At(p, 0.6f, 0.5f), At(p, 0.75f, 0.9f)}));
        if (marks) {
            p.Mark(pick);
        }
        return r;
    }
    default:
        break;
    }
    if (s.colour) {
        p.SetColour(*s.colour);
    }
    std::vector<WindowPoint> clicked;
    const std::vector<Event> events = PathEvents(p, brush.pathKind, clicked);
    const ResultCode r = p.Paint(brush, events);
    if (marks) {
        for (const WindowPoint& w : clicked) {
            p.Mark(w);
        }
    }
    return r;
}

ResultCode PaintStroke(SamplePainter& p, const StrokeOptions& s, bool marks) {
    if (s.variation) {
        p.SetVariation(*s.variation);
    }
    if (!s.hasPoints) {
        return PaintSample(p, s, marks);
    }
    if (s.colour) {
        p.SetColour(*s.colour);
    }
    std::vector<WindowPoint> window;
    for (const CanvasPoint& c : s.points) {
        window.push_back(p.ToWindow(c));
    }
    std::vector<WindowPoint> clicked;
    const ResultCode r = p.Paint(MakeBrush(s), EventsThrough(static_cast<PathKind>(s.path), window, clicked));
    if (marks) {
        for (const WindowPoint& w : clicked) {
            p.Mark(w);
        }
    }
    return r;
}

enum class OutputKind { Png, Bmp, Document, Unknown };

OutputKind OutputKindOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return OutputKind::Unknown;
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "png") {
        return OutputKind::Png;
    }
    if (extension == "bmp") {
        return OutputKind::Bmp;
    }
    if (extension == "mb") {
        return OutputKind::Document;
    }
    return OutputKind::Unknown;
}

struct Options {
    std::vector<StrokeOptions> strokes;
    std::int32_t width = 240;
    std::int32_t height = 120;
    Rgb background{255, 255, 255};
    std::optional<std::int64_t> clock;
    bool marks = false;
    std::string out;
};

// Reads the command line into `options`; an empty result means success, otherwise it names the fault.
std::string ParseCommandLine(int argc, char** argv, Options& options) {
    bool sawCanvas = false;
    bool sawBackground = false;
    bool sawOut = false;
    std::vector<std::vector<std::string>> seenPerStroke(1);
    StrokeOptions current;
    bool currentUsed = false;
    const auto finishStroke = [&]() -> std::string {
        if (currentUsed && current.brush < 0) {
            return "stroke " + std::to_string(options.strokes.size() + 1) + " has no --brush";
        }
        if (currentUsed) {
            options.strokes.push_back(current);
        }
        current = StrokeOptions{};
        currentUsed = false;
        seenPerStroke.emplace_back();
        return "";
    };
    // A stroke option given twice for one stroke is a mistake, not an override.
    const auto once = [&](const std::string& arg) -> bool {
        std::vector<std::string>& seen = seenPerStroke.back();
        if (std::find(seen.begin(), seen.end(), arg) != seen.end()) {
            return false;
        }
        seen.push_back(arg);
        currentUsed = true;
        return true;
    };

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool flag = arg == "--marks" || arg == "--closed" || arg == "--stroke";
        if (!flag && i + 1 >= argc) {
            return arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected argument '" + arg + "'";
        }
        const char* value = flag ? nullptr : argv[i + 1];
        if (!flag) {
            ++i;
        }
        if (arg == "--stroke") {
            if (!currentUsed && !options.strokes.empty()) {
                return "--stroke without anything to paint before it";
            }
            const std::string problem = finishStroke();
            if (!problem.empty()) {
                return problem;
            }
        } else if (arg == "--marks") {
            options.marks = true;
        } else if (arg == "--canvas" || arg == "--size") {
            int consumed = 0;
            if (sawCanvas) {
                return "the canvas size is given twice";
            }
            sawCanvas = true;
            if (std::sscanf(value, "%dx%d%n", &options.width, &options.height, &consumed) != 2 ||
                value[consumed] != '\0' || options.width < 16 || options.height < 16 ||
                options.width > 4096 || options.height > 4096) {
                return "the canvas size must be WIDTHxHEIGHT, each 16..4096";
            }
        } else if (arg == "--background") {
            if (sawBackground) {
                return "--background is given twice";
            }
            sawBackground = true;
            if (!ParseRgb(value, options.background)) {
                return "--background must be R,G,B, each 0..255";
            }
        } else if (arg == "--clock") {
            long long seconds = 0;
            if (options.clock) {
                return "--clock is given twice";
            }
            if (!ParseWhole(value, seconds)) {
                return "--clock must be a whole number of seconds";
            }
            options.clock = seconds;
        } else if (arg == "--out") {
            if (sawOut) {
                return "--out is given twice";
            }
            sawOut = true;
            options.out = value;
        } else if (arg == "--brush" || arg == "--path" || arg == "--points" || arg == "--closed" ||
                   arg == "--brush-size" || arg == "--particle-size" || arg == "--density" ||
                   arg == "--transparency" || arg == "--highlight" || arg == "--thickness" ||
                   arg == "--colour" || arg == "--variation") {
            if (!once(arg)) {
                return arg + " is given twice for one stroke; begin the next stroke with --stroke";
            }
            // Bars are checked against the kind's ranges once the stroke is complete.
            int bar = 0;
            if (arg == "--brush") {
                if (!ParseKind(value, BrushNames, current.brush)) {
                    return std::string("unknown brush kind '") + value + "'";
                }
            } else if (arg == "--path") {
                if (!ParseKind(value, PathNames, current.path)) {
                    return std::string("unknown path kind '") + value + "'";
                }
            } else if (arg == "--points") {
                current.hasPoints = true;
                if (!ParsePoints(value, current.points)) {
                    return "--points must be \"X,Y X,Y ...\"";
                }
            } else if (arg == "--closed") {
                current.closed = true;
            } else if (arg == "--colour") {
                Rgb rgb;
                if (!ParseRgb(value, rgb)) {
                    return "--colour must be R,G,B, each 0..255";
                }
                current.colour = rgb;
            } else if (arg == "--variation") {
                if (!ParseBar(value, 0, VariationBarMax, bar)) {
                    return "--variation must be a whole number 0.." + std::to_string(VariationBarMax);
                }
                current.variation = bar;
            } else {
                long long number = 0;
                if (!ParseWhole(value, number) || number < -1000000 || number > 1000000) {
                    return arg + " must be a whole number (a bar position)";
                }
                const int n = static_cast<int>(number);
                if (arg == "--brush-size") {
                    current.brushSize = n;
                } else if (arg == "--particle-size") {
                    current.particleSize = n;
                } else if (arg == "--density") {
                    current.density = n;
                } else if (arg == "--transparency") {
                    current.transparency = n;
                } else if (arg == "--highlight") {
                    current.highlight = n;
                } else {
                    current.thickness = n;
                }
            }
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (!currentUsed && !options.strokes.empty()) {
        return "--stroke without anything to paint after it";
    }
    std::string problem = finishStroke();
    if (!problem.empty()) {
        return problem;
    }
    if (options.strokes.empty()) {
        return "nothing to paint: give --brush";
    }
    if (options.out.empty()) {
        return "no --out file";
    }
    const OutputKind output = OutputKindOf(options.out);
    if (output == OutputKind::Unknown) {
        return "the output must end in .png, .bmp or .mb";
    }
    if (output == OutputKind::Document && options.marks) {
        return "--marks draws into a picture; a paint document holds no marks";
    }

    // Every stroke against its kind's bars and its path's clicks.
    for (std::size_t n = 0; n < options.strokes.size(); ++n) {
        const StrokeOptions& s = options.strokes[n];
        const std::string which = "stroke " + std::to_string(n + 1) + " (" + BrushName(s.brush) + "): ";
        const KindBars& bars = BarsByKind[s.brush];
        const auto inRange = [&](const std::optional<int>& v, bool shown, const char* name, int low,
                                 int high) -> std::string {
            if (!v) {
                return "";
            }
            if (!shown) {
                return which + "the tool box shows no " + name + " bar for this brush";
            }
            if (*v < low || *v > high) {
                return which + name + " must be " + std::to_string(low) + ".." + std::to_string(high);
            }
            return "";
        };
        for (const std::string& fault :
             {inRange(s.brushSize, bars.brushSize, "--brush-size", bars.brushMin, bars.brushMax),
              inRange(s.particleSize, bars.particleSize, "--particle-size", bars.particleMin,
                      bars.particleMax),
              inRange(s.density, bars.density, "--density", DensityBarMin, DensityBarMax),
              inRange(s.transparency, true, "--transparency", 0, MaterialBarMax),
              inRange(s.highlight, true, "--highlight", 0, MaterialBarMax),
              inRange(s.thickness, true, "--thickness", 0, MaterialBarMax)}) {
            if (!fault.empty()) {
                return fault;
            }
        }
        const auto path = static_cast<PathKind>(s.path);
        if (s.closed && path != PathKind::Polyline && path != PathKind::Curve) {
            return which + "--closed is for a polyline or a curve";
        }
        const auto kind = static_cast<BrushKind>(s.brush);
        if ((kind == BrushKind::Eyedropper || kind == BrushKind::Stir) && path != PathKind::Freehand) {
            return which + "this brush paints freehand only";
        }
        if (!s.hasPoints) {
            continue;
        }
        std::size_t needed = 0;
        switch (path) {
        case PathKind::StraightLine:
        case PathKind::Circumference:
            needed = 2;
            break;
        case PathKind::Arc:
        case PathKind::RegularPolygon:
            needed = 3;
            break;
        default:
            break;
        }
        if (needed != 0 && s.points.size() != needed) {
            return which + "this path takes " + std::to_string(needed) + " points";
        }
        for (const CanvasPoint& c : s.points) {
            if (c.x < 0.0f || c.y < 0.0f || c.x >= static_cast<float>(options.width) ||
                c.y >= static_cast<float>(options.height)) {
                char text[96];
                std::snprintf(text, sizeof text, "the point %g,%g lies outside the %dx%d canvas", c.x, c.y,
                              options.width, options.height);
                return which + text;
            }
        }
    }
    return "";
}

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "nurimoko-sample: %s\n%s", problem.c_str(), Usage);
    return ExitUsage;
}

void List() {
    std::printf("brush kinds:\n");
    for (const NamedKind& k : BrushNames) {
        std::printf("  %2d %-12s %s\n", k.value, k.name, BrushKindCaption(static_cast<BrushKind>(k.value)));
    }
    std::printf("path kinds:\n");
    for (const NamedKind& k : PathNames) {
        std::printf("  %2d %-14s %s\n", k.value, k.name, PathKindCaption(static_cast<PathKind>(k.value)));
    }
}

} // namespace

int main(int argc, char** argv) {
    // File names reach the program as UTF-8 on every system.
    platform::Utf8CommandLine commandLine(argc, argv);
    argc = commandLine.Count();
    argv = commandLine.Values();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            List();
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
    }
    Options options;
    const std::string problem = ParseCommandLine(argc, argv, options);
    if (!problem.empty()) {
        return UsageError(problem);
    }

    // With --clock every seeding below, from the brush records' creation to the last pattern, takes T.
    std::unique_ptr<ScopedRandomClock> clock;
    if (options.clock) {
        clock = std::make_unique<ScopedRandomClock>(*options.clock);
    }

    SamplePainter painter(options.width, options.height);
    ResultCode r = painter.Prepare(options.background);
    for (std::size_t n = 0; r == Result::Success && n < options.strokes.size(); ++n) {
        r = PaintStroke(painter, options.strokes[n], options.marks);
    }
    if (r != Result::Success) {
        std::fprintf(stderr, "nurimoko-sample: painting failed with code %d\n", r);
        return ExitFailure;
    }
    switch (OutputKindOf(options.out)) {
    case OutputKind::Png:
        r = SavePngFile(painter.Picture(), options.out);
        break;
    case OutputKind::Bmp:
        r = SaveBmpFile(painter.Picture(), options.out);
        break;
    default:
        r = painter.Canvas().SavePaintFile(options.out);
        break;
    }
    if (r != Result::Success) {
        std::fprintf(stderr, "nurimoko-sample: cannot write %s (code %d)\n", options.out.c_str(), r);
        return ExitFailure;
    }
    return 0;
}
