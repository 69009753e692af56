// bmp_writer.cpp — BMP files with the 14-byte file header, a 40-byte info or 12-byte core
// header, an optional palette and rows padded to four bytes, bottom row first.
#include "tools/texture_gen/bmp_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xffff), Put16(out, v >> 16);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Headers and palette; `bits` is 8 or 24, `palette` holds RGB triples.
std::vector<uint8_t> Headers(const Picture& p, BmpHeader header, int bits, const std::vector<std::array<uint8_t, 3>>& palette,
                             uint32_t pixelBytes) {
    uint32_t headerSize  = header == BmpHeader::Info ? 40 : 12;
    uint32_t entrySize   = header == BmpHeader::Info ? 4 : 3;
    uint32_t bitsOffset  = 14 + headerSize + entrySize * uint32_t(palette.size());
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, bitsOffset + pixelBytes);
    Put32(out, 0);
    Put32(out, bitsOffset);
    Put32(out, headerSize);
    if (header == BmpHeader::Info) {
        Put32(out, uint32_t(p.width)), Put32(out, uint32_t(p.height));
        Put16(out, 1), Put16(out, uint32_t(bits));
        Put32(out, 0), Put32(out, pixelBytes), Put32(out, 2835), Put32(out, 2835);
        Put32(out, uint32_t(palette.size())), Put32(out, 0);
    } else {
        Put16(out, uint32_t(p.width)), Put16(out, uint32_t(p.height));
        Put16(out, 1), Put16(out, uint32_t(bits));
    }
    for (const auto& c : palette) {
        out.push_back(c[2]), out.push_back(c[1]), out.push_back(c[0]);
        if (header == BmpHeader::Info) out.push_back(0);
    }
    return out;
}

}  // namespace

bool WriteBmp24(const std::string& path, const Picture& picture, BmpHeader header) {
    uint32_t             stride = (uint32_t(picture.width) * 3 + 3) & ~3u;
    std::vector<uint8_t> out    = Headers(picture, header, 24, {}, stride * uint32_t(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* row = &picture.rgb[size_t(y) * size_t(picture.width) * 3];
        for (int x = 0; x < picture.width; ++x)
            out.push_back(row[x * 3 + 2]), out.push_back(row[x * 3 + 1]), out.push_back(row[x * 3]);
        for (uint32_t pad = uint32_t(picture.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return WriteFile(path, out);
}

bool WriteBmp8(const std::string& path, const Picture& picture, BmpHeader header) {
    // Palette: the picture's colours cut to 5 bits a channel, the 256 most used of them.
    std::map<uint32_t, int> counts;
    auto key = [](const uint8_t* c) { return uint32_t(c[0] >> 3) << 10 | uint32_t(c[1] >> 3) << 5 | uint32_t(c[2] >> 3); };
    for (size_t i = 0; i < picture.rgb.size(); i += 3) ++counts[key(&picture.rgb[i])];
    std::vector<std::pair<int, uint32_t>> byUse;
    for (auto [k, n] : counts) byUse.push_back({-n, k});
    std::sort(byUse.begin(), byUse.end());
    if (byUse.size() > 256) byUse.resize(256);
    std::vector<std::array<uint8_t, 3>> palette;
    for (auto [n, k] : byUse)
        palette.push_back({uint8_t((k >> 10 & 31) * 255 / 31), uint8_t((k >> 5 & 31) * 255 / 31), uint8_t((k & 31) * 255 / 31)});

    uint32_t             stride = (uint32_t(picture.width) + 3) & ~3u;
    std::vector<uint8_t> out    = Headers(picture, header, 8, palette, stride * uint32_t(picture.height));
    std::map<uint32_t, uint8_t> nearest;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* c = &picture.rgb[(size_t(y) * size_t(picture.width) + size_t(x)) * 3];
            auto [it, fresh] = nearest.try_emplace(key(c), 0);
            if (fresh) {
                int best = 1 << 30;
                for (size_t i = 0; i < palette.size(); ++i) {
                    int dr = palette[i][0] - c[0], dg = palette[i][1] - c[1], db = palette[i][2] - c[2];
                    int d  = dr * dr + dg * dg + db * db;
                    if (d < best) best = d, it->second = uint8_t(i);
                }
            }
            out.push_back(it->second);
        }
        for (uint32_t pad = uint32_t(picture.width); pad < stride; ++pad) out.push_back(0);
    }
    return WriteFile(path, out);
}
