#include "persistence/SafeFileWriter.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "persistence/PlatformFile.h"

namespace {

std::optional<std::uint64_t>& CurrentWriteLimit() {
    static std::optional<std::uint64_t> limit;
    return limit;
}

std::atomic<unsigned> temporaryCounter{0};

// The file a save really replaces: a symbolic link keeps pointing at the new contents.
std::string ResolveTarget(const std::string& path) {
    const std::filesystem::path name = platform::PathFromUtf8(path);
    std::error_code error;
    if (std::filesystem::is_symlink(name, error)) {
        const std::filesystem::path resolved = std::filesystem::canonical(name, error);
        if (!error) {
            return platform::Utf8FromPath(resolved);
        }
    }
    return path;
}

} // namespace

SafeFileWriter::ScopedWriteLimit::ScopedWriteLimit(std::uint64_t bytes) : previous(CurrentWriteLimit()) {
    CurrentWriteLimit() = bytes;
}

SafeFileWriter::ScopedWriteLimit::~ScopedWriteLimit() {
    CurrentWriteLimit() = previous;
}

SafeFileWriter::SafeFileWriter(std::string path) : target(std::move(path)) {}

SafeFileWriter::~SafeFileWriter() {
    Discard();
}

ResultCode SafeFileWriter::Open() {
    Discard();
    failed = false;
    written = 0;
    limit = CurrentWriteLimit();
    if (target.empty()) {
        return Result::FileOpenFailed;
    }
    target = ResolveTarget(target);
    // The temporary file sits in the target's folder so the final rename never crosses file systems.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = target + ".~" + std::to_string(platform::CurrentProcessId()) + "-" +
                                      std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        const platform::NativeFile::Created created = file.CreateNew(candidate);
        if (created == platform::NativeFile::Created::Yes) {
            temporary = candidate;
            // A replaced file keeps its permissions.
            file.CopyPermissionsFrom(target);
            return Result::Success;
        }
        if (created != platform::NativeFile::Created::AlreadyExists) {
            break;
        }
    }
    return Result::FileOpenFailed;
}

ResultCode SafeFileWriter::Write(const void* bytes, std::size_t count) {
    if (!file.IsOpen() || failed) {
        failed = true;
        return Result::FileWriteFailed;
    }
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::size_t remaining = count;
    if (limit && written + remaining > *limit) {
        // Simulated full disc: write what fits, then fail.
        remaining = static_cast<std::size_t>(*limit - std::min(*limit, written));
        failed = true;
    }
    while (remaining > 0) {
        const std::int64_t n = file.WriteSome(p, remaining);
        if (n <= 0) {
            failed = true;
            break;
        }
        p += n;
        remaining -= static_cast<std::size_t>(n);
        written += static_cast<std::uint64_t>(n);
    }
    return failed ? Result::FileWriteFailed : Result::Success;
}

ResultCode SafeFileWriter::Commit() {
    if (!file.IsOpen() || failed) {
        Discard();
        return Result::FileWriteFailed;
    }
    const bool synced = file.FlushToDisk();
    const bool closed = file.Close();
    if (!synced || !closed || !platform::MoveOver(temporary, target)) {
        Discard();
        return Result::FileWriteFailed;
    }
    temporary.clear();
    return Result::Success;
}

void SafeFileWriter::Discard() {
    file.Close();
    if (!temporary.empty()) {
        platform::RemoveFile(temporary);
        temporary.clear();
    }
}

ResultCode SafeFileWriter::WriteFile(const std::string& path, const void* bytes, std::size_t count) {
    SafeFileWriter writer(path);
    ResultCode rc = writer.Open();
    if (rc != Result::Success) {
        return rc;
    }
    rc = writer.Write(bytes, count);
    if (rc != Result::Success) {
        return rc;
    }
    return writer.Commit();
}
