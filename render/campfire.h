// campfire.h — the animated campfire and its smoke puffs.
#pragma once

void DrawCampfire();
