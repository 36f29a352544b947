// Opens any bytes as a paint document, the way the open command does, then renders the loaded canvas
// and checks that saving it and opening the saved file gives the same paint back.

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/PaintCanvas.h"
#include "fuzz/FuzzSupport.h"

namespace {

// Progress must stay a percentage whatever the file claims.
class CheckedProgress : public ProgressTarget {
public:
    void ReportProgress(int phase, int percent) override {
        FUZZ_CHECK(phase == ProgressReading || phase == ProgressWriting);
        FUZZ_CHECK(percent >= 0 && percent <= 100);
    }
};

void RenderAll(PaintCanvas& canvas) {
    UpdateRect all = UpdateRect::Make(0, 0, canvas.width - 1, canvas.height - 1);
    canvas.BeginOperation();
    if (canvas.Render(all) == Result::Success) {
        canvas.EndOperation();
    }
}

bool SameBall(const Metaball& a, const Metaball& b) {
    return std::memcmp(static_cast<const MaterialBlock*>(&a), static_cast<const MaterialBlock*>(&b),
                       sizeof(MaterialBlock)) == 0 &&
           a.id == b.id && a.state == b.state && a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto folder = fuzzsupport::ScratchFolder();
    const std::string input = (folder / "input.mb").string();
    const std::string saved = (folder / "saved.mb").string();
    fuzzsupport::WriteWhole(input, data, size);

    CheckedProgress progress;
    PaintCanvas canvas;
    canvas.progressTarget = &progress;
    canvas.drawingArea = DrawingAreaBoth;
    if (canvas.LoadPaintFile(input) != Result::Success) {
        return 0;
    }
    FUZZ_CHECK(canvas.HasBuffers());
    FUZZ_CHECK(canvas.backgroundImage.width == canvas.width &&
               canvas.backgroundImage.height == canvas.height);
    RenderAll(canvas);

    FUZZ_CHECK(canvas.SavePaintFile(saved) == Result::Success);
    PaintCanvas again;
    again.drawingArea = DrawingAreaBoth;
    FUZZ_CHECK(again.LoadPaintFile(saved) == Result::Success);
    FUZZ_CHECK(again.width == canvas.width && again.height == canvas.height);
    FUZZ_CHECK(again.store->Count() == canvas.store->Count());
    for (std::int32_t i = 0; i < canvas.store->Count(); ++i) {
        FUZZ_CHECK(SameBall(canvas.store->records[static_cast<std::size_t>(i)],
                            again.store->records[static_cast<std::size_t>(i)]));
    }
    FUZZ_CHECK(again.backgroundImage.data == canvas.backgroundImage.data);
    FUZZ_CHECK(again.backgroundImage.palette == canvas.backgroundImage.palette);
    return 0;
}
