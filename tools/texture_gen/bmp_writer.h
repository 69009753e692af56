// bmp_writer.h — writes pictures as BMP files in the header kinds and depths the viewer's
// reader takes: 24-bit or 8-bit with a palette, an info or a core header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int                  width  = 0;
    int                  height = 0;
    std::vector<uint8_t> rgb;  // red, green, blue per pixel, bottom row first

    uint8_t* At(int x, int y) { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

enum class BmpHeader { Info, Core };

// A 24-bit file.
bool WriteBmp24(const std::string& path, const Picture& picture, BmpHeader header);

// An 8-bit file: every pixel is replaced by the nearest of up to 256 palette colours,
// chosen from the picture itself.
bool WriteBmp8(const std::string& path, const Picture& picture, BmpHeader header);
