// sprite_meshes.h — the three small baked meshes: the smoke puff, the campfire quad with
// its six frame column ranges, and the tree.
#pragma once

#include "scene/mesh.h"

// Two quads: a horizontal one at y 0.8482 facing +y, a vertical one at z 11.8217 facing +z.
extern const MeshVertex meshSmokePuff[12];

// One 9.901-unit square in the plane z = 0 facing +z. Its u column holds 0 where a frame's
// left column edge goes and 1 where its right edge goes; the fire lists put the frame's
// range from fireFrameColumns in their place.
extern const MeshVertex meshFireQuad[6];

struct FireColumns {
    float u0, u1;
};
extern const FireColumns fireFrameColumns[6];

// Two crossed quads at the tree's place in the world, each emitted twice.
extern const MeshVertex meshTree[24];
