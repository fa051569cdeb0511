// Pictures of windows as they are on the screen, saved for people to look
// at in build/win/bin/screenshots.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// Saves what `window` looks like on screen as a 24-bit BMP at `path`.
bool SaveWindowPicture(HWND window, const std::string& path);

// The path of the picture `name` in the screenshots folder beside this
// program, with the screen's resolution in the name when it is not 96 dpi;
// the folder is created if need be.
std::string ScreenshotPath(const char* name);

}  // namespace testing_support
