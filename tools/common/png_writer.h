// png_writer.h — writes packed RGB pictures as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds width * height pixels, top row first. Returns false when the file cannot
// be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
