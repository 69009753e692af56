// bmp_builder.h — BMP files the tests write themselves: headers of either kind, with or
// without the file header, and whatever colour table, masks and bits a case needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// A folder of its own under the system's temporary folder, removed with its files.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&)            = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

std::vector<uint8_t> ReadWholeFile(const std::string& path);
