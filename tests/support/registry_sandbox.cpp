#include "tests/support/registry_sandbox.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "server/directory/registry_store.h"

namespace testing_support {

void DeleteKeyTree(const std::string& path) { ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

RegistrySandbox::RegistrySandbox() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  directory::SetRegistryCompanyKey("OrvandelTests");
  directory::SetRegistryApplicationName(std::string(info->test_suite_name()) + "." + info->name());
  m_path = directory::ApplicationKeyPath();
  DeleteKeyTree(m_path);
}

RegistrySandbox::~RegistrySandbox() { DeleteKeyTree(m_path); }

}  // namespace testing_support
