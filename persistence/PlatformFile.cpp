#include "persistence/PlatformFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#ifdef _WIN32

namespace {

HANDLE AsHandle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t FromHandle(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

std::wstring Wide(const std::string& utf8) {
    return PathFromUtf8(utf8).wstring();
}

std::string Utf8FromWide(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return std::string();
    }
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

} // namespace

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    const std::string modeText(mode);
    return ::_wfopen(Wide(utf8Path).c_str(), std::wstring(modeText.begin(), modeText.end()).c_str());
}

NativeFile::Created NativeFile::CreateNew(const std::string& utf8Path) {
    Close();
    const HANDLE h = ::CreateFileW(Wide(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Created::AlreadyExists
                                                                           : Created::Failed;
    }
    handle = FromHandle(h);
    return Created::Yes;
}

std::int64_t NativeFile::WriteSome(const void* bytes, std::size_t count) {
    if (!IsOpen()) {
        return -1;
    }
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!::WriteFile(AsHandle(handle), bytes, chunk, &done, nullptr)) {
        return -1;
    }
    return static_cast<std::int64_t>(done);
}

bool NativeFile::FlushToDisk() {
    return IsOpen() && ::FlushFileBuffers(AsHandle(handle)) != 0;
}

bool NativeFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    const bool closed = ::CloseHandle(AsHandle(handle)) != 0;
    handle = kNone;
    return closed;
}

void NativeFile::CopyPermissionsFrom(const std::string&) {
    // A new file takes the access rights of its folder, as the file it replaces did.
}

bool MoveOver(const std::string& fromUtf8, const std::string& toUtf8) {
    return ::MoveFileExW(Wide(fromUtf8).c_str(), Wide(toUtf8).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& utf8Path) {
    return ::DeleteFileW(Wide(utf8Path).c_str()) != 0;
}

unsigned long CurrentProcessId() {
    return ::GetCurrentProcessId();
}

bool FileLock::TryLock(const std::string& utf8Path) {
    Release();
    const HANDLE h = ::CreateFileW(Wide(utf8Path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    OVERLAPPED whole{};
    if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        ::CloseHandle(h);
        return false;
    }
    handle = FromHandle(h);
    path = utf8Path;
    return true;
}

void FileLock::Release() {
    if (IsHeld()) {
        // Closing the handle gives the lock up.
        ::CloseHandle(AsHandle(handle));
        handle = kNone;
    }
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) {
            arguments.push_back(Utf8FromWide(wide[i]));
        }
        ::LocalFree(wide);
    }
    if (static_cast<int>(arguments.size()) != argc) {
        // Not the command line this program was given (a host passed argv itself): keep argv.
        arguments.assign(argv, argv + argc);
    }
    return arguments;
}

#else

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    return std::fopen(utf8Path.c_str(), mode);
}

NativeFile::Created NativeFile::CreateNew(const std::string& utf8Path) {
    Close();
    const int fd = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EEXIST ? Created::AlreadyExists : Created::Failed;
    }
    handle = fd;
    return Created::Yes;
}

std::int64_t NativeFile::WriteSome(const void* bytes, std::size_t count) {
    if (!IsOpen()) {
        return -1;
    }
    for (;;) {
        const ssize_t n = ::write(static_cast<int>(handle), bytes, std::min<std::size_t>(count, SSIZE_MAX));
        if (n >= 0) {
            return n;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

bool NativeFile::FlushToDisk() {
    return IsOpen() && ::fsync(static_cast<int>(handle)) == 0;
}

bool NativeFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    const bool closed = ::close(static_cast<int>(handle)) == 0;
    handle = kNone;
    return closed;
}

void NativeFile::CopyPermissionsFrom(const std::string& utf8Path) {
    struct stat info {};
    if (IsOpen() && ::stat(utf8Path.c_str(), &info) == 0) {
        ::fchmod(static_cast<int>(handle), info.st_mode & 07777);
    }
}

bool MoveOver(const std::string& fromUtf8, const std::string& toUtf8) {
    return std::rename(fromUtf8.c_str(), toUtf8.c_str()) == 0;
}

bool RemoveFile(const std::string& utf8Path) {
    return ::unlink(utf8Path.c_str()) == 0;
}

unsigned long CurrentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool FileLock::TryLock(const std::string& utf8Path) {
    Release();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(utf8Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        // flock belongs to the open file, so a second FileLock of the same program is refused as well.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        // A holder that removed the file between our open and our lock leaves us holding a file nobody
        // else can see; open it again.
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(utf8Path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            handle = fd;
            path = utf8Path;
            return true;
        }
        ::close(fd);
    }
    return false;
}

void FileLock::Release() {
    if (IsHeld()) {
        // Closing the descriptor gives the lock up.
        ::close(static_cast<int>(handle));
        handle = kNone;
    }
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

#endif

FileLock::FileLock(FileLock&& other) noexcept
    : handle(other.handle), path(std::move(other.path)) {
    other.handle = kNone;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle = other.handle;
        path = std::move(other.path);
        other.handle = kNone;
    }
    return *this;
}

void FileLock::ReleaseAndRemove() {
    if (IsHeld()) {
        RemoveFile(path);
    }
    Release();
}

} // namespace platform
