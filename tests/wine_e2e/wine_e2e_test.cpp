// wine_e2e_test.cpp — the Windows build under Wine on a private Xvfb: the first window
// as Win32 sees it (title, class "OpenGL", 640x480 client) and its first picture, the
// ways out and their status, F1 on a screen without 640x480 with both answers to the
// question, and a missing and a damaged texture; on Xorg, the real mode change. The
// cross-build's window_probe reads the Win32 side.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/e2e/picture_checks.h"
#include "tests/e2e/xvfb_harness.h"

using namespace e2e;

namespace {

namespace fs = std::filesystem;

constexpr char kBuild[]       = ISLAND_WINDOWS_BUILD_DIR;
constexpr int kWaitMs = 30000;

// One argument for the shell, whatever it holds.
std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The working folder a Windows shortcut (.lnk) names, or "" where it names none: the
// link's header, its target's item list and location block, then its strings, each a
// count and UTF-16 characters (the Shell Link format).
std::string ShortcutWorkingFolder(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto u16 = [&](size_t at) { return at + 2 <= data.size() ? static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8 : 0; };
    const auto u32 = [&](size_t at) { return at + 4 <= data.size() ? u16(at) | static_cast<uint32_t>(u16(at + 2)) << 16 : 0; };
    constexpr uint32_t kHasItemList = 1, kHasLocation = 2, kHasName = 4, kHasRelativePath = 8, kHasWorkingDir = 16,
                       kUnicode = 128;
    const uint32_t flags = u32(20);
    size_t         at    = 76;
    if (flags & kHasItemList) at += 2 + u16(at);
    if (flags & kHasLocation) at += u32(at);
    const auto skipString = [&] { at += 2 + u16(at) * ((flags & kUnicode) ? 2 : 1); };
    if (flags & kHasName) skipString();
    if (flags & kHasRelativePath) skipString();
    if (!(flags & kHasWorkingDir) || !(flags & kUnicode)) return {};
    std::string folder;
    // Some writers count a closing NUL too.
    for (uint32_t i = 0, count = u16(at); i < count && u16(at + 2 + 2 * i) != 0; ++i)
        folder += static_cast<char>(u16(at + 2 + 2 * i));
    return folder;
}

struct ProbeResult {
    int         status = -1;
    std::string output;
};

class WineViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(std::string(kBuild) + "/island-wine") || !fs::exists(std::string(kBuild) + "/island.exe"))
            GTEST_SKIP() << "no Windows build at " << kBuild
                         << " (cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake, then "
                            "-DISLAND_WINDOWS_BUILD_DIR=... here if it lies elsewhere)";
        // Whatever the prefix still runs (its desktop process from an earlier run) is
        // bound to another server; the test's programs start it anew on this one.
        std::system((std::string(kBuild) + "/island-wine --stop").c_str());
        std::string error;
        ASSERT_TRUE(StartServer(&error)) << error;
        workDir_ = MakeTempDir();
        for (const auto& entry : fs::directory_iterator(kBuild))
            if (entry.path().extension() == ".bmp") fs::copy_file(entry.path(), fs::path(workDir_) / entry.path().filename());
    }

    void TearDown() override {
        if (viewer_.Running()) viewer_.Kill();
        viewer_.WaitForExit(5000);
        if (!workDir_.empty()) {
            std::system((std::string(kBuild) + "/island-wine --stop").c_str());
            fs::remove_all(workDir_);
        }
    }

    // Xvfb offers only its one 1024x768 mode, so every F1 meets a refusal.
    virtual bool StartServer(std::string* error) { return server_.Start(1024, 768, 24, error); }

    // Starts the viewer and waits until it draws: keys sent before then may find Wine
    // still settling which window is active.
    void StartViewer(const std::string& program = std::string(kBuild) + "/island-wine", std::string folder = "") {
        std::string error;
        if (folder.empty()) folder = workDir_;
        ASSERT_TRUE(viewer_.Start(program, folder, server_.DisplayName(), &error)) << error;
        ASSERT_TRUE(WaitForWindow(server_, kFirstTitle, kWaitMs, &first_)) << viewer_.Output();
        client_ = Client(kFirstTitle);
        ASSERT_EQ(client_.substr(0, 8), "640x480+") << client_ << viewer_.Output();
        scene_ = WaitForScene(client_);
    }

    // Runs the probe until it succeeds or the time is up; a window may still be coming.
    // Its output goes through a file: a pipe would stay open for as long as the Wine
    // server lives when the probe happens to be the program that starts it.
    ProbeResult Probe(const std::string& arguments) {
        const std::string output  = workDir_ + "/probe.txt";
        const std::string command = "DISPLAY=" + server_.DisplayName() + " timeout 20 " + kBuild + "/wine-run " +
                                    kBuild + "/tests/windows/window_probe.exe " + arguments + " > " + output + " 2>&1";
        ProbeResult result;
        const auto  deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        do {
            const int status = std::system(command.c_str());
            result.status    = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            // The probe writes text the Windows way, with CR LF line ends.
            std::ifstream in(output, std::ios::binary);
            result.output.clear();
            for (char c; in.get(c);)
                if (c != '\r') result.output += c;
            if (result.status == 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        } while (std::chrono::steady_clock::now() < deadline);
        fs::remove(output);
        return result;
    }

    // The client area of the visible "OpenGL" window with this title: "WxH+X+Y".
    std::string Client(const char* title) { return Probe("find OpenGL " + Quoted(title)).output; }

    // Answers a message box and returns its text.
    std::string Answer(const char* caption, const char* button) {
        ProbeResult answered = Probe("answer " + Quoted(caption) + " " + button);
        EXPECT_EQ(answered.status, 0) << answered.output << viewer_.Output();
        EXPECT_TRUE(WaitForNoWindow(server_, caption, kWaitMs));
        return answered.output;
    }

    // Presses a key until a window with this name shows; right after the window appears
    // Wine may still be settling the focus, and a key that finds it elsewhere is lost.
    bool PressUntilWindow(XWindow window, const char* key, const char* name) {
        WindowInfo shown;
        for (int waited = 0; waited < 2 * kWaitMs; waited += 5000) {
            SendKeys(server_, window, {key});
            if (WaitForWindow(server_, name, 5000, &shown)) return true;
        }
        return false;
    }

    int EndStatusAfter(XWindow window, const char* key) {
        for (int waited = 0; waited < kWaitMs; waited += 2000) {
            if (!SendKeys(server_, window, {key})) break;
            const int status = viewer_.WaitForExit(2000);
            if (status != -1) return status;
        }
        return viewer_.WaitForExit(kWaitMs);
    }

    // The scene is drawn continuously; it is up once the sky shows at the top.
    Picture WaitForScene(const std::string& client) {
        int width = 0, height = 0, x = 0, y = 0;
        EXPECT_EQ(std::sscanf(client.c_str(), "%dx%d+%d+%d", &width, &height, &x, &y), 4) << client;
        Picture p;
        for (int i = 0; i < 150; ++i) {
            p = GrabClientPicture(server_, x, y, width, height);
            if (p.width == 640 && CountWhere(p, {0, 0, 640, 40}, IsSky) > 640u * 40 * 9 / 10) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return p;
    }

    XvfbServer  server_;
    ProgramRun  viewer_;
    WindowInfo  first_;
    std::string workDir_;
    std::string client_;   // the first window's client area, "WxH+X+Y"
    Picture     scene_;    // and its first picture with the sky showing
};

// Xorg with the dummy driver changes modes through RandR, as a desktop's server does, so
// Wine's ChangeDisplaySettingsA really switches it.
class WineXorgTest : public WineViewerTest {
protected:
    void SetUp() override {
        std::string why;
        if (!XvfbServer::XorgAvailable(&why)) GTEST_SKIP() << why;
        WineViewerTest::SetUp();
    }
    bool StartServer(std::string* error) override { return server_.StartXorg(ISLAND_XORG_CONFIG, error); }
};

}  // namespace

