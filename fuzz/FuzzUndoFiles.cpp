// Feeds any bytes to undo and redo as the file of one step. The first byte chooses the step's kind:
// 0 add, 1 erase, 2 move, 3 recolour, 4 background (the bytes then replace both the initial background
// file, read by undo, and the step's own file, read by redo). A failed undo or redo must leave the
// history position where it was.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/PaintCanvas.h"
#include "fuzz/FuzzSupport.h"
#include "persistence/UndoJournal.h"

namespace {

constexpr std::int32_t kWidth = 24;
constexpr std::int32_t kHeight = 16;

struct Setup {
    PaintCanvas canvas;
    std::unique_ptr<UndoJournal> journal;
};

Setup& Shared() {
    static Setup* setup = [] {
        auto* s = new Setup;
        s->journal = std::make_unique<UndoJournal>((fuzzsupport::ScratchFolder() / "UNDO").string());
        return s;
    }();
    return *setup;
}

// A fresh canvas with a few metaballs, so ids in the files may name real paint.
void Paint(PaintCanvas& canvas) {
    FUZZ_CHECK(canvas.Create(kWidth, kHeight) == Result::Success);
    std::vector<Metaball> balls;
    MaterialBlock material;
    material.innerRadius = 2.0f;
    material.outerRadius = 4.0f;
    for (int i = 0; i < 6; ++i) {
        Metaball m;
        PaintCanvas::MetaballFromTemplate(m, 3.5f + 3.0f * static_cast<float>(i), 8.5f, 0.0f, material);
        balls.push_back(m);
    }
    UpdateRect changed = UpdateRect::Empty();
    canvas.BeginOperation();
    FUZZ_CHECK(canvas.AddMetaballs(balls, changed) == Result::Success);
    FUZZ_CHECK(canvas.Render(changed) == Result::Success);
    canvas.EndOperation();
}

void Overwrite(const UndoJournal& journal, const std::string& name, const std::uint8_t* data,
               std::size_t size) {
    FUZZ_CHECK(!name.empty());
    fuzzsupport::WriteWhole(journal.PathOf(name), data, size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int kind = data[0] % 5;
    ++data;
    --size;

    Setup& s = Shared();
    Paint(s.canvas);
    static bool initialised = false;
    if (!initialised) {
        s.journal->Init(s.canvas);
        initialised = true;
    }
    UndoJournal& journal = *s.journal;
    FUZZ_CHECK(journal.Reset() == Result::Success);

    const std::vector<std::int32_t> ids = {0, 2, 5};
    ResultCode recorded = Result::Success;
    switch (kind) {
    case 0:
        recorded = journal.RecordAdd(ids);
        break;
    case 1:
        recorded = journal.RecordErase(ids);
        break;
    case 2:
        recorded = journal.RecordMove(ids, std::vector<Position3>(3), std::vector<Position3>(3));
        break;
    case 3:
        recorded = journal.RecordRecolour(ids, std::vector<PaintColour>(3), std::vector<PaintColour>(3));
        break;
    default:
        recorded = journal.RecordBackground();
        break;
    }
    FUZZ_CHECK(recorded == Result::Success);
    FUZZ_CHECK(journal.Position() == 1);
    const UndoEntry& step = journal.Entries()[1];
    if (kind == 4) {
        Overwrite(journal, journal.Entries()[0].backgroundFile, data, size);
        Overwrite(journal, step.backgroundFile, data, size);
    } else {
        Overwrite(journal, step.idsFile, data, size);
    }

    UpdateRect rect = UpdateRect::PendingEmpty();
    const int undone = journal.Undo(rect);
    if (undone < 0) {
        FUZZ_CHECK(journal.Position() == 1);
        return 0;
    }
    FUZZ_CHECK(journal.Position() == 0);
    rect = UpdateRect::PendingEmpty();
    const int redone = journal.Redo(rect);
    FUZZ_CHECK(journal.Position() == (redone < 0 ? 0 : 1));
    FUZZ_CHECK(s.canvas.backgroundImage.width == kWidth && s.canvas.backgroundImage.height == kHeight);
    return 0;
}
