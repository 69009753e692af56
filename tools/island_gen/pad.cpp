// pad.cpp — the landing pad and its three sloped borders, which the world gives in full:
// their corners are fixed points the terrain and the shore run up to.
#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"

void PlacePad(Island& isl) {
    isl.padNW = AddGiven(kPadRows[0]), isl.padS = AddGiven(kPadRows[2]);
    AddGiven(kPadRows[1]), AddGiven(kPadRows[3]);
    isl.padW = AddGiven(kPadRows[6]), isl.padWN = AddGiven(kPadRows[7]), isl.padSW = AddGiven(kPadRows[12]);
    isl.footE = AddGiven(kWallRows[0]), isl.footS = AddGiven(kWallRows[1]), isl.footN = AddGiven(kWallRows[8]),
    isl.footW = AddGiven(kWallRows[14]);
}

std::vector<Tri> PadTriangles() {
    std::vector<Tri> tris;
    for (const std::vector<Row>* rows : {&kPadRows, &kWallRows})
        for (size_t k = 0; k < rows->size(); k += 3)
            tris.push_back({FindPoint((*rows)[k].p), FindPoint((*rows)[k + 1].p), FindPoint((*rows)[k + 2].p)});
    return tris;
}

Group PadGroup() { return {"meshPad", 4, true, kPadRows}; }
Group PadWallGroup() { return {"meshPadWall", 5, true, kWallRows}; }
