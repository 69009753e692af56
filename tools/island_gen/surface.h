// surface.h — what turns a feature's triangles into a table group: normals, texture
// coordinates fitted to the stated ranges, and the given first triangle in front.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "tools/island_gen/geometry.h"
#include "tools/island_gen/tables.h"

// Moves the triangle that matches `given` (by position) to the front, in the given order.
void PutFirst(std::vector<Tri>& tris, const std::vector<Row>& given);
std::set<int> PointsOf(const std::vector<Row>& given);

// One area-weighted normal per position over the given triangles.
std::map<int, V3> SmoothNormals(const std::vector<Tri>& tris);
// Turns a normal to the given height component, keeping its horizontal direction.
V3 WithNy(V3 n, double ny);
// Sets the normals of the given rows' positions everywhere in the table.
void SpreadGivenNormals(std::map<int, V3>& normals, const std::vector<Row>& given);
// Bends the extreme normal heights of a table to the stated range, leaving given
// positions; the bent normals are taken where every face around them still agrees.
void FitNormalRange(std::map<int, V3>& normals, double lo, double hi, const std::set<int>& keep,
                    const std::vector<Tri>& tris);

// Three rows per triangle with the position's normal, the given rows in front.
Group MakeGroup(const char* name, int texture, const std::vector<Tri>& tris, const std::map<int, V3>& normals,
                const std::vector<Row>& given);
// A smooth group: the given first triangle in front, one normal per position with its
// height bent into [nyLo, nyHi]; texture coordinates are left to the caller.
Group SmoothGroup(const char* name, int texture, std::vector<Tri>& tris, const std::vector<Row>& given, double nyLo,
                  double nyHi);
// Stretches one texture axis of the rows from `skip` on to exactly [lo, hi].
void RemapRange(std::vector<Row>& rows, size_t skip, bool useU, double lo, double hi);
// The scale nearest `nominal` (within 15 %) at which one corner lies exactly on lo and
// another, its triangle raised by further whole turns, exactly on hi; the coordinates it
// gives, three to a triangle, or empty when there is none.
std::vector<double> FitAxisExactly(const std::vector<double>& raw, double nominal, double lo, double hi, double* scale);
