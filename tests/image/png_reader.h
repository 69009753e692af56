// png_reader.h — just enough of a PNG decoder for the corpus's reference pictures:
// grey, RGB and palette images of 1 to 8 bits per sample, not interlaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngPicture {
    int                  width  = 0;
    int                  height = 0;
    std::vector<uint8_t> rgb;   // packed, top row first
};

// Returns false and fills `error` for a file it cannot read or a kind it does not take.
bool ReadPng(const std::string& path, PngPicture* picture, std::string* error);
