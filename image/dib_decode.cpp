// dib_decode.cpp — from the bytes of a bitmap file to an RgbImage: the optional file
// header, the core or info header normalised into one working header, the colour
// table, the place of the bits, and the checks that keep every read inside the file
// and every size within range.
#include "image/dib_decode.h"

#include <cstdlib>
#include <cstring>

#include "image/byte_reader.h"
#include "image/dib_pixels.h"

namespace {

constexpr uint16_t kFileType       = 0x4D42;  // "BM"
constexpr size_t   kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

constexpr uint32_t kBiRgb       = 0;
constexpr uint32_t kBiRle8      = 1;
constexpr uint32_t kBiRle4      = 2;
constexpr uint32_t kBiBitfields = 3;

// A run-length stream fully made of runs covers at most 127.5 pixels a byte; skips
// (end of line, delta, an early end) cover more. This bound leaves them ample room and
// keeps a small file from asking for a huge picture.
constexpr uint64_t kMaxRlePixelsPerByte = 1024;

// The working header: either kind of file header in one form.
struct DibHeader {
    int32_t  width;
    int32_t  height;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t colorCount;   // n, the entries of the colour table
};

// Everything the conversion needs, located inside the file.
struct DibSource {
    DibHeader  header;
    DibPalette palette;
    bool       hasFileHeader;
    size_t     headerStart;
    uint32_t   headerSize;
    uint64_t   bitsStart;
};

bool MultiplySizes(uint64_t a, uint64_t b, uint64_t* product) { return !__builtin_mul_overflow(a, b, product); }

// Reads as many of the n colour entries as the file holds, at most 256: a table that
// claims more entries than fit before the bits (or the end of the file) is cut there.
void ReadPalette(const uint8_t* data, size_t size, DibSource* source, uint32_t entrySize) {
    std::memset(&source->palette, 0, sizeof source->palette);
    uint64_t tableStart = source->headerStart + source->headerSize;
    uint64_t tableEnd   = size;
    if (source->hasFileHeader && source->bitsStart >= tableStart && source->bitsStart < tableEnd)
        tableEnd = source->bitsStart;
    uint64_t held  = tableEnd > tableStart ? (tableEnd - tableStart) / entrySize : 0;
    uint64_t count = source->header.colorCount;
    if (count > held) count = held;
    if (count > 256) count = 256;
    ByteReader reader = MakeByteReader(data, size);
    SeekBytes(&reader, tableStart);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* bgr = TakeBytes(&reader, entrySize);
        source->palette.rgbx[i][0] = bgr[2];
        source->palette.rgbx[i][1] = bgr[1];
        source->palette.rgbx[i][2] = bgr[0];
    }
}

DibStatus ReadHeaders(const uint8_t* data, size_t size, DibSource* source) {
    ByteReader reader = MakeByteReader(data, size);
    source->hasFileHeader = ReadU16(&reader) == kFileType;
    source->headerStart   = 0;
    if (source->hasFileHeader) {
        SeekBytes(&reader, 10);
        source->bitsStart   = ReadU32(&reader);
        source->headerStart = kFileHeaderSize;
    }
    SeekBytes(&reader, source->headerStart);
    source->headerSize = ReadU32(&reader);
    if (reader.overrun) return DibStatus::unknownFormat;
    if (source->headerSize != kCoreHeaderSize && source->headerSize != kInfoHeaderSize)
        return DibStatus::unknownFormat;
    if (size - source->headerStart < source->headerSize) return DibStatus::unknownFormat;

    uint32_t   n      = CountDibColors(data + source->headerStart);
    DibHeader* header = &source->header;
    uint32_t   entrySize;
    if (source->headerSize == kCoreHeaderSize) {
        header->width       = ReadU16(&reader);
        header->height      = ReadU16(&reader);
        ReadU16(&reader);  // planes
        header->bitCount    = ReadU16(&reader);
        header->compression = kBiRgb;
        entrySize           = 3;
    } else {
        header->width       = ReadI32(&reader);
        header->height      = ReadI32(&reader);
        ReadU16(&reader);  // planes
        header->bitCount    = ReadU16(&reader);
        header->compression = ReadU32(&reader);
        entrySize           = 4;
    }
    header->colorCount = n;
    if (!source->hasFileHeader)
        source->bitsStart = source->headerStart + source->headerSize + static_cast<uint64_t>(entrySize) * n;
    ReadPalette(data, size, source, entrySize);
    return DibStatus::ok;
}

// The three masks of a bit-field image follow its 40-byte info header. A bare header's
// bits begin right after its colour table, where the masks would stand, so only
// bit-field files with a file header (and so a bits offset) are converted.
bool ReadMasks(const uint8_t* data, size_t size, const DibSource* source, DibMasks* masks) {
    int bitCount = source->header.bitCount;
    if (source->header.compression == kBiRgb) {
        *masks = bitCount == 16 ? MakeDibMasks(0x7C00, 0x03E0, 0x001F, 16)
                                : MakeDibMasks(0xFF0000, 0x00FF00, 0x0000FF, 32);
        return true;
    }
    if (!source->hasFileHeader || source->headerSize != kInfoHeaderSize) return false;
    ByteReader reader = MakeByteReader(data, size);
    SeekBytes(&reader, source->headerStart + kInfoHeaderSize);
    uint32_t red   = ReadU32(&reader);
    uint32_t green = ReadU32(&reader);
    uint32_t blue  = ReadU32(&reader);
    *masks         = MakeDibMasks(red, green, blue, bitCount);
    return !reader.overrun;
}

enum class PixelKind { indexed, bgr, masked, rle };

