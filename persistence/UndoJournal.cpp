#include "persistence/UndoJournal.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/PaintCanvas.h"
#include "persistence/ImageBlock.h"
#include "persistence/PlatformFile.h"
#include "persistence/SafeFileWriter.h"

namespace {

// How many sibling folders ("UNDO-2", "UNDO-3", …) are tried when other running programs hold the
// first ones.
constexpr int kMaxSiblingFolders = 32;

// One record of a metaball-id file; the triples are used by the move and recolour layouts only.
struct IdRecord {
    std::int32_t id = 0;
    float before[3] = {};
    float after[3] = {};
};

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) {
        path.pop_back();
    }
    return path;
}

// Reads a whole metaball-id file before anything is applied: -11 when it cannot be opened, -14 for
// a negative count, -12 when the file is shorter than its count says.
ResultCode ReadIdRecords(const std::string& path, bool withTriples, std::vector<IdRecord>& records) {
    BlockReader in;
    const ResultCode opened = in.Open(path);
    if (opened != Result::Success) {
        return opened;
    }
    std::int32_t count = 0;
    if (!in.ReadInt32(count)) {
        return Result::FileReadFailed;
    }
    if (count < 0) {
        return Result::UnsupportedFormat;
    }
    const std::uint64_t recordSize = withTriples ? 28 : 4;
    if (in.Remaining() < static_cast<std::uint64_t>(count) * recordSize) {
        return Result::FileReadFailed;
    }
    records.resize(static_cast<std::size_t>(count));
    for (IdRecord& r : records) {
        if (!in.ReadInt32(r.id)) {
            return Result::FileReadFailed;
        }
        if (withTriples) {
            for (float& v : r.before) {
                if (!in.ReadFloat(v)) {
                    return Result::FileReadFailed;
                }
            }
            for (float& v : r.after) {
                if (!in.ReadFloat(v)) {
                    return Result::FileReadFailed;
                }
            }
        }
    }
    return Result::Success;
}

float ClampUnit(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

} // namespace

UndoJournal::UndoJournal(std::string folder, std::string fallbackFolder)
    : preferredFolder(WithoutTrailingSeparators(std::move(folder))),
      fallbackFolder(WithoutTrailingSeparators(std::move(fallbackFolder))), folder(preferredFolder) {}

UndoJournal::~UndoJournal() {
    ClearFolder();
    ReleaseFolder();
}

std::string UndoJournal::BackgroundFileName(std::uint32_t step) {
    char name[64];
    std::snprintf(name, sizeof name, "%06u.BACKGROUND.undo", step);
    return name;
}

std::string UndoJournal::IdsFileName(std::uint32_t step) {
    char name[64];
    std::snprintf(name, sizeof name, "%06u.METABALL_ID.undo", step);
    return name;
}

std::string UndoJournal::PathOf(const std::string& name) const {
    return folder + "/" + name;
}

bool UndoJournal::TakeFolder(const std::string& candidate) {
    std::error_code error;
    const std::filesystem::path place = platform::PathFromUtf8(candidate);
    std::filesystem::create_directories(place, error);
    if (!std::filesystem::is_directory(place, error)) {
        return false;
    }
    // Another running program holds this folder: emptying it would destroy that program's history.
    platform::FileLock taken;
    if (!taken.TryLock(candidate + "/" + LockFileName())) {
        return false;
    }
    lock = std::move(taken);
    folder = candidate;
    return true;
}

void UndoJournal::ReleaseFolder() {
    lock.Release();
}

void UndoJournal::Init(PaintCanvas& target) {
    canvas = &target;
    ReleaseFolder();
    folder.clear();
    for (const std::string& base : {preferredFolder, fallbackFolder}) {
        if (base.empty() || !folder.empty()) {
            continue;
        }
        for (int n = 1; n <= kMaxSiblingFolders; ++n) {
            if (TakeFolder(n == 1 ? base : base + "-" + std::to_string(n))) {
                break;
            }
        }
    }
    stepCounter = 0;
    entries.clear();
    position = -1;
    ClearFolder();
}

void UndoJournal::ClearFolder() {
    if (folder.empty()) {
        return;
    }
    std::error_code error;
    std::filesystem::directory_iterator it(platform::PathFromUtf8(folder), error);
    const std::filesystem::directory_iterator end;
    // An item that cannot be deleted (held open elsewhere) stays; clearing goes on with the rest.
    while (!error && it != end) {
        const std::filesystem::directory_entry item = *it;
        std::error_code itemError;
        if (!item.is_directory(itemError) && item.path().filename() != LockFileName()) {
            std::filesystem::remove(item.path(), itemError);
        }
        it.increment(error);
    }
}

ResultCode UndoJournal::Reset() {
    stepCounter = 0;
    entries.clear();
    position = -1;
    ClearFolder();
    if (!canvas) {
        return Result::NoData;
    }
    BufferWriter contents;
    const ResultCode written = WriteImageBlock(canvas->backgroundImage, &contents);
    if (written != Result::Success) {
        return written;
    }
    return Record(UndoInitial, contents.bytes);
}

