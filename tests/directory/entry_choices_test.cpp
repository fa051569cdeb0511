#include "server/directory/entry_choices.h"

#include <gtest/gtest.h>

namespace directory {
namespace {

using Script = std::vector<std::string>;

TEST(EntryChoices, PositionsMapToStoredValues) {
  // COM3, Even, 7 data bits, 1.5 stop bits are stored as 3, 2, 7, 1.
  const ChoiceList ports = PortChoices({}, 0);
  ASSERT_EQ(ports.size(), 6u);
  EXPECT_EQ(ports[2].Text, "COM3");
  EXPECT_EQ(ChoiceValue(ports, 2, 0), 3u);
  EXPECT_EQ(ChoiceValue(ParityChoices(), ChoicePosition(ParityChoices(), 2), 0), 2u);
  EXPECT_EQ(ParityChoices()[2].Text, "Even");
  EXPECT_EQ(ChoiceValue(DataBitsChoices(), 2, 0), 7u);
  EXPECT_EQ(StopBitsChoices()[1].Text, "1.5");
  EXPECT_EQ(ChoiceValue(StopBitsChoices(), 1, 0), 1u);
  // A stored value no list position offers: no selection, kept on OK.
  EXPECT_EQ(ChoicePosition(DataBitsChoices(), 9), -1);
  EXPECT_EQ(ChoiceValue(DataBitsChoices(), -1, 9), 9u);
  EXPECT_EQ(ChoiceValue(StopBitsChoices(), 3, 7), 7u);
}

TEST(EntryChoices, BaudShowsTheHighestRateNotAboveTheStoredOne) {
  EXPECT_EQ(BaudChoices()[BaudPosition(57600)].Text, "57600");
  EXPECT_EQ(BaudChoices()[BaudPosition(57599)].Text, "38400");
  EXPECT_EQ(BaudChoices()[BaudPosition(0)].Text, "300");
  EXPECT_EQ(BaudChoices()[BaudPosition(1000000)].Text, "115200");
}

TEST(EntryChoices, PortsBeyondSixFromTheMachineAndTheStore) {
  const ChoiceList ports = PortChoices({12, 3, 7, 12}, 40);
  std::vector<std::string> texts;
  for (const auto& c : ports) texts.push_back(c.Text);
  EXPECT_EQ(texts, (Script{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM12",
                           "COM40"}));
  EXPECT_EQ(ChoicePosition(ports, 40), 8);
  EXPECT_EQ(PortChoices({}, 4).size(), 6u);
}

TEST(EntryChoices, ScriptTextCutTrimmedAndJoined) {
  EXPECT_EQ(TextToScript("  DIAL  \r\n\r\n\tWAIT \"OK\"\r\n   \r\nSEND x\ry\r\n"),
            (Script{"DIAL", "WAIT \"OK\"", "SEND x\ry"}));
  EXPECT_EQ(TextToScript(""), Script{});
  EXPECT_EQ(TextToScript("a\nb"), Script{"a\nb"});
  EXPECT_EQ(ScriptToText({"DIAL", "WAIT"}), "DIAL\r\nWAIT");
  EXPECT_EQ(ScriptToText({}), "");
  EXPECT_EQ(TextToScript(ScriptToText({"a", "b c"})), (Script{"a", "b c"}));
}

}  // namespace
}  // namespace directory
