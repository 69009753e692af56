// main_loop_test.cpp — WinMain against the scripted platform: draining, idle passes,
// the inactive window, F1 and Esc, the quit message and the exit status.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/scene_window.h"
#include "app/win_main.h"
#include "app/window_proc.h"
#include "tests/app/render_spy.h"

using fake::Fake;
using fake::Post;

namespace {

// Runs one scripted step each time the loop finds the queue empty; a step that posts
// nothing lets an idle pass happen, one that posts continues the drain. Once the script is
// used up, the loop gets a hundred more idle passes and then the window is closed, so
// a loop that ignores the script still ends; the test then sees the extra close.
class Script {
public:
    explicit Script(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
        Fake().onEmptyPeek = [this] {
            if (next_ < steps_.size()) {
                steps_[next_++]();
            } else if (++spare_ > 100 && !guardFired_) {
                guardFired_ = true;
                Post(WM_CLOSE);
            }
        };
    }
    ~Script() { Fake().onEmptyPeek = nullptr; }
    bool guardFired() const { return guardFired_; }

private:
    std::vector<std::function<void()>> steps_;
    size_t                             next_       = 0;
    int                                spare_      = 0;
    bool                               guardFired_ = false;
};

void Nothing() {}
void Press(uint32_t key) { Post(WM_KEYDOWN, key); }

constexpr uint32_t kMinimised = (1u << 16) | WA_INACTIVE;

}  // namespace

TEST_F(ShellTest, FailedStartEndsWithStatusOne) {
    Fake().fail.createContext = true;
    EXPECT_EQ(WinMain(), 1);
    EXPECT_EQ(Fake().windowsCreated, 1);
    EXPECT_EQ(Spy().frames, 0);
    EXPECT_EQ(CountCalls("UnregisterClass"), 1) << "only the failing open tears down";
}

TEST_F(ShellTest, EscEndsWithStatusZeroWithoutDrawingThatPass) {
    Script script({Nothing, Nothing, [] { Press(VK_ESCAPE); }, Nothing});
    EXPECT_EQ(WinMain(), 0) << "not the key message's wParam";
    EXPECT_FALSE(script.guardFired());
    EXPECT_EQ(Spy().frames, 2);
    EXPECT_EQ(CountCalls("SwapBuffers"), 2);
    EXPECT_EQ(CountCalls("DestroyWindow"), 1);
    EXPECT_EQ(g_window, nullptr);
    EXPECT_EQ(g_keys[VK_ESCAPE], 1) << "the loop never clears Esc";
}

TEST_F(ShellTest, ClosingTheWindowEndsWithTheQuitCode) {
    Script script({Nothing, [] { Post(WM_CLOSE); }});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_FALSE(script.guardFired());
    EXPECT_EQ(Spy().frames, 1);
    EXPECT_EQ(CountCalls("PostQuitMessage 0"), 1);
    EXPECT_EQ(CountCalls("DestroyWindow"), 1);
}

TEST_F(ShellTest, QuitEndsTheDrainAtOnceLeavingLaterMessagesUnhandled) {
    Script script({[] {
        Press('Q');
        Fake().queue.push_back({nullptr, WM_QUIT, 3, 0});
        Press(VK_F1);
        fake::TickTimers();
    }});
    EXPECT_EQ(WinMain(), 3);
    EXPECT_EQ(g_keys[uint32_t{'Q'}], 1);
    EXPECT_EQ(g_keys[VK_F1], 0);
    EXPECT_EQ(g_fireFrame, 1);
    EXPECT_EQ(Fake().windowsCreated, 1);
    EXPECT_EQ(Spy().frames, 0);
}

TEST_F(ShellTest, AllPendingMessagesAreHandledBeforeTheNextFrame) {
    int framesWhenDrained = -1;
    int stepWhenDrained   = -1;
    Script script({[] {
                       for (int i = 0; i < 5; ++i) fake::TickTimers();
                   },
                   [&] {
                       framesWhenDrained = Spy().frames;
                       stepWhenDrained   = g_fireFrame;
                   },
                   [] { Press(VK_ESCAPE); }});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(stepWhenDrained, 6) << "the creation step and five ticks";
    EXPECT_EQ(framesWhenDrained, 0) << "no frame before the queue is empty";
    EXPECT_EQ(Spy().frames, 1);
}

