// paint.h — the nine scene pictures, each painted from a fixed seed.
#pragma once

#include "tools/texture_gen/bmp_writer.h"

// Ground colour by height and slope, laid out the way the terrain's texture coordinates
// lay the picture over the island.
Picture PaintMapping();
Picture PaintRocks();
Picture PaintGravel();
Picture PaintSand();
Picture PaintLanding();
Picture PaintWall();
// Black (fully transparent) around a bright tree.
Picture PaintTree();
// Six flame frames side by side in the fire lists' column ranges, black elsewhere.
Picture PaintFire();
Picture PaintCloud();
