#pragma once
// Writes a file so that a failed save never destroys the file it replaces: the bytes go to a temporary
// file in the same folder, which is renamed over the target only after every write, the flush and the
// close succeeded. A writer that is destroyed without a successful Commit removes its temporary file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/ResultCode.h"
#include "persistence/PlatformFile.h"

class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string path);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file beside the target; -11 when that is impossible.
    ResultCode Open();
    // Appends bytes; -13 when they cannot all be written. After a failure every later write and the
    // commit fail too, so callers may check only the last result.
    ResultCode Write(const void* bytes, std::size_t count);
    // Flushes, closes and renames the temporary file over the target; -13 on any failure, in which
    // case the target is untouched and the temporary file removed.
    ResultCode Commit();
    // Abandons the save: removes the temporary file and leaves the target untouched.
    void Discard();

    bool IsOpen() const { return file.IsOpen(); }
    std::uint64_t BytesWritten() const { return written; }
    const std::string& TargetPath() const { return target; }
    const std::string& TemporaryPath() const { return temporary; }

    // Writes a whole file in one go: Open, Write, Commit.
    static ResultCode WriteFile(const std::string& path, const void* bytes, std::size_t count);

    // Test seam: while a limit is set, every writer opened after it fails its writes once it has
    // written that many bytes, as a full disc would.
    class ScopedWriteLimit {
    public:
        explicit ScopedWriteLimit(std::uint64_t bytes);
        ~ScopedWriteLimit();
        ScopedWriteLimit(const ScopedWriteLimit&) = delete;
        ScopedWriteLimit& operator=(const ScopedWriteLimit&) = delete;

    private:
        std::optional<std::uint64_t> previous;
    };

private:
    std::string target;
    std::string temporary;
    platform::NativeFile file;
    std::uint64_t written = 0;
    std::optional<std::uint64_t> limit;
    bool failed = false;
};
