#include "framework/app.h"

#include "common/ansi_code_page.h"
#include "common/dbcs.h"

namespace framework {
namespace {

App* g_app = nullptr;

std::string ProgramBaseName() {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length);
  // By character: a trail byte that equals a backslash is no separator.
  const std::size_t separator = text::FindLastCharacter(name, '\\', win::IsAnsiLeadByte);
  name = name.substr(separator == std::string::npos ? 0 : separator + 1);
  return name.substr(0, name.rfind('.'));
}

}  // namespace

App::App() : m_appName(ProgramBaseName()) { g_app = this; }

App::~App() {
  if (g_app == this) g_app = nullptr;
}

App* App::Instance() { return g_app; }

int App::Main() {
  BindToCurrentThread();
  int exitCode = 0;
  if (InitInstance()) exitCode = RunMessageLoop();
  return ExitInstance(exitCode);
}

bool App::OnCommand(UINT) { return false; }

void App::WinHelp(DWORD_PTR, UINT) {}

}  // namespace framework
