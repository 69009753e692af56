// dib_format_test.cpp — what the reader makes of the bitmap layouts: file and bare
// headers, core and info headers, colour tables, row padding, bits offsets, the depths
// and compressions it converts, and the files it refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "image/dib_decode.h"
#include "tests/image/dib_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A 24-bit image whose pixel (x, y) in stored order is blue x, green y, red 200.
BmpLayout Gradient24(int width, int height) {
    BmpLayout bmp;
    bmp.width  = width;
    bmp.height = height;
    int stride  = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bmp.bits.push_back(static_cast<uint8_t>(x));
            bmp.bits.push_back(static_cast<uint8_t>(y));
            bmp.bits.push_back(200);
        }
        bmp.bits.resize(bmp.bits.size() + stride - width * 3, 0xEE);
    }
    return bmp;
}

Bytes GradientPixels(int width, int height) {
    Bytes out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.insert(out.end(), {200, static_cast<uint8_t>(y), static_cast<uint8_t>(x)});
    return out;
}

// An 8-bit image with `entries` distinct colours (entry i is i, 255 - i, 7) whose bits
// hold the indices given, one row.
BmpLayout Indexed8(int entries, const Bytes& row) {
    BmpLayout bmp;
    bmp.bitCount = 8;
    bmp.width    = static_cast<int32_t>(row.size());
    for (int i = 0; i < entries; ++i) AddPaletteEntry(&bmp, static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7);
    bmp.bits = row;
    bmp.bits.resize((row.size() + 3) / 4 * 4, 0);
    return bmp;
}

BmpLayout Masked(uint16_t bitCount, const Bytes& pixel) {
    BmpLayout bmp;
    bmp.bitCount = bitCount;
    bmp.bits     = pixel;
    bmp.bits.resize(4, 0);
    return bmp;
}

Bytes Masks(uint32_t red, uint32_t green, uint32_t blue) {
    Bytes out;
    AppendU32(&out, red);
    AppendU32(&out, green);
    AppendU32(&out, blue);
    return out;
}

DibStatus DecodeCopy(const Bytes& file, ImagePtr* image) {
    // An exact-size heap copy, so that the sanitizer sees any read past the end.
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(file.size()));
    std::memcpy(copy, file.data(), file.size());
    RgbImage* decoded = nullptr;
    DibStatus status  = DecodeDib(copy, file.size(), &decoded);
    std::free(copy);
    image->reset(decoded);
    return status;
}

class DibFormatTest : public DibTest {};

TEST_F(DibFormatTest, TwentyFourBitsSwapToRedGreenBlueAndDropRowPadding) {
    BmpLayout bmp = Gradient24(1, 1);
    bmp.bits    = {10, 20, 30, 0};
    ImagePtr one = Read(bmp);
    ASSERT_TRUE(one);
    EXPECT_EQ(Pixels(one.get()), (Bytes{30, 20, 10}));

    for (int width : {4, 5, 6, 7}) {
        ImagePtr image = Read(Gradient24(width, 3));
        ASSERT_TRUE(image) << width;
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, 3);
        EXPECT_EQ(Pixels(image.get()), GradientPixels(width, 3)) << "width " << width;
    }
    ExpectNoMessage();
}

TEST_F(DibFormatTest, TopDownRowsAreTurnedOverAndTheHeightIsPositive) {
    BmpLayout bmp = Gradient24(3, 4);
    bmp.height  = -4;
    ImagePtr image = Read(bmp);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->height, 4);
    Bytes stored = GradientPixels(3, 4), expected;
    for (int y = 3; y >= 0; --y) expected.insert(expected.end(), stored.begin() + y * 9, stored.begin() + y * 9 + 9);
    EXPECT_EQ(Pixels(image.get()), expected);
}

