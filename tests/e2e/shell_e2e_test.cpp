// shell_e2e_test.cpp — the real viewer under Xvfb: the first window, the ways the
// program ends and their exit status, and the F1 rebuild with and without the
// fullscreen question; on Xorg, the real display mode through all of these and
// through a crash. Nothing here depends on what is drawn beyond the sky's colour.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "tests/e2e/xvfb_harness.h"

using namespace e2e;

namespace {

constexpr int kWaitMs = 20000;

class ViewerTest : public ::testing::Test {
protected:
    // The viewer writes nothing, so its working folder is still empty at the end.
    void TearDown() override {
        if (viewer_.Running()) viewer_.Kill();
        viewer_.WaitForExit(5000);
        if (!workDir_.empty()) rmdir(workDir_.c_str());
    }

    void StartOnScreen(int width, int height) {
        std::string error;
        ASSERT_TRUE(server_.Start(width, height, 24, &error)) << error;
        StartViewer();
    }

    // Another run of the viewer on the server already up.
    void StartViewer() {
        std::string error;
        if (workDir_.empty()) workDir_ = MakeTempDir();
        ASSERT_TRUE(viewer_.Start(ISLAND_VIEWER, workDir_, server_.DisplayName(), &error)) << error;
        ASSERT_TRUE(WaitForWindow(server_, kFirstTitle, kWaitMs, &first_)) << viewer_.Output();
    }

    int EndStatus() {
        const int status = viewer_.WaitForExit(kWaitMs);
        if (status == -1) {
            viewer_.Kill();
            viewer_.WaitForExit(5000);
        }
        return status;
    }

    // Sends keys that end the program, again every two seconds while it runs: on a
    // loaded machine a key can arrive while SDL still settles the focus and be lost.
    // Ending twice is harmless, so resending cannot hide a fault.
    int EndStatusAfter(XWindow window, const std::vector<std::string>& keys) {
        for (int waited = 0; waited < kWaitMs; waited += 2000) {
            if (!SendKeys(server_, window, keys)) break;
            const int status = viewer_.WaitForExit(2000);
            if (status != -1) return status;
        }
        return EndStatus();
    }

    // Presses a key until a window with this title shows, again every five seconds:
    // right after a rebuild a key can be lost while SDL settles the focus. A press that
    // finds the window gone (the key did its work, the new window is slow) is no fault.
    bool PressUntilWindow(XWindow window, const char* key, const char* title, WindowInfo* shown) {
        for (int waited = 0; waited < kWaitMs; waited += 5000) {
            SendKeys(server_, window, {key});
            if (WaitForWindow(server_, title, 5000, shown)) return true;
        }
        return false;
    }

    void ExpectClientAtOrigin(const WindowInfo& window) {
        WindowInfo geometry;
        ASSERT_TRUE(ReadClientGeometry(server_, window.id, &geometry));
        EXPECT_EQ(geometry.x, 0);
        EXPECT_EQ(geometry.y, 0);
        EXPECT_EQ(geometry.width, 640);
        EXPECT_EQ(geometry.height, 480);
    }

    // Answers the box with this caption by key (Return: the default, Escape: No).
    void Answer(const char* caption, const char* key) {
        WindowInfo box;
        ASSERT_TRUE(WaitForWindow(server_, caption, kWaitMs, &box)) << viewer_.Output();
        ASSERT_TRUE(SendKeys(server_, box.id, {key}));
        EXPECT_TRUE(WaitForNoWindow(server_, caption, kWaitMs));
    }

    XvfbServer  server_;
    ProgramRun  viewer_;
    WindowInfo  first_;
    std::string workDir_;
};

}  // namespace

TEST_F(ViewerTest, FirstWindowHasItsClientAreaAtTheOriginAndEscEndsWithStatusZero) {
    StartOnScreen(1024, 768);
    ExpectClientAtOrigin(first_);
    EXPECT_TRUE(IsDecorated(server_, first_.id));

    int width = 0, height = 0;
    EXPECT_EQ(GrabScreenRgb(server_, &width, &height).size(), 1024u * 768u * 3u);

    EXPECT_EQ(EndStatusAfter(first_.id, {"Escape"}), 0) << viewer_.Output();
}

TEST_F(ViewerTest, ClosingTheWindowEndsWithStatusZero) {
    StartOnScreen(1024, 768);
    ASSERT_TRUE(ClosePolitely(server_, first_.id));
    EXPECT_EQ(EndStatus(), 0) << viewer_.Output();
}

// The program leaves through its teardown, then dies of the signal as it would have.
TEST_F(ViewerTest, ASignalEndsTheViewerOfThatSignal) {
    for (const int sig : {SIGTERM, SIGINT, SIGUSR1}) {
        SCOPED_TRACE(strsignal(sig));
        StartOnScreen(1024, 768);
        viewer_.Signal(sig);
        EXPECT_EQ(EndStatus(), 128 + sig) << viewer_.Output();
        server_.Stop();
    }
}

