// scene_setup.h — one-time GL state, textures, light and the projection.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern uint32_t g_textures[9];
extern uint32_t g_fontBase;
extern int64_t  g_startCounter;
extern int64_t  g_counterFrequency;

void ResizeViewport(int32_t width, int32_t height);
int  InitScene();
void BuildFontLists(DeviceContextHandle deviceContext);
