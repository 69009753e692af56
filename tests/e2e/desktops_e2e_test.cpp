// desktops_e2e_test.cpp — the real viewer on the Wayland desktops people run (weston,
// GNOME's mutter, KDE's kwin, sway), as a Wayland client and as an X11 client of the
// desktop's Xwayland: it starts and draws, F1 goes to fullscreen and back again and
// again, a tap of F1 or Esc counts, a change of keyboard layout is taken in stride,
// and Esc or the desktop's close request ends it with status 0. A desktop that cannot
// start here is skipped with its reason; a step the desktop gives a test no way to
// take (typing into kwin's Wayland windows) is said and left out.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "tests/e2e/compositor.h"
#include "tests/e2e/xvfb_harness.h"

using namespace e2e;

namespace {

constexpr int kWaitMs = 20000;

struct Case {
    Desktop desktop;
    bool    x11Client;
};

void PrintTo(const Case& c, std::ostream* out) { *out << NameOf(c.desktop) << (c.x11Client ? ", X11 client" : ", Wayland client"); }

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return std::string(NameOf(info.param.desktop)) + (info.param.x11Client ? "_X11Client" : "_WaylandClient");
}

bool Until(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// How much of a picture shows the viewer's sky, and whether a whole row near the top
// does: only a fullscreen picture reaches there.
struct Sky {
    size_t pixels    = 0;
    bool   acrossTop = false;
};

Sky LookForSky(const std::vector<uint8_t>& rgb, int width, int height) {
    Sky sky;
    int topRow = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!IsSky(&rgb[(static_cast<size_t>(y) * width + x) * 3])) continue;
            ++sky.pixels;
            topRow += y == 4;
        }
    sky.acrossTop = width > 0 && topRow == width;
    return sky;
}

class DesktopTest : public ::testing::TestWithParam<Case> {
protected:
    // The Wayland client libraries are built without frame pointers, so LeakSanitizer
    // cannot tell whose the few kilobytes that SDL's Wayland driver leaves at exit are.
    void SetUp() override {
        AddSanitizerOption("detect_leaks=0");
        const Case setup = GetParam();
        std::string why;
        if (!CompositorRun::Available(setup.desktop, setup.x11Client, &why)) GTEST_SKIP() << why;
        ASSERT_TRUE(host_.Start(1024, 768, 24, &why)) << why;
        if (!desktop_.Start(setup.desktop, &host_, setup.x11Client, &why)) GTEST_SKIP() << why;
        if (!setup.x11Client && !desktop_.CanTellFullscreen() && !desktop_.CanGrabOutput())
            GTEST_SKIP() << NameOf(setup.desktop) << " runs here with no way for a test to see its Wayland windows";
        if (setup.x11Client) {
            if (!desktop_.XAuthority().empty()) setenv("XAUTHORITY", desktop_.XAuthority().c_str(), 1);
            ASSERT_TRUE(xwayland_.Attach(desktop_.XwaylandDisplay(), &why)) << why;
        }
        workDir_ = MakeTempDir();
    }

    void TearDown() override {
        if (viewer_.Running()) viewer_.Kill();
        viewer_.WaitForExit(5000);
        xwayland_.Stop();
        desktop_.Stop();
        unsetenv("XAUTHORITY");
        if (!workDir_.empty()) rmdir(workDir_.c_str());
    }

    bool X11() const { return GetParam().x11Client; }
    bool CanType() const { return X11() || desktop_.CanType(); }
    bool CanClose() const { return X11() || desktop_.CanClose(); }

    void StartViewer() {
        std::string why;
        const std::string display = X11() ? desktop_.XwaylandDisplay() : "";
        ASSERT_TRUE(viewer_.StartOnWayland(ISLAND_VIEWER, workDir_, desktop_.Socket(), display, &why)) << why;
        ASSERT_TRUE(Until([&] { return Shows(kFirstTitle, false); })) << "no first window\n" << Story();
    }

