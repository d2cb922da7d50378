// tarvolin: the desktop program.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/CTarvolinApp.h"
#include "common/Version.h"

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
    // Answered before a display is needed, so that they work on a server and in scripts.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(
                "Usage: tarvolin [FOLDER]\n"
                "Opens the window and, with FOLDER, scans it as if typed in the path bar.\n"
                "  --help     show this text\n"
                "  --version  show the version\n"
                "The terminal front end is tarvolin-cli.\n",
                stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tarvolin %s\n", tarvolin::kVersionText);
            return 0;
        }
    }
    if (!haveDisplay()) {
        std::fputs(
            "tarvolin: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are "
            "not set).\nStart it from a desktop session, or without one under xvfb-run: "
            "xvfb-run tarvolin [FOLDER]\n",
            stderr);
        return 1;
    }
    tarvolin::app::CTarvolinApp app(argc, argv);
    return app.run();
}