// With its X server gone the viewer cannot tear anything down: it ends, promptly, with 1.
TEST_F(ViewerTest, ALostDisplayEndsTheViewerWithStatusOne) {
    StartOnScreen(1024, 768);
    server_.Stop();
    EXPECT_EQ(viewer_.WaitForExit(5000), 1) << viewer_.Output();
}

TEST_F(ViewerTest, AltF4IsASystemKeyThatClosesTheWindow) {
    StartOnScreen(1024, 768);
    EXPECT_EQ(EndStatusAfter(first_.id, {"alt+F4"}), 0) << viewer_.Output();
}

TEST_F(ViewerTest, HeldKeysDoNotEndTheProgramOnlyEscDoes) {
    StartOnScreen(1024, 768);
    ASSERT_TRUE(SendKeyDown(server_, first_.id, "q"));
    ASSERT_TRUE(SendKeyDown(server_, first_.id, "Left"));
    EXPECT_EQ(viewer_.WaitForExit(500), -1);
    ASSERT_TRUE(SendKeyUp(server_, first_.id, "Left"));
    ASSERT_TRUE(SendKeyUp(server_, first_.id, "q"));
    EXPECT_EQ(EndStatusAfter(first_.id, {"Escape"}), 0) << viewer_.Output();
}

TEST_F(ViewerTest, RefusedFullscreenAnsweredYesGivesAWindowAndTheNextF1AsksAgain) {
    StartOnScreen(1024, 768);
    WindowInfo question;
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kQuestion, &question)) << viewer_.Output();
    EXPECT_TRUE(WaitForNoWindow(server_, kFirstTitle, kWaitMs)) << "the old window goes first";
    Answer(kQuestion, "Return");

    WindowInfo rebuilt;
    ASSERT_TRUE(WaitForWindow(server_, kToggleTitle, kWaitMs, &rebuilt)) << viewer_.Output();
    ExpectClientAtOrigin(rebuilt);
    EXPECT_TRUE(IsDecorated(server_, rebuilt.id));

    ASSERT_TRUE(PressUntilWindow(rebuilt.id, "F1", kQuestion, &question)) << viewer_.Output();
    Answer(kQuestion, "Return");
    ASSERT_TRUE(WaitForWindow(server_, kToggleTitle, kWaitMs, &rebuilt));
    EXPECT_EQ(EndStatusAfter(rebuilt.id, {"Escape"}), 0) << viewer_.Output();
}

TEST_F(ViewerTest, RefusedFullscreenAnsweredNoClosesWithStatusOne) {
    StartOnScreen(1024, 768);
    WindowInfo question;
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kQuestion, &question)) << viewer_.Output();
    Answer(kQuestion, "Escape");
    Answer("ERROR", "Return");
    EXPECT_EQ(EndStatus(), 1) << viewer_.Output();
    EXPECT_TRUE(ListMessageBoxes(server_, kToggleTitle).empty());
}

TEST_F(ViewerTest, FullscreenOnAScreenOfThatSizeNeedsNoQuestion) {
    StartOnScreen(640, 480);
    WindowInfo fullscreen;
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kToggleTitle, &fullscreen)) << viewer_.Output();
    EXPECT_TRUE(ListMessageBoxes(server_, kQuestion).empty());
    ExpectClientAtOrigin(fullscreen);
    EXPECT_FALSE(IsDecorated(server_, fullscreen.id));

    // And back to a decorated window. The new window has the same title, so the key is
    // pressed again only while the fullscreen one still stands (a lost key, as above).
    WindowInfo windowed;
    bool       decorated = false;
    const auto deadline  = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    auto       nextPress = std::chrono::steady_clock::now();
    while (!decorated && std::chrono::steady_clock::now() < deadline) {
        if (std::chrono::steady_clock::now() >= nextPress) {
            SendKeys(server_, fullscreen.id, {"F1"});
            nextPress += std::chrono::seconds(5);
        }
        if (WaitForWindow(server_, kToggleTitle, 100, &windowed)) decorated = IsDecorated(server_, windowed.id);
    }
    ASSERT_TRUE(decorated) << viewer_.Output();
    ExpectClientAtOrigin(windowed);
    EXPECT_TRUE(ListMessageBoxes(server_, kQuestion).empty());

    EXPECT_EQ(EndStatusAfter(windowed.id, {"Escape"}), 0) << viewer_.Output();
}

