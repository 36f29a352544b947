#include "persistence/RecoveryStore.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "persistence/SafeFileWriter.h"

namespace {

namespace fs = std::filesystem;

constexpr char kCopyPrefix[] = "copy-";
constexpr char kDamagedPrefix[] = "damaged-";
constexpr char kDocumentExtension[] = ".mb";
constexpr char kOriginExtension[] = ".origin";
constexpr char kLockExtension[] = ".lock";

// "copy-P-T" of a file "copy-P-T.anything", or empty for a file of no program.
std::string GroupOf(const std::string& fileName) {
    if (fileName.rfind(kCopyPrefix, 0) != 0) {
        return {};
    }
    const std::size_t dot = fileName.find('.');
    if (dot == std::string::npos || dot == sizeof(kCopyPrefix) - 1) {
        return {};
    }
    return fileName.substr(0, dot);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(platform::PathFromUtf8(path), std::ios::binary);
    if (!in) {
        return {};
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

RecoveryStore::RecoveryStore(std::string folderPath, std::int64_t processId, std::int64_t startMillis)
    : folder(std::move(folderPath)),
      baseName(std::string(kCopyPrefix) + std::to_string(processId) + "-" + std::to_string(startMillis)) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
}

RecoveryStore::~RecoveryStore() {
    WaitForWrite();
}

std::string RecoveryStore::PathOf(const std::string& name) const {
    return folder + "/" + name;
}

std::string RecoveryStore::OwnCopyPath() const {
    return PathOf(baseName + kDocumentExtension);
}

bool RecoveryStore::MakeFolder() const {
    std::error_code error;
    fs::create_directories(platform::PathFromUtf8(folder), error);
    return fs::is_directory(platform::PathFromUtf8(folder), error);
}

bool RecoveryStore::TakeOwnLock() {
    if (ownLock.IsHeld()) {
        return true;
    }
    // The lock comes before the copy, so no starting program ever sees this copy without its lock held.
    return MakeFolder() && ownLock.TryLock(PathOf(baseName + kLockExtension));
}

void RecoveryStore::WriteOrigin(const std::string& base, const std::string& originalPath) const {
    const std::string path = PathOf(base + kOriginExtension);
    if (originalPath.empty()) {
        std::error_code error;
        fs::remove(platform::PathFromUtf8(path), error);
        return;
    }
    SafeFileWriter::WriteFile(path, originalPath.data(), originalPath.size());
}

bool RecoveryStore::BeginWrite(std::vector<std::uint8_t> document, std::string originalPath) {
    if (Writing()) {
        return false;
    }
    if (pending.valid()) {
        // A finished write whose result nobody took: a newer copy replaces it anyway.
        pending.get();
    }
    if (!TakeOwnLock()) {
        return false;
    }
    pending = std::async(
        std::launch::async, [this, document = std::move(document), originalPath = std::move(originalPath)] {
            // The origin first: a copy never names the file of an earlier painting.
            WriteOrigin(baseName, originalPath);
            return SafeFileWriter::WriteFile(OwnCopyPath(), document.data(), document.size());
        });
    return true;
}

bool RecoveryStore::Writing() const {
    return pending.valid() && pending.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

std::optional<ResultCode> RecoveryStore::TakeWriteResult() {
    if (!pending.valid() || Writing()) {
        return std::nullopt;
    }
    return pending.get();
}

ResultCode RecoveryStore::FinishWrite() {
    return pending.valid() ? pending.get() : Result::Success;
}

void RecoveryStore::WaitForWrite() {
    if (pending.valid()) {
        pending.wait();
    }
}

void RecoveryStore::DeleteOwnCopy() {
    WaitForWrite();
    if (pending.valid()) {
        pending.get();
    }
    if (!ownLock.IsHeld()) {
        return;
    }
    std::error_code error;
    fs::remove(platform::PathFromUtf8(OwnCopyPath()), error);
    fs::remove(platform::PathFromUtf8(PathOf(baseName + kOriginExtension)), error);
    ownLock.ReleaseAndRemove();
}

void RecoveryStore::RemoveGroup(const std::string& base, const std::string& keep) const {
    std::error_code error;
    fs::directory_iterator it(platform::PathFromUtf8(folder), error);
    const fs::directory_iterator end;
    std::vector<fs::path> doomed;
    while (!error && it != end) {
        const std::string name = it->path().filename().string();
        if (name != keep && name.rfind(base + ".", 0) == 0 && name != base + kLockExtension) {
            doomed.push_back(it->path());
        }
        it.increment(error);
    }
    for (const fs::path& path : doomed) {
        std::error_code itemError;
        fs::remove(path, itemError);
    }
}

std::vector<LeftCopy> RecoveryStore::ClaimLeftCopies() {
    std::vector<std::string> groups;
    std::error_code error;
    fs::directory_iterator it(platform::PathFromUtf8(folder), error);
    const fs::directory_iterator end;
    while (!error && it != end) {
        const std::string group = GroupOf(it->path().filename().string());
        if (!group.empty() && group != baseName &&
            std::find(groups.begin(), groups.end(), group) == groups.end()) {
            groups.push_back(group);
        }
        it.increment(error);
    }

    struct Found {
        LeftCopy copy;
        fs::file_time_type written;
    };
    std::vector<Found> found;
    for (const std::string& group : groups) {
        if (claims.count(group) != 0) {
            continue;
        }
        platform::FileLock lock;
        if (!lock.TryLock(PathOf(group + kLockExtension))) {
            continue; // its program is still running
        }
        const std::string document = PathOf(group + kDocumentExtension);
        std::error_code statError;
        const fs::file_time_type written = fs::last_write_time(platform::PathFromUtf8(document), statError);
        if (statError || !fs::is_regular_file(platform::PathFromUtf8(document), statError)) {
            // An ended program that never finished a copy: its lock and half-written files go.
            RemoveGroup(group);
            lock.ReleaseAndRemove();
            continue;
        }
        LeftCopy copy;
        copy.path = document;
        copy.baseName = group;
        copy.originalPath = ReadText(PathOf(group + kOriginExtension));
        found.push_back(Found{copy, written});
        claims.emplace(group, std::move(lock));
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.written != b.written) {
            return a.written > b.written;
        }
        return a.copy.baseName > b.copy.baseName;
    });
    std::vector<LeftCopy> result;
    result.reserve(found.size());
    for (Found& f : found) {
        result.push_back(std::move(f.copy));
    }
    return result;
}

void RecoveryStore::DeleteLeftCopy(const LeftCopy& copy) {
    const auto claim = claims.find(copy.baseName);
    if (claim == claims.end()) {
        return; // not ours to delete: its program may be running again
    }
    RemoveGroup(copy.baseName);
    claim->second.ReleaseAndRemove();
    claims.erase(claim);
}

std::string RecoveryStore::SetAside(const LeftCopy& copy) {
    const auto claim = claims.find(copy.baseName);
    if (claim == claims.end()) {
        return {};
    }
    const std::string rest = copy.baseName.substr(sizeof(kCopyPrefix) - 1);
    std::string target;
    std::error_code error;
    for (int n = 1; n < 1000; ++n) {
        const std::string stem = std::string(kDamagedPrefix) + rest + (n == 1 ? "" : "-" + std::to_string(n));
        if (!fs::exists(platform::PathFromUtf8(PathOf(stem + kDocumentExtension)), error)) {
            target = stem;
            break;
        }
    }
    if (target.empty()) {
        return {};
    }
    fs::rename(platform::PathFromUtf8(copy.path), platform::PathFromUtf8(PathOf(target + kDocumentExtension)), error);
    if (error) {
        // Left as it was; released, so it is offered again rather than lost.
        claim->second.Release();
        claims.erase(claim);
        return {};
    }
    std::error_code originError;
    fs::rename(platform::PathFromUtf8(PathOf(copy.baseName + kOriginExtension)),
               platform::PathFromUtf8(PathOf(target + kOriginExtension)), originError);
    RemoveGroup(copy.baseName);
    claim->second.ReleaseAndRemove();
    claims.erase(claim);
    return PathOf(target + kDocumentExtension);
}

ResultCode RecoveryStore::Adopt(const LeftCopy& copy, const std::string& originalPath) {
    const auto claim = claims.find(copy.baseName);
    if (claim == claims.end()) {
        return Result::FileOpenFailed;
    }
    if (!TakeOwnLock()) {
        return Result::FileOpenFailed;
    }
    WaitForWrite();
    WriteOrigin(baseName, originalPath);
    std::error_code error;
    fs::rename(platform::PathFromUtf8(copy.path), platform::PathFromUtf8(OwnCopyPath()), error);
    if (error) {
        return Result::FileWriteFailed;
    }
    RemoveGroup(copy.baseName);
    claim->second.ReleaseAndRemove();
    claims.erase(claim);
    return Result::Success;
}

void RecoveryStore::ReleaseClaims() {
    claims.clear();
}