TEST_F(WineXorgTest, F1SwitchesTheRealModeAndEscGivesItBack) {
    ASSERT_EQ(CurrentMode(server_), "1024x768");
    StartViewer();
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kToggleTitle)) << viewer_.Output();
    EXPECT_EQ(Client(kToggleTitle), "640x480+0+0\n");
    EXPECT_EQ(CurrentMode(server_), "640x480");
    WindowInfo fullscreen;
    ASSERT_TRUE(WaitForWindow(server_, kToggleTitle, kWaitMs, &fullscreen));
    EXPECT_EQ(EndStatusAfter(fullscreen.id, "Escape"), 0) << viewer_.Output();
    EXPECT_EQ(CurrentMode(server_), "1024x768");
}

TEST_F(WineViewerTest, FirstWindowShowsTheTexturedIslandAndEscEndsWithStatusZero) {
    StartViewer();
    ExpectStartingView(scene_);
    EXPECT_EQ(EndStatusAfter(first_.id, "Escape"), 0) << viewer_.Output();
}

TEST_F(WineViewerTest, ClosingTheWindowEndsWithStatusZero) {
    StartViewer();
    ASSERT_TRUE(ClosePolitely(server_, first_.id));
    EXPECT_EQ(viewer_.WaitForExit(kWaitMs), 0) << viewer_.Output();
}

