#include "tests/support/test_mailslot.h"

namespace testing_support {

TestMailslot::TestMailslot(const char* name)
    : m_slot(::CreateMailslotA(name, 0, 0, nullptr)) {}

std::optional<std::vector<unsigned char>> TestMailslot::Read(DWORD timeoutMs) {
  std::vector<unsigned char> message(1024);
  DWORD read = 0;
  if (!::SetMailslotInfo(m_slot.Get(), timeoutMs) ||
      !::ReadFile(m_slot.Get(), message.data(), static_cast<DWORD>(message.size()), &read, nullptr))
    return std::nullopt;
  message.resize(read);
  return message;
}

int RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self);
  path = path.substr(0, path.find_last_of('\\') + 1) + program;
  std::string commandLine = "\"" + path + "\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
    return -1;
  win::KernelHandle process(pi.hProcess), thread(pi.hThread);
  if (::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 99);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}

}  // namespace testing_support
