// texture.cpp — turning BMP files into GL textures, optionally with an alpha channel
// derived from brightness.
#include "image/texture.h"

#include <GL/gl.h>

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void UploadLevelZero(GLenum target, const RgbImage* image, GLint components, GLenum format, const void* pixels) {
    if (target == GL_TEXTURE_1D)
        glTexImage1D(GL_TEXTURE_1D, 0, components, image->width, 0, format, GL_UNSIGNED_BYTE, pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, components, image->width, image->height, 0, format, GL_UNSIGNED_BYTE,
                     pixels);
}

// Packed RGB rows that are not a multiple of 4 bytes long would have GL, at its default
// unpack alignment, read past each row's end; such rows go up byte-aligned.
void UploadRgb(GLenum target, const RgbImage* image) {
    bool unaligned = (static_cast<uint64_t>(image->width) * 3) % 4 != 0;
    GLint saved    = 4;
    if (unaligned) {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    UploadLevelZero(target, image, 3, GL_RGB, image->pixels);
    if (unaligned) glPixelStorei(GL_UNPACK_ALIGNMENT, saved);
}

}  // namespace

RgbImage* LoadImageFile(const char* fileName) {
    if (!fileName) return nullptr;
    std::FILE* file = std::fopen(fileName, "r");
    if (!file) return nullptr;
    std::fclose(file);
    return ReadDibImage(fileName);
}

uint8_t* BuildRgbaPixels(const RgbImage* image) {
    assert(image->width > 0 && image->height > 0);
    size_t count, bytes;
    if (__builtin_mul_overflow(static_cast<size_t>(image->width), static_cast<size_t>(image->height), &count) ||
        __builtin_mul_overflow(count, size_t{4}, &bytes) || bytes > PTRDIFF_MAX)
        return nullptr;
    uint8_t* rgba = static_cast<uint8_t*>(std::malloc(bytes));
    if (!rgba) return nullptr;
    const uint8_t* src = image->pixels;
    uint8_t*       dst = rgba;
    for (size_t i = 0; i < count; ++i, src += 3, dst += 4) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = static_cast<uint8_t>((src[0] + src[1] + src[2]) / 3);
    }
    return rgba;
}

uint32_t MakeTexture(TextureDesc desc) {
    RgbImage* image = LoadImageFile(desc.fileName);
    if (!image) return 0;
    // The RGBA block is had before any GL call, so that a failure leaves no texture.
    uint8_t* rgba = nullptr;
    if (desc.makeAlpha) {
        rgba = BuildRgbaPixels(image);
        if (!rgba) {
            FreeRgbImage(image);
            return 0;
        }
    }

    GLenum target = image->height == 1 ? GL_TEXTURE_1D : GL_TEXTURE_2D;
    GLuint name   = 0;
    glGenTextures(1, &name);
    glBindTexture(target, name);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, desc.magFilter);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, desc.minFilter);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, desc.wrapMode);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, desc.wrapMode);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (rgba)
        UploadLevelZero(target, image, 4, GL_RGBA, rgba);
    else
        UploadRgb(target, image);

    std::free(rgba);
    FreeRgbImage(image);
    return name;
}