TEST_F(DibFormatTest, BitsOffsetOfTheFileHeaderIsHonoured) {
    BmpLayout bmp    = Gradient24(2, 2);
    bmp.bitsOffset = 54 + 100;
    ImagePtr image  = Read(bmp);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), GradientPixels(2, 2));
}

TEST_F(DibFormatTest, ColourTableSizeFollowsColoursUsedOrTheDepth) {
    // Colours used 0: 256 entries; a bare header's bits follow all of them.
    BmpLayout full    = Indexed8(256, {0, 1, 254, 255});
    full.fileHeader = false;
    ImagePtr image  = Read(full);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{0, 255, 7, 1, 254, 7, 254, 1, 7, 255, 0, 7}));

    // Colours used 16: 16 entries, bits 16 x 4 bytes after the header.
    BmpLayout small    = Indexed8(16, {15, 3});
    small.fileHeader = false;
    small.colorsUsed = 16;
    image            = Read(small);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{15, 240, 7, 3, 252, 7}));
    ExpectNoMessage();
}

TEST_F(DibFormatTest, IndicesBeyondTheTableAreBlack) {
    BmpLayout bmp    = Indexed8(2, {1, 2, 200});
    bmp.colorsUsed = 2;
    ImagePtr image  = Read(bmp);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{1, 254, 7, 0, 0, 0, 0, 0, 0}));
}

TEST_F(DibFormatTest, ColoursUsedBeyondWhatTheFileHoldsReadsOnlyTheHeldEntries) {
    // The table claims 60000 entries; the bits offset leaves room for 4.
    BmpLayout bmp    = Indexed8(4, {3, 0});
    bmp.colorsUsed = 60000;
    ImagePtr image;
    ASSERT_EQ(DecodeCopy(BuildBmp(bmp), &image), DibStatus::ok);
    EXPECT_EQ(Pixels(image.get()), (Bytes{3, 252, 7, 0, 255, 7}));

    // Without a file header the bits would follow 60000 entries: past the end.
    bmp.fileHeader = false;
    EXPECT_EQ(DecodeCopy(BuildBmp(bmp), &image), DibStatus::conversionError);
    EXPECT_FALSE(image);
}

TEST_F(DibFormatTest, OneAndFourBitPixelsTakeTheHighBitsFirst) {
    BmpLayout one;
    one.bitCount = 1;
    one.width    = 10;
    AddPaletteEntry(&one, 0, 0, 0);
    AddPaletteEntry(&one, 255, 255, 255);
    one.bits       = {0b10110000, 0b01000000, 0, 0};
    ImagePtr image = Read(one);
    ASSERT_TRUE(image);
    Bytes expected;
    for (int bit : {1, 0, 1, 1, 0, 0, 0, 0, 0, 1}) expected.insert(expected.end(), 3, bit ? 255 : 0);
    EXPECT_EQ(Pixels(image.get()), expected);

    BmpLayout four;
    four.bitCount = 4;
    four.width    = 3;
    for (int i = 0; i < 16; ++i) AddPaletteEntry(&four, static_cast<uint8_t>(i * 16), 1, 2);
    four.bits = {0x1F, 0x80, 0, 0};
    image     = Read(four);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{16, 1, 2, 240, 1, 2, 128, 1, 2}));
}

TEST_F(DibFormatTest, CoreHeaderTriplesBecomeTheColourTable) {
    BmpLayout bmp;
    bmp.fileHeader = false;
    bmp.headerSize = 12;
    bmp.bitCount   = 4;
    bmp.width      = 2;
    for (int i = 0; i < 16; ++i) AddPaletteEntry(&bmp, static_cast<uint8_t>(i), static_cast<uint8_t>(i + 100), 50);
    ASSERT_EQ(bmp.palette.size(), 48u);
    bmp.bits      = {0x0F, 0, 0, 0};
    ImagePtr image = Read(bmp);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{0, 100, 50, 15, 115, 50}));
}

