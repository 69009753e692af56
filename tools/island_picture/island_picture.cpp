// island_picture.cpp — renders the island offscreen to PNG files: from the viewer's start
// pose, from high over the north shore, and close over the landing pad and campfire.
//
//   island_picture TEXTURE_FOLDER OUTPUT_FOLDER
//
// It sets the GL state the viewer's scene set-up gives, builds the scene lists and draws
// one frame per pose the way the viewer does: camera transform, white, the world, then
// the campfire at its place on the pad.
#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "image/texture.h"
#include "render/scene_setup.h"
#include "scene/display_lists.h"
#include "tools/common/offscreen_gl.h"
#include "tools/common/png_writer.h"

namespace {

struct Pose {
    const char* name;
    float       pitch, yaw, x, y, z;  // as the camera stores them: the eye is at (x, -y, -z)
};

void SetUpScene() {
    const char* files[9] = {"Mapping256.bmp", "rocksA256.bmp", "Gravel256.bmp", "sand.bmp", "Landing.bmp",
                            "Wall.bmp",       "tree.bmp",      "fire.bmp",      "Cloud1.bmp"};
    for (int i = 0; i < 9; ++i)
        g_textures[i] = MakeTexture({files[i], uint8_t(i >= 6), GL_NEAREST, GL_NEAREST, GL_REPEAT});
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0.2f, 0.5f);
    glClearDepth(1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_LIGHTING);
    const float ambient[4] = {0.5f, 0.5f, 0.5f, 1}, diffuse[4] = {1, 1, 1, 1}, position[4] = {6, 6, 6, 1};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glEnable(GL_LIGHT1);
    glEnable(GL_COLOR_MATERIAL);
    BuildDisplayLists();
}

void DrawPose(const Pose& pose) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glRotatef(pose.pitch, 1, 0, 0);
    glRotatef(pose.yaw, 0, 1, 0);
    glTranslatef(-pose.x, pose.y, pose.z);
    glColor3f(1, 1, 1);
    glCallList(g_lists.listWorld);
    // The campfire: two frames over each other and one smoke puff, blended.
    glPushMatrix();
    glTranslatef(115, 1, 40);
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    glCallList(g_lists.listFire2);
    glCallList(g_lists.listFire5);
    glTranslatef(0, 12, 0);
    glColor4f(1, 1, 1, 0.5f);
    glCallList(g_lists.listSmokePuff);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glPopMatrix();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: island_picture TEXTURE_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    std::string out = argv[2];
    if (out[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) out = std::string(cwd) + "/" + out;
    }
    if (chdir(argv[1]) != 0) {
        std::fprintf(stderr, "island_picture: no folder %s\n", argv[1]);
        return 1;
    }
    OffscreenGL gl;
    std::string error;
    if (!CreateOffscreenGL(&gl, 640, 480, &error)) {
        std::fprintf(stderr, "island_picture: %s\n", error.c_str());
        return 1;
    }
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 640.0 / 480.0, 0.1f, 2500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetUpScene();

    const Pose poses[] = {
        {"start", 0, 0, 0, -50, -500},
        {"north_high", 28, 15, 40, -160, -330},
        {"campfire", 25, 30, 95, -20, -75},
    };
    int failures = 0;
    for (const Pose& pose : poses) {
        // The trees blend with the function the previous frame left; a first frame would
        // show them opaque, so each pose is drawn twice.
        DrawPose(pose);
        DrawPose(pose);
        std::string path = out + "/island_" + pose.name + ".png";
        if (!WritePng(path, 640, 480, ReadOffscreenRgb(&gl))) {
            std::fprintf(stderr, "island_picture: cannot write %s\n", path.c_str());
            ++failures;
        } else {
            std::printf("%s\n", path.c_str());
        }
    }
    DestroyOffscreenGL(&gl);
    return failures ? 1 : 0;
}