// A press and its release that reach the viewer in one batch still act, once: a tap
// on a slow machine. A held F1 rebuilds once, though the key repeats meanwhile and
// each new window receives the repeats.
TEST_F(ViewerTest, InstantTapsActAndAHeldF1RebuildsOnce) {
    StartOnScreen(640, 480);
    ASSERT_TRUE(SendKeyDown(server_, first_.id, "F1"));
    WindowInfo fullscreen;
    ASSERT_TRUE(WaitForWindow(server_, kToggleTitle, kWaitMs, &fullscreen)) << viewer_.Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(SendKeyUp(server_, fullscreen.id, "F1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(WaitForWindow(server_, kToggleTitle, kWaitMs, &fullscreen));
    EXPECT_FALSE(IsDecorated(server_, fullscreen.id)) << "the held key rebuilt more than once";

    ASSERT_TRUE(SendTap(server_, fullscreen.id, "F1"));
    WindowInfo windowed;
    bool       decorated = false;
    const auto deadline  = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!decorated && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (WaitForWindow(server_, kToggleTitle, 100, &windowed)) decorated = IsDecorated(server_, windowed.id);
    }
    ASSERT_TRUE(decorated) << viewer_.Output();
    ASSERT_TRUE(SendTap(server_, windowed.id, "Escape"));
    EXPECT_EQ(EndStatus(), 0) << viewer_.Output();
}

// The question's box is shown by a child process, which must not outlive the viewer:
// a signal that ends the viewer ends its box, and a killed viewer takes it along.
TEST_F(ViewerTest, AMessageBoxEndsWithTheViewer) {
    StartOnScreen(1024, 768);
    WindowInfo question;
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kQuestion, &question)) << viewer_.Output();
    viewer_.Terminate();
    EXPECT_EQ(EndStatus(), 128 + SIGTERM) << viewer_.Output();
    EXPECT_TRUE(WaitForNoWindow(server_, kQuestion, 5000));

    StartViewer();
    ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kQuestion, &question)) << viewer_.Output();
    viewer_.Signal(SIGKILL);
    EXPECT_EQ(viewer_.WaitForExit(5000), 128 + SIGKILL);
    EXPECT_TRUE(WaitForNoWindow(server_, kQuestion, 5000));
}

// Without a session bus, the D-Bus library would start one for the display, which
// would stay behind after the viewer ends.
TEST_F(ViewerTest, LeavesNoSessionBusBehind) {
    const auto busProcesses = [this] {
        const std::string command = "for p in $(pgrep -x 'dbus-daemon|dbus-launch'); do tr '\\0' '\\n' "
                                    "</proc/$p/environ 2>/dev/null | grep -qx 'DISPLAY=" +
                                    server_.DisplayName() + "' && echo $p; done";
        std::string pids;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char line[64];
            while (fgets(line, sizeof line, pipe)) pids += line;
            pclose(pipe);
        }
        return pids;
    };
    const char*       address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string saved   = address ? address : "";
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::string error;
    ASSERT_TRUE(server_.Start(1024, 768, 24, &error)) << error;
    const std::string before = busProcesses();
    StartViewer();
    if (!saved.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
    EXPECT_EQ(EndStatusAfter(first_.id, {"Escape"}), 0) << viewer_.Output();
    EXPECT_EQ(busProcesses(), before);
}

// Xorg with the dummy driver changes modes for real, as a desktop's server does.
class XorgViewerTest : public ViewerTest {
protected:
    void SetUp() override {
        std::string why;
        if (!XvfbServer::XorgAvailable(&why)) GTEST_SKIP() << why;
        // A sanitized viewer would report a SIGSEGV and exit rather than die of it.
        AddSanitizerOption("handle_segv=0");
        ASSERT_TRUE(server_.StartXorg(ISLAND_XORG_CONFIG, &why)) << why;
        ASSERT_EQ(CurrentMode(server_), "1024x768");
    }

    // F1 from the first window, until the fullscreen one shows with the mode changed
    // and the scene running in it (what comes after is no failure of its set-up).
    void EnterFullscreen(WindowInfo* fullscreen) {
        ASSERT_NO_FATAL_FAILURE(StartViewer());
        ASSERT_TRUE(PressUntilWindow(first_.id, "F1", kToggleTitle, fullscreen)) << viewer_.Output();
        ExpectClientAtOrigin(*fullscreen);
        EXPECT_FALSE(IsDecorated(server_, fullscreen->id));
        EXPECT_EQ(CurrentMode(server_), "640x480");
        ASSERT_TRUE(WaitForSky()) << viewer_.Output();
    }

    // The clear colour, a dark blue, at the top of the screen.
    bool WaitForSky() {
        for (int i = 0; i < kWaitMs / 50; ++i) {
            int                  width = 0, height = 0;
            std::vector<uint8_t> screen = GrabScreenRgb(server_, &width, &height);
            if (screen.size() >= 3 && IsSky(screen.data())) return true;
            usleep(50 * 1000);
        }
        return false;
    }
};

