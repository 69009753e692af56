// scene_setup.cpp — the GL state every frame relies on: textures, fixed state, the one
// light, the font lists, the starting pose, the time reference and the projection.
#include "render/scene_setup.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/scene_window.h"
#include "render/font.h"
#include "render/frame.h"
#include "scene/display_lists.h"

uint32_t g_textures[9];
uint32_t g_fontBase;
int64_t  g_startCounter;
int64_t  g_counterFrequency;

// Load order is also the index the display lists bind by.
const TextureDesc kSceneTextures[9] = {
    {"Mapping256.bmp", 0, GL_NEAREST, GL_NEAREST, GL_REPEAT}, {"rocksA256.bmp", 0, GL_NEAREST, GL_NEAREST, GL_REPEAT},
    {"Gravel256.bmp", 0, GL_NEAREST, GL_NEAREST, GL_REPEAT},  {"sand.bmp", 0, GL_NEAREST, GL_NEAREST, GL_REPEAT},
    {"Landing.bmp", 0, GL_NEAREST, GL_NEAREST, GL_REPEAT},    {"Wall.bmp", 0, GL_NEAREST, GL_NEAREST, GL_REPEAT},
    {"tree.bmp", 1, GL_NEAREST, GL_NEAREST, GL_REPEAT},       {"fire.bmp", 1, GL_NEAREST, GL_NEAREST, GL_REPEAT},
    {"Cloud1.bmp", 1, GL_NEAREST, GL_NEAREST, GL_REPEAT},
};

namespace {

const float kLightAmbient[4]  = {0.5f, 0.5f, 0.5f, 1.0f};
const float kLightDiffuse[4]  = {1.0f, 1.0f, 1.0f, 1.0f};
const float kLightPosition[4] = {6.0f, 6.0f, 6.0f, 1.0f};

const CameraPose kStartPose = {0.0f, 0.0f, 0.0f, 0.0f, -50.0f, -500.0f};

}  // namespace

void ResizeViewport(int32_t width, int32_t height) {
    // The window procedure can see a size change before the context is current; GL
    // calls then have nowhere to go, so they are skipped.
    if (glGetString(GL_VERSION) == nullptr) return;
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), static_cast<double>(0.1f), 2500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int InitScene() {
    for (int i = 0; i < 9; ++i) g_textures[i] = MakeTexture(kSceneTextures[i]);

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.2f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // The trees and the smoke are blended with depth writes on and drawn before the
    // water; a texel with nothing in it must not write depth, or it cuts the sea
    // behind it out of the picture. Opaque textures have alpha 1 and the water 0.8.
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);

    // Given while the modelview matrix is the identity, so GL keeps the light in eye
    // coordinates and it travels with the camera.
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT1, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, kLightPosition);
    glEnable(GL_LIGHT1);
    glEnable(GL_COLOR_MATERIAL);

    BuildFontLists(g_deviceContext);

    g_camera = kStartPose;
    g_thrust = 0.0f;
    g_speed  = 0.0f;

    // The lists record the texture names, so they are compiled after the textures exist.
    BuildDisplayLists();

    // A clock that cannot be read leaves zeros, which AdvanceCamera treats as no time.
    g_startCounter     = 0;
    g_counterFrequency = 0;
    PlatQueryPerformanceCounter(&g_startCounter);
    PlatQueryPerformanceFrequency(&g_counterFrequency);
    return 1;
}

void BuildFontLists(DeviceContextHandle deviceContext) {
    g_fontBase = glGenLists(kFontGlyphCount);
    // Where the system has no font for us, the lists get the program's own glyphs.
    if (!PlatUseFontBitmaps(deviceContext, kFontFirstChar, kFontGlyphCount, g_fontBase))
        CompileFontGlyphs(g_fontBase);
}
