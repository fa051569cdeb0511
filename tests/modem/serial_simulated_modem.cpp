#include "tests/modem/serial_simulated_modem.h"

#include <windows.h>

#include <cstdlib>

#include "common/handle.h"

namespace testing_support {

SimulatedModem::SimulatedModem() {
  const char* dir = std::getenv("MODEMSIM_DIR");
  const char* com = std::getenv("MODEMSIM_COM");
  if (!dir || !com) return;
  // Wine shows the Linux file system as drive Z:.
  m_dir = std::string("Z:") + dir + "\\";
  for (char& c : m_dir)
    if (c == '/') c = '\\';
  m_com = std::atoi(com);
}

std::string SimulatedModem::ReadFile(const char* name) const {
  win::FileHandle file(::CreateFileA((m_dir + name).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
  std::string bytes;
  if (!file) return bytes;
  char chunk[4096];
  DWORD count = 0;
  while (::ReadFile(file.Get(), chunk, sizeof chunk, &count, nullptr) && count > 0)
    bytes.append(chunk, count);
  return bytes;
}

int SimulatedModem::CommandsDone() const { return std::atoi(ReadFile("ready").c_str()); }

bool SimulatedModem::Command(const std::string& command) {
  win::FileHandle control(::CreateFileA((m_dir + "control").c_str(), GENERIC_WRITE, 0,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
  if (!control) return false;
  const std::string line = command + "\n";
  DWORD written = 0;
  if (!::WriteFile(control.Get(), line.data(), static_cast<DWORD>(line.size()), &written,
                   nullptr) ||
      written != line.size())
    return false;
  ++m_commandsSent;
  for (int i = 0; i < 200; ++i) {
    if (CommandsDone() >= m_commandsSent) return true;
    ::Sleep(50);
  }
  return false;
}

}  // namespace testing_support
