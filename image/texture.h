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

// Reads the file when it exists and can be opened for reading; a missing file gives
// null without any message.
RgbImage* LoadImageFile(const char* fileName);

// Makes one texture (1D for an image of one row, else 2D) from the described file and
// returns its name, or 0 with no GL call when no image could be had. Needs a current
// GL context.
uint32_t MakeTexture(TextureDesc desc);

// The image's pixels with an alpha byte (r + g + b) / 3 after each pixel, in a block the
// caller frees; null when the block cannot be had.
uint8_t* BuildRgbaPixels(const RgbImage* image);
