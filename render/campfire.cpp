// campfire.cpp — the animated campfire and its smoke puffs.
#include "render/campfire.h"

void DrawCampfire() {}