TEST_F(DibFormatTest, CoreHeightIsUnsignedAndAlwaysBottomUp) {
    BmpLayout bmp;
    bmp.headerSize = 12;
    bmp.height     = 40000;
    for (int y = 0; y < 40000; ++y)
        bmp.bits.insert(bmp.bits.end(), {static_cast<uint8_t>(y), static_cast<uint8_t>(y >> 8), 9, 0});
    ImagePtr image = Read(bmp);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->height, 40000);
    const uint8_t* p = image->pixels;
    EXPECT_EQ((Bytes{p[0], p[1], p[2]}), (Bytes{9, 0, 0}));
    p += 39999 * 3;
    EXPECT_EQ((Bytes{p[0], p[1], p[2]}), (Bytes{9, 39999 >> 8, 39999 & 0xFF}));
}

TEST_F(DibFormatTest, SixteenBitChannelsWidenToTheFullRange) {
    // 5-5-5: red 31, green 16, blue 1.
    uint16_t  pixel = 31 << 10 | 16 << 5 | 1;
    ImagePtr image  = Read(Masked(16, {static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8)}));
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{255, 132, 8}));

    // 5-6-5 bit fields: red 0, green 63, blue 16; then green 32.
    BmpLayout bmp     = Masked(16, {});
    bmp.compression = 3;
    bmp.afterHeader = Masks(0xF800, 0x07E0, 0x001F);
    bmp.width       = 2;
    uint16_t a = 63 << 5 | 16, b = 32 << 5;
    bmp.bits.clear();
    AppendU16(&bmp.bits, a);
    AppendU16(&bmp.bits, b);
    image     = Read(bmp);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{0, 255, 132, 0, 130, 0}));
}

TEST_F(DibFormatTest, ThirtyTwoBitPixelsWithAndWithoutBitFields) {
    ImagePtr image = Read(Masked(32, {1, 2, 3, 4}));
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{3, 2, 1}));

    // Ten-bit channels narrow with rounding; an empty mask gives 0.
    BmpLayout bmp     = Masked(32, {});
    bmp.compression = 3;
    bmp.afterHeader = Masks(0x3FF00000, 0x000FFC00, 0);
    uint32_t pixel   = 1023u << 20 | 512u << 10 | 0x3FF;
    bmp.bits.clear();
    AppendU32(&bmp.bits, pixel);
    image = Read(bmp);
    ASSERT_TRUE(image);
    EXPECT_EQ(Pixels(image.get()), (Bytes{255, 128, 0}));

    // A bare header gives the masks no place: refused.
    bmp.fileHeader = false;
    fake::ResetFake();
    EXPECT_FALSE(Read(bmp));
    ExpectOneMessage("Image file conversion error.");
}

TEST_F(DibFormatTest, RunLengthEightDecodesRunsEscapesAndSkips) {
    BmpLayout bmp     = Indexed8(4, {});
    bmp.compression = 1;
    bmp.width       = 5;
    bmp.height      = 3;
    // Row 0: a run of 2 x index 1, then absolute 1, 2, 3 (padded); end of line; a delta
    // (2, 1) leaves row 1 and the start of row 2 black; one index 3; end of bitmap.
    bmp.bits      = {2, 1, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 1, 3, 0, 1};
    ImagePtr image = Read(bmp);
    ASSERT_TRUE(image);
    Bytes c1 = {1, 254, 7}, c2 = {2, 253, 7}, c3 = {3, 252, 7}, k = {0, 0, 0}, expected;
    for (const Bytes* p : {&c1, &c1, &c1, &c2, &c3, &k, &k, &k, &k, &k, &k, &k, &c3, &k, &k})
        expected.insert(expected.end(), p->begin(), p->end());
    EXPECT_EQ(Pixels(image.get()), expected);
    ExpectNoMessage();
}