TEST_F(WineViewerTest, RefusedFullscreenAnsweredYesRebuildsTheWindow) {
    StartViewer();
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kQuestion)) << viewer_.Output();
    EXPECT_EQ(Answer(kQuestion, "yes"),
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?\n");
    WindowInfo rebuilt;
    ASSERT_TRUE(WaitForWindow(server_, kToggleTitle, kWaitMs, &rebuilt)) << viewer_.Output();
    EXPECT_EQ(Client(kToggleTitle).substr(0, 8), "640x480+");
    EXPECT_EQ(EndStatusAfter(rebuilt.id, "Escape"), 0) << viewer_.Output();
}

TEST_F(WineViewerTest, RefusedFullscreenAnsweredNoEndsWithStatusOne) {
    StartViewer();
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kQuestion)) << viewer_.Output();
    Answer(kQuestion, "no");
    EXPECT_EQ(Answer("ERROR", "ok"), "Program Will Now Close.\n");
    EXPECT_EQ(viewer_.WaitForExit(kWaitMs), 1) << viewer_.Output();
}

TEST_F(WineViewerTest, AMissingTextureIsSkippedADamagedOneReportedAndTheSceneStillOpens) {
    fs::remove(fs::path(workDir_) / "rocksA256.bmp");
    // A file header and then nothing the reader knows as a bitmap header.
    std::ofstream(fs::path(workDir_) / "Wall.bmp", std::ios::binary) << std::string("BM") + std::string(58, '\0');
    std::string error;
    ASSERT_TRUE(viewer_.Start(std::string(kBuild) + "/island-wine", workDir_, server_.DisplayName(), &error)) << error;
    EXPECT_EQ(Answer("Error", "ok"), "Unknown DIB file format.\n");
    ASSERT_TRUE(WaitForWindow(server_, kFirstTitle, kWaitMs, &first_)) << viewer_.Output();
    EXPECT_EQ(Client(kFirstTitle).substr(0, 8), "640x480+");
    EXPECT_EQ(EndStatusAfter(first_.id, "Escape"), 0) << viewer_.Output();
}

// The installer the Windows build's cpack makes: silently into Program Files, with a
// Start-menu shortcut that starts the viewer in its own folder, and an uninstaller that
// takes every file and registry entry away again.
TEST_F(WineViewerTest, TheInstallerInstallsAStartableViewerAndUninstallsClean) {
    const std::string installer = std::string(kBuild) + "/island-" + ISLAND_VERSION + "-win64.exe";
    if (!fs::exists(installer)) GTEST_SKIP() << "no installer at " << installer << " (cpack in the Windows build)";
    const std::string wine   = "DISPLAY=" + server_.DisplayName() + " " + kBuild + "/wine-run ";
    const std::string settle = std::string("WINEPREFIX=") + kBuild + "/wineprefix timeout 60 " + ISLAND_WINESERVER + " -w";
    const fs::path    drive  = fs::path(kBuild) / "wineprefix/drive_c";
    const fs::path    folder = drive / "Program Files/Island";
    const fs::path    link   = drive / "ProgramData/Microsoft/Windows/Start Menu/Programs/Island/Island.lnk";
    const auto        registered = [&](const char* key) {
        return std::system((wine + "reg query " + Quoted(key) + " >/dev/null 2>&1").c_str()) == 0;
    };
    constexpr char kUninstallKey[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Island";
    constexpr char kFolderKey[]    = "HKLM\\Software\\island developers\\Island";

    ASSERT_EQ(std::system((wine + Quoted(installer) + " /S && " + settle).c_str()), 0);
    for (const char* file : {"island.exe", "Uninstall.exe", "How to start.txt", "Mapping256.bmp", "rocksA256.bmp",
                             "Gravel256.bmp", "sand.bmp", "Landing.bmp", "Wall.bmp", "tree.bmp", "fire.bmp",
                             "Cloud1.bmp"})
        EXPECT_TRUE(fs::exists(folder / file)) << file;
    EXPECT_TRUE(registered(kUninstallKey));
    ASSERT_TRUE(fs::exists(link));
    EXPECT_EQ(ShortcutWorkingFolder(link.string()), "C:\\Program Files\\Island");

    // As the shortcut starts it: the installed program, in the install folder.
    const std::string starter = workDir_ + "/start-installed";
    std::ofstream(starter) << "#!/bin/sh\nexec " << kBuild << "/wine-run 'C:\\Program Files\\Island\\island.exe'\n";
    fs::permissions(starter, fs::perms::owner_all);
    StartViewer(starter, folder.string());
    ExpectStartingView(scene_);
    EXPECT_EQ(EndStatusAfter(first_.id, "Escape"), 0) << viewer_.Output();

    ASSERT_EQ(std::system((wine + "'C:\\Program Files\\Island\\Uninstall.exe' /S && sleep 1 && " + settle).c_str()), 0);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(fs::exists(link.parent_path()));
    EXPECT_FALSE(registered(kUninstallKey));
    EXPECT_FALSE(registered(kFolderKey));
}
