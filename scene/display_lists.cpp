// display_lists.cpp — allocation and compilation of the nine scene display lists.
#include "scene/display_lists.h"

#include <GL/gl.h>

#include "render/scene_setup.h"
#include "scene/sprite_meshes.h"
#include "scene/world_mesh.h"

SceneLists g_lists;

namespace {

enum TextureSlot { kTree = 6, kFire = 7, kCloud = 8 };

void EmitRow(const MeshVertex& row, bool withNormal) {
    if (withNormal) glNormal3f(row.nx, row.ny, row.nz);
    glTexCoord2f(row.u, row.v);
    glVertex3f(row.x, row.y, row.z);
}

void EmitTriangles(const MeshVertex* rows, size_t rowCount) {
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < rowCount; ++i) EmitRow(rows[i], true);
    glEnd();
}

// A flat group issues one normal per triangle, on its first corner.
void EmitGroup(const MeshGroup& group) {
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < group.rowCount; ++i) EmitRow(group.rows[i], !group.flatNormals || i % 3 == 0);
    glEnd();
}

void EmitFireQuad(const FireColumns& columns) {
    glBegin(GL_TRIANGLES);
    for (const MeshVertex& row : meshFireQuad) {
        glNormal3f(row.nx, row.ny, row.nz);
        glTexCoord2f(row.u == 0 ? columns.u0 : columns.u1, row.v);
        glVertex3f(row.x, row.y, row.z);
    }
    glEnd();
}

void CompileSmokePuff() {
    glNewList(g_lists.listSmokePuff, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, g_textures[kCloud]);
    EmitTriangles(meshSmokePuff, 12);
    glEndList();
}

// The second copy of the quad is turned a quarter about +y, so the two stand crossed on
// the list's vertical axis.
void CompileFireFrame(uint32_t list, const FireColumns& columns) {
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, g_textures[kFire]);
    glPushMatrix();
    EmitFireQuad(columns);
    glRotatef(90, 0, 1, 0);
    EmitFireQuad(columns);
    glPopMatrix();
    glEndList();
}

void CompileTree() {
    glNewList(g_lists.listTree, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, g_textures[kTree]);
    EmitTriangles(meshTree, 24);
    glEndList();
}

// Opaque ground first, then the blended trees, then the translucent water, so the water
// blends over the ground already drawn. The blend function is set only for the water; the
// trees use whatever function is current when the list runs.
void CompileWorld() {
    const MeshGroup* ground[] = {&meshTerrain, &meshRocks, &meshGravel, &meshSand, &meshPad, &meshPadWall};
    glNewList(g_lists.listWorld, GL_COMPILE);
    for (const MeshGroup* group : ground) {
        glBindTexture(GL_TEXTURE_2D, g_textures[group->texture]);
        EmitGroup(*group);
    }
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glTranslatef(treeOffsets[0].x, treeOffsets[0].y, treeOffsets[0].z);
    glCallList(g_lists.listTree);
    glTranslatef(treeOffsets[1].x, treeOffsets[1].y, treeOffsets[1].z);
    glCallList(g_lists.listTree);
    glPopMatrix();
    glEnable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(waterColour[0], waterColour[1], waterColour[2], waterColour[3]);
    EmitGroup(meshStream);
    EmitGroup(meshSea);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glEndList();
}

}  // namespace

void BuildDisplayLists() {
    g_lists.listWorld     = glGenLists(1);
    g_lists.listTree      = glGenLists(1);
    g_lists.listFire1     = glGenLists(1);
    g_lists.listFire2     = glGenLists(1);
    g_lists.listFire3     = glGenLists(1);
    g_lists.listFire4     = glGenLists(1);
    g_lists.listFire5     = glGenLists(1);
    g_lists.listFire6     = glGenLists(1);
    g_lists.listSmokePuff = glGenLists(1);

    CompileSmokePuff();
    const uint32_t fireLists[6] = {g_lists.listFire1, g_lists.listFire2, g_lists.listFire3,
                                   g_lists.listFire4, g_lists.listFire5, g_lists.listFire6};
    for (int frame = 0; frame < 6; ++frame) CompileFireFrame(fireLists[frame], fireFrameColumns[frame]);
    CompileTree();
    CompileWorld();
}
