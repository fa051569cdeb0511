// Whole deliveries (registry entry, port, reader, script) against the
// simulated modem, which answers the dial-up sample's centre prompts and
// runs the GSM sample's commands. Prints how long each sample takes against
// the floor its own pauses and the modem's answer set (a figure, not an
// assertion). Run through tests/harness/modem_line.sh (see CMakeLists.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "server/directory/sms_entries.h"
#include "server/modem/alert_sender.h"
#include "tests/modem/sample_script.h"
#include "tests/modem/serial_simulated_modem.h"
#include "tests/support/registry_sandbox.h"

namespace modem {
namespace {

using testing_support::SimulatedModem;
using testing_support::LoadSampleScript;

SimulatedModem& Modem() {
  static SimulatedModem modem;
  return modem;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class Delivery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Modem().IsPresent()) << "run through tests/harness/modem_line.sh";
  }

  // Makes the sample the active entry's script; returns its statement count.
  std::size_t UseScript(const std::string& name) {
    const directory::SmsEntry entry{"Sim", "0800123", static_cast<std::uint32_t>(Modem().Com()),
                                    9600, 8, 0, 0, LoadSampleScript(name)};
    EXPECT_FALSE(entry.Script.empty()) << name;
    EXPECT_EQ(directory::SaveSmsEntry(entry, true), directory::SaveEntryResult::kSaved);
    directory::RegisterSmsEntryName(entry.Name);
    directory::SaveAppSettings({"Srv", entry.Name, ""});
    return entry.Script.size();
  }

  int Send(const std::string& text) { return SendAlert(text, "+447700900123", m_noExit); }

  testing_support::RegistrySandbox m_sandbox;
  const bool m_noExit = false;
};

TEST_F(Delivery, SampleScriptsRunCloseToTheirFloor) {
  const char* delay = std::getenv("MODEMSIM_CONNECT_DELAY");
  const unsigned connectDelayMs = delay ? static_cast<unsigned>(std::atoi(delay)) : 0;
  for (const char* name : {"dialup_centre.txt", "gsm_text_mode.txt"}) {
    const std::size_t statements = UseScript(name);
    // Only the dial-up sample dials.
    const unsigned floorMs = 50 * static_cast<unsigned>(statements) +
                             (std::string(name) == "dialup_centre.txt" ? connectDelayMs : 0);
    std::vector<DWORD> times;
    for (int run = 0; run < 5; ++run) {
      const DWORD start = ::GetTickCount();
      ASSERT_EQ(Send("Disk full"), 1) << name << " run " << run;
      times.push_back(::GetTickCount() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("BENCHMARK delivery %s: median %lu ms, max %lu ms, floor %u ms, ratio %.2f\n",
                name, times[2], times.back(), floorMs, static_cast<double>(times[2]) / floorMs);
  }
}

// Each delivery closes its port right after its last write and the next
// one opens it at once: the hang-up must reach the modem every time.
TEST_F(Delivery, BackToBackDeliveriesKeepTheirLastWrite) {
  UseScript("dialup_centre.txt");
  const std::size_t before = Count(Modem().Received(), "ATH\r");
  constexpr int kDeliveries = 30;
  for (int run = 0; run < kDeliveries; ++run) ASSERT_EQ(Send("Disk full"), 1) << "run " << run;
  // The simulator writes what it read as it reads it: wait for the tail.
  std::size_t hangUps = 0;
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 10000; ::Sleep(50)) {
    hangUps = Count(Modem().Received(), "ATH\r") - before;
    if (hangUps >= kDeliveries) break;
  }
  EXPECT_EQ(hangUps, static_cast<std::size_t>(kDeliveries));
}

}  // namespace
}  // namespace modem
