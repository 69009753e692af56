// window_proc_test.cpp — SceneWindowProc's table: keys, system keys, activation,
// sizes, close, the refused system commands and the animation step.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <array>

#include "app/window_proc.h"
#include "tests/app/render_spy.h"

using fake::Fake;

namespace {

int32_t Send(uint32_t message, uint32_t wParam = 0, int32_t lParam = 0) {
    return SceneWindowProc(nullptr, message, wParam, lParam);
}

bool AllKeysUpExcept(uint32_t down) {
    for (uint32_t i = 0; i < 256; ++i)
        if (g_keys[i] != (i == down ? 1 : 0)) return false;
    return true;
}

}  // namespace

TEST_F(ShellTest, KeysAreDownFromKeyDownUntilKeyUpRepeatsIncluded) {
    EXPECT_TRUE(AllKeysUpExcept(256));
    EXPECT_EQ(Send(WM_KEYDOWN, 'Q'), 0);
    EXPECT_EQ(Send(WM_KEYDOWN, 'Q'), 0);
    EXPECT_TRUE(AllKeysUpExcept('Q'));
    EXPECT_EQ(Send(WM_KEYUP, 'A'), 0);
    EXPECT_TRUE(AllKeysUpExcept('Q')) << "another key's release changes nothing";
    EXPECT_EQ(Send(WM_KEYUP, 'Q'), 0);
    EXPECT_TRUE(AllKeysUpExcept(256));
    Send(WM_KEYDOWN, 255);
    EXPECT_TRUE(AllKeysUpExcept(255));
    EXPECT_EQ(fake::FindCall("DefWindowProc"), -1);
}

TEST_F(ShellTest, KeyCodesOutsideTheTableAreIgnored) {
    const std::array<uint8_t, 256> before = [] {
        std::array<uint8_t, 256> keys{};
        std::copy(std::begin(g_keys), std::end(g_keys), keys.begin());
        return keys;
    }();
    for (uint32_t code : {256u, 0x1FFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(Send(WM_KEYDOWN, code), 0);
        EXPECT_EQ(Send(WM_KEYUP, code), 0);
    }
    EXPECT_TRUE(std::equal(before.begin(), before.end(), std::begin(g_keys)));
}

TEST_F(ShellTest, SystemKeysAndCharactersGoToDefaultProcessing) {
    for (uint32_t message : {WM_SYSKEYDOWN, WM_SYSKEYUP, WM_CHAR}) {
        Fake().calls.clear();
        Send(message, message == WM_CHAR ? uint32_t{'q'} : uint32_t{VK_F10});
        EXPECT_EQ(Fake().calls.size(), 1u);
        EXPECT_EQ(fake::FindCall("DefWindowProc 0x" + [&] {
                      char buf[8];
                      std::snprintf(buf, sizeof buf, "%X", message);
                      return std::string(buf);
                  }()),
                  0);
    }
    Send(WM_SYSKEYDOWN, 'Q');
    EXPECT_TRUE(AllKeysUpExcept(256));
}

TEST_F(ShellTest, ActivityFollowsTheMinimisedWordOnly) {
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(g_active, 1) << "deactivated but not minimised keeps drawing";
    Send(WM_ACTIVATE, (1u << 16) | WA_INACTIVE);
    EXPECT_EQ(g_active, 0);
    Send(WM_ACTIVATE, (1u << 16) | WA_ACTIVE);
    EXPECT_EQ(g_active, 0);
    EXPECT_EQ(Send(WM_ACTIVATE, WA_ACTIVE), 0);
    EXPECT_EQ(g_active, 1);
}

TEST_F(ShellTest, SizeMessagesReachTheViewportAsUnsignedWords) {
    Send(WM_SIZE, 0, 800 | (600 << 16));
    Send(WM_SIZE, 0, 1024);
    Send(WM_SIZE, 0, -1);
    EXPECT_EQ(Spy().viewports, (std::vector<std::pair<int, int>>{{800, 600}, {1024, 0}, {65535, 65535}}));

    // A zero height reaches the renderer, which keeps a height of one.
    Send(WM_SIZE, 0, 320);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 1);
}

TEST_F(ShellTest, CloseOnlyPostsTheQuitMessage) {
    EXPECT_EQ(Send(WM_CLOSE), 0);
    EXPECT_EQ(Fake().calls, std::vector<std::string>{"PostQuitMessage 0"});
    ASSERT_EQ(Fake().queue.size(), 1u);
    EXPECT_EQ(Fake().queue.front().message, WM_QUIT);
    EXPECT_EQ(Fake().queue.front().wParam, 0u);

    Fake().calls.clear();
    Send(WM_DESTROY);
    EXPECT_EQ(Fake().calls, std::vector<std::string>{"DefWindowProc 0x2 0x0"}) << "destruction does not quit";
}

TEST_F(ShellTest, ScreenSaverAndMonitorPowerAreRefusedOtherCommandsAreNot) {
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
    EXPECT_TRUE(Fake().calls.empty());
    Send(WM_SYSCOMMAND, SC_MONITORPOWER | 2);
    Send(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(Fake().calls,
              (std::vector<std::string>{"DefWindowProc 0x112 0xF172", "DefWindowProc 0x112 0xF060"}));
}

TEST_F(ShellTest, CreationStartsTheTimerAndTicksStepTheFireFromOneToSix) {
    EXPECT_EQ(Send(WM_CREATE), 0);
    EXPECT_EQ(Fake().calls, std::vector<std::string>{"SetTimer 1 100"});
    std::vector<int> steps{g_fireFrame};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(Send(WM_TIMER, i % 3), 0) << "the timer id is not looked at";
        steps.push_back(g_fireFrame);
    }
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 1, 2}));

    // A second window's creation takes one extra step.
    Send(WM_CREATE);
    EXPECT_EQ(g_fireFrame, 3);
}
