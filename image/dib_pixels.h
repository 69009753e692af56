// dib_pixels.h — turning a bitmap's pixel bits into packed red-green-blue rows: the
// colour-table depths, 24-bit blue-green-red, the 16- and 32-bit masked layouts and
// the two run-length encodings.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/byte_reader.h"

// A colour table ready for output: red, green, blue and a zero per entry, so that one
// entry can be stored with a single 4-byte write. Entries the file does not supply are
// black.
struct DibPalette {
    uint8_t rgbx[256][4];
};

// One colour channel of a masked (16- or 32-bit) pixel.
struct DibChannel {
    uint32_t mask;    // bits of the pixel that hold the channel
    int      shift;   // position of the mask's lowest bit
    uint32_t max;     // mask >> shift: the channel's full-scale value, 0 for an empty mask
};

struct DibMasks {
    DibChannel red, green, blue;
};

// Builds the channels for the given masks, limited to a pixel of `bitCount` bits.
DibMasks MakeDibMasks(uint32_t red, uint32_t green, uint32_t blue, int bitCount);

// Converts one stored row of `width` pixels into width * 3 output bytes.
void ConvertIndexedRow(const uint8_t* src, uint8_t* dst, int32_t width, int bitCount, const DibPalette* palette);
void ConvertBgrRow(const uint8_t* src, uint8_t* dst, int32_t width);
void ConvertMaskedRow(const uint8_t* src, uint8_t* dst, int32_t width, int bitCount, const DibMasks* masks);

// Decodes an RLE8 (`bitCount` 8) or RLE4 (4) stream into `out`, a zero-filled picture of
// width x height packed pixels, bottom row first. Pixels the stream skips stay black.
// Returns 0 when the stream stops before the picture is complete (without its
// end-of-bitmap code), breaks off inside a code, or a run or a move leaves the picture.
int DecodeRle(ByteReader* stream, int bitCount, const DibPalette* palette, uint8_t* out, int32_t width,
              int32_t height);
