#pragma once
// Records finished strokes in the view's undo journal.

#include <utility>

#include "brushes/StrokeServices.h"
#include "persistence/UndoJournal.h"

class StrokeJournalRecorder : public StrokeRecorder {
public:
    explicit StrokeJournalRecorder(UndoJournal& journalRef) : journal(journalRef) {}

    ResultCode RecordAdd(std::vector<std::int32_t> ids) override { return journal.RecordAdd(std::move(ids)); }
    ResultCode RecordErase(std::vector<std::int32_t> ids) override {
        return journal.RecordErase(std::move(ids));
    }
    ResultCode RecordMove(std::vector<std::int32_t> ids, std::vector<Position3> oldPositions,
                          std::vector<Position3> newPositions) override {
        return journal.RecordMove(std::move(ids), std::move(oldPositions), std::move(newPositions));
    }
    ResultCode RecordRecolour(std::vector<std::int32_t> ids, std::vector<PaintColour> oldColours,
                              std::vector<PaintColour> newColours) override {
        return journal.RecordRecolour(std::move(ids), std::move(oldColours), std::move(newColours));
    }

private:
    UndoJournal& journal;
};