TEST_F(DibFormatTest, RunLengthFourAlternatesNibbles) {
    BmpLayout bmp;
    bmp.bitCount    = 4;
    bmp.compression = 2;
    bmp.width       = 7;
    for (int i = 0; i < 16; ++i) AddPaletteEntry(&bmp, static_cast<uint8_t>(i), 0, 0);
    bmp.bits      = {4, 0x12, 0, 3, 0xAB, 0xC0, 0, 1};
    ImagePtr image = Read(bmp);
    ASSERT_TRUE(image);
    Bytes expected;
    for (int i : {1, 2, 1, 2, 10, 11, 12}) expected.insert(expected.end(), {static_cast<uint8_t>(i), 0, 0});
    EXPECT_EQ(Pixels(image.get()), expected);
}

TEST_F(DibFormatTest, RunLengthStreamsThatLeaveThePictureAreRefused) {
    struct Case {
        const char* what;
        Bytes       bits;
    } cases[] = {
        {"run past the row", {6, 1, 0, 1}},
        {"absolute run past the row", {0, 6, 1, 1, 1, 1, 1, 1, 0, 1}},
        {"delta past the right edge", {0, 2, 6, 0, 0, 1}},
        {"delta past the top", {0, 2, 0, 3, 0, 1}},
        {"pixels above the last row", {0, 0, 0, 0, 1, 1, 0, 1}},
        {"stream ends in the picture", {2, 1}},
        {"absolute run cut short", {0, 4, 1, 1}},
        {"delta cut short", {0, 2, 1}},
    };
    for (const Case& c : cases) {
        BmpLayout bmp     = Indexed8(2, {});
        bmp.compression = 1;
        bmp.width       = 5;
        bmp.height      = 2;
        bmp.bits        = c.bits;
        fake::ResetFake();
        EXPECT_FALSE(Read(bmp)) << c.what;
        ExpectOneMessage("Image file conversion error.");
    }
}

TEST_F(DibFormatTest, DepthsAndCompressionsNotConvertedAreRefused) {
    struct Case {
        uint16_t bitCount;
        uint32_t compression;
        int32_t  width, height;
    } cases[] = {
        {2, 0, 1, 1},  {24, 1, 1, 1},  {8, 2, 1, 1},   {4, 1, 1, 1}, {1, 3, 1, 1}, {32, 6, 1, 1},
        {64, 0, 1, 1}, {0, 0, 1, 1},   {24, 0, 0, 1},  {24, 0, -1, 1}, {24, 0, 1, 0},
    };
    for (const Case& c : cases) {
        BmpLayout bmp     = Gradient24(1, 1);
        bmp.bitCount    = c.bitCount;
        bmp.compression = c.compression;
        bmp.width       = c.width;
        bmp.height      = c.height;
        bmp.bits.resize(64, 0);
        fake::ResetFake();
        EXPECT_FALSE(Read(bmp)) << c.bitCount << "/" << c.compression << " " << c.width << "x" << c.height;
        ExpectOneMessage("Image file conversion error.");
    }
    BmpLayout topDownRle     = Indexed8(2, {});
    topDownRle.compression = 1;
    topDownRle.height      = -1;
    topDownRle.bits        = {1, 1, 0, 1};
    fake::ResetFake();
    EXPECT_FALSE(Read(topDownRle));
    ExpectOneMessage("Image file conversion error.");
}

TEST_F(DibFormatTest, LaterAndUnknownHeaderKindsAreRefused) {
    for (uint32_t size : {108u, 124u, 64u, 16u, 0u}) {
        BmpLayout bmp    = Gradient24(1, 1);
        bmp.headerSize = size;
        fake::ResetFake();
        EXPECT_FALSE(Read(bmp)) << size;
        ExpectOneMessage("Unknown DIB file format.");
    }
}

