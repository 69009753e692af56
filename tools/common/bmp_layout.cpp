// bmp_layout.cpp — writing BMP files from their fields.
#include "tools/common/bmp_layout.h"

void AppendU16(std::vector<uint8_t>* out, uint16_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

void AppendU32(std::vector<uint8_t>* out, uint32_t v) {
    AppendU16(out, static_cast<uint16_t>(v));
    AppendU16(out, static_cast<uint16_t>(v >> 16));
}

void AddPaletteEntry(BmpLayout* bmp, uint8_t red, uint8_t green, uint8_t blue) {
    bmp->palette.push_back(blue);
    bmp->palette.push_back(green);
    bmp->palette.push_back(red);
    if (bmp->headerSize != 12) bmp->palette.push_back(0);
}

std::vector<uint8_t> BuildBmp(const BmpLayout& bmp) {
    std::vector<uint8_t> header;
    AppendU32(&header, bmp.headerSize);
    if (bmp.headerSize == 12) {
        AppendU16(&header, static_cast<uint16_t>(bmp.width));
        AppendU16(&header, static_cast<uint16_t>(bmp.height));
        AppendU16(&header, bmp.planes);
        AppendU16(&header, bmp.bitCount);
    } else {
        AppendU32(&header, static_cast<uint32_t>(bmp.width));
        AppendU32(&header, static_cast<uint32_t>(bmp.height));
        AppendU16(&header, bmp.planes);
        AppendU16(&header, bmp.bitCount);
        AppendU32(&header, bmp.compression);
        AppendU32(&header, bmp.imageSize);
        AppendU32(&header, 2835);
        AppendU32(&header, 2835);
        AppendU32(&header, bmp.colorsUsed);
        AppendU32(&header, 0);
        header.resize(bmp.headerSize > header.size() ? bmp.headerSize : header.size(), 0);
    }

    std::vector<uint8_t> out;
    size_t prefix = bmp.fileHeader ? 14 : 0;
    size_t offset = prefix + header.size() + bmp.afterHeader.size() + bmp.palette.size();
    if (bmp.fileHeader) {
        out.push_back('B');
        out.push_back('M');
        AppendU32(&out, static_cast<uint32_t>(offset + bmp.bits.size()));
        AppendU32(&out, 0);
        AppendU32(&out, bmp.bitsOffset.value_or(static_cast<uint32_t>(offset)));
    }
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), bmp.afterHeader.begin(), bmp.afterHeader.end());
    out.insert(out.end(), bmp.palette.begin(), bmp.palette.end());
    if (bmp.bitsOffset && *bmp.bitsOffset > out.size()) out.resize(*bmp.bitsOffset, 0);
    out.insert(out.end(), bmp.bits.begin(), bmp.bits.end());
    return out;
}
