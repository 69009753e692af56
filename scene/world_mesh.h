// world_mesh.h — the eight baked groups of the static world, in the order the world list
// draws them, and the constants that place the trees and colour the water.
#pragma once

#include "scene/mesh.h"

extern const MeshGroup meshTerrain;
extern const MeshGroup meshRocks;
extern const MeshGroup meshGravel;
extern const MeshGroup meshSand;
extern const MeshGroup meshPad;
extern const MeshGroup meshPadWall;
extern const MeshGroup meshStream;
extern const MeshGroup meshSea;

// The tree is baked at its world place; the two calls of its list are shifted by these
// translations, the second on top of the first.
struct TreeOffset {
    float x, y, z;
};
inline constexpr TreeOffset treeOffsets[2] = {{0, 2, 0}, {10, 0, 10}};

inline constexpr float waterColour[4] = {0.3f, 0.3f, 0.5f, 0.8f};
