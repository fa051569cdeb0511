#include "server/modem/script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/format.h"
#include "tests/modem/script_fake_host.h"

namespace modem {
namespace {

using namespace std::string_literals;
using testing_fakes::FakeHost;
using testing_fakes::LogEntry;

const ScriptInputs kInputs{"0800123", "+447700900123", "Srv", "Disk full", " --Ops"};

class Script : public ::testing::Test {
 protected:
  FakeHost host;

  // Runs a script; true when it ran to its end.
  bool Run(const std::vector<std::string>& statements, const ScriptInputs& inputs = kInputs) {
    try {
      RunScript(statements, inputs, host);
      return true;
    } catch (const ScriptFailure&) {
      return false;
    }
  }
  bool Wait(std::string_view target) {
    try {
      WaitForText(target, host);
      return true;
    } catch (const ScriptFailure&) {
      return false;
    }
  }
};

TEST_F(Script, EachStatementWritesItsBytesAfterAPause) {
  host.Arrive("ATD 0800123\r\r\nCONNECT 9600\r\n");
  EXPECT_TRUE(Run({"DIAL", "SENDNUMBER", "CR", "SENDMESSAGE", "send \"\\x1a\\\"\" x", "HANGUP"}));
  EXPECT_EQ(host.written, "ATD 0800123\r\r+447700900123\rSrv:Disk full --Ops\x1a\"ATH\r");
  EXPECT_EQ(host.pauses, (std::vector<unsigned>{0, 0, 0, 0, 0, 0}));  // CONNECT was there at once
  EXPECT_TRUE(host.log.empty());
}

TEST_F(Script, ArgumentsAfterOtherKeywordsAreIgnored) {
  host.Arrive("CONNECT");
  EXPECT_TRUE(Run({"DIAL 999", "SENDNUMBER 0", "SENDMESSAGE \"x\"", "HANGUP +++", "CR \"\\x1a\""}));
  EXPECT_EQ(host.written, "ATD 0800123\r\r+447700900123Srv:Disk full --OpsATH\r\r");
}

TEST_F(Script, DialWaitsForConnectBeforeItsCarriageReturn) {
  host.Arrive("\r\nCONNECT 9600\r\n", 1200);
  EXPECT_TRUE(Run({"DIAL", "HANGUP"}));
  EXPECT_EQ(host.written, "ATD 0800123\r\rATH\r");
  // Statement pause, three 500 ms polls before the answer, statement pause.
  EXPECT_EQ(host.pauses, (std::vector<unsigned>{0, 500, 500, 500, 0}));
}

TEST_F(Script, DialTimeOutStopsTheRunWithoutHangingUp) {
  host.Arrive("NO CARRIER\r\n", 100);
  EXPECT_FALSE(Run({"DIAL", "HANGUP"}));
  EXPECT_EQ(host.written, "ATD 0800123\r");
  EXPECT_EQ(host.log, (std::vector<LogEntry>{
                          {"Timed out waiting for CONNECT", LogLevel::Warning},
                          {"Last received from the modem: \"NO CARRIER\\r\\n\"", LogLevel::Information}}));
}

TEST_F(Script, FailureInTheSecondStatementSendsNothingMore) {
  EXPECT_FALSE(Run({"SEND \"AT\\r\"", "WAITFOR \"OK\"", "HANGUP"}));
  EXPECT_EQ(host.written, "AT\r");
  EXPECT_EQ(host.log, (std::vector<LogEntry>{{"Timed out waiting for OK", LogLevel::Warning},
                                             {"Nothing was received from the modem", LogLevel::Information}}));
}

TEST_F(Script, UnknownStatementsFailBeforeAnythingAfterThem) {
  EXPECT_FALSE(Run({"CR", "REM dial the centre", "HANGUP"}));
  EXPECT_EQ(host.written, "\r");
  EXPECT_EQ(host.log, (std::vector<LogEntry>{{"Unknown action in script", LogLevel::Warning}}));

  FakeHost empty;
  EXPECT_THROW(RunScript({""}, kInputs, empty), ScriptFailure);
  EXPECT_EQ(empty.log, (std::vector<LogEntry>{{"Unknown action in script", LogLevel::Warning}}));
}

TEST_F(Script, MalformedWaitAndSendStatementsAreLoggedWhole) {
  for (const char* statement : {"WAITFOR OK", "waitfor \"OK", "SEND AT", "SEND \"AT\\q\"", "SEND \"AT"}) {
    FakeHost fresh;
    EXPECT_THROW(RunScript({statement, "HANGUP"}, kInputs, fresh), ScriptFailure);
    EXPECT_EQ(fresh.written, "");
    EXPECT_EQ(fresh.log, (std::vector<LogEntry>{{"Malformed statement "s + statement, LogLevel::Warning}}));
  }
}

TEST_F(Script, UntrustedTextIsNeverAFormat) {
  const ScriptInputs hostile{"%s%n%x", "%d%s", "%s", "%n%x%s", "%%"};
  host.Arrive("CONNECT");
  host.Arrive("%d%n%%", 1000);  // the modem's bytes are no format either
  EXPECT_FALSE(Run({"DIAL", "SENDNUMBER", "SENDMESSAGE", "WAITFOR \"%s%n%x\"", "HANGUP"}, hostile));
  EXPECT_EQ(host.written, "ATD %s%n%x\r\r%d%s%s:%n%x%s%%");
  EXPECT_EQ(host.log, (std::vector<LogEntry>{{"Timed out waiting for %s%n%x", LogLevel::Warning},
                                             {"Last received from the modem: \"%d%n%%\"",
                                              LogLevel::Information}}));

  FakeHost other;
  EXPECT_THROW(RunScript({"SEND %s%n%x"}, kInputs, other), ScriptFailure);
  EXPECT_EQ(other.log[0].text, "Malformed statement SEND %s%n%x");
}

TEST_F(Script, WaitIsCaseSensitive) {
  host.Arrive("ok\r\n");
  EXPECT_FALSE(Wait("OK"));
  EXPECT_EQ(host.log[0], (LogEntry{"Timed out waiting for OK", LogLevel::Warning}));
}

TEST_F(Script, WaitTakesAt255BytesAPieceAndGivesUpAfter30Seconds) {
  host.Arrive(std::string(600, 'x'));
  EXPECT_FALSE(Wait("OK"));
  ASSERT_GE(host.takes.size(), 3u);
  EXPECT_EQ(host.takes[0].size(), 255u);
  EXPECT_EQ(host.takes[1].size(), 255u);
  EXPECT_EQ(host.takes[2].size(), 90u);
  // Polls every 500 ms: the 60th poll brings the counter to 30 s, and one
  // last look follows it.
  EXPECT_EQ(host.takes.size(), 61u);
  EXPECT_EQ(host.ElapsedMs(), 30000u);
}

TEST_F(Script, AnAnswerThatCameWhileThePauseWasHeldPastTheDeadlineCounts) {
  struct HeldHost : FakeHost {
    void AwaitData(unsigned) override { Pause(35000); }
  } held;
  held.Arrive("CONNECT", 3000);
  EXPECT_NO_THROW(WaitForText("CONNECT", held));
  EXPECT_TRUE(held.log.empty());
}

TEST_F(Script, WaitFindsTextSplitAcrossPieces) {
  host.Arrive(std::string(253, '.') + "CONNECT");
  EXPECT_TRUE(Wait("CONNECT"));
  EXPECT_EQ(host.takes.size(), 2u);
}

TEST_F(Script, WaitIgnoresBytesAfterANulInTheSamePiece) {
  host.Arrive("O\0K"s);
  host.Arrive("K", 400);
  EXPECT_TRUE(Wait("OK"));  // "O" + "K": the NUL and the first K are dropped
  EXPECT_EQ(host.takes.size(), 2u);

  FakeHost other;
  other.Arrive("\0OK"s);
  EXPECT_THROW(WaitForText("OK", other), ScriptFailure);
}

TEST_F(Script, BytesAfterAMatchInTheSamePieceAreGone) {
  host.Arrive("\r\nCONNECT\r\nMORE\r\n");
  EXPECT_TRUE(Wait("CONNECT"));
  EXPECT_FALSE(Wait("MORE"));
}

TEST_F(Script, BytesNotYetTakenStayForTheNextWait) {
  host.Arrive(std::string(250, '.') + "OK" + std::string(10, '.') + "READY");
  EXPECT_TRUE(Wait("OK"));
  EXPECT_EQ(host.Unread(), std::string(7, '.') + "READY");
  EXPECT_TRUE(Wait("READY"));
}

TEST_F(Script, EmptyTargetMatchesOnTheFirstPass) {
  EXPECT_TRUE(Run({"WAITFOR \"\"", "waitfor \"   \""}));
  EXPECT_EQ(host.takes.size(), 2u);
  EXPECT_EQ(host.pauses, (std::vector<unsigned>{0, 0}));
}

// Exit while a script runs: a send is the last statement to run, and a wait
// ends after the pause in which the exit came, saying only what the modem
// sent during it; nothing more is written.
TEST_F(Script, CancelStopsAtTheNextStatementOrAfterAWaitsPause) {
  host.onWrite = [this](std::string_view) { host.cancelled = true; };
  EXPECT_THROW(RunScript({"SEND \"A\"", "SEND \"B\""}, kInputs, host), ScriptCancelled);
  EXPECT_EQ(host.written, "A");

  FakeHost waiting;
  waiting.onWrite = [&waiting](std::string_view) { waiting.cancelled = true; };
  EXPECT_THROW(RunScript({"DIAL", "HANGUP"}, kInputs, waiting), ScriptCancelled);
  EXPECT_EQ(waiting.written, "ATD 0800123\r");
  EXPECT_EQ(waiting.pauses, (std::vector<unsigned>{0, kWaitPollMs}));
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(waiting.log, (std::vector<LogEntry>{{"Nothing was received from the modem", LogLevel::Information}}));
}

// What the modem said instead of the awaited answer follows the time-out's
// warning: its last bytes, printable whatever they were.
TEST_F(Script, AFailedWaitSaysWhatTheModemSentLast) {
  const auto lastWords = [](const std::string& modemBytes) {
    FakeHost host;
    host.onWrite = [&](std::string_view bytes) {
      if (bytes.starts_with("ATD")) host.Arrive(modemBytes, 2000);
    };
    EXPECT_THROW(RunScript({"DIAL", "HANGUP"}, kInputs, host), ScriptFailure);
    EXPECT_EQ(host.written, "ATD 0800123\r");
    EXPECT_EQ(host.log.size(), 2u);
    EXPECT_EQ(host.log.front(), (LogEntry{"Timed out waiting for CONNECT", LogLevel::Warning}));
    return host.log.back();
  };
  EXPECT_EQ(lastWords("\r\nBUSY\r\n"),
            (LogEntry{"Last received from the modem: \"\\r\\nBUSY\\r\\n\"", LogLevel::Information}));
  EXPECT_EQ(lastWords(""), (LogEntry{"Nothing was received from the modem", LogLevel::Information}));

  // 500 bytes of line noise: the newest 60 of them.
  std::string noise;
  for (int i = 0; i < 500; ++i) noise += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i % 36];
  EXPECT_EQ(lastWords(noise).text,
            text::Format("Last received from the modem: \"%s\"", noise.substr(440)));

  // Control bytes, a NUL, DEL, code-page bytes, quotes and backslashes.
  EXPECT_EQ(lastWords("\0+CMS ERROR: 301\r\n\x1a\x1b\t\x7f\xe9\"\\"s).text,
            "Last received from the modem: \"\\x00+CMS ERROR: 301\\r\\n\\x1A\\x1B\\x09\\x7F\\xE9"
            "\\\"\\\\\"");
}

}  // namespace
}  // namespace modem
