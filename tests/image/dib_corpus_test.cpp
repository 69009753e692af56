// dib_corpus_test.cpp — the BMP conformance corpora: our generated one, where every file
// reads as the picture it was encoded from or fails with the message its damage calls
// for, and the public one when it lies beside the checkout, where every good image
// matches its reference picture, every questionable one is read or refused as the table
// says, and every bad one ends cleanly. Each file goes through the file reader and
// through the decoder on an exact-size copy, so the sanitizer sees any stray read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "image/dib_decode.h"
#include "tests/image/dib_test_support.h"
#include "tests/support/png_reader.h"

namespace {

namespace fs = std::filesystem;

constexpr char kUnknown[]    = "Unknown DIB file format.";
constexpr char kConversion[] = "Image file conversion error.";

std::string CorpusDir(const std::string& folder) {
    return std::string(ISLAND_SHARED_DIR) + "/testdata/bmpsuite/" + folder;
}

std::set<std::string> BmpNames(const std::string& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(CorpusDir(folder)))
        if (entry.path().extension() == ".bmp") names.insert(entry.path().stem().string());
    return names;
}

// What the reader does with a file: nullptr means it reads it, else the one message.
using Outcomes = std::map<std::string, const char*>;

// The questionable files, and why each is read or refused.
const Outcomes kQuestionable = {
    {"pal1huffmsb", kUnknown},       // 64-byte OS/2 header (Huffman compressed)
    {"pal1p1", nullptr},             // 1 entry of 2: the missing one is black
    {"pal2", kConversion},           // 2 bits per pixel: not a converted depth
    {"pal2color", kConversion},      // the same
    {"pal4rlecut", nullptr},         // deltas and early ends leave pixels black
    {"pal4rletrns", nullptr},        // the same
    {"pal8offs", nullptr},           // gap before the bits: the bits offset is honoured
    {"pal8os2-hs", nullptr},         // core header; the odd fields are not read
    {"pal8os2-sz", nullptr},         // the same
    {"pal8os2sp", nullptr},          // core table cut short by the bits offset
    {"pal8os2v2-16", kUnknown},      // 16-byte OS/2 v2 header
    {"pal8os2v2-40sz", nullptr},     // a plain 40-byte header
    {"pal8os2v2-sz", kUnknown},      // 64-byte OS/2 v2 header
    {"pal8os2v2", kUnknown},         // the same
    {"pal8oversizepal", nullptr},    // 300 entries: only 256 are addressable
    {"pal8rlecut", nullptr},         // deltas and early ends leave pixels black
    {"pal8rletrns", nullptr},        // the same
    {"rgb16-231", nullptr},          // odd bit fields widen like any other
    {"rgb16-3103", nullptr},         // the same
    {"rgb16faketrns", nullptr},      // the unused bit is ignored
    {"rgb24jpeg", kUnknown},         // 124-byte header
    {"rgb24largepal", nullptr},      // a colour table a 24-bit image does not use
    {"rgb24lprof", kUnknown},        // 124-byte header
    {"rgb24png", kUnknown},          // 124-byte header
    {"rgb24prof", kUnknown},         // 124-byte header
    {"rgb24prof2", kUnknown},        // 124-byte header
    {"rgb24rle24", kUnknown},        // 64-byte OS/2 header
    {"rgb32-111110", nullptr},       // 11-11-10 bit fields narrow with rounding
    {"rgb32-7187", nullptr},         // odd bit fields
    {"rgb32-xbgr", kUnknown},        // 124-byte header
    {"rgb32fakealpha", nullptr},     // the fourth byte is ignored
    {"rgb32h52", kUnknown},          // 52-byte header
    {"rgba16-1924", kUnknown},       // 124-byte header
    {"rgba16-4444", kUnknown},
    {"rgba16-5551", kUnknown},
    {"rgba32-1", kUnknown},
    {"rgba32-1010102", kUnknown},
    {"rgba32-2", kUnknown},
    {"rgba32-61754", kUnknown},
    {"rgba32-81284", kUnknown},
    {"rgba32abf", kConversion},      // alpha bit fields (compression 6): not converted
    {"rgba32h56", kUnknown},         // 56-byte header
    {"rgba64", kConversion},         // 64 bits per pixel: not converted
};

