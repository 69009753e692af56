// picture_checks.h — what the end-to-end suites look for in a grabbed window: the
// client area as a picture, the sea's colour, and a textured island in the middle of
// the starting view.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "tests/e2e/xvfb_harness.h"

namespace e2e {

// A region of the client area, in client pixels from the top left.
struct Box {
    int x, y, width, height;
};

struct Picture {
    int                  width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t*       at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The client area at (x, y) on the screen, width x height; black where off the screen.
inline Picture GrabClientPicture(const XvfbServer& server, int x, int y, int width, int height) {
    int                  w = 0, h = 0;
    std::vector<uint8_t> screen = GrabScreenRgb(server, &w, &h);
    Picture              p;
    p.width  = width;
    p.height = height;
    p.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            const int sx = x + col, sy = y + row;
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
            for (int c = 0; c < 3; ++c)
                p.rgb[(static_cast<size_t>(row) * width + col) * 3 + c] = screen[(static_cast<size_t>(sy) * w + sx) * 3 + c];
        }
    return p;
}

// The water's own colour over the sea floor: grey-blue, blue clearly above red.
inline bool IsWater(const uint8_t* p) { return p[2] > p[0] + 15 && std::abs(p[0] - p[1]) < 24 && p[2] > 90; }

inline size_t CountWhere(const Picture& picture, const Box& region, bool (*test)(const uint8_t*)) {
    size_t n = 0;
    for (int y = region.y; y < region.y + region.height; ++y)
        for (int x = region.x; x < region.x + region.width; ++x) n += test(picture.at(x, y));
    return n;
}

inline size_t DistinctColours(const Picture& picture, const Box& region) {
    std::set<uint32_t> colours;
    for (int y = region.y; y < region.y + region.height; ++y)
        for (int x = region.x; x < region.x + region.width; ++x) {
            const uint8_t* p = picture.at(x, y);
            colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        }
    return colours.size();
}

// The island in the middle of the starting view is textured, not one flat colour (as
// it is drawn when the texture files are missing).
inline void ExpectTexturedIsland(const Picture& p) {
    // The stream crosses this box, so some water colour belongs in it.
    const Box island = {240, 260, 200, 50};
    EXPECT_LT(CountWhere(p, island, IsSky) + CountWhere(p, island, IsWater), 200u * 50 / 3);
    EXPECT_GT(DistinctColours(p, island), 200u);
}

// The starting view: only the clear colour above the horizon, the sea in both bottom
// corners, the textured island in the middle.
inline void ExpectStartingView(const Picture& p) {
    EXPECT_GT(CountWhere(p, {0, 0, 640, 150}, IsSky), 640u * 150 * 95 / 100);
    EXPECT_GT(CountWhere(p, {0, 400, 80, 80}, IsWater), 80u * 80 * 9 / 10);
    EXPECT_GT(CountWhere(p, {560, 400, 80, 80}, IsWater), 80u * 80 * 9 / 10);
    ExpectTexturedIsland(p);
}

}  // namespace e2e
