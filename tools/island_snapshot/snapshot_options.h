// snapshot_options.h — the island-snapshot command line: what to render and where to.
#pragma once

#include <string>
#include <vector>

#include "render/frame.h"

// Keys held for a run of frames of a flight script.
struct ScriptStep {
    std::vector<unsigned char> keys;   // virtual-key codes
    int                        frames;
};

struct SnapshotOptions {
    std::string             output;
    std::string             directory;            // empty: the current directory
    int                     width  = 640;
    int                     height = 480;
    bool                    hasPose = false;
    CameraPose              pose    = {};
    int                     fireStep = 1;
    double                  seconds  = 0.0;        // since initialisation, at the first frame
    int                     framesPerSecond = 60;
    std::vector<ScriptStep> script;
    std::string             sheet;                // a file of poses: one picture of them all
    bool                    help = false;
};

// Fills `options` from argv; returns false with a one-line reason in `error`.
bool ParseSnapshotOptions(int argc, char** argv, SnapshotOptions* options, std::string* error);

// Parses "q*41,none*30,up+right*10" into steps; false with a reason on a bad script.
bool ParseKeyScript(const std::string& text, std::vector<ScriptStep>* script, std::string* error);

// Parses a contact sheet's poses: one P,Y,R,X,Y,Z a line, anything after it a label;
// blank lines and lines starting with '#' are skipped. False with the line on error.
bool ParsePoseList(const std::string& text, std::vector<CameraPose>* poses, std::string* error);

extern const char* const kSnapshotUsage;
