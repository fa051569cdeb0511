// Writes alert datagrams to a mailslot. Win32.
#pragma once

#include <string_view>

#include "common/datagram.h"

namespace alert {

// One open, one write of all 328 bytes, one close: true only when exactly 328
// bytes were written.
bool WriteDatagramTo(const char* mailslotName, const DatagramBytes& bytes);

// Builds the datagram for the three strings (tick and computer name of this
// machine) and writes it to the broadcast mailslot name; where that name
// cannot be opened (no domain broadcast) to this machine's own mailslot, so
// a local server still gets the alert.
bool WriteAlert(std::string_view label, std::string_view recipient, std::string_view message);

}  // namespace alert
