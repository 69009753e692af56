// frame.h — drawing one frame and the camera's flight model.
#pragma once

struct CameraPose {
    float pitch, yaw, roll;
    float x, y, z;
};

extern CameraPose g_camera;
extern float      g_speed;
extern float      g_thrust;
extern float      g_timeFactor;

int  RenderFrame();
void AdvanceCamera();
