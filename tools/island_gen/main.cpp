// main.cpp — designs the island and writes the eight baked world tables.
//
// The ground is one height function (a dome that rises from the coast to the foot of the
// rock massif, with the stream's valley carved into it) sampled on a few closed loops:
// the coast, two rings inland and the rock foot. The bands between loops are cut into
// triangles by ear clipping, bridged so that the rows the world must start with come out
// as ears. Everything is deterministic; the program checks its own result and fails
// rather than write a table that breaks one of the world's properties.
//
//   island_gen OUTPUT.cpp
#include <cstdio>

#include "tools/island_gen/island.h"

namespace {

// Every opaque face the water and the sea are fitted against.
std::vector<Tri> WholeGround(const Island& isl) {
    std::vector<Tri> ground = isl.terrain;
    for (const std::vector<Tri>* part : {&isl.gravel, &isl.sand}) ground.insert(ground.end(), part->begin(), part->end());
    const std::vector<Tri> pad = PadTriangles();
    ground.insert(ground.end(), pad.begin(), pad.end());
    ground.insert(ground.end(), isl.rocks.begin(), isl.rocks.end());
    return ground;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) Fail("usage: island_gen OUTPUT.cpp");

    // The parts in the order they lean on each other: the outline from pad, gravel and
    // coast shapes the ground's dome, the valley cuts it, and the ground takes its final
    // heights before the water is fitted over it.
    Island isl;
    PlacePad(isl);
    PlaceGravelBed(isl);
    PlaceCoast(isl);
    CarveValley();
    RaiseGravelBed(isl);
    BuildTerrain(isl);
    CutGravelBed(isl);
    BuildShore(isl);
    BuildMassif(isl);
    PinTheGround(isl);
    RoundAllPoints();
    isl.ground = WholeGround(isl);
    BuildStream(isl);
    BuildSea(isl);

    const Group terrain = TerrainGroup(isl.terrain), rocks = RocksGroup(isl.rocks), gravel = GravelGroup(isl.gravel),
                sand = SandGroup(isl.sand), pad = PadGroup(), wall = PadWallGroup(), stream = StreamGroup(isl.stream),
                sea = SeaGroup(isl.sea, isl.seaCoast);
    std::printf("triangles: terrain %zu rocks %zu gravel %zu sand %zu stream %zu sea %zu\n", terrain.rows.size() / 3,
                rocks.rows.size() / 3, gravel.rows.size() / 3, sand.rows.size() / 3, stream.rows.size() / 3,
                sea.rows.size() / 3);
    WriteTables(argv[1], {&terrain, &rocks, &gravel, &sand, &pad, &wall, &stream, &sea});
    return 0;
}