// The bad files. Several hold a picture the reader can take as it stands.
const Outcomes kBad = {
    {"badbitcount", kConversion},    // 30000 bits per pixel
    {"badbitssize", nullptr},        // the image size field is not needed
    {"baddens1", nullptr},           // resolutions are not read
    {"baddens2", nullptr},
    {"badfilesize", nullptr},        // the file size field is not read
    {"badheadersize", kUnknown},     // 66-byte header
    {"badpalettesize", nullptr},     // colours used far beyond the file: the held entries serve
    {"badplanes", nullptr},          // planes are not read
    {"badrle", kConversion},         // runs past the row's end
    {"badrle4", kConversion},
    {"badrle4bis", kConversion},     // deltas past the row's end
    {"badrle4ter", kConversion},
    {"badrlebis", kConversion},
    {"badrleter", kConversion},
    {"badwidth", kConversion},       // negative width
    {"pal8badindex", nullptr},       // indices beyond the table are black
    {"reallybig", kConversion},      // 3000000 x 2000000 in 24 KB
    {"rgb16-880", nullptr},          // an empty blue mask gives 0
    {"rletopdown", kConversion},     // top-down run-length bits do not exist
    {"shortfile", kConversion},      // the bits end early
};

class DibCorpusTest : public DibTest {
protected:
    void SetUp() override {
        DibTest::SetUp();
        if (!fs::is_directory(CorpusDir("g")))
            GTEST_SKIP() << "no public BMP corpus at " << CorpusDir("") << " (-DISLAND_SHARED_DIR=... points to it)";
    }

    void ExpectOutcomes(const std::string& folder, const Outcomes& outcomes) {
        std::set<std::string> listed;
        for (const auto& [name, message] : outcomes) listed.insert(name);
        ASSERT_EQ(BmpNames(folder), listed) << "the table must name every file of " << folder;
        for (const auto& [name, message] : outcomes) {
            SCOPED_TRACE(folder + "/" + name);
            fake::ResetFake();
            std::string path = CorpusDir(folder) + "/" + name + ".bmp";
            ImagePtr    image(ReadDibImage(path.c_str()));
            if (message) {
                EXPECT_FALSE(image);
                ExpectOneMessage(message);
            } else {
                ASSERT_TRUE(image);
                EXPECT_GT(image->width, 0);
                EXPECT_GT(image->height, 0);
                ExpectNoMessage();
            }
            ExpectSameFromCopy(path, image.get());
        }
    }

    // The decoder on an exact-size heap copy gives the same result as the file reader.
    void ExpectSameFromCopy(const std::string& path, const RgbImage* fromFile) {
        std::vector<uint8_t> file = ReadWholeFile(path);
        uint8_t*             copy = static_cast<uint8_t*>(std::malloc(file.size()));
        std::memcpy(copy, file.data(), file.size());
        RgbImage* raw = nullptr;
        DecodeDib(copy, file.size(), &raw);
        std::free(copy);
        ImagePtr decoded(raw);
        ASSERT_EQ(decoded != nullptr, fromFile != nullptr);
        if (decoded) {
            EXPECT_EQ(Pixels(decoded.get()), Pixels(fromFile));
        }
    }
};

// A binary PPM as the corpus generator writes it: "P6\nW H\n255\n", then the rows top first.
bool ReadPpm(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgb) {
    std::vector<uint8_t> file = ReadWholeFile(path);
    std::string          text(file.begin(), file.end());
    std::istringstream   header(text);
    std::string          magic;
    int                  maxValue = 0;
    header >> magic >> *width >> *height >> maxValue;
    if (!header || magic != "P6" || maxValue != 255) return false;
    size_t start = static_cast<size_t>(header.tellg()) + 1;
    rgb->assign(file.begin() + static_cast<long>(start), file.end());
    return rgb->size() == static_cast<size_t>(*width) * *height * 3;
}

