// png_reader.h — reading a PNG back as packed RGB, top row first, for picture checks:
// the snapshot references and the public BMP corpus's reference pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
    int                  width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// False, with the reason in `error` where one is asked for, when the file is missing or
// no PNG the decoder takes.
bool ReadPng(const std::string& path, RgbPicture* picture, std::string* error = nullptr);
