#include "common/mailslot_writer.h"

#include <windows.h>

#include "common/handle.h"

namespace alert {
namespace {

win::FileHandle OpenMailslot(const char* name) {
  return win::FileHandle(::CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(const win::FileHandle& slot, const DatagramBytes& bytes) {
  DWORD written = 0;
  if (!::WriteFile(slot.Get(), bytes.data(), kDatagramSize, &written, nullptr)) return false;
  return written == kDatagramSize;
}

}  // namespace

bool WriteDatagramTo(const char* mailslotName, const DatagramBytes& bytes) {
  win::FileHandle slot = OpenMailslot(mailslotName);
  return slot && WriteAll(slot, bytes);
}

bool WriteAlert(std::string_view label, std::string_view recipient, std::string_view message) {
  const std::string text = ComposeAlertText(label, recipient, message);
  const DWORD tick = ::GetTickCount();
  char name[kComputerNameSize] = {};
  DWORD length = sizeof name;
  if (!::GetComputerNameA(name, &length)) length = 0;
  const DatagramBytes bytes = BuildDatagram(tick, std::string_view(name, length), text);

  win::FileHandle slot = OpenMailslot(kBroadcastMailslotName);
  if (!slot) slot = OpenMailslot(kLocalMailslotName);
  return slot && WriteAll(slot, bytes);
}

}  // namespace alert
