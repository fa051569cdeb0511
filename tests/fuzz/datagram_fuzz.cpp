#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const alert::Datagram d = alert::ParseDatagram(std::span(data, size));
  if (d.computerName.size() > alert::kComputerNameSize || d.text.size() > alert::kTextSize) std::abort();
  // Whatever was read must survive a rebuild within the record's limits.
  const alert::DatagramBytes again = alert::BuildDatagram(d.tick, d.computerName, d.text);
  if (alert::ParseDatagram(again).tick != d.tick) std::abort();
  return 0;
}
