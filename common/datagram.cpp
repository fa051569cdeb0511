#include "common/datagram.h"

#include <algorithm>
#include <cstring>

namespace alert {
namespace {

std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

std::string_view Cut(std::string_view s, std::size_t n) { return UpToNul(s).substr(0, n); }

// The bytes of [offset, offset + size) that were received, up to the first NUL.
std::string Field(std::span<const unsigned char> bytes, std::size_t offset, std::size_t size) {
  if (bytes.size() <= offset) return {};
  auto field = bytes.subspan(offset, std::min(size, bytes.size() - offset));
  auto end = std::find(field.begin(), field.end(), 0);
  return std::string(field.begin(), end);
}

}  // namespace

std::string ComposeAlertText(std::string_view label, std::string_view recipient,
                             std::string_view message) {
  std::string text;
  text.reserve(kMaxTextLength);
  text += Cut(label, kMaxFieldLength);
  text += '\t';
  text += Cut(recipient, kMaxFieldLength);
  text += '\t';
  text += Cut(message, kMaxTextLength - text.size());
  return text;
}

DatagramBytes BuildDatagram(std::uint32_t tick, std::string_view computerName,
                            std::string_view text) {
  DatagramBytes bytes{};
  for (std::size_t i = 0; i < kTickSize; ++i) bytes[i] = static_cast<unsigned char>(tick >> (8 * i));
  std::string_view name = Cut(computerName, kComputerNameSize - 1);
  std::memcpy(bytes.data() + kTickSize, name.data(), name.size());
  std::string_view body = Cut(text, kMaxTextLength);
  std::memcpy(bytes.data() + kTextOffset, body.data(), body.size());
  return bytes;
}

Datagram ParseDatagram(std::span<const unsigned char> bytes) {
  Datagram d;
  for (std::size_t i = 0; i < kTickSize && i < bytes.size(); ++i)
    d.tick |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  d.computerName = Field(bytes, kTickSize, kComputerNameSize);
  d.text = Field(bytes, kTextOffset, kTextSize);
  return d;
}

}  // namespace alert
