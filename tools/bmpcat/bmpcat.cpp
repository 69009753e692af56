// bmpcat.cpp — reads one BMP file with the viewer's reader and writes the picture to
// standard output as a binary PPM (P6, top row first). A file the reader refuses
// gives the reader's message on standard error and exit status 1.
//
// The reader reports through the platform's message box; this console tool is its
// own platform for that one service and prints the message instead of showing it.
#include <cstdio>
#include <cstring>

#include "image/dib_reader.h"
#include "platform/platform.h"

WindowHandle PlatGetFocus() { return nullptr; }

int32_t PlatMessageBox(WindowHandle, const char* text, const char*, uint32_t) {
    size_t length = std::strlen(text);
    std::fputs(text, stderr);
    if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
    return IDOK;
}

namespace {

int WritePpm(const RgbImage* image, std::FILE* out) {
    if (std::fprintf(out, "P6\n%d %d\n255\n", image->width, image->height) < 0) return 0;
    size_t rowBytes = static_cast<size_t>(image->width) * 3;
    for (int32_t row = image->height - 1; row >= 0; --row) {
        if (std::fwrite(image->pixels + row * rowBytes, 1, rowBytes, out) != rowBytes) return 0;
    }
    return std::fflush(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bmpcat FILE.bmp > FILE.ppm\n", stderr);
        return 1;
    }
    RgbImage* image = ReadDibImage(argv[1]);
    if (!image) return 1;
    int written = WritePpm(image, stdout);
    FreeRgbImage(image);
    if (!written) {
        std::fputs("bmpcat: cannot write the picture to standard output\n", stderr);
        return 1;
    }
    return 0;
}
