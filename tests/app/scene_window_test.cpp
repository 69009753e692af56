// scene_window_test.cpp — opening and closing the scene window against the scripted
// platform: the order of steps, the values passed, every failure row and every
// teardown report.
#include <gtest/gtest.h>

#include "app/scene_window.h"
#include "app/window_proc.h"
#include "tests/app/render_spy.h"

using fake::Fake;
using fake::FindCall;

namespace {

constexpr char kTitle[] = "ZORV ---- Zorvane";

void ExpectAllHandlesNull() {
    EXPECT_EQ(g_instance, nullptr);
    EXPECT_EQ(g_window, nullptr);
    EXPECT_EQ(g_deviceContext, nullptr);
    EXPECT_EQ(g_glContext, nullptr);
}

// Asserts that the calls starting with these prefixes appear in this order.
void ExpectInOrder(const std::vector<std::string>& prefixes) {
    int previous = -1;
    for (const auto& prefix : prefixes) {
        const int at = FindCall(prefix);
        ASSERT_GE(at, 0) << "missing call: " << prefix;
        EXPECT_GT(at, previous) << "out of order: " << prefix;
        previous = at;
    }
}

int LastBoxCall() {
    const auto& calls = Fake().calls;
    for (int i = static_cast<int>(calls.size()) - 1; i >= 0; --i)
        if (calls[i].rfind("MessageBox", 0) == 0) return i;
    return -1;
}

}  // namespace

TEST_F(ShellTest, WindowedOpenRunsEveryStepInOrderWithTheRequestedValues) {
    ASSERT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, 0), 1);

    ExpectInOrder({"GetModuleHandle", "LoadIcon 32517", "LoadCursor 32512", "RegisterClass OpenGL style=0x23",
                   "PreparePixelFormat flags=0x25 color=16 depth=16", "AdjustWindowRect style=0xCF0000 ex=0x40100",
                   // The fake's frame is 4 pixels around and 20 more above.
                   "CreateWindow OpenGL \"ZORV ---- Zorvane\" style=0x6CF0000 ex=0x40100 at 0,0 size 648x508",
                   "SetTimer 1 100", "GetDC",
                   "ChoosePixelFormat flags=0x25 type=0 color=16 alpha=0 accum=0 depth=16 stencil=0 aux=0",
                   "SetPixelFormat 1", "CreateContext", "MakeCurrent", "ShowWindow 5", "SetForegroundWindow",
                   "SetFocus"});
    EXPECT_EQ(FindCall("ChangeDisplaySettings"), -1);
    EXPECT_EQ(FindCall("ShowCursor"), -1);
    EXPECT_TRUE(Fake().boxes.empty());

    // The viewport gets the client size, not the widened one, and the scene is set up once.
    ASSERT_EQ(Spy().viewports.size(), 1u);
    EXPECT_EQ(Spy().viewports[0], std::make_pair(640, 480));
    EXPECT_EQ(Spy().initCalls, 1);
    EXPECT_EQ(g_fireFrame, 1);
    EXPECT_EQ(g_fullscreen, 0);
    EXPECT_NE(g_instance, nullptr);
    EXPECT_EQ(g_window, fake::CurrentWindow());
    EXPECT_NE(g_deviceContext, nullptr);
    EXPECT_EQ(Fake().current, g_glContext);
    EXPECT_EQ(Fake().focus, g_window);

    CloseSceneWindow();
    ExpectAllHandlesNull();
    EXPECT_TRUE(Fake().boxes.empty());
    EXPECT_EQ(Fake().windowsAlive, 0);
    EXPECT_FALSE(Fake().classRegistered);
    EXPECT_EQ(FindCall("ChangeDisplaySettings"), -1);
}

TEST_F(ShellTest, FullscreenChangesTheModeHidesTheCursorAndCloseBringsBothBack) {
    ASSERT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, 1), 1);
    ExpectInOrder({"RegisterClass", "PreparePixelFormat",
                   "ChangeDisplaySettings 640x480x16 fields=0x1C0000 flags=0x4", "ShowCursor FALSE",
                   "AdjustWindowRect style=0x80000000 ex=0x40000",
                   "CreateWindow OpenGL \"ZORV ---- Zorvane\" style=0x86000000 ex=0x40000 at 0,0 size 640x480"});
    EXPECT_EQ(g_fullscreen, 1);
    EXPECT_TRUE(Fake().displayModeChanged);
    EXPECT_EQ(Fake().cursorCount, -1);

    Fake().calls.clear();
    CloseSceneWindow();
    ExpectInOrder({"ChangeDisplaySettings default", "ShowCursor TRUE", "MakeCurrent null", "DeleteContext",
                   "ReleaseDC", "DestroyWindow", "UnregisterClass OpenGL"});
    EXPECT_FALSE(Fake().displayModeChanged);
    EXPECT_EQ(Fake().cursorCount, 0);
    EXPECT_EQ(g_fullscreen, 1) << "closing leaves the mode flag to the caller";
    ExpectAllHandlesNull();
}

