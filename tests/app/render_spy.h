// render_spy.h — what the shell asked of the renderer, and a fixture that gives each
// test a fresh fake platform, fresh shell state and a current offscreen GL context.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform_fake.h"
#include "tests/support/gl_fixture.h"

struct RenderSpy {
    int                              initCalls  = 0;
    bool                             failInit   = false;
    int                              frames     = 0;
    std::vector<std::pair<int, int>> viewports;   // ResizeViewport arguments, in order
};

RenderSpy& Spy();

// Program-wide shell state back to its start values, the fake and the spy emptied.
void ResetShell();

// Boxes with the given caption, in the order shown.
std::vector<fake::MessageBoxCall> BoxesCaptioned(const std::string& caption);

// Number of logged calls that start with `prefix`.
int CountCalls(const std::string& prefix);

class ShellTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        ResetShell();
    }
};
