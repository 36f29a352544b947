// Timings of the painting work a user waits for: one dab, one committed path, rendering, loading and
// saving a heavy painting, and the memory an empty canvas holds per pixel.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

#include "bench/BenchScenes.h"
#include "engine/RowScheduler.h"
#include "persistence/SafeFileWriter.h"

namespace {

constexpr std::int32_t kDabCanvas = 512;

// A dab of `kind` at the middle of `canvas`, taken back after each round.
void TimeDab(benchmark::State& state, PaintCanvas& canvas, BrushKind kind, float size) {
    BrushSettings brush = FixedBrush(kind, size);
    const std::int32_t keep = canvas.store->Count();
    brush.placements = {DabPlacement{kDabCanvas / 2.0f + 0.3f, kDabCanvas / 2.0f + 0.7f, 0.0f, 0.0f, 1.0f}};
    for (auto _ : state) {
        const UpdateRect rect = PaintDabs(canvas, brush);
        state.PauseTiming();
        TakeBack(canvas, keep, rect);
        state.ResumeTiming();
    }
}

PaintCanvas& FreshDabCanvas() {
    static PaintCanvas* canvas = [] {
        auto* c = new PaintCanvas;
        c->Create(kDabCanvas, kDabCanvas);
        return c;
    }();
    return *canvas;
}

PaintCanvas& LayeredDabCanvas() {
    static PaintCanvas* canvas = [] {
        auto* c = new PaintCanvas;
        c->Create(kDabCanvas, kDabCanvas);
        PaintTenLayers(*c);
        return c;
    }();
    return *canvas;
}

const std::vector<Metaball>& HeavyMetaballs() {
    static const std::vector<Metaball> metaballs = HeavyPaintingMetaballs();
    return metaballs;
}

PaintCanvas& HeavyCanvas() {
    static PaintCanvas* canvas = [] {
        auto* c = new PaintCanvas;
        BuildCanvas(*c, 1920, 1080, HeavyMetaballs(), true);
        return c;
    }();
    return *canvas;
}

std::string HeavyFilePath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir != nullptr ? dir : "/tmp") + "/nurimoko-bench-" +
                        std::to_string(static_cast<long>(getpid())) + ".mb";
        // Saved from an unrendered copy, so timing only the loading does not wait for a full render.
        PaintCanvas canvas;
        canvas.Create(1920, 1080);
        UpdateRect rect;
        canvas.AddMetaballs(HeavyMetaballs(), rect);
        canvas.SavePaintFile(p);
        return p;
    }();
    return path;
}

// The two ways of working a heavy painting that the benchmarks set side by side: the plain one (the
// reference evaluation, metaballs deposited one by one, one thread) and the fast one (banded deposition,
// fast evaluation, all threads).
enum Path : std::int64_t { PlainPath = 0, FastPath = 1 };

void SetPath(PaintCanvas& canvas, std::int64_t path) {
    const bool plain = path == PlainPath;
    canvas.referenceEvaluation = plain;
    canvas.referenceDeposition = plain;
    canvas.renderThreads = plain ? 1 : RenderThreadCount();
}

ResultCode LoadHeavy(PaintCanvas& canvas, std::int64_t path) {
    SetPath(canvas, path);
    canvas.drawingArea = DrawingAreaBoth;
    return canvas.LoadPaintFile(HeavyFilePath());
}

void RenderWhole(PaintCanvas& canvas) {
    const UpdateRect whole = UpdateRect::Make(0, 0, canvas.width - 1, canvas.height - 1);
    canvas.antiAliasing = 1;
    canvas.MarkDirty(whole, 1);
    UpdateRect rect = whole;
    canvas.Render(rect);
}

// Peak resident memory in kB of this process (VmHWM), or -1 where /proc is not available.
long PeakResidentKb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kb = std::strtol(line + 6, nullptr, 10);
        }
    }
    std::fclose(status);
    return kb;
}

void BM_DabSimple60_Fresh(benchmark::State& state) {
    TimeDab(state, FreshDabCanvas(), BrushKind::Simple, 60.0f);
}

void BM_DabSimple60_TenLayers(benchmark::State& state) {
    TimeDab(state, LayeredDabCanvas(), BrushKind::Simple, 60.0f);
}

// On the heavy painting, where a dab lands on paint some twenty metaballs deep.
void BM_DabSimple60_HeavyPainting(benchmark::State& state) {
    PaintCanvas& canvas = HeavyCanvas();
    SetPath(canvas, FastPath);
    TimeDab(state, canvas, BrushKind::Simple, 60.0f);
}

void BM_DabStipple(benchmark::State& state) {
    TimeDab(state, FreshDabCanvas(), BrushKind::Stipple, 40.0f);
}

void BM_DabWatercolour(benchmark::State& state) {
    TimeDab(state, FreshDabCanvas(), BrushKind::Watercolour, 50.0f);
}

void BM_PolylineStipple100(benchmark::State& state) {
    PaintCanvas& canvas = FreshDabCanvas();
    BrushSettings brush = FixedBrush(BrushKind::Stipple, 40.0f);
    // Three legs, lengthened until the path holds 100 dab positions.
    for (float leg = brush.DabSpacing() * 25.0f; brush.placements.size() < 100; leg += 1.0f) {
        const std::vector<CanvasPoint> points = {
            {60.0f, 60.0f}, {60.0f + leg, 60.0f}, {60.0f + leg, 60.0f + leg}, {60.0f, 60.0f + leg}};
        brush.SamplePath(points, PathKind::Polyline, 0);
    }
    const std::int32_t keep = canvas.store->Count();
    for (auto _ : state) {
        const UpdateRect rect = PaintDabs(canvas, brush);
        state.PauseTiming();
        TakeBack(canvas, keep, rect);
        state.ResumeTiming();
    }
    state.counters["dabs"] = static_cast<double>(brush.placements.size());
}

