// nurimoko-sample: paints one sample stroke with a chosen brush kind along a chosen path kind and
// writes the picture, for the pictures of the manual.
//
//   nurimoko-sample --brush KIND [--path KIND] [--size WIDTHxHEIGHT] [--brush-size N] [--marks]
//                   --out FILE.png|FILE.bmp|FILE.mb
//
// KIND is a number or a name (nurimoko-sample --list shows them). The stroke runs through the same
// stroke code the canvas view uses, fed with fixed mouse events laid out on the canvas, so the
// picture is what a painter gets with that brush. The kinds that work on paint already on the canvas
// (eraser, recolouring, stirring, eyedropper) first get paint to work on. A ".mb" output is the paint
// document of the sample (without the click marks), for the program or nurimoko-render to open.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "background/HlsColour.h"
#include "brushes/StrokeController.h"
#include "engine/PaintCanvas.h"
#include "persistence/PlatformFile.h"
#include "persistence/Bmp.h"
#include "persistence/PngWriter.h"

namespace {

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

// The tool box: one brush of the chosen kind, painting in the current colour; the eyedropper changes
// that colour.
struct SampleTools : BrushSource {
    BrushSettings brush;
    float hue = 0.6f;
    float lightness = 0.5f;
    float saturation = 0.8f;

    BrushSettings CurrentBrush() override {
        BrushSettings copy = brush;
        const PaintColour c = HlsToRgb(hue * 360.0f, lightness, saturation);
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

class SamplePainter {
public:
    SamplePainter(std::int32_t width, std::int32_t height) : width(width), height(height) {}

    ResultCode Prepare() {
        const ResultCode created = canvas.Create(width, height);
        if (created != Result::Success) {
            return created;
        }
        // A warm paper tone, so that white highlights and light paint stay visible.
        canvas.backgroundImage.Fill(246, 241, 230);
        canvas.CopyBackgroundToRendered();
        view.mapping = ViewMapping{0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height),
                                   0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)};
        stroke.SetBrushSource(&tools);
        stroke.SetCanvasSettingsSource(&settings);
        stroke.SetMessageSink(&messages);
        return Result::Success;
    }

    // Runs the events with a brush of `kind` along `path`; `brushSize` <= 0 keeps the kind's default.
    ResultCode Paint(BrushKind kind, PathKind path, float brushSize, const std::vector<Event>& events) {
        tools.brush = BrushSettings::ForKind(kind);
        tools.brush.pathKind = path;
        if (brushSize > 0.0f) {
            tools.brush.brushSize = brushSize;
        }
        stroke.RefreshBrush();
        for (const Event& e : events) {
            const ResultCode r = stroke.HandleStrokeEvent(e.type, e.at);
            if (r != Result::Success) {
                return r;
            }
        }
        return Result::Success;
    }