    // Whether the window with this title stands in this mode, by whatever the desktop
    // lets a test see: the X11 window's own frame, the desktop's word, or the picture.
    bool Shows(const char* title, bool fullscreen) {
        if (X11()) {
            WindowInfo window;
            if (!WaitForWindow(xwayland_, title, 0, &window) || !ListMessageBoxes(xwayland_, kQuestion).empty())
                return false;
            window_ = window.id;
            return IsDecorated(xwayland_, window.id) != fullscreen;
        }
        if (desktop_.CanTellFullscreen()) {
            bool is = false;
            return desktop_.IsFullscreen(title, &is) && is == fullscreen;
        }
        int                        width = 0, height = 0;
        const std::vector<uint8_t> rgb = desktop_.GrabOutputRgb(&width, &height);
        const Sky                  sky = LookForSky(rgb, width, height);
        return sky.pixels > 20000 && sky.acrossTop == fullscreen;
    }

    // The island's picture: sky over the upper part and something else below it, once
    // the first frames have been drawn.
    void ExpectThePicture() {
        int width = 0, height = 0;
        Sky sky;
        const auto grab = [&] {
            if (X11()) return GrabWindowRgb(xwayland_, window_, &width, &height);
            return desktop_.GrabOutputRgb(&width, &height);
        };
        if (!X11() && !desktop_.CanGrabOutput()) {
            std::printf("note: %s shows a test no picture of a Wayland window\n", NameOf(GetParam().desktop));
            return;
        }
        const auto island = [&] {
            return sky.pixels > 20000 && sky.pixels < static_cast<size_t>(width) * height * 3 / 4;
        };
        Until([&] {
            const std::vector<uint8_t> rgb = grab();
            sky                            = LookForSky(rgb, width, height);
            return island();
        });
        EXPECT_TRUE(island()) << sky.pixels << " sky pixels of " << width << "x" << height;
    }

    bool Type(const std::vector<std::string>& keys) {
        return X11() ? SendKeys(xwayland_, window_, keys) : desktop_.TypeKeys(keys);
    }

    // Presses F1 until the window stands in that mode. A desktop hands the focus to a
    // new window a little after showing it (sway's Xwayland takes half a second): a key
    // typed sooner goes nowhere, so each press waits that long.
    bool ToggleTo(bool fullscreen) {
        for (int tries = 0; tries < 4; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            Type({"F1"});
            if (Until([&] { return Shows(kToggleTitle, fullscreen); }, 5000)) return true;
        }
        return false;
    }

    // The viewer's output, and how it ended if it has.
    std::string Story() {
        const int status = viewer_.WaitForExit(0);
        return viewer_.Output() + (status == -1 ? "" : "viewer ended with status " + std::to_string(status));
    }

    // Esc, again every two seconds while the viewer runs: a key typed while the desktop
    // settles the focus goes nowhere, and ending twice is harmless.
    int EscStatus() {
        for (int waited = 0; waited < kWaitMs; waited += 2500) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            Type({"Escape"});
            const int status = viewer_.WaitForExit(2000);
            if (status != -1) return status;
        }
        return EndStatus();
    }

    int EndStatus() {
        const int status = viewer_.WaitForExit(kWaitMs);
        if (status == -1) viewer_.Kill();
        return status;
    }

    XvfbServer    host_;
    CompositorRun desktop_;
    XvfbServer    xwayland_;
    ProgramRun    viewer_;
    XWindow       window_ = 0;
    std::string   workDir_;
};

}  // namespace

TEST_P(DesktopTest, StartsTogglesFullscreenAndEndsOnEsc) {
    ASSERT_NO_FATAL_FAILURE(StartViewer());
    ExpectThePicture();
    if (!CanType()) {
        std::printf("note: %s gives a test no way to type into a Wayland window; F1 and Esc are left out\n",
                    NameOf(GetParam().desktop));
        return;
    }
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(ToggleTo(true)) << Story();
        if (round == 0) ExpectThePicture();
        ASSERT_TRUE(ToggleTo(false)) << Story();
    }
    ASSERT_TRUE(ToggleTo(true)) << Story();
    EXPECT_EQ(EscStatus(), 0) << Story();
}

