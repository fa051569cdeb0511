#include "common/datagram.h"

#include <gtest/gtest.h>

#include <string>

namespace alert {
namespace {

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST(ComposeAlertText, CutsLabelAndRecipientAtThirtyCharacters) {
  EXPECT_EQ(ComposeAlertText(Repeat('l', 30), Repeat('r', 30), "m"),
            Repeat('l', 30) + "\t" + Repeat('r', 30) + "\tm");
  EXPECT_EQ(ComposeAlertText(Repeat('l', 31), Repeat('r', 31), "m"),
            Repeat('l', 30) + "\t" + Repeat('r', 30) + "\tm");
}

TEST(ComposeAlertText, MessageKeepsWhatIsLeftOf258) {
  // Full label and recipient: 258 - 62 = 196 characters of message.
  std::string full = ComposeAlertText(Repeat('l', 30), Repeat('r', 30), Repeat('m', 400));
  EXPECT_EQ(full.size(), 258u);
  EXPECT_EQ(full.substr(62), Repeat('m', 196));
  // Both empty: two TABs and 256 characters.
  std::string bare = ComposeAlertText("", "", Repeat('m', 400));
  EXPECT_EQ(bare, "\t\t" + Repeat('m', 256));
}

TEST(ComposeAlertText, EmbeddedNulEndsAString) {
  using namespace std::string_literals;
  EXPECT_EQ(ComposeAlertText("a\0b"s, "c", "d\0e"s), "a\tc\td");
}

TEST(BuildDatagram, LaysOutTickNameAndText) {
  DatagramBytes b = BuildDatagram(0x12345678u, "HOST", "x\ty\tz");
  ASSERT_EQ(b.size(), 328u);
  EXPECT_EQ(b[0], 0x78);
  EXPECT_EQ(b[1], 0x56);
  EXPECT_EQ(b[2], 0x34);
  EXPECT_EQ(b[3], 0x12);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[4])), "HOST");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[68])), "x\ty\tz");
  EXPECT_EQ(b[327], 0);
}

TEST(BuildDatagram, NameAndTextStayInsideTheirFields) {
  DatagramBytes b = BuildDatagram(1, Repeat('N', 100), Repeat('T', 300));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[4])), Repeat('N', 63));
  EXPECT_EQ(b[67], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[68])), Repeat('T', 258));
  EXPECT_EQ(b[326], 0);
  EXPECT_EQ(b[327], 0);
}

TEST(ParseDatagram, RoundTripsABuiltRecord) {
  DatagramBytes b = BuildDatagram(4000000000u, "PC-7", "Backup\tAdmins\tDisk full");
  Datagram d = ParseDatagram(b);
  EXPECT_EQ(d.tick, 4000000000u);
  EXPECT_EQ(d.computerName, "PC-7");
  EXPECT_EQ(d.text, "Backup\tAdmins\tDisk full");
}

TEST(ParseDatagram, ShortReadsLeaveTheMissingTailEmpty) {
  DatagramBytes b = BuildDatagram(7, "PC", "hello");
  EXPECT_EQ(ParseDatagram(std::span(b).first(0)).tick, 0u);
  EXPECT_EQ(ParseDatagram(std::span(b).first(2)).tick, 7u);
  Datagram nameCut = ParseDatagram(std::span(b).first(5));
  EXPECT_EQ(nameCut.computerName, "P");
  EXPECT_EQ(nameCut.text, "");
  Datagram textCut = ParseDatagram(std::span(b).first(71));
  EXPECT_EQ(textCut.computerName, "PC");
  EXPECT_EQ(textCut.text, "hel");
}

TEST(ParseDatagram, FieldsWithoutNulEndAtTheirLastByte) {
  DatagramBytes b;
  b.fill('A');
  Datagram d = ParseDatagram(b);
  EXPECT_EQ(d.computerName, Repeat('A', 64));
  EXPECT_EQ(d.text, Repeat('A', 260));
}

TEST(ParseDatagram, IgnoresBytesAfterTheNul) {
  DatagramBytes a = BuildDatagram(1, "PC", "same");
  DatagramBytes b = a;
  b[4 + 10] = 'x';
  b[68 + 100] = 'y';
  EXPECT_EQ(ParseDatagram(a).computerName, ParseDatagram(b).computerName);
  EXPECT_EQ(ParseDatagram(a).text, ParseDatagram(b).text);
}

}  // namespace
}  // namespace alert
