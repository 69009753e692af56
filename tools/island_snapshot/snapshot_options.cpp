// snapshot_options.cpp — parsing the island-snapshot command line.
#include "tools/island_snapshot/snapshot_options.h"

#include <getopt.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/platform.h"

const char* const kSnapshotUsage =
    "Usage: island-snapshot [OPTION]... OUTPUT.png\n"
    "Render the island without a window, as the viewer draws it, and write a PNG.\n"
    "\n"
    "  -C, --directory=DIR    read the nine texture files from DIR (default: the\n"
    "                         current directory)\n"
    "  -s, --size=WxH         picture size in pixels (default 640x480)\n"
    "  -p, --pose=P,Y,R,X,Y,Z camera pitch, yaw and roll in degrees and x, y, z\n"
    "                         (default: the starting pose 0,0,0,0,-50,-500)\n"
    "  -f, --fire=STEP        campfire animation step, 0 to 6; 0 draws no fire\n"
    "                         (default 1)\n"
    "  -t, --time=SECONDS     seconds since start when the first frame is drawn\n"
    "                         (default 0); movement is scaled by it\n"
    "  -k, --keys=SCRIPT      fly first: frames with the keys of SCRIPT held, then one\n"
    "                         more frame with no key, which is the picture\n"
    "                         (a frame with no key always comes before the script)\n"
    "  -r, --fps=N            frames per second of the flight's clock (default 60)\n"
    "  -S, --sheet=FILE       a contact sheet: every pose of FILE (one P,Y,R,X,Y,Z a\n"
    "                         line, '#' comments) in one picture, four to a row,\n"
    "                         each of --size\n"
    "  -h, --help             show this help and exit\n"
    "\n"
    "SCRIPT is a comma-separated list of KEYS*FRAMES; KEYS joins key names with '+'\n"
    "(up, down, left, right, q, a) or is 'none'. Example: q*41,none*20,up+right*10\n"
    "\n"
    "Exit status: 0 on success, 1 when rendering or writing fails, 2 on bad usage.\n";

namespace {

bool parseInt(const std::string& text, int low, int high, int* value) {
    char* end = nullptr;
    errno     = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high) return false;
    *value = static_cast<int>(v);
    return true;
}

bool parseDouble(const std::string& text, double* value) {
    char* end = nullptr;
    errno     = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

bool parseSize(const std::string& text, int* width, int* height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    return parseInt(text.substr(0, x), 1, 8192, width) && parseInt(text.substr(x + 1), 1, 8192, height);
}

bool parsePose(const std::string& text, CameraPose* pose) {
    float*            fields[6] = {&pose->pitch, &pose->yaw, &pose->roll, &pose->x, &pose->y, &pose->z};
    std::stringstream in(text);
    std::string       item;
    int               count = 0;
    while (std::getline(in, item, ',')) {
        double v = 0;
        if (count == 6 || !parseDouble(item, &v)) return false;
        *fields[count++] = static_cast<float>(v);
    }
    return count == 6 && text.back() != ',';
}

bool parseKey(const std::string& name, unsigned char* code) {
    static const struct {
        const char*   name;
        unsigned char code;
    } keys[] = {{"up", VK_UP}, {"down", VK_DOWN}, {"left", VK_LEFT}, {"right", VK_RIGHT}, {"q", 0x51}, {"a", 0x41}};
    for (const auto& k : keys)
        if (name == k.name) {
            *code = k.code;
            return true;
        }
    return false;
}

// The option getopt stopped at: a long one as written, a short one on its own.
std::string optionName(const char* word) {
    const std::string text = word;
    if (text.compare(0, 2, "--") == 0 || optopt == 0) return text.substr(0, text.find('='));
    return std::string("-") + static_cast<char>(optopt);
}

}  // namespace

