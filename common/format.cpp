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
    const char spec = pattern[++i];
    if (spec == '%') {
      out += '%';
    } else if (spec == 's' || spec == 'd') {
      if (next < args.size()) out += args[next++];
    } else {
      out += c;  // not a conversion of ours: kept as written
      out += spec;
    }
  }
  return out;
}

}  // namespace text
