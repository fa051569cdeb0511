#include "common/escapes.h"

namespace text {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> DecodeEscapes(std::string_view in, char terminator,
                                         LeadByteTest isLeadByte) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (const std::size_t next = NextCharacter(in, i, isLeadByte); next > i + 1) {
      out.append(in.substr(i, next - i));
      i = next - 1;
      continue;
    }
    const char c = in[i];
    if (terminator != '\0' && c == terminator) return out;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == in.size()) return std::nullopt;
    switch (in[i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'x': {
        const int high = i + 1 < in.size() ? HexDigit(in[i + 1]) : -1;
        const int low = i + 2 < in.size() ? HexDigit(in[i + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  if (terminator != '\0') return std::nullopt;
  return out;
}

std::string EscapeBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\r': out += "\\r"; continue;
      case '\n': out += "\\n"; continue;
      case '\\': out += "\\\\"; continue;
      case '"': out += "\\\""; continue;
    }
    if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

}  // namespace text
