#include "server/directory/multi_string.h"

#include <algorithm>
#include <string_view>

namespace directory {

std::string EncodeMultiString(const StringList& list) {
  std::string bytes;
  for (const std::string& s : list) {
    bytes += std::string_view(s).substr(0, s.find('\0'));
    bytes += '\0';
  }
  bytes += '\0';
  return bytes;
}

StringList DecodeMultiString(std::span<const char> data) {
  StringList list;
  auto pos = data.begin();
  while (pos != data.end()) {
    auto nul = std::find(pos, data.end(), '\0');
    if (nul == pos && nul + 1 == data.end()) break;  // the terminator
    list.emplace_back(pos, nul);
    if (nul == data.end()) break;
    pos = nul + 1;
  }
  return list;
}

}  // namespace directory
