// bmp_layout.h — BMP files laid out field by field: either header kind, with or without
// the file header, and whatever colour table, masks and bits a case needs, including
// values no sane writer would store. The tests and the conformance corpus build on it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct BmpLayout {
    bool     fileHeader = true;
    uint32_t headerSize = 40;   // 12 writes a core header; other sizes pad an info header
    int32_t  width      = 1;
    int32_t  height     = 1;
    uint16_t planes     = 1;
    uint16_t bitCount   = 24;
    uint32_t compression = 0;
    uint32_t imageSize  = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint8_t> afterHeader;   // bytes between the header and the colour table (masks)
    std::vector<uint8_t> palette;       // the colour table as stored
    std::vector<uint8_t> bits;
    std::optional<uint32_t> bitsOffset; // default: right after the colour table
};

std::vector<uint8_t> BuildBmp(const BmpLayout& bmp);

// Colour-table entries as stored: blue, green, red (and a zero for 4-byte entries).
void AddPaletteEntry(BmpLayout* bmp, uint8_t red, uint8_t green, uint8_t blue);

void AppendU16(std::vector<uint8_t>* out, uint16_t v);
void AppendU32(std::vector<uint8_t>* out, uint32_t v);
