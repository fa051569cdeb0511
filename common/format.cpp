#include "common/format.h"

namespace text {

std::string FormatList(std::string_view pattern, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c != '%' || i + 1 == pattern.size()) {
      out += c;
      continue;
    }
    const char conversion = pattern[++i];
    if (conversion == '%') {
      out += '%';
    } else if (conversion == 's' || conversion == 'd') {
      if (next < args.size()) out += args[next++];
    } else {
      out += c;  // not a conversion of ours: kept as written
      out += conversion;
    }
  }
  return out;
}

}  // namespace text
