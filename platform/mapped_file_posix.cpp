// mapped_file_posix.cpp — a whole file, read-only, over POSIX: small files are read
// into memory, larger ones mapped. Names are UTF-8 here, so a wide name has already
// been converted by the caller.
//
// Removing a mapping makes the kernel flush the TLB of every core the process ran on,
// which costs more than copying a texture-sized file; a mapping pays off only where
// the copy would be large.
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

constexpr size_t   kReadBelow  = 1u << 20;
constexpr intptr_t kReadCopy   = 1;   // `mapping` of a file read into memory

bool ReadWhole(int fd, uint8_t* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;   // an error, or the file shrank
        done += static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

int PlatOpenMappedFile(const char* utf8Name, const wchar_t*, PlatMappedFile* file) {
    int fd = open(utf8Name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        close(fd);
        return 0;
    }
    const size_t size = static_cast<size_t>(info.st_size);
    if (size < kReadBelow) {
        auto* copy = static_cast<uint8_t*>(std::malloc(size));
        const bool read = copy && ReadWhole(fd, copy, size);
        close(fd);
        if (!read) {
            std::free(copy);
            return 0;
        }
        file->file    = -1;
        file->mapping = kReadCopy;
        file->data    = copy;
        file->size    = size;
        return 1;
    }
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED) {
        close(fd);
        return 0;
    }
    file->file    = fd;
    file->mapping = 0;
    file->data    = static_cast<const uint8_t*>(view);
    file->size    = size;
    return 1;
}

void PlatCloseMappedFile(PlatMappedFile* file) {
    if (file->mapping == kReadCopy) {
        std::free(const_cast<uint8_t*>(file->data));
    } else {
        munmap(const_cast<uint8_t*>(file->data), file->size);
        close(static_cast<int>(file->file));
    }
    file->file    = -1;
    file->mapping = 0;
    file->data    = nullptr;
    file->size    = 0;
}
