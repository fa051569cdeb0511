#include "server/modem/port_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "server/directory/registry_store.h"
#include "tests/support/registry_sandbox.h"

namespace modem {
namespace {

class PortList : public ::testing::Test {
 protected:
  testing_support::RegistrySandbox sandbox;
  const std::string map = sandbox.KeyPath() + "\\SERIALCOMM";

  void Port(const std::string& device, const std::string& port, DWORD type = REG_SZ) {
    win::RegKey key = directory::CreateKeyForWriting(map);
    ASSERT_EQ(::RegSetValueExA(key.Get(), device.c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(port.c_str()),
                               static_cast<DWORD>(port.size() + 1)),
              ERROR_SUCCESS);
  }
};

TEST_F(PortList, TakesTheComPortsOfTheDeviceMap) {
  Port("\\Device\\Serial0", "COM1");
  Port("\\Device\\USBSER000", "com12");
  Port("\\Device\\Lpt", "LPT1");
  Port("\\Device\\Zero", "COM0");
  Port("\\Device\\Lead", "COM07");
  Port("\\Device\\Long", "COM" + std::string(40, '1'));
  Port("\\Device\\Binary", "COM9", REG_BINARY);
  Port("\\Device\\Modem", "COM300");
  std::vector<std::uint32_t> ports = SerialPortsListedIn(directory::OpenKeyForReading(map).Get());
  std::ranges::sort(ports);
  EXPECT_EQ(ports, (std::vector<std::uint32_t>{1, 12, 300}));
}

TEST_F(PortList, AKeyDeletedWhileItIsReadEndsTheList) {
  for (int i = 0; i < 3000; ++i) Port("\\Device\\Serial" + std::to_string(i), "COM" + std::to_string(i + 1));
  win::RegKey reader = directory::OpenKeyForReading(map);
  std::thread deleter([&] { testing_support::DeleteKeyTree(map); });
  const std::size_t listed = SerialPortsListedIn(reader.Get()).size();
  deleter.join();
  EXPECT_LE(listed, 3000u);
  EXPECT_TRUE(SerialPortsListedIn(reader.Get()).empty());
}

}  // namespace
}  // namespace modem
