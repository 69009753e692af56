// display_lists.cpp — allocation and compilation of the nine scene display lists.
#include "scene/display_lists.h"

SceneLists g_lists;

void BuildDisplayLists() {}
