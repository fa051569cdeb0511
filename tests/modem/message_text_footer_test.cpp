#include <gtest/gtest.h>

#include <string>

#include "server/directory/registry_store.h"
#include "server/modem/footer.h"
#include "tests/support/registry_sandbox.h"

namespace modem {
namespace {

TEST(ReadFooter, ReturnsTheSettingAsStoredOrEmpty) {
  testing_support::RegistrySandbox sandbox;
  const std::string app = directory::ApplicationKeyPath();
  EXPECT_EQ(ReadFooter(directory::OpenKeyForReading(app).Get()), "");

  {
    framework::RegKey key = directory::CreateKeyForWriting(app);
    ASSERT_TRUE(directory::RegWriteString(key.Get(), "ID", "Srv"));
    EXPECT_EQ(ReadFooter(key.Get()), "");
    ASSERT_TRUE(directory::RegWriteString(key.Get(), "Footer", "  -- Ops, ext 42 "));
  }
  EXPECT_EQ(ReadFooter(directory::OpenKeyForReading(app).Get()), "  -- Ops, ext 42 ");

  // Not cut here: composing the message decides what fits.
  const std::string longFooter(300, 'f');
  ASSERT_TRUE(directory::RegWriteString(directory::OpenKeyForWriting(app).Get(), "Footer", longFooter));
  EXPECT_EQ(ReadFooter(directory::OpenKeyForReading(app).Get()), longFooter);
}

}  // namespace
}  // namespace modem
