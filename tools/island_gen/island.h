// island.h — the island's features, each designed in its own file, and what they hand
// on to each other. main() calls them in the order their parts depend on.
#pragma once

#include <vector>

#include "tools/island_gen/geometry.h"
#include "tools/island_gen/tables.h"

struct Island {
    // The landing pad's outline corners and the feet of its borders (pad.cpp).
    int padNW, padS, padW, padWN, padSW, footE, footS, footN, footW;
    // The gravel bed: its corners, and five lines from its top down to the shore, west
    // to east: west bank, two slope lines, the valley floor, east bank (gravel_bed.cpp).
    int  gravelTopWest, coastGravelW, shoreA, shoreB, shoreF, coastGravelE;
    Loop lineL, lineA, lineB, lineF, lineR;
    // The coast west and east of the gravel, and its given corners (coast.cpp).
    Loop coastWest, coastEast;
    int  coastTerrainA, coastTerrainB, coastSand;
    // The rock foot, shared by the terrain and the massif (terrain.cpp).
    Loop foot;
    std::vector<Tri> terrain, gravel, sand, rocks, stream, sea;
    // The sea's inner boundary along the coast (sea.cpp).
    Loop seaCoast;
    // Every opaque ground triangle, once the ground has its final heights.
    std::vector<Tri> ground;
};

void  PlacePad(Island& isl);
Group PadGroup();
Group PadWallGroup();
// The pad's and its borders' triangles, as ground.
std::vector<Tri> PadTriangles();

void  PlaceGravelBed(Island& isl);
void  RaiseGravelBed(Island& isl);
void  CutGravelBed(Island& isl);
Group GravelGroup(std::vector<Tri> gravel);

void PlaceCoast(Island& isl);

void  BuildTerrain(Island& isl);
// Sets the trees' feet and the stream's banks at the heights the world gives them.
void  PinTheGround(Island& isl);
Group TerrainGroup(std::vector<Tri> terrain);

void  BuildShore(Island& isl);
Group SandGroup(std::vector<Tri> sand);

void  BuildMassif(Island& isl);
Group RocksGroup(std::vector<Tri> rocks);

void  CarveValley();
void  BuildStream(Island& isl);
Group StreamGroup(std::vector<Tri> stream);

void  BuildSea(Island& isl);
Group SeaGroup(std::vector<Tri> sea, const Loop& seaCoast);
