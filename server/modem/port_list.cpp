#include "server/modem/port_list.h"

#include <string>

#include "common/ascii_case.h"
#include "common/handle.h"

namespace modem {

std::vector<std::uint32_t> PresentSerialPorts() {
  win::RegKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                      key.Put()) != ERROR_SUCCESS)
    return {};
  return SerialPortsListedIn(key.Get());
}

std::vector<std::uint32_t> SerialPortsListedIn(HKEY deviceMap) {
  std::vector<std::uint32_t> ports;
  for (DWORD i = 0;; ++i) {
    char name[256], data[32];
    DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
    const LONG status = ::RegEnumValueA(deviceMap, i, name, &nameSize, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_MORE_DATA) continue;  // too long to name a port
    // No more values, or the key failed: what was found so far is all.
    if (status != ERROR_SUCCESS) break;
    if (type != REG_SZ) continue;
    data[dataSize] = '\0';
    const std::string port(data);
    if (port.size() < 4 || port.size() > 6 || !text::EqualIgnoringAsciiCase(port.substr(0, 3), "COM") ||
        port[3] < '1' || port[3] > '9' || port.find_first_not_of("0123456789", 3) != std::string::npos)
      continue;
    ports.push_back(static_cast<std::uint32_t>(std::stoul(port.substr(3))));
  }
  return ports;
}

}  // namespace modem
