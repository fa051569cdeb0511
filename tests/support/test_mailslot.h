// A mailslot created by a test, read with a time-out.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handle.h"

namespace testing_support {

class TestMailslot {
 public:
  explicit TestMailslot(const char* name);
  bool IsOpen() const { return m_slot.IsValid(); }
  // The next message, or nothing when none arrives within timeoutMs.
  std::optional<std::vector<unsigned char>> Read(DWORD timeoutMs);

 private:
  win::FileHandle m_slot;
};

// Runs a program of the Windows build (beside the test program) with the
// given command line and returns its exit code, or -1 if it cannot start.
int RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs = 30000);

}  // namespace testing_support
