#include "server/modem/message_text.h"

#include <gtest/gtest.h>

#include <string>

namespace modem {
namespace {

using namespace std::string_literals;

std::string Substituted(std::string text, LeadByteTest isLeadByte = nullptr) {
  SubstituteCharacters(text, isLeadByte);
  return text;
}

TEST(SubstituteCharacters, ReplacesEachTableCharacterInPlace) {
  EXPECT_EQ(Substituted("a[b]{c}"), "a(b)(c)");
  EXPECT_EQ(Substituted("50$"), "50#");
  EXPECT_EQ(Substituted("C:\\temp"), "C:/temp");
  EXPECT_EQ(Substituted("x~y|z"), "x=y!z");
  EXPECT_EQ(Substituted("disk\x7f"), "disk.");
  EXPECT_EQ(Substituted("[]$@\\^_`{}|~\x7f"), "()##/#-'()!=.");
  EXPECT_EQ(Substituted("[[[]]]"), "((()))");
  // Everything else, including 8-bit characters, is untouched.
  EXPECT_EQ(Substituted("Plain text 0-9 (ok) \xe9\xff!"), "Plain text 0-9 (ok) \xe9\xff!");
  EXPECT_EQ(Substituted(""), "");
}

TEST(SubstituteCharacters, BlanksControlBytesButKeepsTab) {
  EXPECT_EQ(Substituted("hi\x1a\x1b" "AT+CMGS\rATD123\r\n"), "hi  AT+CMGS ATD123  ");
  EXPECT_EQ(Substituted("a\tb"), "a\tb");
  EXPECT_EQ(Substituted("a\0b\x01\x1f"s), "a b  ");
  const std::string all = Substituted(std::string("\0\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
                                                  "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f", 32));
  EXPECT_EQ(all, std::string(9, ' ') + "\t" + std::string(22, ' '));
}

TEST(SubstituteCharacters, LeavesTrailBytesOfDoubleByteCharactersAlone) {
  // As in Shift-JIS, where 0x81-0x9F open a two-byte character whose second
  // byte may look like '@', '[' or '\'.
  const LeadByteTest shiftJis = [](unsigned char b) { return b >= 0x81 && b <= 0x9f; };
  EXPECT_EQ(Substituted("\x81@[\x83\\$", shiftJis), "\x81@(\x83\\#");
  EXPECT_EQ(Substituted("\x81@[\x83\\$"), "\x81#(\x83/#");
  // A lead byte at the very end has no trail byte to skip.
  EXPECT_EQ(Substituted("[\x81", shiftJis), "(\x81");
  // A control byte after a lead byte is no valid character: still blanked.
  EXPECT_EQ(Substituted("\x81\x1a" "AT", shiftJis), "\x81 AT");
}

TEST(ComposeMessage, PutsTheIdAndAColonInFront) {
  EXPECT_EQ(ComposeMessage("Srv", "Disk full", ""), "Srv:Disk full");
  EXPECT_EQ(ComposeMessage("", "Disk full", ""), ":Disk full");
  EXPECT_EQ(ComposeMessage("Srv", "Disk full", " -- Ops"), "Srv:Disk full -- Ops");
  EXPECT_EQ(ComposeMessage("", "", ""), ":");
}

TEST(ComposeMessage, CutsTheTextSoThatTheFooterFitsIn140) {
  const std::string text(200, 'x');
  EXPECT_EQ(ComposeMessage("Srv", text, ""), "Srv:" + std::string(136, 'x'));

  const std::string footer40(40, 'f');
  const std::string withFooter = ComposeMessage("Srv", text, footer40);
  EXPECT_EQ(withFooter, "Srv:" + std::string(96, 'x') + footer40);
  EXPECT_EQ(withFooter.size(), 140u);

  // A long ID is cut too; the cut may even fall before the colon.
  EXPECT_EQ(ComposeMessage(std::string(150, 'i'), "text", "F"), std::string(139, 'i') + "F");
  // Exactly at the limit nothing is cut.
  EXPECT_EQ(ComposeMessage("Srv", std::string(136, 'x'), "").size(), 140u);
}

TEST(ComposeMessage, AFooterOf140OrMoreIsAllThatIsSent) {
  const std::string footer140(140, 'f');
  EXPECT_EQ(ComposeMessage("Srv", "Disk full", footer140), footer140);
  const std::string longFooter = std::string(140, 'a') + "overflow";
  EXPECT_EQ(ComposeMessage("Srv", "Disk full", longFooter), std::string(140, 'a'));
}

}  // namespace
}  // namespace modem