TEST_P(DesktopTest, TheDesktopsCloseRequestEndsWithZeroInEitherMode) {
    if (!CanClose()) GTEST_SKIP() << NameOf(GetParam().desktop) << " takes no close request from a test";
    for (const bool fullscreen : {false, true}) {
        SCOPED_TRACE(fullscreen ? "fullscreen" : "windowed");
        ASSERT_NO_FATAL_FAILURE(StartViewer());
        if (fullscreen) {
            if (!CanType()) break;
            ASSERT_TRUE(ToggleTo(true)) << Story();
        }
        if (X11()) {
            ASSERT_TRUE(ClosePolitely(xwayland_, window_));
        } else {
            ASSERT_TRUE(desktop_.CloseFocusedWindow());
        }
        EXPECT_EQ(EndStatus(), 0) << Story();
    }
}

// Every start takes the keyboard: on weston, one start in five or six once drew its
// picture and never saw a key.
TEST_P(DesktopTest, EveryStartTakesTheKeyboard) {
    if (!CanType()) GTEST_SKIP() << NameOf(GetParam().desktop) << " gives a test no way to type into a Wayland window";
    for (int start = 0; start < 5; ++start) {
        SCOPED_TRACE(start);
        ASSERT_NO_FATAL_FAILURE(StartViewer());
        ASSERT_EQ(EscStatus(), 0) << Story();
    }
}

// A layout switch sends every client a new keymap; taps after it still act, once.
TEST_P(DesktopTest, KeysStillActAfterTheKeyboardLayoutChanges) {
    const bool canSwitch = X11() || desktop_.CanSwitchLayout();
    if (!CanType() || !canSwitch) GTEST_SKIP() << NameOf(GetParam().desktop) << " lets a test switch no layout here";
    ASSERT_NO_FATAL_FAILURE(StartViewer());
    for (const char* layout : {"de", "us"}) {
        SCOPED_TRACE(layout);
        if (X11()) {
            const std::string command = "DISPLAY=" + desktop_.XwaylandDisplay() + " setxkbmap " + layout;
            ASSERT_EQ(system(command.c_str()), 0);
        } else {
            ASSERT_TRUE(desktop_.SwitchLayout(layout));
        }
        ASSERT_TRUE(ToggleTo(true)) << Story();
        ASSERT_TRUE(ToggleTo(false)) << Story();
    }
    EXPECT_EQ(EscStatus(), 0) << Story();
}

INSTANTIATE_TEST_SUITE_P(Weston, DesktopTest,
                         ::testing::Values(Case{Desktop::Weston, false}, Case{Desktop::Weston, true}), CaseName);
INSTANTIATE_TEST_SUITE_P(Mutter, DesktopTest,
                         ::testing::Values(Case{Desktop::Mutter, false}, Case{Desktop::Mutter, true}), CaseName);
INSTANTIATE_TEST_SUITE_P(Kwin, DesktopTest,
                         ::testing::Values(Case{Desktop::Kwin, false}, Case{Desktop::Kwin, true}), CaseName);
INSTANTIATE_TEST_SUITE_P(Sway, DesktopTest,
                         ::testing::Values(Case{Desktop::Sway, false}, Case{Desktop::Sway, true}), CaseName);

