// What the SMS entry dialog shows and stores: the choices of its five lists
// (text shown, value stored) and the script as one text. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace directory {

struct Choice {
  std::string Text;
  std::uint32_t Value;
};
using ChoiceList = std::vector<Choice>;

// COM1 to COM6, then every higher port present on the machine, then the
// stored port when it is none of these (it stays choosable and is kept);
// in port order. A stored 0 (no port) adds nothing.
ChoiceList PortChoices(const std::vector<std::uint32_t>& presentPorts, std::uint32_t storedPort);
ChoiceList BaudChoices();      // 300 ... 115200
ChoiceList ParityChoices();    // None, Odd, Even, Mark, Space: 0 to 4
ChoiceList DataBitsChoices();  // 5 to 8
ChoiceList StopBitsChoices();  // "1", "1.5", "2": 0 to 2

// The position whose value is `value`; -1 when none has it.
int ChoicePosition(const ChoiceList& choices, std::uint32_t value);
// The highest rate not above `baud`; position 0 below 300.
int BaudPosition(std::uint32_t baud);
// The value at `position`; `unchanged` when the position is outside the
// list (a stored value the list does not offer is kept as it is).
std::uint32_t ChoiceValue(const ChoiceList& choices, int position, std::uint32_t unchanged);

// The script as the edit control shows it: the non-empty statements, one a
// line, CR LF between them.
std::string ScriptToText(const std::vector<std::string>& script);
// Cut at every CR LF, each piece trimmed, empty pieces dropped; a lone CR
// or LF stays inside its piece.
std::vector<std::string> TextToScript(std::string_view text);

}  // namespace directory
