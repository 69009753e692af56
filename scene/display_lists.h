// display_lists.h — the nine display lists that hold all scene geometry.
#pragma once

#include <cstdint>

struct SceneLists {
    uint32_t listWorld;
    uint32_t listTree;
    uint32_t listFire1, listFire2, listFire3, listFire4, listFire5, listFire6;
    uint32_t listSmokePuff;
};

extern SceneLists g_lists;

void BuildDisplayLists();
