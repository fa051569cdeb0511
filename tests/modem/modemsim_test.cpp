// The modem simulator on its own: driven natively through its pty, the way
// Wine drives it, for what the Windows tests do not reach.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    char pattern[] = "/tmp/modemsim_test.XXXXXX";
    m_top = ::mkdtemp(pattern);
    fs::create_directories(m_top / "prefix" / "dosdevices");
    options.insert(options.begin(), {MODEMSIM_PATH, "--com", "9", "--dir", (m_top / "sim").string(),
                                     "--prefix", (m_top / "prefix").string()});
    std::vector<char*> argv;
    for (auto& o : options) argv.push_back(o.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) m_pid = -1;
    // Generous bounds throughout: a busy machine can be slow to start anything.
    for (int i = 0; i < 3000 && !fs::exists(Dir() / "ready"); ++i) std::this_thread::sleep_for(10ms);
    m_line = ::open((m_top / "prefix/dosdevices/com9").c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    ::tcgetattr(m_line, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_line, TCSANOW, &raw);
  }
  ~Simulator() {
    CloseLine();
    Stop();
    fs::remove_all(m_top);
  }
  bool IsUp() const { return m_pid > 0 && m_line >= 0; }
  fs::path Dir() const { return m_top / "sim"; }
  fs::path Link() const { return m_top / "prefix/dosdevices/com9"; }
  void CloseLine() {
    if (m_line >= 0) ::close(m_line);
    m_line = -1;
  }
  // Writes the bytes, then collects the answer until it ends with `until`
  // (hang guard 30 s).
  std::string Say(const std::string& bytes, const std::string& until) {
    if (!bytes.empty() && ::write(m_line, bytes.data(), bytes.size()) < 0) return "write failed";
    std::string heard;
    for (auto end = std::chrono::steady_clock::now() + 30s;
         !heard.ends_with(until) && std::chrono::steady_clock::now() < end;) {
      pollfd fd{m_line, POLLIN, 0};
      char chunk[256];
      if (::poll(&fd, 1, 100) == 1) {
        const ssize_t n = ::read(m_line, chunk, sizeof chunk);
        if (n <= 0) break;
        heard.append(chunk, n);
      }
    }
    return heard;
  }
  void Control(const std::string& command) {
    const std::string before = ReadFile(Dir() / "ready");
    std::ofstream(Dir() / "control") << command << "\n";
    for (int i = 0; i < 3000 && ReadFile(Dir() / "ready") == before; ++i)
      std::this_thread::sleep_for(10ms);
  }
  double CpuSeconds() const {
    std::istringstream stat(ReadFile("/proc/" + std::to_string(m_pid) + "/stat"));
    std::string field;
    long ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
      if (i == 14 || i == 15) ticks += std::stol(field);  // utime, stime
    return static_cast<double>(ticks) / ::sysconf(_SC_CLK_TCK);
  }
  int Stop() {
    if (m_pid <= 0) return -1;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  fs::path m_top;
  pid_t m_pid = -1;
  int m_line = -1;
};