ResultCode UndoJournal::RecordBackground() {
    if (!canvas) {
        return Result::NoData;
    }
    BufferWriter contents;
    const ResultCode written = WriteImageBlock(canvas->backgroundImage, &contents);
    if (written != Result::Success) {
        return written;
    }
    return Record(UndoBackground, contents.bytes);
}

ResultCode UndoJournal::RecordAdd(std::vector<std::int32_t> ids) {
    return RecordIds(UndoAdd, ids);
}

ResultCode UndoJournal::RecordErase(std::vector<std::int32_t> ids) {
    return RecordIds(UndoErase, ids);
}

ResultCode UndoJournal::RecordIds(std::int32_t kind, const std::vector<std::int32_t>& ids) {
    BufferWriter contents;
    bool ok = contents.WriteInt32(static_cast<std::int32_t>(ids.size()));
    for (std::int32_t id : ids) {
        ok = ok && contents.WriteInt32(id);
    }
    return ok ? Record(kind, contents.bytes) : Result::FileWriteFailed;
}

ResultCode UndoJournal::RecordMove(std::vector<std::int32_t> ids, std::vector<Position3> oldPositions,
                                   std::vector<Position3> newPositions) {
    if (oldPositions.size() != ids.size() || newPositions.size() != ids.size()) {
        return Result::BadParameter;
    }
    BufferWriter contents;
    bool ok = contents.WriteInt32(static_cast<std::int32_t>(ids.size()));
    for (std::size_t i = 0; ok && i < ids.size(); ++i) {
        const Position3& a = oldPositions[i];
        const Position3& b = newPositions[i];
        ok = contents.WriteInt32(ids[i]) && contents.WriteFloat(a.x) && contents.WriteFloat(a.y) &&
             contents.WriteFloat(a.z) && contents.WriteFloat(b.x) && contents.WriteFloat(b.y) &&
             contents.WriteFloat(b.z);
    }
    return ok ? Record(UndoMove, contents.bytes) : Result::FileWriteFailed;
}

ResultCode UndoJournal::RecordRecolour(std::vector<std::int32_t> ids, std::vector<PaintColour> oldColours,
                                       std::vector<PaintColour> newColours) {
    if (oldColours.size() != ids.size() || newColours.size() != ids.size()) {
        return Result::BadParameter;
    }
    BufferWriter contents;
    bool ok = contents.WriteInt32(static_cast<std::int32_t>(ids.size()));
    for (std::size_t i = 0; ok && i < ids.size(); ++i) {
        const PaintColour& a = oldColours[i];
        const PaintColour& b = newColours[i];
        ok = contents.WriteInt32(ids[i]) && contents.WriteFloat(a.red) && contents.WriteFloat(a.green) &&
             contents.WriteFloat(a.blue) && contents.WriteFloat(b.red) && contents.WriteFloat(b.green) &&
             contents.WriteFloat(b.blue);
    }
    return ok ? Record(UndoRecolour, contents.bytes) : Result::FileWriteFailed;
}

ResultCode UndoJournal::Record(std::int32_t kind, const std::vector<std::uint8_t>& contents) {
    if (folder.empty()) {
        return Result::FileOpenFailed;
    }
    UndoEntry entry;
    entry.step = stepCounter;
    entry.kind = kind;
    std::string name;
    if (kind == UndoInitial || kind == UndoBackground) {
        name = entry.backgroundFile = BackgroundFileName(entry.step);
    } else {
        name = entry.idsFile = IdsFileName(entry.step);
    }
    const ResultCode written = SafeFileWriter::WriteFile(PathOf(name), contents.data(), contents.size());
    if (written != Result::Success) {
        return written;
    }
    Push(entry);
    return Result::Success;
}

void UndoJournal::Push(const UndoEntry& entry) {
    position += 1;
    std::error_code error;
    for (std::size_t i = static_cast<std::size_t>(position); i < entries.size(); ++i) {
        for (const std::string* name : {&entries[i].idsFile, &entries[i].backgroundFile}) {
            if (!name->empty()) {
                std::filesystem::remove(platform::PathFromUtf8(PathOf(*name)), error);
            }
        }
    }
    entries.resize(static_cast<std::size_t>(position));
    entries.push_back(entry);
    stepCounter += 1;
}

int UndoJournal::RenderTouched(UpdateRect& rect) {
    canvas->BeginOperation();
    const ResultCode rendered = canvas->Render(rect);
    if (rendered == Result::Success) {
        canvas->EndOperation();
    }
    return rendered;
}

int UndoJournal::ApplyIdsFile(const std::string& name, std::uint8_t state, UpdateRect& rect) {
    std::vector<IdRecord> records;
    const ResultCode read = ReadIdRecords(PathOf(name), false, records);
    if (read != Result::Success) {
        return read;
    }
    rect = UpdateRect::Empty();
    if (canvas->store) {
        for (const IdRecord& r : records) {
            if (!canvas->store->Contains(r.id)) {
                continue;
            }
            canvas->store->records[static_cast<std::size_t>(r.id)].state = state;
            const UpdateRect bounds = canvas->MetaballBounds(r.id);
            if (bounds.valid) {
                rect.Union(bounds);
            }
        }
    }
    return RenderTouched(rect);
}

