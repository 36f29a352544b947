#pragma once
// The undo/redo history of one painting. Nothing of the canvas is kept in memory: every step is
// written at once to a small file in the journal folder, and an entry says which file belongs to
// which step. Undo and redo flip metaball states, put colours or positions back, or copy a recorded
// background into the canvas, then re-render only what they touched.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Metaball.h"
#include "engine/ResultCode.h"
#include "engine/UpdateRect.h"
#include "persistence/PlatformFile.h"

class PaintCanvas;

enum UndoKind : std::int32_t {
    UndoInitial = 1,
    UndoBackground = 3,
    UndoAdd = 4,
    UndoErase = 5,
    UndoMove = 6,
    UndoRecolour = 7,
};

struct UndoEntry {
    std::uint32_t step = 0;
    std::int32_t kind = 0;
    std::string idsFile;        // name inside the folder, or empty
    std::string backgroundFile; // name inside the folder, or empty
};

class UndoJournal {
public:
    // `folder` is where the step files go (the application passes "UNDO" beside the executable).
    // When it cannot be created, or another running program holds it and no sibling folder
    // ("UNDO-2", "UNDO-3", …) can be taken, `fallbackFolder` (if given) is tried the same way.
    explicit UndoJournal(std::string folder, std::string fallbackFolder = {});
    ~UndoJournal();
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // Takes the folder (creating and locking it), forgets the history and empties the folder.
    void Init(PaintCanvas& canvas);
    // Starts a new history whose first entry is the canvas's background as it is now.
    ResultCode Reset();

    ResultCode RecordBackground();
    ResultCode RecordAdd(std::vector<std::int32_t> ids);
    ResultCode RecordErase(std::vector<std::int32_t> ids);
    ResultCode RecordMove(std::vector<std::int32_t> ids, std::vector<Position3> oldPositions,
                          std::vector<Position3> newPositions);
    ResultCode RecordRecolour(std::vector<std::int32_t> ids, std::vector<PaintColour> oldColours,
                              std::vector<PaintColour> newColours);

    // The kind undone or redone (> 0), or a ResultCode (< 0); `rect` comes back as the area to redraw.
    // A failure changes neither the canvas nor the position.
    int Undo(UpdateRect& rect);
    int Redo(UpdateRect& rect);
    bool CanUndo() const { return position >= 1; }
    bool CanRedo() const { return position < static_cast<std::int32_t>(entries.size()) - 1; }

    // Deletes every file of the folder (not its subfolders, not the folder's lock).
    void ClearFolder();

    // The folder actually in use (after Init: possibly a sibling or the fallback).
    const std::string& Folder() const { return folder; }
    std::int32_t Position() const { return position; }
    std::uint32_t StepCounter() const { return stepCounter; }
    const std::vector<UndoEntry>& Entries() const { return entries; }
    // Full path of a file named by an entry.
    std::string PathOf(const std::string& name) const;

    static std::string BackgroundFileName(std::uint32_t step);
    static std::string IdsFileName(std::uint32_t step);
    // Name of the lock file that marks a folder as taken by a running program.
    static const char* LockFileName() { return ".lock"; }

private:
    ResultCode Record(std::int32_t kind, const std::vector<std::uint8_t>& contents);
    // The id file of an add or erase step.
    ResultCode RecordIds(std::int32_t kind, const std::vector<std::int32_t>& ids);
    void Push(const UndoEntry& entry);
    bool TakeFolder(const std::string& candidate);
    void ReleaseFolder();
    int ApplyIdsFile(const std::string& name, std::uint8_t state, UpdateRect& rect);
    int ApplyMoveFile(const std::string& name, bool undo, UpdateRect& rect);
    int ApplyRecolourFile(const std::string& name, bool undo, UpdateRect& rect);
    int RestoreBackground(const std::string& name, UpdateRect& rect);
    int RenderTouched(UpdateRect& rect);

    std::string preferredFolder;
    std::string fallbackFolder;
    std::string folder;
    platform::FileLock lock;
    std::uint32_t stepCounter = 0;
    std::vector<UndoEntry> entries;
    std::int32_t position = -1;
    PaintCanvas* canvas = nullptr;
};
