// The sample scripts against fake modems that answer as real ones do: a
// Hayes modem dialling a text-prompt service centre, and a GSM modem in text
// mode. Also shows that an alert cannot make either modem run commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/modem/message_text.h"
#include "server/modem/script.h"
#include "tests/modem/script_fake_host.h"
#include "tests/modem/sample_script.h"

namespace modem {
namespace {

using testing_fakes::FakeHost;
using testing_fakes::LogEntry;
using testing_support::LoadSampleScript;

constexpr unsigned kAnswerDelayMs = 120;

// A GSM modem: AT commands ended by CR, echo on until ATE0, and after
// AT+CMGS="<number>" in text mode a "> " prompt; the message then ends with
// Ctrl-Z (sent) or ESC (dropped).
class GsmModem {
 public:
  struct Sms {
    std::string number, text;
    bool operator==(const Sms&) const = default;
  };

  explicit GsmModem(FakeHost& host) : m_host(host) {
    host.onWrite = [this](std::string_view bytes) {
      for (char c : bytes) Receive(c);
    };
  }

  std::vector<std::string> commands;  // every command line run
  std::vector<Sms> sent;

 private:
  void Answer(const std::string& text) { m_host.Arrive(text, kAnswerDelayMs); }

  void Receive(char c) {
    if (m_echo) m_host.Arrive(std::string(1, c));
    if (m_inMessage) {
      if (c == '\x1a') {
        sent.push_back({m_number, m_line});
        Answer("\r\n+CMGS: 17\r\n\r\nOK\r\n");
      } else if (c == '\x1b') {
        Answer("\r\nOK\r\n");
      } else {
        m_line += c;
        if (c == '\r') Answer("\n> ");
        return;
      }
      m_inMessage = false;
      m_line.clear();
      return;
    }
    if (c != '\r') {
      m_line += c;
      return;
    }
    const std::string command = m_line;
    m_line.clear();
    if (command.empty()) return;
    commands.push_back(command);
    if (command == "AT") {
      Answer("\r\nOK\r\n");
    } else if (command == "ATE0" || command == "ATE1") {
      m_echo = command == "ATE1";
      Answer("\r\nOK\r\n");
    } else if (command == "AT+CMGF=1") {
      m_textMode = true;
      Answer("\r\nOK\r\n");
    } else if (m_textMode && command.starts_with("AT+CMGS=\"") && command.ends_with("\"") && command.size() > 10) {
      m_number = command.substr(9, command.size() - 10);
      m_inMessage = true;
      Answer("\r\n> ");
    } else {
      Answer("\r\nERROR\r\n");
    }
  }

  FakeHost& m_host;
  bool m_echo = true;
  bool m_textMode = false;
  bool m_inMessage = false;
  std::string m_line;
  std::string m_number;
};

// A Hayes modem that dials a service centre. Once connected, the centre
// prompts for the number and the message, each ended by CR, acknowledges the
// message and clears the call, which puts the modem back in command mode.
class DialUpCentre {
 public:
  explicit DialUpCentre(FakeHost& host) : m_host(host) {
    host.onWrite = [this](std::string_view bytes) {
      for (char c : bytes) Receive(c);
    };
  }

  std::vector<std::string> commands;  // modem commands run
  std::vector<std::string> dialled;
  std::string number, message;
  std::vector<std::string> extraLines;  // centre lines after the message

 private:
  void Receive(char c) {
    if (!m_connected) m_host.Arrive(std::string(1, c));  // echo in command mode only
    if (c != '\r') {
      m_line += c;
      return;
    }
    const std::string line = m_line;
    m_line.clear();
    if (m_connected) {
      CentreLine(line);
    } else if (!line.empty()) {
      commands.push_back(line);
      if (line.starts_with("ATD")) {
        dialled.push_back(line.substr(3));
        m_connected = true;
        m_host.Arrive("\r\nCONNECT 9600\r\n", 3000);
      } else {
        m_host.Arrive("\r\nOK\r\n", kAnswerDelayMs);
      }
    }
  }

