// tarvolin: the desktop program.
#include <cstdio>
#include <cstdlib>

#include "app/CTarvolinApp.h"

namespace {

// Without a display Qt would abort with a message that helps nobody; say what to do instead.
bool haveDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    if (!haveDisplay()) {
        std::fputs(
            "tarvolin: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are "
            "not set).\nStart it from a desktop session, or without one under xvfb-run: "
            "xvfb-run scripts/run\n",
            stderr);
        return 1;
    }
    tarvolin::app::CTarvolinApp app(argc, argv);
    return app.run();
}
