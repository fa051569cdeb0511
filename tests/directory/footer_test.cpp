#include <gtest/gtest.h>

#include <string>

#include "server/directory/registry_store.h"
#include "server/directory/sms_entries.h"
#include "tests/support/registry_sandbox.h"

namespace directory {
namespace {

TEST(ReadFooter, ReturnsTheSettingAsStoredOrEmpty) {
  testing_support::RegistrySandbox sandbox;
  const std::string app = ApplicationKeyPath();
  EXPECT_EQ(ReadFooter(OpenKeyForReading(app).Get()), "");

  {
    win::RegKey key = CreateKeyForWriting(app);
    ASSERT_TRUE(RegWriteString(key.Get(), "ID", "Srv"));
    EXPECT_EQ(ReadFooter(key.Get()), "");
    ASSERT_TRUE(RegWriteString(key.Get(), "Footer", "  -- Ops, ext 42 "));
  }
  EXPECT_EQ(ReadFooter(OpenKeyForReading(app).Get()), "  -- Ops, ext 42 ");

  // Not cut here: composing the message decides what fits.
  const std::string longFooter(300, 'f');
  ASSERT_TRUE(RegWriteString(OpenKeyForWriting(app).Get(), "Footer", longFooter));
  EXPECT_EQ(ReadFooter(OpenKeyForReading(app).Get()), longFooter);
}

}  // namespace
}  // namespace directory
