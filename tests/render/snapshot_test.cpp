// snapshot_test.cpp — the island-snapshot program as users run it: its command line,
// its errors and the pictures it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/png_reader.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int         status;
    std::string out, err;
};

std::string readFile(const fs::path& path) {
    std::ifstream     in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("island-snapshot-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    ToolRun snapshot(const std::string& args) {
        const std::string command = std::string("timeout 120 '") + ISLAND_SNAPSHOT + "' " + args + " >'" +
                                    (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir_ / "out"), readFile(dir_ / "err")};
    }

    std::string png(const std::string& name) { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(SnapshotTest, HelpListsTheOptionsAndSucceeds) {
    const ToolRun r = snapshot("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: island-snapshot", 0), 0u) << r.out;
    for (const char* option : {"--directory", "--size", "--pose", "--fire", "--time", "--keys", "--fps", "--sheet"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    EXPECT_TRUE(r.err.empty());
}

TEST_F(SnapshotTest, BadUsageIsNamedAndExitsWithTwo) {
    const struct {
        std::string args, message;
    } cases[] = {
        {"", "no output file given"},
        {"--bogus x.png", "unknown option '--bogus'"},
        {"-z x.png", "unknown option '-z'"},
        {"--size", "option '--size' needs a value"},
        {"--size 64 x.png", "bad size '64'"},
        {"--size 0x10 x.png", "bad size '0x10'"},
        {"--pose 1,2,3 x.png", "bad pose '1,2,3'"},
        {"--pose 1,2,3,4,5,6,7 x.png", "bad pose"},
        {"--fire 7 x.png", "bad fire step '7'"},
        {"--time -1 x.png", "bad time '-1'"},
        {"--keys q x.png", "bad key script step 'q'"},
        {"--keys up+jump*3 x.png", "unknown key 'jump'"},
        {"--keys q*2, x.png", "empty step"},
        {"--fps 0 x.png", "bad frame rate '0'"},
        {"a.png b.png", "unexpected argument 'b.png'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun r = snapshot(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("island-snapshot: " + c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir_ / "x.png"));
}

TEST_F(SnapshotTest, FailuresToReadOrWriteExitWithOne) {
    ToolRun r = snapshot("-C '" + png("no-such-dir") + "' x.png");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot enter"), std::string::npos) << r.err;
    r = snapshot("'" + png("no-such-dir/x.png") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

// With no texture files at all the scene still renders: the clear colour shows above
// the horizon and the untextured geometry below it.
TEST_F(SnapshotTest, WritesAPictureOfTheRequestedSize) {
    const ToolRun r = snapshot("-C '" + dir_.string() + "' --size 64x48 shot.png");
    ASSERT_EQ(r.status, 0) << r.err;
    RgbPicture picture;
    ASSERT_TRUE(ReadPng(png("shot.png"), &picture));
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 48);
    const uint8_t* corner = picture.rgb.data();
    EXPECT_EQ(corner[0], 0);
    EXPECT_EQ(corner[1], 0);
    EXPECT_NEAR(corner[2], 51, 1);
}

// A sheet tiles its poses in order, three here in one row with two-pixel gaps; the
// committed list of poses parses; a bad line is named.
TEST_F(SnapshotTest, AContactSheetTilesEveryPoseInOrder) {
    std::ofstream(dir_ / "poses.txt") << "# looking around\n0,0,0,0,-50,-500  start\n\n"
                                         "-60,0,0,0,-50,-500 up into the sky\n60,0,0,0,-50,-500\n";
    const std::string in = "-C '" + dir_.string() + "' ";
    const ToolRun     r  = snapshot(in + "--size 40x30 --sheet '" + (dir_ / "poses.txt").string() + "' sheet.png");
    ASSERT_EQ(r.status, 0) << r.err;
    RgbPicture sheet;
    ASSERT_TRUE(ReadPng(png("sheet.png"), &sheet));
    ASSERT_EQ(sheet.width, 3 * 40 + 2 * 2);
    ASSERT_EQ(sheet.height, 30);
    auto skyIn = [&](int tile) {
        int sky = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = tile * 42; x < tile * 42 + 40; ++x) {
                const uint8_t* p = &sheet.rgb[(static_cast<size_t>(y) * sheet.width + x) * 3];
                sky += p[0] < 12 && p[1] < 12 && std::abs(p[2] - 51) < 4;
            }
        return sky;
    };
    // Looking up shows more sky than the start, looking down none.
    EXPECT_GT(skyIn(1), skyIn(0));
    EXPECT_GT(skyIn(0), 0);
    EXPECT_EQ(skyIn(2), 0);
    EXPECT_EQ(sheet.rgb[40 * 3], 64) << "the gap between tiles";

    std::ofstream(dir_ / "bad.txt") << "0,0,0,0,-50,-500\n0,0,0\n";
    const ToolRun bad = snapshot("--sheet '" + (dir_ / "bad.txt").string() + "' x.png");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("bad pose on line 2"), std::string::npos) << bad.err;

    const ToolRun all =
        snapshot(in + "--size 8x6 --sheet '" ISLAND_SOURCE_DIR "/tools/island_snapshot/contact_poses.txt' all.png");
    EXPECT_EQ(all.status, 0) << all.err;
}

// The trees and the smoke are blended with depth writes on, and the trees come before
// the water: wherever one of them stands in front of the sea, the sea must still show
// through its empty texels. Below the horizon (the sea's far edge lies a few rows under
// the horizon at infinity) no pixel may then be the bare clear colour.
TEST_F(SnapshotTest, TheSeaShowsThroughTheEmptyTexelsOfTheTreesAndTheSmoke) {
    const struct {
        const char* pose;
        int         fire;
        double      pitch;
    } views[] = {
        {"8,-143,0,-40,-30,-50", 1, 8},   // over the grass, both trees against the sea
        {"6,-120,0,-40,-25,-70", 1, 6},   // over the gravel, the trees close in
        {"22,180,0,140,-40,10", 3, 22},   // above the campfire, both puffs over the sea
    };
    const double kHalfFov = 22.5 * std::numbers::pi / 180;
    for (const auto& v : views) {
        SCOPED_TRACE(v.pose);
        const ToolRun r = snapshot(std::string("-C '") + ISLAND_TEXTURE_DIR + "' --size 320x240 --fire " +
                                   std::to_string(v.fire) + " --pose " + v.pose + " '" + png("shot.png") + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        RgbPicture shot;
        ASSERT_TRUE(ReadPng(png("shot.png"), &shot));
        const int horizon = static_cast<int>(120 - 120 * std::tan(v.pitch * std::numbers::pi / 180) / std::tan(kHalfFov));
        int       bare    = 0;
        for (int y = horizon + 6; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x) {
                const uint8_t* p = &shot.rgb[(static_cast<size_t>(y) * shot.width + x) * 3];
                bare += p[0] < 12 && p[1] < 12 && std::abs(p[2] - 51) < 4;
            }
        EXPECT_EQ(bare, 0) << "pixels of the clear colour below row " << horizon + 6;
    }
}

// The island as the viewer draws it, against pictures made once and looked at: the
// starting pose, and a scripted flight. Small differences in rasterisation between Mesa
// versions pass; a changed transform, texture, light or campfire does not. To remake a
// reference after a deliberate change, run the command in the test's trace with the
// reference's path as output and look at the result before committing it.
struct Reference {
    const char* file;
    const char* args;
};

std::string referenceName(const ::testing::TestParamInfo<Reference>& info) {
    const std::string file = info.param.file;
    return file.substr(0, file.find('_'));
}

class SnapshotReferenceTest : public SnapshotTest, public ::testing::WithParamInterface<Reference> {};

TEST_P(SnapshotReferenceTest, MatchesTheReferencePicture) {
    const Reference&  ref  = GetParam();
    const std::string args = std::string("-C '") + ISLAND_TEXTURE_DIR + "' " + ref.args;
    SCOPED_TRACE(std::string("island-snapshot ") + args + " OUTPUT");
    const ToolRun r = snapshot(args + " '" + png("shot.png") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;

    RgbPicture shot, expected;
    ASSERT_TRUE(ReadPng(png("shot.png"), &shot));
    ASSERT_TRUE(ReadPng(std::string(ISLAND_REFERENCE_DIR) + "/" + ref.file, &expected));
    ASSERT_EQ(shot.width, expected.width);
    ASSERT_EQ(shot.height, expected.height);
    double total = 0;
    size_t far   = 0;
    for (size_t i = 0; i < shot.rgb.size(); i += 3) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(shot.rgb[i + c] - expected.rgb[i + c]);
            total += d;
            worst = std::max(worst, d);
        }
        far += worst > 48;
    }
    const size_t pixels = shot.rgb.size() / 3;
    EXPECT_LT(total / shot.rgb.size(), 2.0);
    EXPECT_LT(far, pixels / 200) << far << " of " << pixels << " pixels differ by more than 48";
}

INSTANTIATE_TEST_SUITE_P(Island, SnapshotReferenceTest,
                         ::testing::Values(Reference{"start_320x240.png", "--size 320x240"},
                                           Reference{"campfire_160x120.png",
                                                     "--size 160x120 --fire 3 --pose 15,-5,0,120,-25,-110"},
                                           Reference{"flight_160x120.png",
                                                     "--size 160x120 --fire 4 --time 2 "
                                                     "--keys q*41,up*30,right*60,none*10"}),
                         referenceName);

}  // namespace
