// dib_reader.cpp — reading BMP files into packed RGB images: the file is mapped
// read-only, decoded, and every failure ends in exactly one message.
#include "image/dib_reader.h"

#include <cassert>
#include <cstdlib>

#include "image/dib_decode.h"
#include "image/dib_names.h"
#include "platform/platform.h"

namespace {

void ShowReadError(const char* text) { PlatMessageBox(PlatGetFocus(), text, "Error", MB_OK); }

}  // namespace

RgbImage* ReadDibImage(const void* fileName, bool wideName) {
    assert(fileName);
    const char* path      = static_cast<const char*>(fileName);
    char*       converted = nullptr;
    bool        openable  = true;
    if (wideName) {
        converted = ConvertWideName(static_cast<const wchar_t*>(fileName), &openable);
        if (!converted) {
            ShowReadError(DibStatusMessage(DibStatus::outOfMemory));
            return nullptr;
        }
        path = converted;
    }

    RgbImage*      image = nullptr;
    PlatMappedFile file;
    const wchar_t* wide = wideName ? static_cast<const wchar_t*>(fileName) : nullptr;
    if (openable && PlatOpenMappedFile(path, wide, &file)) {
        DibStatus status = DecodeDib(file.data, file.size, &image);
        if (status != DibStatus::ok) ShowReadError(DibStatusMessage(status));
        PlatCloseMappedFile(&file);
    } else {
        char message[kOpenMessageSize];
        FormatOpenFailure(path, message);
        ShowReadError(message);
    }
    std::free(converted);
    return image;
}

RgbImage* ReadDibImage(const char* fileName) { return ReadDibImage(fileName, false); }
