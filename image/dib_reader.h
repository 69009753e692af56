// dib_reader.h — reading BMP (device-independent bitmap) files into packed RGB.
#pragma once

#include <cstdint>

struct RgbImage {
    int32_t  width;
    int32_t  height;
    uint8_t* pixels;   // width * 3 bytes per row, rows packed, bottom row first
};

// Returns an image owned by the caller (release it with FreeRgbImage), or null after
// showing one message.
RgbImage* ReadDibImage(const char* fileName);
void      FreeRgbImage(RgbImage* image);

uint16_t CountDibColors(const uint8_t* bitmapHeader);
