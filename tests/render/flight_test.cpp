// flight_test.cpp — the flight model on exact float values: steering, the thrust rules,
// friction and the speed limit, the time factor and the direction of travel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "app/window_proc.h"
#include "platform/platform_fake.h"
#include "render/frame.h"
#include "render/scene_setup.h"
#include "render_fixture.h"
#include "scene/display_lists.h"

namespace {

constexpr int64_t kFrequency = 1000000;
constexpr uint8_t kKeyQ = 0x51, kKeyA = 0x41;

class FlightTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        fake::Fake().frequency = kFrequency;
        fake::Fake().counter   = 7 * kFrequency;
        ResizeViewport(640, 480);
        ASSERT_EQ(InitScene(), 1);
    }

    // Draws `frames` frames 10 ms apart with exactly `keys` held.
    void fly(int frames, std::initializer_list<uint8_t> keys = {}) {
        for (uint8_t& k : g_keys) k = 0;
        for (uint8_t k : keys) g_keys[k] = 1;
        for (int i = 0; i < frames; ++i) {
            fake::Fake().counter += kFrequency / 100;
            ASSERT_EQ(RenderFrame(), 1);
        }
    }

    void setSeconds(double seconds) {
        fake::Fake().counter = g_startCounter + static_cast<int64_t>(seconds * kFrequency);
    }
};

TEST_F(FlightTest, WithNoKeyTheCameraStaysAtTheStartingPose) {
    fly(50);
    EXPECT_EQ(g_thrust, 0.0f);
    EXPECT_EQ(g_speed, 0.0f);
    ExpectStartingPose();
    EXPECT_NEAR(g_timeFactor, 0.5f, 1e-6f);
}

TEST_F(FlightTest, HoldingQStopsThrustAt0205AfterFortyOneFramesAndSpeedAtTheLimit) {
    fly(40, {kKeyQ});
    EXPECT_LT(g_thrust, 0.2);
    EXPECT_GT(g_thrust, 0.199);
    fly(1, {kKeyQ});
    EXPECT_NEAR(g_thrust, 0.205, 1e-6);
    const float top = g_thrust;
    fly(30, {kKeyQ});
    EXPECT_EQ(g_thrust, top);
    EXPECT_EQ(g_speed, 0.5f);
}

TEST_F(FlightTest, HoldingAMirrorsDownToMinus0205AndMinusHalfSpeed) {
    fly(41, {kKeyA});
    EXPECT_NEAR(g_thrust, -0.205, 1e-6);
    const float bottom = g_thrust;
    fly(30, {kKeyA});
    EXPECT_EQ(g_thrust, bottom);
    EXPECT_EQ(g_speed, -0.5f);
}

TEST_F(FlightTest, ReleasingEitherThrustKeyLeavesMinusOneHundredth) {
    fly(5, {kKeyQ});
    fly(1);
    EXPECT_EQ(g_thrust, -0.01f);
    fly(5, {kKeyA});
    ASSERT_LT(g_thrust, 0.0f);
    fly(1);
    EXPECT_EQ(g_thrust, -0.01f);
    fly(10);
    EXPECT_EQ(g_thrust, -0.01f);
}

TEST_F(FlightTest, BothThrustKeysCancelBetweenTheBounds) {
    fly(20, {kKeyQ, kKeyA});
    EXPECT_NEAR(g_thrust, 0.0, 1e-9);
    EXPECT_NEAR(g_speed, 0.0f, 1e-6f);
}

TEST_F(FlightTest, AfterAReleaseSpeedCyclesNearZeroAndTheCameraCreepsForward) {
    fly(30, {kKeyQ});
    fly(40);
    float cycle[6];
    const float zBefore = g_camera.z;
    for (float& s : cycle) {
        fly(1);
        s = g_speed;
    }
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(cycle[i], cycle[i + 3], 1e-6f);
    float sorted[3] = {cycle[0], cycle[1], cycle[2]};
    std::sort(sorted, sorted + 3);
    EXPECT_NEAR(sorted[0], 0.0f, 1e-6f);
    EXPECT_NEAR(sorted[1], 0.01f, 1e-6f);
    EXPECT_NEAR(sorted[2], 0.02f, 1e-6f);
    EXPECT_GT(g_camera.z, zBefore);
}

TEST_F(FlightTest, ASpeedBelowFrictionWithNoThrustStays) {
    g_speed = 0.02f;
    fly(200);
    EXPECT_NEAR(g_speed, 0.02f, 1e-6f);
    EXPECT_EQ(g_thrust, 0.0f);
}

TEST_F(FlightTest, PressingAFromRestDriftsForwardBeforeReversing) {
    for (int i = 0; i < 60; ++i) {
        const float thrustUsed = g_thrust;
        fly(1, {kKeyA});
        if (g_speed < 0) EXPECT_LT(thrustUsed, -0.03f) << "frame " << i;
        else EXPECT_LT(g_speed, 0.03f) << "frame " << i;
    }
    EXPECT_EQ(g_speed, -0.5f);
}

