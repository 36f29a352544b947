#pragma once
// The few file operations that differ between Windows and the POSIX systems, behind one interface.
// Every file name the program passes around is UTF-8 text; on Windows it reaches the wide-character
// functions, so Japanese folder and file names work there as they do on Linux. Nothing outside
// PlatformFile.cpp needs to know which system it runs on.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// A path from UTF-8 text, and back. (A path built from a plain std::string would take the text in
// the local code page on Windows.)
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen for a UTF-8 name.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// A file being written through the system's own handle, so that it can be flushed to the disc
// before it replaces another file.
class NativeFile {
public:
    enum class Created { Yes, AlreadyExists, Failed };

    NativeFile() = default;
    ~NativeFile() { Close(); }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // Creates a new file for writing; never opens a file that is already there.
    Created CreateNew(const std::string& utf8Path);
    bool IsOpen() const { return handle != kNone; }
    // Writes some of the bytes: how many, or -1 on a failure.
    std::int64_t WriteSome(const void* bytes, std::size_t count);
    // Waits until everything written is on the disc.
    bool FlushToDisk();
    // False when the system reports a failure on closing (written data may be lost).
    bool Close();
    // Gives the open file the access rights of an existing file, where the system has such rights.
    void CopyPermissionsFrom(const std::string& utf8Path);

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle = kNone;
};

// Puts `from` in the place of `to` in one step, replacing a file that is there; false when `to` is
// a folder or the move is impossible (then both stay as they were).
bool MoveOver(const std::string& fromUtf8, const std::string& toUtf8);
bool RemoveFile(const std::string& utf8Path);
unsigned long CurrentProcessId();

// An exclusive lock on a file, held by this object until it is released or destroyed, and by the
// system for as long as the program runs: a program that stops for any reason leaves no lock behind.
// A second lock on the same file fails, even in the same program.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Creates the file if needed and takes its lock without waiting; false when it is held elsewhere
    // (another program, or another FileLock of this one) or the file cannot be opened.
    bool TryLock(const std::string& utf8Path);
    // Lets the lock go; the file stays.
    void Release();
    // Deletes the lock file while still holding it, so nobody takes a file about to disappear, then
    // lets the lock go.
    void ReleaseAndRemove();
    bool IsHeld() const { return handle != kNone; }
    const std::string& Path() const { return path; }

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle = kNone;
    std::string path;
};

// The command line as UTF-8 text, the program's name first. On Windows argv holds the local code
// page, which cannot spell most Japanese names, so the wide command line is read instead.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// The command line as main() takes it, with UTF-8 texts: a tool replaces its own argc and argv with
// Count() and Values() so that the file names it is given work on every system.
class Utf8CommandLine {
public:
    Utf8CommandLine(int argc, char** argv) : texts(Utf8Arguments(argc, argv)) {
        for (std::string& text : texts) {
            pointers.push_back(text.data());
        }
        pointers.push_back(nullptr);
    }
    Utf8CommandLine(const Utf8CommandLine&) = delete;
    Utf8CommandLine& operator=(const Utf8CommandLine&) = delete;

    int Count() const { return static_cast<int>(texts.size()); }
    char** Values() { return pointers.data(); }

private:
    std::vector<std::string> texts;
    std::vector<char*> pointers;
};

} // namespace platform
