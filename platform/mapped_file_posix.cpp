// mapped_file_posix.cpp — read-only whole-file mapping over POSIX open and mmap. Names
// are UTF-8 here, so a wide name has already been converted by the caller.
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int PlatOpenMappedFile(const char* utf8Name, const wchar_t*, PlatMappedFile* file) {
    int fd = open(utf8Name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        close(fd);
        return 0;
    }
    size_t size = static_cast<size_t>(info.st_size);
    void*  view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
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
    munmap(const_cast<uint8_t*>(file->data), file->size);
    close(static_cast<int>(file->file));
    file->file = -1;
    file->data = nullptr;
    file->size = 0;
}
