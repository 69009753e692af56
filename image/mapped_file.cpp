// mapped_file.cpp — read-only file mapping over POSIX open and mmap.
#include "image/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenMappedFile(const char* path, MappedFile* file) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
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
    file->fd   = fd;
    file->data = static_cast<const uint8_t*>(view);
    file->size = size;
    return 1;
}

void CloseMappedFile(MappedFile* file) {
    munmap(const_cast<uint8_t*>(file->data), file->size);
    close(file->fd);
    file->fd   = -1;
    file->data = nullptr;
    file->size = 0;
}
