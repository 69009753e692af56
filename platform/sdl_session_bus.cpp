// sdl_session_bus.cpp — SDL asks for the session bus as it starts. Where no bus runs,
// the D-Bus library would start one of its own for the X display (dbus-launch and a
// dbus-daemon), which stays behind after the program ends, one pair per display. A
// program must not leave processes behind, so where no session bus is known the
// layer says there is none, and SDL does without it as it does without D-Bus at all.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/sdl_layer.h"

namespace sdl {

void DoWithoutAbsentSessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return;
    // The place a systemd user session keeps its bus, which the library looks at next.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat bus {};
        const std::string path = std::string(runtime) + "/bus";
        if (stat(path.c_str(), &bus) == 0 && S_ISSOCK(bus.st_mode) && bus.st_uid == getuid()) return;
    }
    // An address of no known kind: connecting fails at once, and nothing is started.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

}  // namespace sdl
