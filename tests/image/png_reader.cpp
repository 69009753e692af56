// png_reader.cpp — chunks, zlib inflate, the five row filters and the expansion of
// grey and palette samples to RGB.
#include "tests/image/png_reader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "tests/image/bmp_builder.h"

namespace {

uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

int Paeth(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

bool Unfilter(std::vector<uint8_t>* data, size_t rowBytes, int height, size_t pixelBytes) {
    std::vector<uint8_t> previous(rowBytes, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row    = data->data() + y * (rowBytes + 1);
        int      filter = row[0];
        uint8_t* cur    = row + 1;
        for (size_t i = 0; i < rowBytes; ++i) {
            int a = i >= pixelBytes ? cur[i - pixelBytes] : 0;
            int b = previous[i];
            int c = i >= pixelBytes ? previous[i - pixelBytes] : 0;
            switch (filter) {
            case 0: break;
            case 1: cur[i] = static_cast<uint8_t>(cur[i] + a); break;
            case 2: cur[i] = static_cast<uint8_t>(cur[i] + b); break;
            case 3: cur[i] = static_cast<uint8_t>(cur[i] + (a + b) / 2); break;
            case 4: cur[i] = static_cast<uint8_t>(cur[i] + Paeth(a, b, c)); break;
            default: return false;
            }
        }
        std::memcpy(previous.data(), cur, rowBytes);
    }
    return true;
}

}  // namespace

bool ReadPng(const std::string& path, PngPicture* picture, std::string* error) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> file = ReadWholeFile(path);
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) {
        *error = "not a PNG file: " + path;
        return false;
    }
    int                  depth = 0, colorType = 0;
    std::vector<uint8_t> palette, compressed;
    for (size_t pos = 8; pos + 12 <= file.size();) {
        uint32_t       length = BigEndian32(&file[pos]);
        std::string    type(reinterpret_cast<const char*>(&file[pos + 4]), 4);
        const uint8_t* body = &file[pos + 8];
        if (pos + 12 + length > file.size()) break;
        if (type == "IHDR") {
            picture->width  = static_cast<int>(BigEndian32(body));
            picture->height = static_cast<int>(BigEndian32(body + 4));
            depth           = body[8];
            colorType       = body[9];
            if (body[12] != 0) {
                *error = "interlaced PNG: " + path;
                return false;
            }
        } else if (type == "PLTE") {
            palette.assign(body, body + length);
        } else if (type == "IDAT") {
            compressed.insert(compressed.end(), body, body + length);
        }
        pos += 12 + length;
    }
    int channels = colorType == 2 ? 3 : 1;
    if ((colorType != 0 && colorType != 2 && colorType != 3) || depth > 8 || (colorType == 2 && depth != 8)) {
        *error = "PNG kind not taken: " + path;
        return false;
    }
    size_t rowBytes = (static_cast<size_t>(picture->width) * channels * depth + 7) / 8;
    std::vector<uint8_t> raw((rowBytes + 1) * picture->height);
    uLongf               rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()) != Z_OK || rawSize != raw.size() ||
        !Unfilter(&raw, rowBytes, picture->height, (channels * depth + 7) / 8)) {
        *error = "corrupt PNG data: " + path;
        return false;
    }
    picture->rgb.resize(static_cast<size_t>(picture->width) * picture->height * 3);
    uint8_t* out = picture->rgb.data();
    for (int y = 0; y < picture->height; ++y) {
        const uint8_t* row = raw.data() + y * (rowBytes + 1) + 1;
        for (int x = 0; x < picture->width; ++x, out += 3) {
            if (colorType == 2) {
                std::memcpy(out, row + x * 3, 3);
                continue;
            }
            int      perByte = 8 / depth;
            unsigned sample  = (row[x / perByte] >> (8 - depth * (x % perByte + 1))) & ((1u << depth) - 1);
            if (colorType == 3) {
                if (sample * 3 + 2 >= palette.size()) {
                    *error = "PNG index beyond its palette: " + path;
                    return false;
                }
                std::memcpy(out, &palette[sample * 3], 3);
            } else {
                uint8_t grey = static_cast<uint8_t>(sample * 255 / ((1u << depth) - 1));
                out[0] = out[1] = out[2] = grey;
            }
        }
    }
    return true;
}
