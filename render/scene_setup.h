// scene_setup.h — one-time GL state, textures, light and the projection.
#pragma once

#include <cstdint>

#include "image/texture.h"
#include "platform/platform.h"

extern uint32_t g_textures[9];
extern uint32_t g_fontBase;
extern int64_t  g_startCounter;
extern int64_t  g_counterFrequency;

// The nine textures in load order: file, make-alpha flag, filters and wrap mode.
extern const TextureDesc kSceneTextures[9];

void ResizeViewport(int32_t width, int32_t height);
int  InitScene();
void BuildFontLists(DeviceContextHandle deviceContext);
