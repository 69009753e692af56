// sdl_layer_test.cpp — the SDL platform layer where no display exists: start-up is
// refused instead of falling back to an invisible driver, message boxes fall back to
// stderr with the safe answer, and the clock still runs.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"

namespace {

int32_t StubProc(WindowHandle, uint32_t, uint32_t, int32_t) { return 0; }

class NoDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
};

}  // namespace

TEST_F(NoDisplayTest, RegisteringTheClassFailsAndNoWindowCanBeMade) {
    WindowClass windowClass{};
    windowClass.windowProc = StubProc;
    windowClass.className  = "OpenGL";
    EXPECT_EQ(PlatRegisterClass(&windowClass), 0);
    EXPECT_EQ(PlatCreateWindow(0, "OpenGL", "t", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, PlatGetModuleHandle()),
              nullptr);
    DisplayMode mode{DM_PELSWIDTH | DM_PELSHEIGHT, 16, 640, 480};
    EXPECT_NE(PlatChangeDisplaySettings(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    PlatMessage message;
    EXPECT_EQ(PlatPeekMessage(&message), 0);
}

TEST_F(NoDisplayTest, MessageBoxesGoToStderrWithTheSafeAnswer) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(PlatMessageBox(nullptr, "Use Windowed Mode Instead?", "Vurn GL", MB_YESNO | MB_ICONEXCLAMATION), IDNO);
    EXPECT_EQ(PlatMessageBox(nullptr, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP), IDOK);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("Vurn GL: Use Windowed Mode Instead?\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("ERROR: Program Will Now Close.\n"), std::string::npos) << printed;
}

TEST_F(NoDisplayTest, TheCounterIsMonotonicWithAPositiveFrequency) {
    int64_t frequency = 0, first = 0, second = 0;
    ASSERT_TRUE(PlatQueryPerformanceFrequency(&frequency));
    ASSERT_TRUE(PlatQueryPerformanceCounter(&first));
    ASSERT_TRUE(PlatQueryPerformanceCounter(&second));
    EXPECT_GT(frequency, 0);
    EXPECT_GE(second, first);
    EXPECT_GT(first, 0);
}