TEST_F(XorgViewerTest, F1SwitchesTheRealModeAndF1AgainSwitchesItBack) {
    WindowInfo fullscreen;
    ASSERT_NO_FATAL_FAILURE(EnterFullscreen(&fullscreen));
    WindowInfo windowed;
    bool       back = false;
    for (int waited = 0; waited < kWaitMs && !back; waited += 5000) {
        SendKeys(server_, fullscreen.id, {"F1"});
        for (int i = 0; i < 50 && !back; ++i) {
            back = CurrentMode(server_) == "1024x768" && WaitForWindow(server_, kToggleTitle, 100, &windowed) &&
                   IsDecorated(server_, windowed.id);
        }
    }
    ASSERT_TRUE(back) << viewer_.Output();
    EXPECT_EQ(EndStatusAfter(windowed.id, {"Escape"}), 0) << viewer_.Output();
    EXPECT_EQ(CurrentMode(server_), "1024x768");
}

TEST_F(XorgViewerTest, EveryWayOutOfFullscreenBringsTheDesktopModeBack) {
    struct Ending {
        const char* name;
        int         status;
    };
    // A signal ends the viewer of that signal, as it would have; everything else with 0.
    for (const Ending& ending : {Ending{"Esc", 0}, Ending{"close", 0}, Ending{"SIGTERM", 128 + SIGTERM},
                                 Ending{"destroyed by another client", 0}, Ending{"SIGSEGV", 128 + SIGSEGV},
                                 Ending{"SIGABRT", 128 + SIGABRT}, Ending{"SIGHUP", 128 + SIGHUP},
                                 Ending{"SIGQUIT", 128 + SIGQUIT}}) {
        SCOPED_TRACE(ending.name);
        WindowInfo fullscreen;
        ASSERT_NO_FATAL_FAILURE(EnterFullscreen(&fullscreen));
        const std::string name = ending.name;
        int               status;
        if (name == "Esc") {
            status = EndStatusAfter(fullscreen.id, {"Escape"});
        } else {
            if (name == "close") ClosePolitely(server_, fullscreen.id);
            if (name == "SIGTERM") viewer_.Terminate();
            if (name == "destroyed by another client") DestroyFromOutside(server_, fullscreen.id);
            if (name == "SIGSEGV") viewer_.Signal(SIGSEGV);
            if (name == "SIGABRT") viewer_.Signal(SIGABRT);
            if (name == "SIGHUP") viewer_.Signal(SIGHUP);
            if (name == "SIGQUIT") viewer_.Signal(SIGQUIT);
            status = EndStatus();
        }
        EXPECT_EQ(status, ending.status) << viewer_.Output();
        EXPECT_EQ(CurrentMode(server_), "1024x768");
    }
}

// Where no box can be shown the message goes to stderr, also with a dialog helper on
// the path that fails quietly, as zenity does with no display. A video driver the user
// names is SDL's to honour: asked for Wayland where only an X server runs, the viewer
// does not open on that X server behind the user's back.
TEST(ViewerWithoutDisplay, FailsWithStatusOneAndTellsStderr) {
    const std::string helpers = MakeTempDir();
    {
        std::ofstream zenity(helpers + "/zenity");
        zenity << "#!/bin/sh\necho 'Gtk-WARNING **: cannot open display:' >&2\nexit 1\n";
    }
    ASSERT_EQ(chmod((helpers + "/zenity").c_str(), 0755), 0);
    XvfbServer  x11Only;
    std::string error;
    ASSERT_TRUE(x11Only.Start(640, 480, 24, &error)) << error;
    const std::string plainPath = std::getenv("PATH");
    const struct {
        std::string path, display;
        const char* driver;
    } runs[] = {{plainPath, "", nullptr}, {helpers + ":" + plainPath, "", nullptr}, {plainPath, x11Only.DisplayName(), "wayland"}};
    for (const auto& run : runs) {
        SCOPED_TRACE("PATH=" + run.path + " DISPLAY=" + run.display);
        setenv("PATH", run.path.c_str(), 1);
        if (run.driver) setenv("SDL_VIDEODRIVER", run.driver, 1);
        ProgramRun        viewer;
        const std::string workDir = MakeTempDir();
        ASSERT_TRUE(viewer.Start(ISLAND_VIEWER, workDir, run.display, &error)) << error;
        const int status = viewer.WaitForExit(kWaitMs);
        if (status == -1) viewer.Kill();
        unsetenv("SDL_VIDEODRIVER");
        rmdir(workDir.c_str());
        EXPECT_EQ(status, 1);
        EXPECT_NE(viewer.Output().find("ERROR: Failed To Register The Window Class."), std::string::npos)
            << viewer.Output();
    }
    unlink((helpers + "/zenity").c_str());
    rmdir(helpers.c_str());
}
