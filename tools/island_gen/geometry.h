// geometry.h — the generator's shared geometry: one store of positions for the whole
// world, loops and triangles over it, and the ways bands between loops are cut.
#pragma once

#include <array>
#include <string>
#include <vector>

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x, y, z;
};
inline V3     operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3     operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3     operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline V3     Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3            Normalized(V3 a);

[[noreturn]] void Fail(const std::string& why);

// One position store for the whole world, so pieces that meet share their corners.
extern std::vector<V3> g_points;
int                    AddPoint(double x, double y, double z);
// The stored position equal to p to within 1e-6 on every axis; fails when there is none.
int FindPoint(V3 p);

using Tri  = std::array<int, 3>;
using Loop = std::vector<int>;

// The y component of the face normal of a, b, c: positive when the corners run
// counter-clockwise seen from above.
double Turn(int a, int b, int c);
void   MakeCounterClockwise(Loop& loop);
V3     FaceNormal(const Tri& t);
// Puts point p into the upward-facing triangle that holds it in plan, splitting it in
// three, then flips the edges facing p while p lies within the circle of the triangle
// beyond them (Delaunay in plan), so the new corner gets well-shaped neighbours. Edges
// of the `keep` triangle and edges with one triangle only stay. Adds two triangles.
void InsertPoint(std::vector<Tri>& tris, int p, const Tri& keep);
// Orients every triangle to face up.
void FaceUp(std::vector<Tri>& tris);

// Triangles of the band between two counter-clockwise loops, the first of them
// (outer a, outer b, inner c), where a and b are neighbours on the outer loop.
std::vector<Tri> TriangulateBand(const Loop& outer, const Loop& inner, int a, int b, int c);
// A strip between two polylines that start and end together, zipped by their relative
// position along each line.
std::vector<Tri> ZipStrip(const Loop& left, const Loop& right);

// Highest ground under (x, z) among the given triangles, or a very low value off them.
double GroundAt(double x, double z, const std::vector<Tri>& tris, Tri* hit = nullptr);

// Four decimals, as the tables hold them, with no negative zero.
double Round4(double v);
// Rounds every stored position to the tables' four decimals.
void RoundAllPoints();
