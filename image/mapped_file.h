// mapped_file.h — a whole file mapped read-only into memory, the form in which the BMP
// reader sees its input.
#pragma once

#include <cstddef>
#include <cstdint>

struct MappedFile {
    int            fd;
    const uint8_t* data;
    size_t         size;
};

// Opens and maps the file. Returns 0, with nothing left open, when the file cannot be
// opened or mapped; an empty file or anything but a regular file cannot be mapped.
int OpenMappedFile(const char* path, MappedFile* file);

// Unmaps the view, then closes the file.
void CloseMappedFile(MappedFile* file);
