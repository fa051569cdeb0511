#include "server/frame/app_info.h"

#include <windows.h>

#include <vector>

#include "common/ansi_code_page.h"
#include "common/dbcs.h"
#include "framework/app.h"

std::string ModuleDirectoryPath(const std::string& fileName) {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string directory(path, length);
  // By character: a trail byte that equals a backslash is no separator.
  const std::size_t separator = text::FindLastCharacter(directory, '\\', win::IsAnsiLeadByte);
  return directory.substr(0, separator == std::string::npos ? 0 : separator + 1) + fileName;
}

int GetVersionNumber() {
  framework::App* app = framework::App::Instance();
  const std::string file = (app ? app->AppName() : std::string("tellistry")) + ".EXE";
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return 0;
  std::vector<char> data(size);
  if (!::GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return 0;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
      infoSize < sizeof *info)
    return 0;
  const int major = HIWORD(info->dwProductVersionMS);
  const int minor = LOWORD(info->dwProductVersionMS);
  return (major * 100 + minor) * 100;
}

bool IsAlreadyRunning(const std::string& baseName) {
  const std::string name = baseName + "_PROCESS";
  if (HANDLE existing = ::OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str())) {
    (void)existing;  // held until the process ends
    return true;
  }
  // Held for the life of the process: it marks this instance as running.
  ::CreateEventA(nullptr, FALSE, FALSE, name.c_str());
  return false;
}
