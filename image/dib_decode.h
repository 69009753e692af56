// dib_decode.h — decoding a BMP file (or a bare bitmap without the file header) that is
// already in memory. The file reader and the fuzzer share it; it shows no messages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/dib_reader.h"

enum class DibStatus {
    ok,
    unknownFormat,     // the bitmap header is missing or of a kind other than 12 or 40 bytes
    conversionError,   // a depth or compression not converted, or bits the file does not hold
    outOfMemory,
};

// Decodes `size` bytes at `data`. On success stores an image owned by the caller
// (release it with FreeRgbImage); otherwise stores null.
DibStatus DecodeDib(const uint8_t* data, size_t size, RgbImage** image);

// The message the reader shows for a failed status ("" for ok).
const char* DibStatusMessage(DibStatus status);
