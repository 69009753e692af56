// png_reader.h — reading a PNG back as packed RGB, top row first, for picture checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
    int                  width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// False when the file is missing or not a PNG.
bool ReadPng(const std::string& path, RgbPicture* picture);
