// mapped_file_win32.cpp — read-only whole-file mapping over the Win32 file and mapping
// services. A wide name goes to the system as it is, so any name Windows can hold opens.
#include "platform/platform.h"

#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

int PlatOpenMappedFile(const char* utf8Name, const wchar_t* wideName, PlatMappedFile* file) {
    HANDLE handle = wideName ? CreateFileW(wideName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                             : CreateFileA(utf8Name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    // The mapping fails for an empty file; a folder does not open without backup
    // semantics, and no other kind of file maps.
    LARGE_INTEGER size;
    HANDLE mapping = GetFileSizeEx(handle, &size) && size.QuadPart > 0
                         ? CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr)
                         : nullptr;
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) {
        if (mapping) CloseHandle(mapping);
        CloseHandle(handle);
        return 0;
    }
    file->file    = reinterpret_cast<intptr_t>(handle);
    file->mapping = reinterpret_cast<intptr_t>(mapping);
    file->data    = static_cast<const uint8_t*>(view);
    file->size    = static_cast<size_t>(size.QuadPart);
    return 1;
}

void PlatCloseMappedFile(PlatMappedFile* file) {
    UnmapViewOfFile(file->data);
    CloseHandle(reinterpret_cast<HANDLE>(file->mapping));
    CloseHandle(reinterpret_cast<HANDLE>(file->file));
    file->file    = 0;
    file->mapping = 0;
    file->data    = nullptr;
    file->size    = 0;
}
