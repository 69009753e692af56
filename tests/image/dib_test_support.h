// dib_test_support.h — a fixture for reader tests: a temporary folder, a fresh scripted
// platform, and checks on the one message a failed read shows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/dib_reader.h"
#include "platform/platform_fake.h"
#include "tests/image/bmp_builder.h"

struct ImageDeleter {
    void operator()(RgbImage* image) const { FreeRgbImage(image); }
};
using ImagePtr = std::unique_ptr<RgbImage, ImageDeleter>;

class DibTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::ResetFake();
        ASSERT_FALSE(dir_.path().empty());
    }

    ImagePtr Read(const BmpLayout& bmp, const std::string& name = "case.bmp") {
        return ImagePtr(ReadDibImage(dir_.Write(name, BuildBmp(bmp)).c_str()));
    }

    // A successful read shows nothing.
    void ExpectNoMessage() { EXPECT_TRUE(fake::Fake().boxes.empty()); }

    void ExpectOneMessage(const std::string& text) {
        ASSERT_EQ(fake::Fake().boxes.size(), 1u);
        const fake::MessageBoxCall& box = fake::Fake().boxes[0];
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.type, MB_OK);
        EXPECT_EQ(box.owner, fake::Fake().focus);
    }

    static std::vector<uint8_t> Pixels(const RgbImage* image) {
        size_t size = static_cast<size_t>(image->width) * image->height * 3;
        return std::vector<uint8_t>(image->pixels, image->pixels + size);
    }

    TempDir dir_;
};