int UndoJournal::ApplyMoveFile(const std::string& name, bool undo, UpdateRect& rect) {
    std::vector<IdRecord> records;
    const ResultCode read = ReadIdRecords(PathOf(name), true, records);
    if (read != Result::Success) {
        return read;
    }
    // Undo walks backwards so that a metaball moved twice in one stroke ends where it started.
    const auto move = [&](const IdRecord& r) {
        const float* p = undo ? r.before : r.after;
        UpdateRect left = UpdateRect::Empty();
        UpdateRect reached = UpdateRect::Empty();
        canvas->MoveMetaball(r.id, p[0], p[1], p[2], left, reached);
        for (const UpdateRect& part : {left, reached}) {
            if (part.valid) {
                rect.Union(part);
            }
        }
    };
    if (undo) {
        std::for_each(records.rbegin(), records.rend(), move);
    } else {
        std::for_each(records.begin(), records.end(), move);
    }
    return RenderTouched(rect);
}

int UndoJournal::ApplyRecolourFile(const std::string& name, bool undo, UpdateRect& rect) {
    std::vector<IdRecord> records;
    const ResultCode read = ReadIdRecords(PathOf(name), true, records);
    if (read != Result::Success) {
        return read;
    }
    if (canvas->store) {
        for (const IdRecord& r : records) {
            if (!canvas->store->Contains(r.id)) {
                continue;
            }
            const float* colour = undo ? r.before : r.after;
            Metaball& m = canvas->store->records[static_cast<std::size_t>(r.id)];
            m.red = ClampUnit(colour[0]);
            m.green = ClampUnit(colour[1]);
            m.blue = ClampUnit(colour[2]);
            const UpdateRect bounds = canvas->MetaballBounds(r.id);
            if (bounds.valid) {
                rect.Union(bounds);
            }
        }
    }
    return RenderTouched(rect);
}

int UndoJournal::RestoreBackground(const std::string& name, UpdateRect& rect) {
    RasterImage scratch;
    {
        BlockReader in;
        const ResultCode opened = in.Open(PathOf(name));
        if (opened != Result::Success) {
            return opened;
        }
        // A background too large for the memory says so; every other failure is a failed read.
        const ResultCode read = ReadImageBlock(&in, scratch);
        if (read == Result::OutOfMemory) {
            return read;
        }
        if (read != Result::Success) {
            return Result::FileReadFailed;
        }
    }
    RasterImage& background = canvas->backgroundImage;
    if (scratch.bytesPerPixel == background.bytesPerPixel && !scratch.IsEmpty() && !background.IsEmpty()) {
        background.CopyOverlap(scratch);
    }
    rect = UpdateRect::Make(0, 0, canvas->width - 1, canvas->height - 1);
    canvas->Compose(rect);
    return Result::Success;
}

int UndoJournal::Undo(UpdateRect& rect) {
    if (position < 1 || !canvas) {
        return Result::NoData;
    }
    const UndoEntry e = entries[static_cast<std::size_t>(position)];
    int result = Result::Success;
    switch (e.kind) {
    case UndoAdd:
        result = ApplyIdsFile(e.idsFile, MetaballErased, rect);
        break;
    case UndoErase:
        result = ApplyIdsFile(e.idsFile, MetaballLive, rect);
        break;
    case UndoMove:
        result = ApplyMoveFile(e.idsFile, true, rect);
        break;
    case UndoRecolour:
        result = ApplyRecolourFile(e.idsFile, true, rect);
        break;
    case UndoBackground:
        // The background before this step is the one recorded by the nearest earlier background entry.
        for (std::int32_t i = position - 1; i >= 0; --i) {
            const std::string& earlier = entries[static_cast<std::size_t>(i)].backgroundFile;
            if (!earlier.empty()) {
                result = RestoreBackground(earlier, rect);
                break;
            }
        }
        break;
    default:
        break;
    }
    if (result < 0) {
        return result;
    }
    position -= 1;
    return e.kind;
}

int UndoJournal::Redo(UpdateRect& rect) {
    if (!CanRedo() || !canvas) {
        return Result::NoData;
    }
    const UndoEntry e = entries[static_cast<std::size_t>(position + 1)];
    int result = Result::Success;
    switch (e.kind) {
    case UndoAdd:
        result = ApplyIdsFile(e.idsFile, MetaballLive, rect);
        break;
    case UndoErase:
        result = ApplyIdsFile(e.idsFile, MetaballErased, rect);
        break;
    case UndoMove:
        result = ApplyMoveFile(e.idsFile, false, rect);
        break;
    case UndoRecolour:
        result = ApplyRecolourFile(e.idsFile, false, rect);
        break;
    case UndoBackground:
        if (!e.backgroundFile.empty()) {
            result = RestoreBackground(e.backgroundFile, rect);
        }
        break;
    default:
        break;
    }
    if (result < 0) {
        return result;
    }
    position += 1;
    return e.kind;
}
