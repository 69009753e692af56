// bmp_decode_bench.cpp — how fast ReadDibImage turns a BMP file into packed RGB, next
// to SDL_LoadBMP followed by SDL's conversion to RGB24, and stb_image's stbi_load with
// three channels: 24- and 8-bit files of 256 x 256 and 4096 x 4096, written to a
// temporary folder first. Each peer's time is printed as a ratio to ours (above 1: ours
// is faster). The three results are compared once before timing.
#include <SDL2/SDL.h>
#include <stb/stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image/dib_reader.h"
#include "tools/common/bmp_layout.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Case {
    const char* label;
    int         bitCount;
    int         size;
    std::string path;
};


// A square picture of pseudo-random pixels (or indices into a 256-entry table).
bool WriteBmp(const std::string& path, int bitCount, int size) {
    uint32_t paletteBytes = bitCount == 8 ? 1024 : 0;
    uint32_t stride       = (static_cast<uint32_t>(size) * bitCount / 8 + 3) / 4 * 4;
    uint32_t offset       = 54 + paletteBytes;
    std::vector<uint8_t> file;
    file.reserve(offset + static_cast<size_t>(stride) * size);
    file.push_back('B');
    file.push_back('M');
    AppendU32(&file, offset + stride * size);
    AppendU32(&file, 0);
    AppendU32(&file, offset);
    AppendU32(&file, 40);
    AppendU32(&file, static_cast<uint32_t>(size));
    AppendU32(&file, static_cast<uint32_t>(size));
    AppendU16(&file, 1);
    AppendU16(&file, static_cast<uint16_t>(bitCount));
    AppendU32(&file, 0);
    AppendU32(&file, stride * size);
    AppendU32(&file, 2835);
    AppendU32(&file, 2835);
    AppendU32(&file, bitCount == 8 ? 256 : 0);
    AppendU32(&file, 0);
    uint32_t state = 2463534242u;
    auto     next  = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<uint8_t>(state);
    };
    for (uint32_t i = 0; i < paletteBytes; ++i) file.push_back(i % 4 == 3 ? 0 : next());
    for (int y = 0; y < size; ++y)
        for (uint32_t x = 0; x < stride; ++x) file.push_back(next());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

// Each decoder ends with packed RGB in memory; `keep` receives it, top row first, for
// the comparison, and is null while timing.
bool DecodeOurs(const std::string& path, std::vector<uint8_t>* keep) {
    RgbImage* image = ReadDibImage(path.c_str());
    if (!image) return false;
    if (keep) {
        size_t row = static_cast<size_t>(image->width) * 3;
        keep->clear();
        for (int y = image->height - 1; y >= 0; --y)
            keep->insert(keep->end(), image->pixels + y * row, image->pixels + (y + 1) * row);
    }
    FreeRgbImage(image);
    return true;
}

bool DecodeSdl(const std::string& path, std::vector<uint8_t>* keep) {
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) return false;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) return false;
    if (keep) {
        keep->clear();
        for (int y = 0; y < rgb->h; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(rgb->pixels) + y * rgb->pitch;
            keep->insert(keep->end(), row, row + rgb->w * 3);
        }
    }
    SDL_FreeSurface(rgb);
    return true;
}

bool DecodeStb(const std::string& path, std::vector<uint8_t>* keep) {
    int      width, height, channels;
    uint8_t* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (!pixels) return false;
    if (keep) keep->assign(pixels, pixels + static_cast<size_t>(width) * height * 3);
    stbi_image_free(pixels);
    return true;
}

using Decoder = bool (*)(const std::string&, std::vector<uint8_t>*);

// Best time of one decode over several rounds of about a fifth of a second.
double SecondsPerDecode(Decoder decode, const std::string& path) {
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        int                count = 0;
        Clock::time_point  start = Clock::now();
        double             elapsed;
        do {
            decode(path, nullptr);
            ++count;
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        } while (elapsed < 0.2);
        best = std::min(best, elapsed / count);
    }
    return best;
}

}  // namespace

int main() {
    char folder[] = "/tmp/island-bmp-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    std::vector<Case> cases = {{"24-bit  256 x  256", 24, 256, ""},
                               {"24-bit 4096 x 4096", 24, 4096, ""},
                               {" 8-bit  256 x  256", 8, 256, ""},
                               {" 8-bit 4096 x 4096", 8, 4096, ""}};
    int status = 0;
    for (Case& c : cases) {
        c.path = std::string(folder) + "/" + std::to_string(c.bitCount) + "-" + std::to_string(c.size) + ".bmp";
        if (!WriteBmp(c.path, c.bitCount, c.size)) {
            std::fprintf(stderr, "cannot write %s\n", c.path.c_str());
            status = 1;
        }
    }

    std::printf("BMP decode to packed RGB, best of 5 rounds; ratio = peer time / ReadDibImage time\n");
    std::printf("%-20s %12s %12s %12s %10s %10s\n", "case", "ours ms", "SDL ms", "stb ms", "SDL/ours", "stb/ours");
    for (const Case& c : cases) {
        if (status) break;
        std::vector<uint8_t> ours, sdl, stb;
        if (!DecodeOurs(c.path, &ours) || !DecodeSdl(c.path, &sdl) || !DecodeStb(c.path, &stb) || ours != sdl ||
            ours != stb) {
            std::fprintf(stderr, "%s: the decoders disagree or one failed\n", c.label);
            status = 1;
            break;
        }
        double tOurs = SecondsPerDecode(DecodeOurs, c.path);
        double tSdl  = SecondsPerDecode(DecodeSdl, c.path);
        double tStb  = SecondsPerDecode(DecodeStb, c.path);
        std::printf("%-20s %12.3f %12.3f %12.3f %10.2f %10.2f\n", c.label, tOurs * 1e3, tSdl * 1e3, tStb * 1e3,
                    tSdl / tOurs, tStb / tOurs);
        std::fflush(stdout);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
