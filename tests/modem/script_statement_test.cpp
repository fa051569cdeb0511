#include "server/modem/script_statement.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/cp932.h"

namespace modem {
namespace {

using namespace std::string_literals;

TEST(ClassifyStatement, RecognisesKeywordsWhateverTheCaseAndSurroundings) {
  const std::pair<const char*, StatementKind> cases[] = {
      {"DIAL", StatementKind::Dial},
      {"  dial \t", StatementKind::Dial},
      {"\r\n\v\fDial 0800", StatementKind::Dial},
      {"HANGUP", StatementKind::HangUp},
      {"hangup now", StatementKind::HangUp},
      {"WAITFOR \"OK\"", StatementKind::Wait},
      {"waitfor", StatementKind::Wait},
      {"SEND \"AT\\r\"", StatementKind::Send},
      {"SENDER", StatementKind::Send},
      {"CR", StatementKind::CarriageReturn},
      {"CRLF", StatementKind::CarriageReturn},
      {"sendmessage", StatementKind::SendMessage},
      {"SENDMESSAGES", StatementKind::SendMessage},
      {"SENDNUMBER", StatementKind::SendNumber},
      {"SENDNUMBERS", StatementKind::SendNumber},
      {"REM hello", StatementKind::Unrecognised},
      {"", StatementKind::Unrecognised},
      {"   ", StatementKind::Unrecognised},
      {"x DIAL", StatementKind::Unrecognised},
      {"DIA", StatementKind::Unrecognised},
      {"\"SEND\"", StatementKind::Unrecognised},
  };
  for (const auto& [statement, kind] : cases) EXPECT_EQ(ClassifyStatement(statement), kind) << statement;
  EXPECT_EQ(static_cast<int>(StatementKind::SendNumber), 7);
  EXPECT_EQ(static_cast<int>(StatementKind::Unrecognised), 0);
}

TEST(WaitArgument, IsTheTrimmedTextBetweenTheFirstTwoQuotes) {
  EXPECT_EQ(WaitArgument("WAITFOR \"OK\""), "OK");
  EXPECT_EQ(WaitArgument("WAITFOR \"  OK \t\""), "OK");
  EXPECT_EQ(WaitArgument("WAITFOR \"\""), "");
  EXPECT_EQ(WaitArgument("WAITFOR \"a b\" trailing \"x\""), "a b");
  EXPECT_EQ(WaitArgument("WAITFOR \"C:\\n\""), "C:\\n");  // no escapes here
  EXPECT_EQ(WaitArgument("WAITFOR OK"), std::nullopt);
  EXPECT_EQ(WaitArgument("WAITFOR \"OK"), std::nullopt);
}

TEST(SendArgument, DecodesEscapesUpToTheNextUnescapedQuote) {
  EXPECT_EQ(SendArgument("SEND \"AT+CMGF=1\\r\""), "AT+CMGF=1\r");
  EXPECT_EQ(SendArgument("SEND \"AT+CMGS=\\\"\""), "AT+CMGS=\"");
  EXPECT_EQ(SendArgument("SEND \"\\x1a\""), "\x1a");
  EXPECT_EQ(SendArgument("SEND \"\\x00\\xfF\\X\""), std::nullopt);
  EXPECT_EQ(SendArgument("SEND \"\\x00\\xfF\""), "\0\xff"s);
  EXPECT_EQ(SendArgument("SEND \"a\\tb\\nc\\\\d\""), "a\tb\nc\\d");
  EXPECT_EQ(SendArgument("SEND \"  kept  \" ignored"), "  kept  ");
  EXPECT_EQ(SendArgument("SEND \"\""), "");
}

TEST(SendArgument, IsMissingWithoutBothQuotesOrWithABadEscape) {
  for (const char* statement : {"SEND", "SEND AT", "SEND \"AT", "SEND \"AT\\\"", "SEND \"\\q\"",
                                "SEND \"\\x1\"", "SEND \"\\xg0\"", "SEND \"\\x", "SEND \"\\"})
    EXPECT_EQ(SendArgument(statement), std::nullopt) << statement;
}

TEST(SendArgument, ReadsDoubleByteCharactersWhole) {
  const text::LeadByteTest cp932 = testing_support::IsCp932LeadByte;
  // 表 is 95 5C and ソ is 83 5C: their second byte is no escape.
  EXPECT_EQ(SendArgument("SEND \"\x95\x5C\"", cp932), "\x95\x5C"s);
  EXPECT_EQ(SendArgument("SEND \"\x83\x5Cn\\r\"", cp932), "\x83\x5Cn\r"s);
  EXPECT_EQ(SendArgument("SEND \"\x95\x5C\"", nullptr), std::nullopt) << "single-byte code page";
}

}  // namespace
}  // namespace modem
