// Which common controls library a program gets. Its manifest names the
// version 6 assembly; the loader then maps "comctl32.dll" to the copy in
// that assembly's folder, whatever version number the library reports.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace testing_support {

// Whether "comctl32.dll", loaded in the calling thread's activation context,
// is the one of the common controls 6 assembly.
inline bool LoadsCommonControls6() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(::LoadLibraryA("comctl32.dll"), path, MAX_PATH);
  std::string lower(path);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.") != std::string::npos;
}

}  // namespace testing_support
