// gl_fixture.h — a test fixture that gives each test a fresh offscreen GL context.
#pragma once

#include <gtest/gtest.h>

#include "tools/common/offscreen_gl.h"

class GLTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateOffscreenGL(&gl_, 640, 480, &error)) << error;
    }
    void TearDown() override { DestroyOffscreenGL(&gl_); }

    OffscreenGL gl_;
};
