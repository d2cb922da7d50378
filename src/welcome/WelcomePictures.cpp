#include "welcome/WelcomePictures.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names a function of the global namespace.
static void initWelcomeResource() {
    Q_INIT_RESOURCE(welcome);
}

namespace tarvolin::welcome {

void registerWelcomePictures() {
    static const bool registered = [] {
        initWelcomeResource();
        return true;
    }();
    (void)registered;
}

}  // namespace tarvolin::welcome
