// The alert datagram: the fixed 328-byte record that carries one alert from
// any writer to the alert server through a mailslot. Portable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace alert {

inline constexpr std::size_t kTickSize = 4;
inline constexpr std::size_t kComputerNameSize = 64;
inline constexpr std::size_t kTextSize = 260;
inline constexpr std::size_t kDatagramSize = kTickSize + kComputerNameSize + kTextSize;  // 328

inline constexpr std::size_t kTextOffset = kTickSize + kComputerNameSize;  // 68
inline constexpr std::size_t kMaxFieldLength = 30;  // sender label, recipient
inline constexpr std::size_t kMaxTextLength = 258;  // whole text, NUL excluded

// The server's mailslot, and the broadcast form writers open first (every
// machine of the writer's domain that created the mailslot, itself included).
inline constexpr char kLocalMailslotName[] = R"(\\.\mailslot\BRISKEN\_TELLISTRY_)";
inline constexpr char kBroadcastMailslotName[] = R"(\\*\mailslot\BRISKEN\_TELLISTRY_)";

using DatagramBytes = std::array<unsigned char, kDatagramSize>;

// What a reader takes out of a record.
struct Datagram {
  std::uint32_t tick = 0;
  std::string computerName;
  std::string text;
};

// "label TAB recipient TAB message": label and recipient cut to 30 characters,
// the message to what is left of 258. A string is taken up to its first NUL.
std::string ComposeAlertText(std::string_view label, std::string_view recipient,
                             std::string_view message);

// The 328-byte record. The computer name is cut at 63 characters and the text
// at 258; both end with a NUL. Bytes after the NULs are zero.
DatagramBytes BuildDatagram(std::uint32_t tick, std::string_view computerName,
                            std::string_view text);

// Reads whatever bytes arrived: a short record reads its missing tail as
// empty; a field without a NUL ends at the end of its bytes. Never reads past
// `bytes`.
Datagram ParseDatagram(std::span<const unsigned char> bytes);

}  // namespace alert