TEST_F(ShellTest, RefusedFullscreenAnsweredYesContinuesInAWindow) {
    Fake().displayChangeResult = DISP_CHANGE_BADMODE;
    Fake().boxAnswers          = {IDYES};
    ASSERT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, 1), 1);

    ASSERT_EQ(Fake().boxes.size(), 1u);
    EXPECT_EQ(Fake().boxes[0].caption, "Vurn GL");
    EXPECT_EQ(Fake().boxes[0].text,
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?");
    EXPECT_EQ(Fake().boxes[0].type, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(Fake().boxes[0].owner, nullptr);
    EXPECT_EQ(g_fullscreen, 0);
    EXPECT_EQ(FindCall("ShowCursor"), -1);
    EXPECT_GE(FindCall("CreateWindow OpenGL \"ZORV ---- Zorvane\" style=0x6CF0000 ex=0x40100"), 0);

    Fake().calls.clear();
    CloseSceneWindow();
    EXPECT_EQ(FindCall("ChangeDisplaySettings"), -1);
    EXPECT_EQ(FindCall("ShowCursor"), -1);
    ExpectAllHandlesNull();
}

TEST_F(ShellTest, RefusedFullscreenAnsweredNoClosesWithoutAWindow) {
    Fake().displayChangeResult = DISP_CHANGE_FAILED;
    Fake().boxAnswers          = {IDNO};
    EXPECT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, 1), 0);

    ASSERT_EQ(Fake().boxes.size(), 2u);
    EXPECT_EQ(Fake().boxes[0].caption, "Vurn GL");
    EXPECT_EQ(Fake().boxes[1].caption, "ERROR");
    EXPECT_EQ(Fake().boxes[1].text, "Program Will Now Close.");
    EXPECT_EQ(Fake().boxes[1].type, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(Fake().windowsCreated, 0);
    EXPECT_EQ(FindCall("UnregisterClass"), -1) << "nothing is torn down on this path";
    EXPECT_TRUE(Fake().classRegistered);
    EXPECT_EQ(Spy().initCalls, 0);
}