TEST_F(DibFormatTest, SizesTheFileCannotHoldAreRefusedWithoutAllocating) {
    struct Case {
        const char* what;
        int32_t     width, height;
        uint16_t    bitCount;
        uint32_t    compression;
    } cases[] = {
        {"width x height x 3 beyond 64 bits", 0x7FFFFFFF, 0x7FFFFFFF, 24, 0},
        {"huge top-down", 0x7FFFFFFF, -0x7FFFFFFF, 32, 0},
        {"lowest height", 1, INT32_MIN, 24, 0},
        {"huge run-length picture from a tiny stream", 30000, 30000, 8, 1},
    };
    for (const Case& c : cases) {
        BmpLayout bmp     = Indexed8(2, {});
        bmp.width       = c.width;
        bmp.height      = c.height;
        bmp.bitCount    = c.bitCount;
        bmp.compression = c.compression;
        bmp.bits        = {0, 1, 0, 0};
        ImagePtr image;
        EXPECT_EQ(DecodeCopy(BuildBmp(bmp), &image), DibStatus::conversionError) << c.what;
        EXPECT_FALSE(image);
    }
}

TEST_F(DibFormatTest, EveryTruncationEndsCleanly) {
    BmpLayout rle     = Indexed8(4, {});
    rle.compression = 1;
    rle.width       = 5;
    rle.height      = 2;
    rle.bits        = {2, 1, 0, 3, 1, 2, 3, 0, 0, 0, 5, 2, 0, 1};
    BmpLayout core    = Indexed8(0, {});
    core.headerSize = 12;
    core.bitCount   = 1;
    core.width      = 1;
    AddPaletteEntry(&core, 1, 2, 3);
    AddPaletteEntry(&core, 4, 5, 6);
    core.bits        = {0x80, 0, 0, 0};
    BmpLayout masked   = Masked(16, {1, 2, 3, 4});
    masked.compression = 3;
    masked.afterHeader = Masks(0xF800, 0x07E0, 0x001F);
    for (const BmpLayout& bmp : {Gradient24(3, 2), Indexed8(3, {0, 1, 2}), rle, core, masked}) {
        Bytes file = BuildBmp(bmp);
        ImagePtr whole;
        ASSERT_EQ(DecodeCopy(file, &whole), DibStatus::ok);
        for (size_t length = 1; length < file.size(); ++length) {
            ImagePtr image;
            DibStatus status = DecodeCopy(Bytes(file.begin(), file.begin() + length), &image);
            EXPECT_NE(status, DibStatus::ok) << "length " << length << " of " << file.size();
            EXPECT_EQ(status == DibStatus::ok, image != nullptr);
        }
    }
}

TEST(DibColorCount, CoreUsesTheDepthAndInfoPrefersColoursUsed) {
    auto count = [](uint32_t size, uint16_t coreBits, uint16_t infoBits, uint32_t colorsUsed) {
        Bytes header(40, 0);
        header[0]  = static_cast<uint8_t>(size);
        header[10] = static_cast<uint8_t>(coreBits);
        header[14] = static_cast<uint8_t>(infoBits);
        std::memcpy(&header[32], &colorsUsed, 4);
        return CountDibColors(header.data());
    };
    EXPECT_EQ(count(12, 1, 0, 0), 2);
    EXPECT_EQ(count(12, 4, 0, 0), 16);
    EXPECT_EQ(count(12, 8, 0, 7), 256);
    EXPECT_EQ(count(12, 24, 8, 7), 0);
    EXPECT_EQ(count(40, 8, 8, 0), 256);
    EXPECT_EQ(count(40, 0, 4, 0), 16);
    EXPECT_EQ(count(40, 0, 8, 16), 16);
    EXPECT_EQ(count(40, 0, 24, 5), 5);
    EXPECT_EQ(count(40, 0, 16, 0), 0);
    EXPECT_EQ(count(40, 0, 32, 0), 0);
    EXPECT_EQ(count(40, 0, 8, 0x12345), 0x2345);
    EXPECT_EQ(count(108, 0, 1, 0), 2);
}

}  // namespace
