// Gives the running test an application key of its own
// (HKCU\Software\OrvandelTests\<suite>.<test>), empty at the start and
// removed at the end, so tests never see each other's data.
#pragma once

#include <string>

namespace testing_support {

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  const std::string& KeyPath() const { return m_path; }

 private:
  std::string m_path;
};

// Removes a key and everything below it, under HKEY_CURRENT_USER.
void DeleteKeyTree(const std::string& path);

}  // namespace testing_support