TEST_F(FlightTest, TurnKeysStepByATenthAndTiltOrTurnTheView) {
    fly(10, {VK_UP});
    EXPECT_NEAR(g_camera.pitch, 1.0f, 1e-5f);
    fly(10, {VK_RIGHT});
    EXPECT_NEAR(g_camera.yaw, 1.0f, 1e-5f);
    fly(200, {VK_UP, VK_RIGHT});
    fly(1);
    // The world direction the eye looks along is the third row of the view rotation,
    // negated: pitched up means looking down, yawed right means looking toward +x.
    const auto m = ModelviewMatrix();
    EXPECT_LT(-m[6], -0.3f);
    EXPECT_GT(-m[2], 0.3f);
    fly(210, {VK_DOWN, VK_LEFT});
    EXPECT_NEAR(g_camera.pitch, 0.0f, 1e-4f);
    EXPECT_NEAR(g_camera.yaw, 0.0f, 1e-4f);
    fly(10, {VK_UP, VK_DOWN});
    EXPECT_NEAR(g_camera.pitch, 0.0f, 1e-4f);
    EXPECT_EQ(g_camera.roll, 0.0f);
}

TEST_F(FlightTest, TurningIsPerFrameWhateverTheFrameRate) {
    for (int i = 0; i < 10; ++i) {
        g_keys[VK_RIGHT] = 1;
        fake::Fake().counter += kFrequency;   // one frame a second
        RenderFrame();
    }
    const float slow = g_camera.yaw;
    g_camera.yaw     = 0;
    for (int i = 0; i < 10; ++i) {
        fake::Fake().counter += kFrequency / 1000;
        RenderFrame();
    }
    EXPECT_EQ(g_camera.yaw, slow);
}

TEST_F(FlightTest, PositiveSpeedFliesWhereTheCameraLooks) {
    struct Case {
        float pitch, yaw;
        float dx, dy, dz;   // per unit of speed times seconds
    } cases[] = {
        {0, 0, 0, 0, 1},
        {0, 90, 1, 0, 0},
        {0, -90, -1, 0, 0},
        {30, 0, 0, 0.5f, 1},   // climbing down does not shorten the horizontal step
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("pitch " + std::to_string(c.pitch) + " yaw " + std::to_string(c.yaw));
        g_camera = {c.pitch, c.yaw, 0, 10, -50, -500};
        g_speed  = 0.53f;
        g_thrust = 0;
        setSeconds(2.0);
        AdvanceCamera();
        EXPECT_FLOAT_EQ(g_speed, 0.5f);
        EXPECT_NEAR(g_camera.x, 10 + c.dx, 1e-4f);
        EXPECT_NEAR(g_camera.y, -50 + c.dy, 1e-4f);
        EXPECT_NEAR(g_camera.z, -500 + c.dz, 1e-4f);
    }
}

TEST_F(FlightTest, NegativeSpeedBacksAway) {
    g_speed  = -0.23f;
    setSeconds(1.0);
    AdvanceCamera();
    EXPECT_FLOAT_EQ(g_speed, -0.2f);
    EXPECT_NEAR(g_camera.z, -500.2f, 1e-4f);
}

TEST_F(FlightTest, TimeFactorCountsFromInitialisationNotFromTheLastFrame) {
    g_speed = 0.53f;
    setSeconds(100.0);
    AdvanceCamera();
    EXPECT_EQ(g_timeFactor, 100.0f);
    const float z = g_camera.z;
    g_speed       = 0.53f;
    setSeconds(100.001);
    AdvanceCamera();
    EXPECT_NEAR(g_timeFactor, 100.001f, 1e-4f);
    EXPECT_NEAR(g_camera.z - z, 50.0f, 0.01f);
}

TEST_F(FlightTest, TimeFactorTakesTheTickDifferenceInIntegers) {
    // Ticks this large lose their low digits as doubles; only the integer difference
    // gives exactly 1.5 seconds.
    fake::Fake().counter   = 4000000000000000001;
    fake::Fake().frequency = 2;
    ASSERT_EQ(InitScene(), 1);
    fake::Fake().counter += 3;
    AdvanceCamera();
    EXPECT_EQ(g_timeFactor, 1.5f);
}

TEST_F(FlightTest, AClockWithoutRateMeansNoMovement) {
    fake::Fake().frequency = 0;
    ASSERT_EQ(InitScene(), 1);
    g_speed = 0.53f;
    fake::Fake().counter += 1000;
    AdvanceCamera();
    EXPECT_EQ(g_timeFactor, 0.0f);
    EXPECT_EQ(g_camera.z, -500.0f);
}

// The view transform: pitch, then yaw, then roll, then the translation by (-x, y, z),
// and the campfire drawn at (115, 1, 40) in that frame; all with the white colour.
TEST_F(FlightTest, FrameDrawsTheWorldAndTheCampfireThroughTheViewTransform) {
    UseFeedbackProjection();
    g_lists.listWorld = MakeMarkerList(1);
    g_lists.listFire1 = MakeMarkerList(2);
    g_lists.listFire2 = MakeMarkerList(3);
    g_lists.listSmokePuff = MakeMarkerList(4);
    g_fireFrame           = 1;
    g_camera              = {90, 90, 0, 0, -50, -500};
    const auto hits       = CaptureMarkers([] { RenderFrame(); });
    ASSERT_EQ(hits.size(), 5u);
    EXPECT_EQ(hits[0].tag, 1);
    EXPECT_NEAR(hits[0].x, -500, 0.01);
    EXPECT_NEAR(hits[0].y, 0, 0.01);
    EXPECT_NEAR(hits[0].z, -50, 0.01);
    EXPECT_EQ((std::vector<float>{hits[0].r, hits[0].g, hits[0].b, hits[0].a}), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(hits[1].tag, 2);
    EXPECT_NEAR(hits[1].x, -460, 0.01);
    EXPECT_NEAR(hits[1].y, 115, 0.01);
    EXPECT_NEAR(hits[1].z, -49, 0.01);
    EXPECT_EQ(hits[2].tag, 3);
    EXPECT_EQ(hits[4].tag, 4);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

}  // namespace
