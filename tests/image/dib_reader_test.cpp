// dib_reader_test.cpp — the reader as a file reader: the narrow and wide forms, the
// open failures and their message, the owner of every message, and nothing left open.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstring>
#include <fstream>
#include <string>

#include "image/dib_names.h"
#include "tests/image/dib_test_support.h"

namespace {

constexpr char kPrefix[] = "Failed to open DIB file ";

BmpLayout SmallImage() {
    BmpLayout bmp;
    bmp.width  = 2;
    bmp.height = 2;
    bmp.bits   = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    return bmp;
}

int CountOpenFiles() {
    int  count = 0;
    DIR* dir   = opendir("/proc/self/fd");
    while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
}

bool IsMapped(const std::string& path) {
    std::ifstream maps("/proc/self/maps");
    std::string   line;
    while (std::getline(maps, line))
        if (line.find(path) != std::string::npos) return true;
    return false;
}

class DibReaderTest : public DibTest {};

TEST_F(DibReaderTest, ReadsWithoutMessageAndLeavesNothingOpen) {
    std::string path  = dir_.Write("small.bmp", BuildBmp(SmallImage()));
    int         files = CountOpenFiles();
    ImagePtr    image(ReadDibImage(path.c_str()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(Pixels(image.get()), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
    ExpectNoMessage();
    EXPECT_EQ(CountOpenFiles(), files);
    EXPECT_FALSE(IsMapped(path));
    image.reset(ReadDibImage(path.c_str(), false));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels[0], 3);

    BmpLayout bad    = SmallImage();
    bad.headerSize = 108;
    path           = dir_.Write("bad.bmp", BuildBmp(bad));
    EXPECT_FALSE(ReadDibImage(path.c_str()));
    ExpectOneMessage("Unknown DIB file format.");
    EXPECT_EQ(CountOpenFiles(), files);
    EXPECT_FALSE(IsMapped(path));
}

// Small files are read into memory and large ones mapped; either way the whole file
// arrives and nothing stays open or mapped. 1 MiB is where the reading stops.
TEST_F(DibReaderTest, FilesOnEitherSideOfTheReadingLimitReadWhole) {
    for (const int32_t width : {16, 600}) {
        SCOPED_TRACE(width);
        BmpLayout bmp;
        bmp.width  = width;
        bmp.height = width;
        bmp.bits.resize(static_cast<size_t>(width) * 3 * width);
        for (size_t i = 0; i < bmp.bits.size(); ++i) bmp.bits[i] = static_cast<uint8_t>(i * 7 + i / 251);
        const std::vector<uint8_t> file = BuildBmp(bmp);
        ASSERT_EQ(file.size() >= (1u << 20), width == 600);
        const std::string path  = dir_.Write("square.bmp", file);
        const int         files = CountOpenFiles();
        ImagePtr          image(ReadDibImage(path.c_str()));
        ASSERT_TRUE(image);
        const std::vector<uint8_t> pixels = Pixels(image.get());
        ASSERT_EQ(pixels.size(), bmp.bits.size());
        for (const size_t i : {size_t{0}, pixels.size() / 2, pixels.size() - 3}) {
            EXPECT_EQ(pixels[i], bmp.bits[i + 2]);
            EXPECT_EQ(pixels[i + 2], bmp.bits[i]);
        }
        EXPECT_EQ(CountOpenFiles(), files);
        EXPECT_FALSE(IsMapped(path));
    }
}

TEST_F(DibReaderTest, MessagesBelongToTheFocusWindow) {
    fake::Fake().focus = reinterpret_cast<WindowHandle>(&fake::Fake());
    EXPECT_FALSE(ReadDibImage((dir_.path() + "/missing.bmp").c_str()));
    ExpectOneMessage(kPrefix + dir_.path() + "/missing.bmp.\n");
    EXPECT_EQ(fake::Fake().boxes[0].owner, reinterpret_cast<WindowHandle>(&fake::Fake()));
}

TEST_F(DibReaderTest, EmptyMissingAndUnmappableFilesAreOpenFailures) {
    for (const std::string& path : {dir_.Write("empty.bmp", {}), dir_.path() + "/none.bmp", dir_.path()}) {
        fake::ResetFake();
        EXPECT_FALSE(ReadDibImage(path.c_str())) << path;
        ExpectOneMessage(kPrefix + path + ".\n");
    }
}

TEST_F(DibReaderTest, LongNamesAreShortenedToFitTheMessage) {
    std::string name = dir_.path() + "/" + std::string(400, 'd') + "/tail-of-the-name.bmp";
    EXPECT_FALSE(ReadDibImage(name.c_str()));
    ASSERT_EQ(fake::Fake().boxes.size(), 1u);
    const std::string& text = fake::Fake().boxes[0].text;
    EXPECT_EQ(text.size(), kOpenMessageSize - 1);
    EXPECT_EQ(text.rfind(std::string(kPrefix) + "...", 0), 0u);
    EXPECT_NE(text.find("dddd/tail-of-the-name.bmp.\n"), std::string::npos);

    // The cut never splits a character: a name of two-byte characters keeps whole ones.
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += "\xC3\xA4";
    char message[kOpenMessageSize];
    FormatOpenFailure(wide.c_str(), message);
    std::string shortened(message);
    EXPECT_LE(shortened.size(), kOpenMessageSize - 1);
    std::string name2 = shortened.substr(sizeof kPrefix - 1 + 3, shortened.size() - (sizeof kPrefix - 1 + 3) - 2);
    EXPECT_EQ(name2.size() % 2, 0u);
    EXPECT_EQ(static_cast<unsigned char>(name2[0]), 0xC3);
    EXPECT_EQ(shortened.substr(shortened.size() - 2), ".\n");

    // A name that fits is kept whole.
    FormatOpenFailure("short.bmp", message);
    EXPECT_STREQ(message, "Failed to open DIB file short.bmp.\n");
}

TEST_F(DibReaderTest, WideNamesOpenTheirFileAndAppearInTheMessage) {
    dir_.Write("b\xC3\xA4r-\xE2\x82\xAC.bmp", BuildBmp(SmallImage()));
    std::wstring folder(dir_.path().begin(), dir_.path().end());
    std::wstring name = folder + L"/b\u00E4r-\u20AC.bmp";
    ImagePtr     image(ReadDibImage(name.c_str(), true));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels[0], 3);
    ExpectNoMessage();

    std::wstring missing = folder + L"/n\u00E4mlich.bmp";
    EXPECT_FALSE(ReadDibImage(missing.c_str(), true));
    ExpectOneMessage(kPrefix + dir_.path() + "/n\xC3\xA4mlich.bmp.\n");

    // A value that is no character can name no file; it shows as U+FFFD.
    fake::ResetFake();
    std::wstring invalid = folder + L"/x";
    invalid += static_cast<wchar_t>(0xD800);
    EXPECT_FALSE(ReadDibImage(invalid.c_str(), true));
    ExpectOneMessage(kPrefix + dir_.path() + "/x\xEF\xBF\xBD.\n");
}

}  // namespace
