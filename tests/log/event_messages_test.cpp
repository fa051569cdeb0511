// The message table in tellistry.exe: Event Viewer formats each event of the
// source "Tellistry" from it, so every event id must give its insertion
// string back unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "server/res/event_messages.h"

namespace {

// tellistry.exe sits beside the test programs.
std::string ProgramPath() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text = path;
  return text.substr(0, text.find_last_of('\\') + 1) + "tellistry.exe";
}

TEST(EventMessages, EachEventShowsItsInsertionStringAlone) {
  HMODULE program = ::LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << ProgramPath();
  const char* line = "Timed out waiting for CONNECT %1 100%";
  for (DWORD id : {EVENT_STARTED, EVENT_STOPPED, EVENT_WARNING, EVENT_ERROR}) {
    char text[256] = {};
    DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(line)};
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, program, id,
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text,
        reinterpret_cast<va_list*>(args));
    EXPECT_EQ(std::string(text, length), line) << std::hex << id;
  }
  ::FreeLibrary(program);
}

}  // namespace