TEST_F(ShellTest, MinimisedWindowDrawsNothingAndIgnoresEscUntilRestored) {
    int framesWhileMinimised = -1;
    Script script({[] { Post(WM_ACTIVATE, kMinimised); }, [] { Press(VK_ESCAPE); }, Nothing, Nothing,
                   [&] {
                       framesWhileMinimised = Spy().frames;
                       Post(WM_ACTIVATE, WA_ACTIVE);
                   },
                   Nothing});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_FALSE(script.guardFired());
    EXPECT_EQ(framesWhileMinimised, 0);
    EXPECT_EQ(Spy().frames, 0) << "the pass that sees Esc draws nothing";
}

TEST_F(ShellTest, F1RebuildsOnceForSeveralKeyDownsInTheOtherMode) {
    Script script({[] {
                       Press(VK_F1);
                       Press(VK_F1);
                   },
                   Nothing, [] { Press(VK_ESCAPE); }});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(Fake().windowsCreated, 2);
    EXPECT_EQ(Spy().initCalls, 2);
    EXPECT_EQ(g_fullscreen, 1);
    EXPECT_EQ(g_keys[VK_F1], 0);
    EXPECT_GE(fake::FindCall("CreateWindow OpenGL \"Vurn's OpenGL Framework\" style=0x86000000"), 0);
    // Restored once when the fullscreen window is torn down at the end.
    EXPECT_EQ(CountCalls("ChangeDisplaySettings default"), 1);
    EXPECT_EQ(Fake().cursorCount, 0);
    EXPECT_FALSE(Fake().displayModeChanged);
    EXPECT_EQ(g_fireFrame, 2) << "each creation takes one step";
}

TEST_F(ShellTest, F1IsHonouredWhileMinimised) {
    Script script({[] {
                       Post(WM_ACTIVATE, kMinimised);
                       Press(VK_F1);
                   },
                   Nothing, [] { Post(WM_CLOSE); }});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(Fake().windowsCreated, 2);
    EXPECT_EQ(Spy().frames, 0);
}

TEST_F(ShellTest, F1AndEscTogetherRebuildFirstThenEnd) {
    Script script({[] {
        Press(VK_F1);
        Press(VK_ESCAPE);
    }});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_FALSE(script.guardFired());
    EXPECT_EQ(Fake().windowsCreated, 2);
    EXPECT_EQ(CountCalls("DestroyWindow"), 2);
    EXPECT_EQ(Fake().windowsAlive, 0);
    EXPECT_EQ(Spy().frames, 0);
}

TEST_F(ShellTest, ToggleBackToWindowedRestoresTheMode) {
    Script script({[] { Press(VK_F1); }, Nothing, [] { Press(VK_F1); }, Nothing, [] { Press(VK_ESCAPE); }});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(Fake().windowsCreated, 3);
    EXPECT_EQ(g_fullscreen, 0);
    EXPECT_EQ(CountCalls("ChangeDisplaySettings default"), 1);
    EXPECT_GE(fake::FindCall("CreateWindow OpenGL \"Vurn's OpenGL Framework\" style=0x6CF0000"), 0);
}

TEST_F(ShellTest, RefusedFullscreenAcceptedAsksAgainOnTheNextF1) {
    Fake().displayChangeResult = DISP_CHANGE_BADMODE;
    Fake().boxAnswers          = {IDYES, IDYES};
    Script script({[] { Press(VK_F1); }, Nothing, [] { Press(VK_F1); }, Nothing, [] { Press(VK_ESCAPE); }});
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(BoxesCaptioned("Vurn GL").size(), 2u);
    EXPECT_EQ(Fake().windowsCreated, 3);
    EXPECT_EQ(g_fullscreen, 0);
    EXPECT_EQ(CountCalls("ShowCursor"), 0);
}

TEST_F(ShellTest, RefusedFullscreenDeclinedEndsWithStatusOne) {
    Fake().displayChangeResult = DISP_CHANGE_BADMODE;
    Fake().boxAnswers          = {IDNO};
    Script script({[] { Press(VK_F1); }});
    EXPECT_EQ(WinMain(), 1);
    ASSERT_FALSE(Fake().boxes.empty());
    EXPECT_EQ(Fake().boxes.back().text, "Program Will Now Close.");
    EXPECT_EQ(Fake().windowsCreated, 1);
    EXPECT_EQ(CountCalls("DestroyWindow"), 1) << "no teardown after the failed rebuild";
}

TEST_F(ShellTest, ClassLeftRegisteredByAFailedTeardownEndsTheProgram) {
    Script script({[] {
        Fake().fail.unregisterClass = true;
        Press(VK_F1);
    }});
    EXPECT_EQ(WinMain(), 1);
    std::vector<std::string> texts;
    for (const auto& box : Fake().boxes) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Could Not Unregister Class.", "Failed To Register The Window Class."}));
    EXPECT_EQ(Fake().windowsCreated, 1);
}