class GeneratedCorpusTest : public DibCorpusTest {
protected:
    void SetUp() override { DibTest::SetUp(); }
};

TEST_F(GeneratedCorpusTest, EveryFileReadsAsEncodedOrFailsWithItsMessage) {
    std::ifstream manifest(ISLAND_CORPUS_DIR "/corpus.txt");
    ASSERT_TRUE(manifest) << "no corpus at " ISLAND_CORPUS_DIR;
    const std::map<std::string, const char*> messages = {{"unknown", kUnknown}, {"conversion", kConversion}};
    std::map<std::string, int>               counts;
    std::string                              line;
    while (std::getline(manifest, line)) {
        SCOPED_TRACE(line);
        std::string name, outcome;
        std::istringstream(line) >> name >> outcome;
        ++counts[outcome];
        fake::ResetFake();
        std::string path = ISLAND_CORPUS_DIR "/" + name + ".bmp";
        ImagePtr    image(ReadDibImage(path.c_str()));
        if (outcome != "ok") {
            ASSERT_TRUE(messages.count(outcome));
            EXPECT_FALSE(image);
            ExpectOneMessage(messages.at(outcome));
        } else {
            ASSERT_TRUE(image);
            ExpectNoMessage();
            int                  width = 0, height = 0;
            std::vector<uint8_t> want;
            ASSERT_TRUE(ReadPpm(ISLAND_CORPUS_DIR "/" + name + ".ppm", &width, &height, &want));
            ASSERT_EQ(image->width, width);
            ASSERT_EQ(image->height, height);
            size_t row = static_cast<size_t>(width) * 3;
            for (int y = 0; y < height; ++y)
                EXPECT_EQ(0, std::memcmp(image->pixels + (height - 1 - y) * row, want.data() + y * row, row))
                    << "picture row " << y << " from the top";
        }
        ExpectSameFromCopy(path, image.get());
    }
    // Every kind of outcome is there in number: a corpus cut short fails here.
    EXPECT_GE(counts["ok"], 50);
    EXPECT_GE(counts["unknown"], 30);
    EXPECT_GE(counts["conversion"], 70);
}

TEST_F(DibCorpusTest, GoodImagesMatchTheirReferencePictures) {
    std::set<std::string> names = BmpNames("g");
    ASSERT_EQ(names.size(), 27u);
    for (const std::string& name : names) {
        SCOPED_TRACE("g/" + name);
        fake::ResetFake();
        std::string path = CorpusDir("g") + "/" + name + ".bmp";
        ImagePtr    image(ReadDibImage(path.c_str()));
        if (name == "pal8v4" || name == "pal8v5") {
            EXPECT_FALSE(image);
            ExpectOneMessage(kUnknown);
            continue;
        }
        ASSERT_TRUE(image);
        ExpectNoMessage();
        RgbPicture  reference;
        std::string error;
        ASSERT_TRUE(ReadPng(CorpusDir("g") + "/" + name + ".png", &reference, &error)) << error;
        ASSERT_EQ(image->width, reference.width);
        ASSERT_EQ(image->height, reference.height);
        // The reference starts with the top row, the image with the bottom one.
        size_t row = static_cast<size_t>(reference.width) * 3;
        int    differing = 0;
        for (int y = 0; y < reference.height; ++y) {
            const uint8_t* got  = image->pixels + (reference.height - 1 - y) * row;
            const uint8_t* want = reference.rgb.data() + y * row;
            differing += std::memcmp(got, want, row) != 0;
        }
        EXPECT_EQ(differing, 0) << "rows that differ from the reference";
        ExpectSameFromCopy(path, image.get());
    }
}

TEST_F(DibCorpusTest, QuestionableImagesAreReadOrRefusedAsTabled) { ExpectOutcomes("q", kQuestionable); }

TEST_F(DibCorpusTest, BadImagesEndCleanly) { ExpectOutcomes("b", kBad); }

}  // namespace