bool ChoosePixelKind(const DibHeader& header, PixelKind* kind) {
    switch (header.bitCount) {
    case 1:
        *kind = PixelKind::indexed;
        return header.compression == kBiRgb;
    case 4:
    case 8:
        *kind = header.compression == kBiRgb ? PixelKind::indexed : PixelKind::rle;
        return header.compression == kBiRgb || header.compression == (header.bitCount == 8 ? kBiRle8 : kBiRle4);
    case 24:
        *kind = PixelKind::bgr;
        return header.compression == kBiRgb;
    case 16:
    case 32:
        *kind = PixelKind::masked;
        return header.compression == kBiRgb || header.compression == kBiBitfields;
    default:
        return false;
    }
}

// Converts the stored rows. Stored rows run from the bottom of the picture up, or from
// the top down for a negative height; the output always starts with the bottom row.
void ConvertRows(const uint8_t* bits, uint64_t stride, PixelKind kind, const DibSource* source,
                 const DibMasks* masks, bool topDown, uint8_t* pixels) {
    const DibHeader& header  = source->header;
    int32_t          rows    = topDown ? -header.height : header.height;
    size_t           outRow  = static_cast<size_t>(header.width) * 3;
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* src = bits + row * stride;
        uint8_t*       dst = pixels + (topDown ? rows - 1 - row : row) * outRow;
        switch (kind) {
        case PixelKind::indexed:
            ConvertIndexedRow(src, dst, header.width, header.bitCount, &source->palette);
            break;
        case PixelKind::bgr:
            ConvertBgrRow(src, dst, header.width);
            break;
        case PixelKind::masked:
            ConvertMaskedRow(src, dst, header.width, header.bitCount, masks);
            break;
        case PixelKind::rle:
            break;
        }
    }
}

}  // namespace

DibStatus DecodeDib(const uint8_t* data, size_t size, RgbImage** image) {
    *image = nullptr;
    DibSource source;
    DibStatus status = ReadHeaders(data, size, &source);
    if (status != DibStatus::ok) return status;

    const DibHeader& header = source.header;
    PixelKind        kind;
    if (!ChoosePixelKind(header, &kind)) return DibStatus::conversionError;
    if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN) return DibStatus::conversionError;
    bool topDown = header.height < 0;
    if (topDown && kind == PixelKind::rle) return DibStatus::conversionError;
    DibMasks masks{};
    if (kind == PixelKind::masked && !ReadMasks(data, size, &source, &masks)) return DibStatus::conversionError;

    uint64_t rows = topDown ? -static_cast<int64_t>(header.height) : header.height;
    if (source.bitsStart >= size) return DibStatus::conversionError;
    uint64_t available = size - source.bitsStart;
    uint64_t pixelCount, outSize;
    if (!MultiplySizes(static_cast<uint64_t>(header.width), rows, &pixelCount) ||
        !MultiplySizes(pixelCount, 3, &outSize))
        return DibStatus::conversionError;

    ByteReader bits = MakeByteReader(data, size);
    SeekBytes(&bits, source.bitsStart);
    uint64_t       stride = (static_cast<uint64_t>(header.bitCount) * header.width + 31) / 32 * 4;
    const uint8_t* block  = nullptr;
    if (kind == PixelKind::rle) {
        uint64_t limit;
        if (!MultiplySizes(available, kMaxRlePixelsPerByte, &limit) || pixelCount > limit)
            return DibStatus::conversionError;
    } else {
        uint64_t blockSize;
        if (!MultiplySizes(stride, rows, &blockSize) || blockSize > available) return DibStatus::conversionError;
        block = TakeBytes(&bits, blockSize);
    }

    // Skipped run-length pixels must read as black, so only that output starts zeroed.
    uint8_t* pixels = static_cast<uint8_t*>(kind == PixelKind::rle ? std::calloc(outSize, 1) : std::malloc(outSize));
    if (!pixels) return DibStatus::outOfMemory;
    if (kind == PixelKind::rle) {
        if (!DecodeRle(&bits, header.bitCount, &source.palette, pixels, header.width, static_cast<int32_t>(rows))) {
            std::free(pixels);
            return DibStatus::conversionError;
        }
    } else {
        ConvertRows(block, stride, kind, &source, &masks, topDown, pixels);
    }

    RgbImage* result = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    if (!result) {
        std::free(pixels);
        return DibStatus::outOfMemory;
    }
    result->width  = header.width;
    result->height = static_cast<int32_t>(rows);
    result->pixels = pixels;
    *image         = result;
    return DibStatus::ok;
}

void FreeRgbImage(RgbImage* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image);
}

const char* DibStatusMessage(DibStatus status) {
    switch (status) {
    case DibStatus::ok:
        return "";
    case DibStatus::unknownFormat:
        return "Unknown DIB file format.";
    case DibStatus::conversionError:
        return "Image file conversion error.";
    case DibStatus::outOfMemory:
        return "Out of memory.";
    }
    return "";
}

uint16_t CountDibColors(const uint8_t* bitmapHeader) {
    ByteReader reader = MakeByteReader(bitmapHeader, kInfoHeaderSize);
    uint32_t   size   = ReadU32(&reader);
    uint16_t   bitCount;
    if (size == kCoreHeaderSize) {
        SeekBytes(&reader, 10);
        bitCount = ReadU16(&reader);
    } else {
        SeekBytes(&reader, 32);
        uint32_t colorsUsed = ReadU32(&reader);
        if (colorsUsed != 0) return static_cast<uint16_t>(colorsUsed);
        SeekBytes(&reader, 14);
        bitCount = ReadU16(&reader);
    }
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}
