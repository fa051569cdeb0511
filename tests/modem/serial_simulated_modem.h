// The Windows side's view of the simulated modem that tests/harness/
// modem_line.sh starts: its COM number, the bytes it received and sent, and
// its control commands (vanish, back, silent, talk, hold, release).
#pragma once

#include <string>

namespace testing_support {

class SimulatedModem {
 public:
  // From MODEMSIM_DIR and MODEMSIM_COM; IsPresent() is false without them.
  SimulatedModem();
  bool IsPresent() const { return m_com > 0 && !m_dir.empty(); }
  int Com() const { return m_com; }
  // Sends one command and waits (at most 10 s) until the simulator has done
  // it; false if it did not.
  bool Command(const std::string& command);
  // Everything received from, or sent to, the line so far.
  std::string Received() const { return ReadFile("received"); }
  std::string Sent() const { return ReadFile("sent"); }

 private:
  std::string ReadFile(const char* name) const;
  int CommandsDone() const;

  std::string m_dir;  // Windows form of the simulator's folder, with a final backslash
  int m_com = 0;
  int m_commandsSent = 0;
};

}  // namespace testing_support
