// dib_fuzzer.cpp — feeds arbitrary bytes to the BMP decoder that the file reader uses.
// The sanitizers catch any read outside the input, and the checks below any image
// that does not match its own dimensions.
#include <cstdlib>

#include "image/dib_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RgbImage* image  = nullptr;
    DibStatus status = DecodeDib(data, size, &image);
    if ((status == DibStatus::ok) != (image != nullptr)) std::abort();
    if (!image) return 0;
    if (image->width <= 0 || image->height <= 0 || !image->pixels) std::abort();
    // Touch the first and last byte, so that a buffer shorter than width x height x 3
    // shows as an overflow.
    size_t   last = static_cast<size_t>(image->width) * image->height * 3 - 1;
    volatile uint8_t sink = static_cast<uint8_t>(image->pixels[0] ^ image->pixels[last]);
    (void)sink;
    FreeRgbImage(image);
    return 0;
}
