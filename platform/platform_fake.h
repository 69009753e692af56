// platform_fake.h — control of the scripted platform that the tests link in place of
// the real one.
//
// Every platform call is appended to `calls` as one line of text (name and the
// arguments that matter), so a test can check the order of a sequence. Each operation
// that can fail has a switch that makes it fail. Messages come from `queue`, which a
// test fills; `onEmptyPeek` runs whenever PlatPeekMessage finds the queue empty, so a
// test can script what happens between idle passes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

struct MessageBoxCall {
    WindowHandle owner;
    std::string  text;
    std::string  caption;
    uint32_t     type;
};

struct Failures {
    bool registerClass   = false;
    bool unregisterClass = false;
    bool createWindow    = false;
    bool getDC           = false;
    bool choosePixelFormat = false;
    bool setPixelFormat  = false;
    bool createContext   = false;
    bool makeCurrent     = false;  // binding a context
    bool unbindContext   = false;  // PlatMakeCurrent with two nulls
    bool deleteContext   = false;
    bool releaseDC       = false;
    bool destroyWindow   = false;
};

struct State {
    std::vector<std::string>    calls;
    std::vector<MessageBoxCall> boxes;
    Failures                    fail;

    // Answers for boxes, taken in order; when empty a box answers IDOK, or IDYES for
    // a Yes/No box.
    std::deque<int32_t> boxAnswers;

    // Result of PlatChangeDisplaySettings for a mode request (restores always succeed).
    int32_t displayChangeResult = DISP_CHANGE_SUCCESSFUL;
    bool    displayModeChanged  = false;   // a requested mode is in force
    int     cursorCount         = 0;       // show count; starts at 0 (shown)

    std::deque<PlatMessage>  queue;
    std::function<void()>    onEmptyPeek;
    std::function<void(const std::string&)> onCall;   // runs after each call is logged

    bool     classRegistered = false;
    int      windowsCreated  = 0;
    int      windowsAlive    = 0;
    WindowHandle focus       = nullptr;
    GLContextHandle current  = nullptr;

    struct Timer { WindowHandle window; uintptr_t id; uint32_t periodMs; };
    std::vector<Timer> timers;

    int64_t counter   = 0;
    int64_t frequency = 1000000;
};

State& Fake();
void   ResetFake();

// The live window the fake made last (null when none).
WindowHandle CurrentWindow();

// Queues WM_TIMER for every live timer, as one period passing would.
void TickTimers();

// Queues a message for the current window.
void Post(uint32_t message, uint32_t wParam = 0, int32_t lParam = 0);

// Index of the first logged call that starts with `prefix`, or -1.
int FindCall(const std::string& prefix);

}  // namespace fake
