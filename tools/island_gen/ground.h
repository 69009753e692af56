// ground.h — the island's shape: directions around the rock massif, the outline and the
// rock foot by angle, the one height function the ground follows, and the positions the
// design holds fixed.
#pragma once

#include <set>
#include <utility>
#include <vector>

#include "tools/island_gen/geometry.h"
#include "tools/island_gen/tables.h"

// The sea's surface.
constexpr double kSeaLevel = -3.9046;

// Everything round the massif is laid out by direction from this point.
extern const V3 kRockCentre;

double AngleAround(V3 p, V3 centre);
double RadiusAround(V3 p, V3 centre);
// Sorts a loop by direction around the rock centre.
void SortAroundRocks(Loop& loop);

// Periodic piecewise-linear table over degrees.
struct AngleTable {
    std::vector<std::pair<double, double>> rows;
    double                                 At(double deg) const;
};

// Rock foot: radius and height around the rock centre, by angle.
extern const AngleTable kFootRadius, kFootHeight;
// The island's outline radius around the rock centre (coast, pad edge, gravel shore).
extern AngleTable g_outline;

// The stream's centre line and the valley floor under it.
struct StreamSection {
    double x, z, floor;
};
extern std::vector<StreamSection> g_valley;

// The dome from the coast up to the rock foot, with the stream's valley carved in.
double Ground(double x, double z);
int    GroundPoint(double x, double z);

// Positions the design takes as given; pins never move them.
extern std::set<int> g_fixed;
// Stores a given row's position as a fixed point.
int AddGiven(const Row& r);

// Nudges the movable corners under each pin (x, z, height) until the ground there has
// the pin's height.
void ApplyPins(const std::vector<std::array<double, 3>>& pins, const std::vector<Tri>& tris);
// Distance from the rock centre along the ray at `deg` to the first crossing of `loop`.
double RayHit(double deg, const Loop& loop);
// Rings around the rock centre, each sorted by angle, zipped by angle; the orientation
// follows the rings, so a ring that juts out beyond the one below it makes downward
// faces (overhangs).
std::vector<Tri> ZipRings(const Loop& outer, const Loop& inner);