void BM_HeavyLoad(benchmark::State& state) {
    HeavyFilePath();
    for (auto _ : state) {
        auto canvas = std::make_unique<PaintCanvas>();
        if (LoadHeavy(*canvas, state.range(0)) != Result::Success) {
            state.SkipWithError("load failed");
            break;
        }
        state.PauseTiming();
        canvas.reset();
        state.ResumeTiming();
    }
}

void BM_HeavyRender(benchmark::State& state) {
    PaintCanvas& canvas = HeavyCanvas();
    SetPath(canvas, state.range(0));
    for (auto _ : state) {
        RenderWhole(canvas);
    }
    state.counters["metaballs"] = static_cast<double>(canvas.store->Count());
}

void BM_HeavyLoadAndRender(benchmark::State& state) {
    HeavyFilePath();
    for (auto _ : state) {
        auto canvas = std::make_unique<PaintCanvas>();
        if (LoadHeavy(*canvas, state.range(0)) != Result::Success) {
            state.SkipWithError("load failed");
            break;
        }
        RenderWhole(*canvas);
        state.PauseTiming();
        canvas.reset();
        state.ResumeTiming();
    }
}

// Peak resident memory of a fresh process (this program started again) that loads and renders the
// heavy painting on the fast path, in MB.
void BM_HeavyPeakResident(benchmark::State& state) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        state.SkipWithError("cannot find this program");
        return;
    }
    const std::string command = "'" + std::string(self) + "' --peak-resident-of '" + HeavyFilePath() + "'";
    double megabytes = 0.0;
    for (auto _ : state) {
        std::FILE* child = popen(command.c_str(), "r");
        long kb = -1;
        if (child == nullptr || std::fscanf(child, "%ld", &kb) != 1 || pclose(child) != 0 || kb <= 0) {
            state.SkipWithError("could not measure the peak resident memory");
            break;
        }
        megabytes = static_cast<double>(kb) / 1024.0;
    }
    state.counters["peak_MB"] = megabytes;
}

// The child's side of BM_HeavyPeakResident: load, render, print VmHWM in kB.
int PrintPeakResidentOf(const char* path) {
    PaintCanvas canvas;
    SetPath(canvas, FastPath);
    canvas.drawingArea = DrawingAreaBoth;
    if (canvas.LoadPaintFile(path) != Result::Success) {
        return 1;
    }
    RenderWhole(canvas);
    std::printf("%ld\n", PeakResidentKb());
    return 0;
}

void BM_SaveHeavy(benchmark::State& state) {
    PaintCanvas& canvas = HeavyCanvas();
    const std::string path = HeavyFilePath() + ".saved.mb";
    for (auto _ : state) {
        if (canvas.SavePaintFile(path) != Result::Success) {
            state.SkipWithError("save failed");
            break;
        }
    }
    std::remove(path.c_str());
}

// A recovery copy of the heavy painting, in its two parts: taking the document's bytes (what the
// window's thread does) and writing them through the atomic writer (what the worker thread does).
void BM_RecoveryCopyHeavy_Bytes(benchmark::State& state) {
    PaintCanvas& canvas = HeavyCanvas();
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes;
        if (canvas.EncodePaintFile(bytes) != Result::Success) {
            state.SkipWithError("encoding failed");
            break;
        }
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_RecoveryCopyHeavy_Write(benchmark::State& state) {
    std::vector<std::uint8_t> bytes;
    if (HeavyCanvas().EncodePaintFile(bytes) != Result::Success) {
        state.SkipWithError("encoding failed");
        return;
    }
    const std::string path = HeavyFilePath() + ".recovery.mb";
    for (auto _ : state) {
        if (SafeFileWriter::WriteFile(path, bytes.data(), bytes.size()) != Result::Success) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    std::remove(path.c_str());
}

void BM_EmptyCanvasBytesPerPixel(benchmark::State& state) {
    double bytes = 0.0;
    for (auto _ : state) {
        PaintCanvas canvas;
        canvas.Create(1920, 1080);
        const double total = static_cast<double>(
            canvas.grid->lists.capacity() * sizeof(PixelList) +
            canvas.grid->arena.HeldEntries() * sizeof(PixelEntry) +
            canvas.surface.capacity() * sizeof(SurfaceRecord) + canvas.dirtyFlags.capacity() +
            canvas.paintedMask.capacity() + canvas.heightSnapshot.capacity() * sizeof(float) +
            canvas.renderedImage.data.capacity() + canvas.backgroundImage.data.capacity());
        bytes = total / (1920.0 * 1080.0);
    }
    state.counters["bytes_per_pixel"] = bytes;
}

} // namespace

BENCHMARK(BM_DabSimple60_Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DabSimple60_TenLayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DabSimple60_HeavyPainting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DabStipple)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DabWatercolour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolylineStipple100)->Unit(benchmark::kMillisecond);
// Argument: 0 the plain path, 1 the fast path.
BENCHMARK(BM_HeavyLoad)->ArgName("fast")->Arg(PlainPath)->Arg(FastPath)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->UseRealTime();
BENCHMARK(BM_HeavyRender)->ArgName("fast")->Arg(PlainPath)->Arg(FastPath)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->UseRealTime();
BENCHMARK(BM_HeavyLoadAndRender)->ArgName("fast")->Arg(PlainPath)->Arg(FastPath)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_HeavyPeakResident)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SaveHeavy)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RecoveryCopyHeavy_Bytes)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_RecoveryCopyHeavy_Write)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_EmptyCanvasBytesPerPixel)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak-resident-of") == 0) {
        return PrintPeakResidentOf(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(HeavyFilePath().c_str());
    return 0;
}
