#pragma once
// The recovery folder: while a painting has unsaved changes the program keeps a copy of it there as a
// paint document, so that a crash, a killed process or a power cut loses nothing. Each running program
// owns one copy, named after its process id and start time, beside a lock file it holds while it runs.
// A copy whose lock is free was left by a program that ended without cleaning up, and the next start
// offers it back.
//
// Folder layout, for a program with process id P started at T (milliseconds since 1970):
//   copy-P-T.mb      the painting
//   copy-P-T.origin  the file the painting came from (UTF-8 path), when it came from one
//   copy-P-T.lock    held by the running program
//   damaged-P-T.mb   a copy that could not be opened, kept aside rather than deleted

#include <cstdint>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/ResultCode.h"
#include "persistence/PlatformFile.h"

// A copy left by a program that is no longer running.
struct LeftCopy {
    std::string path;         // the copy's paint document
    std::string originalPath; // the file its painting came from, or empty
    std::string baseName;     // "copy-P-T"
};

class RecoveryStore {
public:
    RecoveryStore(std::string folder, std::int64_t processId, std::int64_t startMillis);
    // Waits for a write under way. The program's own copy stays: a program that ends without deleting
    // it had unsaved changes, and the next start offers them.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    const std::string& Folder() const { return folder; }
    const std::string& BaseName() const { return baseName; }
    std::string OwnCopyPath() const;

    // ---- The program's own copy ----

    // Starts writing `document` (a whole paint document) as the own copy on a worker thread, through
    // the same atomic writer as every save, so a copy is always whole. The folder and the lock are made
    // first, here. False when a write is still under way (the caller tries again later) or the folder
    // or the lock cannot be made.
    bool BeginWrite(std::vector<std::uint8_t> document, std::string originalPath);
    bool Writing() const;
    // The result of a finished write, once; nothing while a write is under way or none was started.
    std::optional<ResultCode> TakeWriteResult();
    // Waits for a write under way and gives its result (0 when there was none).
    ResultCode FinishWrite();
    // The copy is no longer needed: waits for a write under way, deletes the copy, its origin and its
    // lock.
    void DeleteOwnCopy();

    // ---- Copies left by programs no longer running ----

    // Newest first (by the time the copy was written). Each is claimed, its lock taken, so that a
    // second program starting at the same moment does not offer it too; remains of an ended program
    // without a copy (a lock, an unfinished temporary file) are removed on the way.
    std::vector<LeftCopy> ClaimLeftCopies();
    // Deletes a claimed copy with everything that belongs to it.
    void DeleteLeftCopy(const LeftCopy& copy);
    // Keeps a claimed copy that cannot be opened aside as "damaged-…", so it is not offered again and
    // nothing is destroyed; the new path, or empty when renaming failed.
    std::string SetAside(const LeftCopy& copy);
    // Takes over a claimed copy as this program's own copy (its painting is now this program's), with
    // `originalPath` as its origin; the left copy's other files are removed. 0, or -11/-13 when the
    // copy could not be moved (it then stays where it was).
    ResultCode Adopt(const LeftCopy& copy, const std::string& originalPath);
    // Lets go of the copies claimed and not dealt with; they are offered again at the next start.
    void ReleaseClaims();

private:
    std::string PathOf(const std::string& name) const;
    bool MakeFolder() const;
    bool TakeOwnLock();
    void WaitForWrite();
    void RemoveGroup(const std::string& base, const std::string& keep = {}) const;
    void WriteOrigin(const std::string& base, const std::string& originalPath) const;

    std::string folder;
    std::string baseName;
    platform::FileLock ownLock;
    std::future<ResultCode> pending;
    std::map<std::string, platform::FileLock> claims; // by base name
};
