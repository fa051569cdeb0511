// The serial ports that the machine's drivers list in the device map
// (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM). Listing opens no port, so a busy or
// slow one (Bluetooth) cannot hold the caller. Win32.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace modem {

// The port numbers present on the machine, in the device map's order.
std::vector<std::uint32_t> PresentSerialPorts();

// The same from an open device-map key: each REG_SZ value "COM<n>" (n from
// 1, without leading zeros) gives n. Ends at the first failing read of the
// key (deleted meanwhile, say), with what was found before it.
std::vector<std::uint32_t> SerialPortsListedIn(HKEY deviceMap);

}  // namespace modem
