// png_reader.cpp — PNG reading through the single-header stb decoder.
#include "tests/support/png_reader.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

bool ReadPng(const std::string& path, RgbPicture* picture, std::string* error) {
    int      channels = 0;
    stbi_uc* data     = stbi_load(path.c_str(), &picture->width, &picture->height, &channels, 3);
    if (!data) {
        if (error) *error = path + ": " + stbi_failure_reason();
        return false;
    }
    picture->rgb.assign(data, data + static_cast<size_t>(picture->width) * picture->height * 3);
    stbi_image_free(data);
    return true;
}
