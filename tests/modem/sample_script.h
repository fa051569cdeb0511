// The sample scripts shipped in server/modem/scripts, read as the entry
// editor stores them: lines trimmed, empty ones dropped.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace testing_support {

inline std::vector<std::string> LoadSampleScript(const std::string& name) {
  std::ifstream file(std::string(TELLISTRY_SCRIPTS_DIR) + "/" + name);
  EXPECT_TRUE(file) << name;
  std::vector<std::string> statements;
  std::string line;
  while (std::getline(file, line)) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    statements.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
  }
  return statements;
}

}  // namespace testing_support
