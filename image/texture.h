// texture.h — turning BMP files into GL textures.
#pragma once

#include <cstdint>

#include "image/dib_reader.h"

struct TextureDesc {
    const char* fileName;
    uint8_t     makeAlpha;
    int32_t     minFilter;
    int32_t     magFilter;
    int32_t     wrapMode;
};

RgbImage* LoadImageFile(const char* fileName);
uint32_t  MakeTexture(TextureDesc desc);