// KDE's X11 session, kwin_x11 compositing, on a server that changes modes for real:
// after each F1 one viewer window stands, fullscreen over the whole 640x480 screen or
// back in its frame at the desktop's mode, and Esc or kwin's close ends with 0.
TEST(KdeX11Test, EachF1LeavesOneViewerWindowAndEscOrKwinsCloseEndsWithZero) {
    std::string why;
    if (!XvfbServer::XorgAvailable(&why)) GTEST_SKIP() << why;
    if (!CompositorRun::Available(Desktop::KwinX11, false, &why)) GTEST_SKIP() << why;
    XvfbServer    xorg;
    CompositorRun kwin;
    ASSERT_TRUE(xorg.StartXorg(ISLAND_XORG_CONFIG, &why)) << why;
    ASSERT_TRUE(kwin.Start(Desktop::KwinX11, &xorg, false, &why)) << why;
    const std::string workDir = MakeTempDir();
    for (const bool byKwin : {false, true}) {
        SCOPED_TRACE(byKwin ? "kwin's close" : "Esc");
        ProgramRun viewer;
        ASSERT_TRUE(viewer.Start(ISLAND_VIEWER, workDir, xorg.DisplayName(), &why)) << why;
        WindowInfo window;
        ASSERT_TRUE(WaitForWindow(xorg, kFirstTitle, kWaitMs, &window)) << viewer.Output();
        const auto onlyWindow = [&](bool fullscreen) {
            const std::vector<WindowInfo> windows = ListWindowsOf(xorg, viewer.Pid());
            if (windows.size() != 1 || windows[0].name != kToggleTitle) return false;
            window = windows[0];
            if (IsFullscreenState(xorg, window.id) != fullscreen) return false;
            if (!fullscreen) return CurrentMode(xorg) == "1024x768";
            return CurrentMode(xorg) == "640x480" && window.x == 0 && window.y == 0 && window.width == 640 &&
                   window.height == 480;
        };
        for (int round = 0; round < (byKwin ? 1 : 3); ++round) {
            for (const bool fullscreen : {true, false}) {
                SCOPED_TRACE(fullscreen ? "into fullscreen" : "back");
                bool there = false;
                for (int tries = 0; tries < 4 && !there; ++tries) {
                    SendKeys(xorg, window.id, {"F1"});
                    there = Until([&] { return onlyWindow(fullscreen); }, 5000);
                }
                ASSERT_TRUE(there) << ListWindowsOf(xorg, viewer.Pid()).size() << " windows\n" << viewer.Output();
                // A second window would come with the mode settling.
                std::this_thread::sleep_for(std::chrono::milliseconds(1000));
                EXPECT_TRUE(onlyWindow(fullscreen)) << ListWindowsOf(xorg, viewer.Pid()).size() << " windows";
            }
        }
        if (byKwin) {
            ASSERT_TRUE(kwin.CloseFocusedWindow());
        } else {
            SendKeys(xorg, window.id, {"Escape"});
        }
        const int status = viewer.WaitForExit(kWaitMs);
        if (status == -1) viewer.Kill();
        EXPECT_EQ(status, 0) << viewer.Output();
        EXPECT_EQ(CurrentMode(xorg), "1024x768");
    }
    rmdir(workDir.c_str());
}

// SDL 2.26 would crash in its start-up on a compositor without an input seat.
TEST(DesktopWithoutSeat, GetsTheUsualMessage) {
    AddSanitizerOption("detect_leaks=0");
    std::string why;
    if (!CompositorRun::Available(Desktop::Weston, false, &why)) GTEST_SKIP() << why;
    CompositorRun weston;
    ASSERT_TRUE(weston.Start(Desktop::Weston, nullptr, false, &why)) << why;
    const std::string workDir = MakeTempDir();
    ProgramRun        viewer;
    ASSERT_TRUE(viewer.StartOnWayland(ISLAND_VIEWER, workDir, weston.Socket(), "", &why)) << why;
    const int status = viewer.WaitForExit(kWaitMs);
    if (status == -1) viewer.Kill();
    rmdir(workDir.c_str());
    EXPECT_EQ(status, 1) << viewer.Output();
    EXPECT_NE(viewer.Output().find("ERROR: Failed To Register The Window Class."), std::string::npos)
        << viewer.Output();
}