bool ParseKeyScript(const std::string& text, std::vector<ScriptStep>* script, std::string* error) {
    std::stringstream in(text);
    std::string       item;
    script->clear();
    while (std::getline(in, item, ',')) {
        const size_t star = item.find('*');
        ScriptStep   step;
        if (star == std::string::npos || !parseInt(item.substr(star + 1), 1, 1000000, &step.frames)) {
            *error = "bad key script step '" + item + "': expected KEYS*FRAMES with FRAMES from 1";
            return false;
        }
        const std::string keys = item.substr(0, star);
        if (keys != "none") {
            std::stringstream names(keys);
            std::string       name;
            while (std::getline(names, name, '+')) {
                unsigned char code = 0;
                if (!parseKey(name, &code)) {
                    *error = "unknown key '" + name + "' in key script (up, down, left, right, q, a, none)";
                    return false;
                }
                step.keys.push_back(code);
            }
            if (step.keys.empty() || keys.back() == '+') {
                *error = "bad key list '" + keys + "' in key script";
                return false;
            }
        }
        script->push_back(step);
    }
    if (script->empty() || text.back() == ',') {
        *error = "empty step in key script '" + text + "'";
        return false;
    }
    return true;
}

bool ParsePoseList(const std::string& text, std::vector<CameraPose>* poses, std::string* error) {
    std::istringstream lines(text);
    std::string        line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const size_t end  = line.find_first_of(" \t", start);
        CameraPose   pose = {};
        if (!parsePose(line.substr(start, end == std::string::npos ? end : end - start), &pose)) {
            *error = "bad pose on line " + std::to_string(number) + ": expected PITCH,YAW,ROLL,X,Y,Z";
            return false;
        }
        poses->push_back(pose);
    }
    if (poses->empty()) {
        *error = "no poses in the sheet";
        return false;
    }
    return true;
}

bool ParseSnapshotOptions(int argc, char** argv, SnapshotOptions* options, std::string* error) {
    static const option longOptions[] = {
        {"directory", required_argument, nullptr, 'C'}, {"size", required_argument, nullptr, 's'},
        {"pose", required_argument, nullptr, 'p'},      {"fire", required_argument, nullptr, 'f'},
        {"time", required_argument, nullptr, 't'},      {"keys", required_argument, nullptr, 'k'},
        {"fps", required_argument, nullptr, 'r'},       {"sheet", required_argument, nullptr, 'S'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    optind = 1;
    int c  = 0;
    while ((c = getopt_long(argc, argv, ":C:s:p:f:t:k:r:S:h", longOptions, nullptr)) != -1) {
        const std::string arg = optarg ? optarg : "";
        switch (c) {
            case 'C': options->directory = arg; break;
            case 's':
                if (!parseSize(arg, &options->width, &options->height)) {
                    *error = "bad size '" + arg + "': expected WIDTHxHEIGHT, each 1 to 8192";
                    return false;
                }
                break;
            case 'p':
                if (!parsePose(arg, &options->pose)) {
                    *error = "bad pose '" + arg + "': expected six numbers PITCH,YAW,ROLL,X,Y,Z";
                    return false;
                }
                options->hasPose = true;
                break;
            case 'f':
                if (!parseInt(arg, 0, 6, &options->fireStep)) {
                    *error = "bad fire step '" + arg + "': expected 0 to 6";
                    return false;
                }
                break;
            case 't':
                if (!parseDouble(arg, &options->seconds) || options->seconds < 0) {
                    *error = "bad time '" + arg + "': expected seconds, 0 or more";
                    return false;
                }
                break;
            case 'k':
                if (!ParseKeyScript(arg, &options->script, error)) return false;
                break;
            case 'r':
                if (!parseInt(arg, 1, 10000, &options->framesPerSecond)) {
                    *error = "bad frame rate '" + arg + "': expected 1 to 10000";
                    return false;
                }
                break;
            case 'S': options->sheet = arg; break;
            case 'h': options->help = true; return true;
            case ':': *error = "option '" + optionName(argv[optind - 1]) + "' needs a value"; return false;
            default: *error = "unknown option '" + optionName(argv[optind - 1]) + "'"; return false;
        }
    }
    if (optind == argc) {
        *error = "no output file given";
        return false;
    }
    if (argc - optind > 1) {
        *error = std::string("unexpected argument '") + argv[optind + 1] + "'";
        return false;
    }
    options->output = argv[optind];
    return true;
}
