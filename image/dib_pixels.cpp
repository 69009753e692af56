// dib_pixels.cpp — the pixel conversions of the BMP reader. Rows are converted straight
// into the output picture; no intermediate bitmap is made.
#include "image/dib_pixels.h"

#include <bit>
#include <cstring>

namespace {

// Stores the first three bytes of a 4-byte group. Within a row every pixel but the
// last is stored with one 4-byte write whose spare byte the next pixel overwrites.
inline void StoreRgbx(uint8_t* dst, const uint8_t* rgbx) { std::memcpy(dst, rgbx, 4); }
inline void StoreRgb(uint8_t* dst, const uint8_t* rgbx) { std::memcpy(dst, rgbx, 3); }

inline uint32_t LoadU32(const uint8_t* src) {
    uint32_t v;
    std::memcpy(&v, src, 4);
    return v;
}

uint8_t WidenChannel(uint32_t pixel, const DibChannel& channel) {
    uint32_t v = (pixel & channel.mask) >> channel.shift;
    if (channel.max == 255) return static_cast<uint8_t>(v);
    if (channel.max == 0) return 0;
    return static_cast<uint8_t>((static_cast<uint64_t>(v) * 255 + channel.max / 2) / channel.max);
}

DibChannel MakeChannel(uint32_t mask) {
    DibChannel channel{mask, 0, 0};
    if (mask == 0) return channel;
    channel.shift = __builtin_ctz(mask);
    channel.max   = mask >> channel.shift;
    return channel;
}

void PutIndex(uint8_t* dst, unsigned index, const DibPalette* palette) {
    StoreRgb(dst, palette->rgbx[index]);
}

}  // namespace

DibMasks MakeDibMasks(uint32_t red, uint32_t green, uint32_t blue, int bitCount) {
    uint32_t limit = bitCount >= 32 ? 0xFFFFFFFFu : (1u << bitCount) - 1;
    return DibMasks{MakeChannel(red & limit), MakeChannel(green & limit), MakeChannel(blue & limit)};
}

void ConvertIndexedRow(const uint8_t* src, uint8_t* dst, int32_t width, int bitCount, const DibPalette* palette) {
    if (width <= 0) return;
    if (bitCount == 8) {
        int32_t last = width - 1;
        for (int32_t x = 0; x < last; ++x, dst += 3) StoreRgbx(dst, palette->rgbx[src[x]]);
        StoreRgb(dst, palette->rgbx[src[last]]);
        return;
    }
    // 1 and 4 bits: the leftmost pixel sits in the byte's high bits.
    int      perByte = 8 / bitCount;
    unsigned mask    = (1u << bitCount) - 1;
    for (int32_t x = 0; x < width; ++x, dst += 3) {
        int      slot  = x % perByte;
        unsigned index = (src[x / perByte] >> (8 - bitCount * (slot + 1))) & mask;
        PutIndex(dst, index, palette);
    }
}

void ConvertBgrRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    if (width <= 0) return;
    // Reversing a little-endian word B0 G0 R0 B1 gives B1 R0 G0 B0; shifted down by a
    // byte, its first three bytes are R0 G0 B0. The last pixel may end the buffer, so it
    // is done bytewise.
    int32_t last = width - 1;
    if constexpr (std::endian::native == std::endian::little) {
        for (int32_t x = 0; x < last; ++x, src += 3, dst += 3) {
            uint32_t rgb = __builtin_bswap32(LoadU32(src)) >> 8;
            std::memcpy(dst, &rgb, 4);
        }
    } else {
        for (int32_t x = 0; x < last; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
}

void ConvertMaskedRow(const uint8_t* src, uint8_t* dst, int32_t width, int bitCount, const DibMasks* masks) {
    int bytesPerPixel = bitCount / 8;
    for (int32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 3) {
        uint32_t pixel = bitCount == 16 ? static_cast<uint32_t>(src[0] | src[1] << 8)
                                        : static_cast<uint32_t>(src[0]) | static_cast<uint32_t>(src[1]) << 8 |
                                              static_cast<uint32_t>(src[2]) << 16 |
                                              static_cast<uint32_t>(src[3]) << 24;
        dst[0] = WidenChannel(pixel, masks->red);
        dst[1] = WidenChannel(pixel, masks->green);
        dst[2] = WidenChannel(pixel, masks->blue);
    }
}

int DecodeRle(ByteReader* stream, int bitCount, const DibPalette* palette, uint8_t* out, int32_t width,
              int32_t height) {
    int32_t x = 0, y = 0;
    for (;;) {
        // A stream may stop after its last row without the end-of-bitmap code.
        if (RemainingBytes(stream) < 2) return y >= height;
        unsigned count = ReadU8(stream);
        unsigned value = ReadU8(stream);
        if (count > 0) {
            // Encoded run: one index (RLE8) or two alternating ones (RLE4).
            if (y >= height || static_cast<int64_t>(count) > width - x) return 0;
            uint8_t* dst = out + (static_cast<size_t>(y) * width + x) * 3;
            for (unsigned i = 0; i < count; ++i, dst += 3) {
                unsigned index = bitCount == 8 ? value : (i & 1) ? value & 0x0F : value >> 4;
                PutIndex(dst, index, palette);
            }
            x += static_cast<int32_t>(count);
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            if (++y > height) return 0;
            break;
        case 1:  // end of bitmap
            return 1;
        case 2: {  // delta: move right and up
            unsigned dx = ReadU8(stream);
            unsigned dy = ReadU8(stream);
            if (stream->overrun) return 0;
            if (static_cast<int64_t>(dx) > width - x || static_cast<int64_t>(dy) > height - y) return 0;
            x += static_cast<int32_t>(dx);
            y += static_cast<int32_t>(dy);
            break;
        }
        default: {  // absolute run of `value` indices, padded to a 16-bit boundary
            size_t         bytes = bitCount == 8 ? value : (value + 1) / 2;
            const uint8_t* src   = TakeBytes(stream, bytes + (bytes & 1));
            if (!src || y >= height || static_cast<int64_t>(value) > width - x) return 0;
            uint8_t* dst = out + (static_cast<size_t>(y) * width + x) * 3;
            for (unsigned i = 0; i < value; ++i, dst += 3) {
                unsigned index = bitCount == 8 ? src[i] : (i & 1) ? src[i / 2] & 0x0F : src[i / 2] >> 4;
                PutIndex(dst, index, palette);
            }
            x += static_cast<int32_t>(value);
            break;
        }
        }
    }
}