  void CentreLine(const std::string& line) {
    switch (m_stage++) {
      case 0: m_host.Arrive("\r\nSMS MESSAGE CENTRE\r\nNUMBER: ", 400); break;
      case 1:
        number = line;
        m_host.Arrive("\r\nMESSAGE: ", kAnswerDelayMs);
        break;
      case 2:
        message = line;
        m_host.Arrive("\r\nMESSAGE ACCEPTED\r\n\r\nNO CARRIER\r\n", kAnswerDelayMs);
        m_connected = false;
        break;
      default: extraLines.push_back(line);
    }
  }

  FakeHost& m_host;
  bool m_connected = false;
  int m_stage = 0;
  std::string m_line;
};

ScriptInputs Inputs(std::string alertText) {
  SubstituteCharacters(alertText);
  return {"0800 555 0100", "+447700900123", "Srv", alertText, " -Ops"};
}

// An alert that would, if passed raw, end the message and command the modem.
const std::string kHostileAlert =
    "Disk full\x1a\rAT+CMGS=\"+19005550666\"\rpaid\x1a\x1b\rATD 0900666\r+++ATH\r";

TEST(SampleScripts, DialUpCentreReceivesNumberAndMessage) {
  FakeHost host;
  DialUpCentre centre(host);
  RunScript(LoadSampleScript("dialup_centre.txt"), Inputs("Disk [C:] full"), host);
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(centre.dialled, std::vector<std::string>{" 0800 555 0100"});
  EXPECT_EQ(centre.number, "+447700900123");
  EXPECT_EQ(centre.message, "Srv:Disk (C:) full -Ops");
  EXPECT_TRUE(centre.extraLines.empty());
  // The hang-up reaches the modem in command mode, after the centre cleared.
  EXPECT_EQ(centre.commands, (std::vector<std::string>{"ATD 0800 555 0100", "ATH"}));
}

TEST(SampleScripts, GsmModemSendsOneTextMessage) {
  FakeHost host;
  GsmModem modem(host);
  RunScript(LoadSampleScript("gsm_text_mode.txt"), Inputs("Disk [C:] full"), host);
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(modem.commands,
            (std::vector<std::string>{"ATE0", "AT+CMGF=1", "AT+CMGS=\"+447700900123\""}));
  EXPECT_EQ(modem.sent, (std::vector<GsmModem::Sms>{{"+447700900123", "Srv:Disk (C:) full -Ops"}}));
}

TEST(SampleScripts, AlertTextCannotCommandTheGsmModem) {
  FakeHost host;
  GsmModem modem(host);
  RunScript(LoadSampleScript("gsm_text_mode.txt"), Inputs(kHostileAlert), host);
  ASSERT_EQ(modem.sent.size(), 1u);
  EXPECT_EQ(modem.sent[0].number, "+447700900123");
  EXPECT_EQ(modem.sent[0].text.find_first_of("\x1a\x1b\r\n"), std::string::npos);
  EXPECT_EQ(modem.commands,
            (std::vector<std::string>{"ATE0", "AT+CMGF=1", "AT+CMGS=\"+447700900123\""}));

  // The same text unprepared does get through: the fake modem is no push-over.
  FakeHost rawHost;
  GsmModem fooled(rawHost);
  ScriptInputs raw = Inputs("");
  raw.alertText = kHostileAlert;
  try {
    RunScript(LoadSampleScript("gsm_text_mode.txt"), raw, rawHost);
  } catch (const ScriptFailure&) {
  }
  EXPECT_GE(fooled.sent.size(), 2u);
}

TEST(SampleScripts, AlertTextCannotCommandTheDialUpModem) {
  FakeHost host;
  DialUpCentre centre(host);
  RunScript(LoadSampleScript("dialup_centre.txt"), Inputs(kHostileAlert), host);
  EXPECT_EQ(centre.message.find_first_of("\x1a\x1b\r\n"), std::string::npos);
  EXPECT_TRUE(centre.extraLines.empty());
  EXPECT_EQ(centre.commands, (std::vector<std::string>{"ATD 0800 555 0100", "ATH"}));
}

}  // namespace
}  // namespace modem
