// dib_reader.cpp — reading BMP files into packed RGB images.
#include "image/dib_reader.h"

#include <cstdlib>

RgbImage* ReadDibImage(const char*) { return nullptr; }

void FreeRgbImage(RgbImage* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image);
}

uint16_t CountDibColors(const uint8_t*) { return 0; }
