#pragma once
// A lock file held while the program runs. Another running program cannot take it, and it is free again
// the moment its holder ends, however it ends (the system drops the lock with the process), so a free
// lock beside a file means that nobody is using that file any more.

#include <string>

class FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Creates the lock file when it is missing and takes it without waiting; false when another holder
    // (another program, or another FileLock of this one) has it, or the file cannot be made.
    bool TryTake(const std::string& path);
    // Lets the lock go; the file stays.
    void Release();
    // Deletes the lock file, then lets the lock go.
    void ReleaseAndRemove();

    bool Held() const { return descriptor >= 0; }
    const std::string& Path() const { return path; }

private:
    int descriptor = -1;
    std::string path;
};
