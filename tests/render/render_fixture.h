// render_fixture.h — a fresh offscreen context with the renderer's program-wide state
// back at program start, plus GL feedback capture of marker lists.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "support/gl_fixture.h"

class RenderTest : public GLTest {
protected:
    void SetUp() override;
};

// What one marker list left in the feedback buffer: its tag, where its point landed
// in eye coordinates (see UseFeedbackProjection) and the colour it was drawn with.
struct MarkerHit {
    int   tag;
    float x, y, z;
    float r, g, b, a;
};

// A list that emits `tag` as a pass-through token and one point at its origin.
uint32_t MakeMarkerList(int tag);

// An orthographic volume of +-1000 in every axis on a 2000 x 2000 viewport, so that a
// feedback position maps back to eye coordinates exactly.
void UseFeedbackProjection();

// The camera stands at the starting pose: level, eye at (0, 50, 500).
void ExpectStartingPose();

// Runs `draw` in feedback mode (lighting off, so the colour is the current colour) and
// returns the markers it hit, in order.
std::vector<MarkerHit> CaptureMarkers(const std::function<void()>& draw);

// The current colour and the modelview matrix.
std::vector<float> CurrentColour();
std::vector<float> ModelviewMatrix();
