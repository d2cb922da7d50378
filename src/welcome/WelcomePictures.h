// WelcomePictures: the splash and wizard pictures compiled into the program.
#pragma once

namespace tarvolin::welcome {

// Registers the pictures under ":/welcome/". They sit in a static library, where nothing
// would otherwise pull them into the program; call before loading one. Idempotent.
void registerWelcomePictures();

}  // namespace tarvolin::welcome
