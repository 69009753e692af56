// mesh.h — the form of the baked geometry.
#pragma once

#include <cstddef>

struct MeshVertex {
    float nx, ny, nz;
    float u, v;
    float x, y, z;
};

struct MeshGroup {
    int               texture;       // index into g_textures, or -1 for untextured groups
    bool              flatNormals;   // only each triangle's first corner issues its normal
    const MeshVertex* rows;          // three rows per triangle, in draw order
    size_t            rowCount;
};
