#include "persistence/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

FileLock::FileLock(FileLock&& other) noexcept
    : descriptor(std::exchange(other.descriptor, -1)), path(std::move(other.path)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        descriptor = std::exchange(other.descriptor, -1);
        path = std::move(other.path);
    }
    return *this;
}

bool FileLock::TryTake(const std::string& lockPath) {
    Release();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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
        if (::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            descriptor = fd;
            path = lockPath;
            return true;
        }
        ::close(fd);
    }
    return false;
}

void FileLock::Release() {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

void FileLock::ReleaseAndRemove() {
    if (descriptor >= 0) {
        // Removed while still held, so nobody takes a file that is about to disappear.
        ::unlink(path.c_str());
    }
    Release();
}
