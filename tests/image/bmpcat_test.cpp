// bmpcat_test.cpp — the bmpcat tool as users run it: a PPM on standard output that
// matches the reference picture, or the reader's message on standard error and status 1.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/image/bmp_builder.h"

namespace {

struct ToolRun {
    int                  status;
    std::vector<uint8_t> out;
    std::string          err;
};

ToolRun RunBmpcat(const TempDir& dir, const std::string& argument) {
    std::string outPath = dir.path() + "/out.ppm", errPath = dir.path() + "/err.txt";
    std::string command = "timeout 30 '" ISLAND_BINARY_DIR "/tools/bmpcat/bmpcat' '" + argument + "' >'" + outPath +
                          "' 2>'" + errPath + "'";
    int                  raw = std::system(command.c_str());
    std::vector<uint8_t> err = ReadWholeFile(errPath);
    return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(outPath), std::string(err.begin(), err.end())};
}

TEST(Bmpcat, WritesTheTopRowFirstAsBinaryPpm) {
    TempDir dir;
    for (const char* name : {"rgb24-w5", "pal8-topdown", "rle4-delta"}) {
        SCOPED_TRACE(name);
        std::string base = std::string(ISLAND_CORPUS_DIR "/") + name;
        ToolRun     run  = RunBmpcat(dir, base + ".bmp");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out == ReadWholeFile(base + ".ppm"));
    }
}

TEST(Bmpcat, FailuresPrintTheReadersMessageAndExitWithOne) {
    TempDir dir;
    ToolRun missing = RunBmpcat(dir, dir.path() + "/none.bmp");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Failed to open DIB file " + dir.path() + "/none.bmp.\n");
    EXPECT_TRUE(missing.out.empty());

    ToolRun refused = RunBmpcat(dir, ISLAND_CORPUS_DIR "/header-108.bmp");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Unknown DIB file format.\n");
    EXPECT_TRUE(refused.out.empty());
}

}  // namespace