    void SetColour(float hue, float lightness, float saturation) {
        tools.SetCurrentColour(hue, lightness, saturation);
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
    ResultCode SaveDocument(const std::string& path) { return canvas.SavePaintFile(path); }

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

ResultCode PaintSample(SamplePainter& p, BrushKind kind, PathKind path, float brushSize, bool marks) {
    switch (kind) {
    case BrushKind::Eraser:
    case BrushKind::Recolour:
    case BrushKind::Stir: {
        ResultCode r = PaintBands(p);
        if (r != Result::Success) {
            return r;
        }
        p.SetColour(0.95f, 0.55f, 0.9f);
        // Across both bands, so the effect shows on paint of two colours; the stir goes to and fro.
        const std::vector<WindowPoint> across =
            kind == BrushKind::Stir ? Wave(p, 0.2f, 0.8f, 0.5f, -0.3f)
                                    : std::vector<WindowPoint>{At(p, 0.38f, 0.04f), At(p, 0.62f, 0.96f)};
        return p.Paint(kind, PathKind::Freehand, brushSize, Drag(across));
    }
    case BrushKind::Eyedropper: {
        ResultCode r = PaintBands(p);
        if (r != Result::Success) {
            return r;
        }
        // Pick the lower band's colour, then paint with it.
        const WindowPoint pick = At(p, 0.2f, 0.6f);
        r = p.Paint(kind, PathKind::Freehand, brushSize,
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
    std::vector<WindowPoint> clicked;
    const std::vector<Event> events = PathEvents(p, path, clicked);
    const ResultCode r = p.Paint(kind, path, brushSize, events);
    if (marks) {
        for (const WindowPoint& w : clicked) {
            p.Mark(w);
        }
    }
    return r;
}

bool EndsWith(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

int Usage() {
    std::fprintf(stderr, "usage: nurimoko-sample --brush KIND [--path KIND] [--size WIDTHxHEIGHT] "
                         "[--brush-size N] [--marks] --out FILE.png|FILE.bmp|FILE.mb\n"
                         "       nurimoko-sample --list\n");
    return 2;
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
    std::vector<std::string> arguments = platform::Utf8Arguments(argc, argv);
    std::vector<char*> utf8Argv;
    for (std::string& argument : arguments) {
        utf8Argv.push_back(argument.data());
    }
    utf8Argv.push_back(nullptr);
    argc = static_cast<int>(arguments.size());
    argv = utf8Argv.data();
    std::int32_t brush = -1;
    std::int32_t path = 0;
    std::int32_t width = 240;
    std::int32_t height = 120;
    float brushSize = 0.0f;
    bool marks = false;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--list") {
            List();
            return 0;
        } else if (arg == "--marks") {
            marks = true;
        } else if (arg == "--brush" && hasValue) {
            if (!ParseKind(argv[++i], BrushNames, brush)) {
                std::fprintf(stderr, "nurimoko-sample: unknown brush kind '%s'\n", argv[i]);
                return 2;
            }
        } else if (arg == "--path" && hasValue) {
            if (!ParseKind(argv[++i], PathNames, path)) {
                std::fprintf(stderr, "nurimoko-sample: unknown path kind '%s'\n", argv[i]);
                return 2;
            }
        } else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 16 || height < 16 ||
                width > 4096 || height > 4096) {
                std::fprintf(stderr, "nurimoko-sample: size must be WIDTHxHEIGHT, each 16..4096\n");
                return 2;
            }
        } else if (arg == "--brush-size" && hasValue) {
            brushSize = std::strtof(argv[++i], nullptr);
            if (!(brushSize > 0.0f && brushSize <= 500.0f)) {
                std::fprintf(stderr, "nurimoko-sample: brush size must be in (0, 500]\n");
                return 2;
            }
        } else if (arg == "--out" && hasValue) {
            out = argv[++i];
        } else {
            return Usage();
        }
    }
    if (brush < 0 || out.empty()) {
        return Usage();
    }
    const bool document = EndsWith(out, ".mb") || EndsWith(out, ".MB");
    const bool png = EndsWith(out, ".png") || EndsWith(out, ".PNG");
    if (!document && !png && !HasBmpExtension(out)) {
        std::fprintf(stderr, "nurimoko-sample: the output must end in .png, .bmp or .mb\n");
        return 2;
    }

    SamplePainter painter(width, height);
    ResultCode r = painter.Prepare();
    if (r == Result::Success) {
        r = PaintSample(painter, static_cast<BrushKind>(brush), static_cast<PathKind>(path), brushSize,
                        marks);
    }
    if (r != Result::Success) {
        std::fprintf(stderr, "nurimoko-sample: painting failed with code %d\n", r);
        return 1;
    }
    r = document ? painter.SaveDocument(out)
        : png    ? SavePngFile(painter.Picture(), out)
                 : SaveBmpFile(painter.Picture(), out);
    if (r != Result::Success) {
        std::fprintf(stderr, "nurimoko-sample: cannot write %s (code %d)\n", out.c_str(), r);
        return 1;
    }
    return 0;
}