TEST_F(ShellTest, FailedClassRegistrationTearsNothingDown) {
    Fake().fail.registerClass = true;
    EXPECT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, 1), 0);

    ASSERT_EQ(Fake().boxes.size(), 1u);
    EXPECT_EQ(Fake().boxes[0].caption, "ERROR");
    EXPECT_EQ(Fake().boxes[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(Fake().boxes[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(FindCall("ChangeDisplaySettings"), -1);
    EXPECT_EQ(FindCall("CreateWindow"), -1);
    EXPECT_EQ(FindCall("UnregisterClass"), -1);
}

struct FailureRow {
    const char* name;
    void (*arm)();
    const char* text;
    const char* lastStepReached;   // the call that failed
};

void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class OpenFailureTest : public ShellTest, public ::testing::WithParamInterface<FailureRow> {};

// Every failure after the window class exists: everything is torn down (display mode
// and cursor included) before the message, and the operation reports failure.
TEST_P(OpenFailureTest, TearsDownThenReports) {
    const FailureRow& row = GetParam();
    for (uint8_t fullscreen : {uint8_t{0}, uint8_t{1}}) {
        SCOPED_TRACE(fullscreen ? "fullscreen" : "windowed");
        ResetShell();
        row.arm();
        EXPECT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, fullscreen), 0);

        const auto errors = BoxesCaptioned("ERROR");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].text, row.text);
        EXPECT_EQ(errors[0].type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(errors[0].owner, nullptr);
        EXPECT_TRUE(BoxesCaptioned("SHUTDOWN ERROR").empty());

        const int box = LastBoxCall();
        EXPECT_LT(FindCall(row.lastStepReached), box);
        EXPECT_LT(FindCall("UnregisterClass OpenGL"), box);
        if (FindCall("GetDC") >= 0) {
            EXPECT_LT(FindCall("DestroyWindow"), box);
        }
        if (fullscreen) {
            EXPECT_LT(FindCall("ChangeDisplaySettings default"), box);
            EXPECT_LT(FindCall("ShowCursor TRUE"), box);
            EXPECT_EQ(Fake().cursorCount, 0);
            EXPECT_FALSE(Fake().displayModeChanged);
        }
        ExpectAllHandlesNull();
        EXPECT_EQ(Fake().windowsAlive, 0);
        EXPECT_FALSE(Fake().classRegistered);
        EXPECT_EQ(Fake().current, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, OpenFailureTest,
    ::testing::Values(
        FailureRow{"NoWindow", [] { Fake().fail.createWindow = true; }, "Window Creation Error.", "CreateWindow"},
        FailureRow{"NoDeviceContext", [] { Fake().fail.getDC = true; }, "Can't Create A GL Device Context.", "GetDC"},
        FailureRow{"NoPixelFormat", [] { Fake().fail.choosePixelFormat = true; },
                   "Can't Find A Suitable PixelFormat.", "ChoosePixelFormat"},
        FailureRow{"PixelFormatNotSet", [] { Fake().fail.setPixelFormat = true; }, "Can't Set The PixelFormat.",
                   "SetPixelFormat"},
        FailureRow{"NoContext", [] { Fake().fail.createContext = true; }, "Can't Create A GL Rendering Context.",
                   "CreateContext"},
        FailureRow{"NotMadeCurrent", [] { Fake().fail.makeCurrent = true; },
                   "Can't Activate The GL Rendering Context.", "MakeCurrent"},
        FailureRow{"SceneNotInitialised", [] { Spy().failInit = true; }, "Initialization Failed.", "SetFocus"}),
    [](const ::testing::TestParamInfo<FailureRow>& info) { return std::string(info.param.name); });

struct TeardownRow {
    const char* name;
    void (*arm)();
    const char* text;
};

void PrintTo(const TeardownRow& row, std::ostream* out) { *out << row.name; }

class TeardownFailureTest : public ShellTest, public ::testing::WithParamInterface<TeardownRow> {};

TEST_P(TeardownFailureTest, ReportsAndGoesOn) {
    const TeardownRow& row = GetParam();
    ASSERT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, 0), 1);
    row.arm();
    Fake().calls.clear();
    CloseSceneWindow();

    ASSERT_EQ(Fake().boxes.size(), 1u);
    EXPECT_EQ(Fake().boxes[0].caption, "SHUTDOWN ERROR");
    EXPECT_EQ(Fake().boxes[0].text, row.text);
    EXPECT_EQ(Fake().boxes[0].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(Fake().boxes[0].owner, nullptr);
    ExpectInOrder({"MakeCurrent null", "DeleteContext", "ReleaseDC", "DestroyWindow", "UnregisterClass OpenGL"});
    ExpectAllHandlesNull();
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, TeardownFailureTest,
    ::testing::Values(
        TeardownRow{"Unbind", [] { Fake().fail.unbindContext = true; }, "Release Of DC And RC Failed."},
        TeardownRow{"DeleteContext", [] { Fake().fail.deleteContext = true; }, "Release Rendering Context Failed."},
        TeardownRow{"ReleaseDC", [] { Fake().fail.releaseDC = true; }, "Release Device Context Failed."},
        TeardownRow{"DestroyWindow", [] { Fake().fail.destroyWindow = true; }, "Could Not Release hWnd."},
        TeardownRow{"UnregisterClass", [] { Fake().fail.unregisterClass = true; }, "Could Not Unregister Class."}),
    [](const ::testing::TestParamInfo<TeardownRow>& info) { return std::string(info.param.name); });

TEST_F(ShellTest, TeardownWithEveryStepFailingReportsEachInOrder) {
    ASSERT_EQ(OpenSceneWindow(kTitle, 640, 480, 16, 1), 1);
    Fake().fail = fake::Failures{};
    Fake().fail.unbindContext   = true;
    Fake().fail.deleteContext   = true;
    Fake().fail.releaseDC       = true;
    Fake().fail.destroyWindow   = true;
    Fake().fail.unregisterClass = true;
    CloseSceneWindow();

    std::vector<std::string> texts;
    for (const auto& box : BoxesCaptioned("SHUTDOWN ERROR")) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Release Of DC And RC Failed.", "Release Rendering Context Failed.",
                                               "Release Device Context Failed.", "Could Not Release hWnd.",
                                               "Could Not Unregister Class."}));
    EXPECT_EQ(Fake().cursorCount, 0);
    ExpectAllHandlesNull();
}

TEST_F(ShellTest, CloseWithNothingOpenOnlyTriesTheClass) {
    CloseSceneWindow();
    EXPECT_EQ(Fake().calls, (std::vector<std::string>{"UnregisterClass OpenGL",
                                                      "MessageBox \"SHUTDOWN ERROR\" \"Could Not Unregister Class.\" 0x40"}));
    ExpectAllHandlesNull();
}
