#include "server/directory/entry_choices.h"

#include <algorithm>
#include <set>

#include "common/trim.h"

namespace directory {
namespace {

constexpr std::uint32_t kFirstPorts = 6;

ChoiceList Numbers(std::initializer_list<std::uint32_t> values) {
  ChoiceList choices;
  for (std::uint32_t value : values) choices.push_back({std::to_string(value), value});
  return choices;
}

}  // namespace

ChoiceList PortChoices(const std::vector<std::uint32_t>& presentPorts, std::uint32_t storedPort) {
  std::set<std::uint32_t> ports;
  for (std::uint32_t port = 1; port <= kFirstPorts; ++port) ports.insert(port);
  for (std::uint32_t port : presentPorts)
    if (port > kFirstPorts) ports.insert(port);
  if (storedPort != 0) ports.insert(storedPort);
  ChoiceList choices;
  for (std::uint32_t port : ports) choices.push_back({"COM" + std::to_string(port), port});
  return choices;
}

ChoiceList BaudChoices() {
  return Numbers({300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200});
}

ChoiceList ParityChoices() { return {{"None", 0}, {"Odd", 1}, {"Even", 2}, {"Mark", 3}, {"Space", 4}}; }

ChoiceList DataBitsChoices() { return Numbers({5, 6, 7, 8}); }

ChoiceList StopBitsChoices() { return {{"1", 0}, {"1.5", 1}, {"2", 2}}; }

int ChoicePosition(const ChoiceList& choices, std::uint32_t value) {
  const auto found = std::find_if(choices.begin(), choices.end(),
                                  [value](const Choice& c) { return c.Value == value; });
  return found == choices.end() ? -1 : static_cast<int>(found - choices.begin());
}

int BaudPosition(std::uint32_t baud) {
  const ChoiceList rates = BaudChoices();
  int position = 0;
  for (int i = 0; i < static_cast<int>(rates.size()); ++i)
    if (rates[i].Value <= baud) position = i;
  return position;
}

std::uint32_t ChoiceValue(const ChoiceList& choices, int position, std::uint32_t unchanged) {
  if (position < 0 || position >= static_cast<int>(choices.size())) return unchanged;
  return choices[position].Value;
}

std::string ScriptToText(const std::vector<std::string>& script) {
  std::string text;
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i].empty()) continue;
    text += script[i];
    if (i + 1 < script.size()) text += "\r\n";
  }
  return text;
}

std::vector<std::string> TextToScript(std::string_view text) {
  std::vector<std::string> script;
  for (;;) {
    const std::size_t end = text.find("\r\n");
    const std::string_view piece = text::Trim(text.substr(0, end));
    if (!piece.empty()) script.emplace_back(piece);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 2);
  }
  return script;
}

}  // namespace directory
