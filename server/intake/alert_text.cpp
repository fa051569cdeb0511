#include "server/intake/alert_text.h"

#include "common/format.h"

namespace intake {

std::optional<AlertFields> SplitAlertText(std::string_view text) {
  const std::size_t first = text.find('\t');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find('\t', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  return AlertFields{std::string(text.substr(0, first)),
                     std::string(text.substr(first + 1, second - first - 1)),
                     std::string(text.substr(second + 1))};
}

std::string ComposeSentText(const AlertFields& fields) {
  return text::Format("(From %s) %s", fields.label, fields.message);
}

}  // namespace intake