TEST(ModemSimulator, GsmTextModeWithAndWithoutEcho) {
  Simulator sim({});
  ASSERT_TRUE(sim.IsUp());
  EXPECT_EQ(sim.Say("AT+CMGS=\"1\"\r", "\r\n"), "AT+CMGS=\"1\"\r\r\nERROR\r\n");
  EXPECT_EQ(sim.Say("ATE0\r", "OK\r\n"), "ATE0\r\r\nOK\r\n");
  EXPECT_EQ(sim.Say("AT+CMGF=1\r", "OK\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(sim.Say("AT+CMGS=\"+447700900123\"\r", "> "), "\r\n> ");
  EXPECT_EQ(sim.Say("never mind\x1b", "OK\r\n"), "\r\nOK\r\n");  // ESC cancels
  EXPECT_EQ(sim.Say("AT+CMGS=\"+447700900123\"\r", "> "), "\r\n> ");
  EXPECT_EQ(sim.Say("Disk full\x1a", "OK\r\n"), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
}

TEST(ModemSimulator, DialogueHangUpOnDemandAndReceivedBytes) {
  Simulator sim({"--connect-delay", "50", "--greeting", "Hello\\r\\n", "--step", "\\r",
                 "Message?", "--step", "\\x1a", "\\r\\nACK\\r\\n"});
  ASSERT_TRUE(sim.IsUp());
  EXPECT_EQ(sim.Say("ATD 0800\r", "Hello\r\n"), "ATD 0800\r\r\nCONNECT 9600\r\nHello\r\n");
  EXPECT_EQ(sim.Say("0171\r", "Message?"), "Message?");  // no echo once online
  EXPECT_EQ(sim.Say("text\x1a", "ACK\r\n"), "\r\nACK\r\n");
  sim.Control("hangup");
  EXPECT_EQ(sim.Say("", "NO CARRIER\r\n"), "\r\nNO CARRIER\r\n");
  EXPECT_EQ(sim.Say("AT\r", "OK\r\n"), "AT\r\r\nOK\r\n");
  EXPECT_EQ(ReadFile(sim.Dir() / "received"), "ATD 0800\r0171\rtext\x1a" "AT\r");
}

TEST(ModemSimulator, DialAnswerOtherThanConnectStaysInCommandMode) {
  Simulator sim({"--connect-delay", "0", "--dial-answer", "BUSY"});
  ASSERT_TRUE(sim.IsUp());
  EXPECT_EQ(sim.Say("ATD 0800\r", "BUSY\r\n"), "ATD 0800\r\r\nBUSY\r\n");
  EXPECT_EQ(sim.Say("AT\r", "OK\r\n"), "AT\r\r\nOK\r\n");
}

// Answers come after the answer delay (the echo at once), the delay can be
// changed while it runs, and the timeline stamps what crossed the line.
TEST(ModemSimulator, AnswerDelayAndTimeline) {
  Simulator sim({"--answer-delay", "300"});
  ASSERT_TRUE(sim.IsUp());
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(sim.Say("AT\r", "AT\r"), "AT\r");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 250ms);
  EXPECT_EQ(sim.Say("", "OK\r\n"), "\r\nOK\r\n");
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  sim.Control("answer-delay 0");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(sim.Say("AT\r", "OK\r\n"), "AT\r\r\nOK\r\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 250ms);

  std::istringstream timeline(ReadFile(sim.Dir() / "timeline"));
  std::vector<std::pair<long long, std::string>> events;  // time, "R AT\r"
  long long time = 0;
  std::string rest;
  while (timeline >> time && std::getline(timeline, rest)) events.emplace_back(time, rest.substr(1));
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events[0].second, "R AT\\r");
  EXPECT_EQ(events[1].second, "S A");  // the echo, byte by byte
  const auto ok = std::find_if(events.begin(), events.end(),
                               [](const auto& e) { return e.second == "S \\r\\nOK\\r\\n"; });
  ASSERT_NE(ok, events.end());
  EXPECT_GE(ok->first - events[0].first, 300000);
}

// The line's user going away must not make the simulator spin, and the
// simulator leaves no link or ready file behind.
TEST(ModemSimulator, SurvivesTheLineClosingAndCleansUpOnExit) {
  Simulator sim({});
  ASSERT_TRUE(sim.IsUp());
  sim.CloseLine();
  const double before = sim.CpuSeconds();
  std::this_thread::sleep_for(1s);
  EXPECT_LT(sim.CpuSeconds() - before, 0.5);
  sim.Control("vanish");
  EXPECT_FALSE(fs::is_symlink(sim.Link()));
  EXPECT_EQ(ReadFile(sim.Dir() / "ready").substr(0, 7), "1 gone ");
  sim.Control("back");
  EXPECT_TRUE(fs::is_symlink(sim.Link()));
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(fs::is_symlink(sim.Link()));
  EXPECT_FALSE(fs::exists(sim.Dir() / "ready"));
}

}  // namespace
