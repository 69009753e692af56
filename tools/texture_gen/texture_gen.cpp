// texture_gen.cpp — writes the nine scene textures into a folder.
//
//   texture_gen FOLDER
//
// The files come in several header kinds and depths, so that the viewer's reader meets
// each of them on every start.
#include <cstdio>
#include <string>

#include "tools/texture_gen/paint.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: texture_gen FOLDER\n");
        return 2;
    }
    std::string dir = std::string(argv[1]) + "/";
    bool        ok  = WriteBmp24(dir + "Mapping256.bmp", PaintMapping(), BmpHeader::Info) &&
              WriteBmp8(dir + "rocksA256.bmp", PaintRocks(), BmpHeader::Info) &&
              WriteBmp24(dir + "Gravel256.bmp", PaintGravel(), BmpHeader::Core) &&
              WriteBmp8(dir + "sand.bmp", PaintSand(), BmpHeader::Core) &&
              WriteBmp24(dir + "Landing.bmp", PaintLanding(), BmpHeader::Info) &&
              WriteBmp8(dir + "Wall.bmp", PaintWall(), BmpHeader::Info) &&
              WriteBmp24(dir + "tree.bmp", PaintTree(), BmpHeader::Info) &&
              WriteBmp24(dir + "fire.bmp", PaintFire(), BmpHeader::Core) &&
              WriteBmp8(dir + "Cloud1.bmp", PaintCloud(), BmpHeader::Info);
    if (!ok) {
        std::fprintf(stderr, "texture_gen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
