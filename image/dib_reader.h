// dib_reader.h — reading BMP (device-independent bitmap) files into packed RGB.
#pragma once

#include <cstdint>

struct RgbImage {
    int32_t  width;
    int32_t  height;
    uint8_t* pixels;   // width * 3 bytes per row, rows packed, bottom row first
};

// Reads a BMP file, with or without its 14-byte file header, with a 12-byte core or a
// 40-byte info header. `fileName` points to a narrow (char) name, or to a wide (wchar_t)
// name when `wideName` is true. Returns an image owned by the caller (release it with
// FreeRgbImage), or null after showing one message box, captioned "Error" and owned by
// the focus window. The height is always positive: top-down files are turned over.
RgbImage* ReadDibImage(const void* fileName, bool wideName);

// The narrow form.
RgbImage* ReadDibImage(const char* fileName);

void FreeRgbImage(RgbImage* image);

// The number of colour-table entries a bitmap header implies. The header must be
// complete: 12 bytes for a core header, 40 for any other.
uint16_t CountDibColors(const uint8_t* bitmapHeader);
