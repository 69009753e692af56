// tables.h — the rows and groups the generator writes, and the rows the world gives.
#pragma once

#include <vector>

#include "tools/island_gen/geometry.h"

// One table row: normal, texture coordinates, position.
struct Row {
    V3     n;
    double u, v;
    V3     p;
};
struct Group {
    const char*      name;
    int              texture;
    bool             flat;
    std::vector<Row> rows;
};

// The landing pad and its three sloped borders in full.
extern const std::vector<Row> kPadRows, kWallRows;
// The first triangle of each other group.
extern const std::vector<Row> kTerrainFirst, kRocksFirst, kGravelFirst, kSandFirst, kStreamFirst, kSeaFirst;

// Writes the eight groups, in table order, as the world's source file.
void WriteTables(const char* path, const std::vector<const Group*>& groups);
