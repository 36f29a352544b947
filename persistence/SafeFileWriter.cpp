#include "persistence/SafeFileWriter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

std::optional<std::uint64_t>& CurrentWriteLimit() {
    static std::optional<std::uint64_t> limit;
    return limit;
}

std::atomic<unsigned> temporaryCounter{0};

// The file a save really replaces: a symbolic link keeps pointing at the new contents.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string result(resolved);
            std::free(resolved);
            return result;
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
        const std::string candidate = target + ".~" + std::to_string(::getpid()) + "-" +
                                      std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            descriptor = fd;
            temporary = candidate;
            // A replaced file keeps its permissions.
            struct stat info {};
            if (::stat(target.c_str(), &info) == 0) {
                ::fchmod(fd, info.st_mode & 07777);
            }
            return Result::Success;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return Result::FileOpenFailed;
}

ResultCode SafeFileWriter::Write(const void* bytes, std::size_t count) {
    if (descriptor < 0 || failed) {
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
        const ssize_t n = ::write(descriptor, p, std::min<std::size_t>(remaining, SSIZE_MAX));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failed = true;
            break;
        }
        if (n == 0) {
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
    if (descriptor < 0 || failed) {
        Discard();
        return Result::FileWriteFailed;
    }
    const bool synced = ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    descriptor = -1;
    if (!synced || !closed || std::rename(temporary.c_str(), target.c_str()) != 0) {
        Discard();
        return Result::FileWriteFailed;
    }
    temporary.clear();
    return Result::Success;
}

void SafeFileWriter::Discard() {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
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
