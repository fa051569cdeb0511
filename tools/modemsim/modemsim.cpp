// modemsim: a Hayes modem with GSM text mode on a pseudo-terminal, mapped to a
// Wine COM port, so the server and its tests talk to a modem without hardware.
//
//   modemsim --com N --dir DIR [--prefix WINEPREFIX] [--connect-delay MS]
//            [--answer-delay MS] [--dial-answer TEXT] [--greeting TEXT]
//            [--step EXPECT REPLY]... [--silent]
//
//   --com N            link the line as $WINEPREFIX/dosdevices/comN (COMn)
//   --dir DIR          folder for the files below (created if missing)
//   --prefix P         Wine prefix; default $WINEPREFIX
//   --connect-delay MS time from ATD to its answer (default 500)
//   --answer-delay MS  time the modem takes to think before each answer (OK,
//                      CONNECT, prompts, replies; not the echo), on top of the
//                      connect delay (default 0); answers leave in order
//   --dial-answer T    the answer to ATD (default "CONNECT 9600"); one that
//                      does not begin with CONNECT (BUSY, NO CARRIER...)
//                      leaves the modem in command mode
//   --greeting T       sent right after CONNECT, as the service centre's hello
//   --step E R         after CONNECT, when the line has sent text E, answer R;
//                      steps run in the order given; an empty E answers at once.
//                      T, E and R take the escapes \r \n \t \\ \xHH.
//   --silent           start silent: answer nothing (no echo, no OK, no CONNECT)
//
// Files in DIR:
//   ready     written after start-up and after every control command, by
//             rename (never seen half written): "<commands done> up|gone <pid>"
//   received  every byte the line sent to the modem, raw, in order
//   sent      every byte the modem sent to the line, raw, in order
//   timeline  one line per piece read from or written to the line, as it
//             happened: "<microseconds since 1970> R|S <bytes>", the bytes
//             with \\ \r \n and \xHH escapes (R: received, S: sent)
//   control   FIFO; commands, one per line:
//               vanish  close the line, as if the modem was unplugged
//               back    a new line on the same COM port (after vanish)
//               silent  stop answering;  talk  answer again
//               hold    send XOFF at once: a line that honours software
//                       flow control stops sending;  release  send XON
//               hangup  drop the call: "\r\nNO CARRIER\r\n", command mode
//               answer-delay MS, connect-delay MS   change that delay
//               quit    end the simulator
// A test waits for "ready" to show the count of commands it has sent.
// The simulator holds the line's end of the pty open as well, so the port
// being closed on the Wine side never hangs up the modem's end.
// SIGTERM, SIGINT and the death of the parent end the simulator; it removes
// the COM link and the ready file on the way out.
//
// Behaviour: command mode echoes what it receives and answers each "AT..."
// line ending in CR with "\r\nOK\r\n"; ATE0/ATE1 turn echo off/on; ATD dials
// and answers "\r\nCONNECT 9600\r\n" after the connect delay, then runs the
// steps; ATH (also when online) and "+++" return to command mode with OK.
// AT+CMGF=1 selects text mode, in which AT+CMGS="number" prompts "\r\n> ",
// takes the message up to Ctrl-Z and answers "\r\n+CMGS: n\r\n\r\nOK\r\n"
// (ESC cancels with OK); without text mode AT+CMGS answers ERROR.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/escapes.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_stop = 0;
void OnStopSignal(int) { g_stop = 1; }

struct Step {
  std::string expect;
  std::string reply;
};

struct Options {
  int com = 0;
  std::string dir;
  std::string prefix;
  int connectDelayMs = 500;
  int answerDelayMs = 0;
  std::string dialAnswer = "CONNECT 9600";
  std::string greeting;
  std::vector<Step> steps;
  bool silent = false;
};

int Usage(const char* why) {
  std::fprintf(stderr,
               "modemsim: %s\nusage: modemsim --com N --dir DIR [--prefix WINEPREFIX] "
               "[--connect-delay MS] [--answer-delay MS] [--dial-answer TEXT] [--greeting TEXT] "
               "[--step EXPECT REPLY]... [--silent]\n",
               why);
  return 2;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options o;
  if (const char* prefix = std::getenv("WINEPREFIX")) o.prefix = prefix;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "--com") {
      const char* v = value();
      if (!v) return std::nullopt;
      o.com = std::atoi(v);
    } else if (a == "--dir") {
      const char* v = value();
      if (!v) return std::nullopt;
      o.dir = v;
    } else if (a == "--prefix") {
      const char* v = value();
      if (!v) return std::nullopt;
      o.prefix = v;
    } else if (a == "--connect-delay") {
      const char* v = value();
      if (!v) return std::nullopt;
      o.connectDelayMs = std::max(0, std::atoi(v));
    } else if (a == "--answer-delay") {
      const char* v = value();
      if (!v) return std::nullopt;
      o.answerDelayMs = std::max(0, std::atoi(v));
    } else if (a == "--dial-answer") {
      const auto answer = value() ? text::DecodeEscapes(argv[i]) : std::nullopt;
      if (!answer) return std::nullopt;
      o.dialAnswer = *answer;
    } else if (a == "--greeting") {
      const char* v = value();
      const auto greeting = v ? text::DecodeEscapes(v) : std::nullopt;
      if (!greeting) return std::nullopt;
      o.greeting = *greeting;
    } else if (a == "--step") {
      if (i + 2 >= argc) return std::nullopt;
      auto expect = text::DecodeEscapes(argv[++i]);
      auto reply = text::DecodeEscapes(argv[++i]);
      if (!expect || !reply) return std::nullopt;
      o.steps.push_back({*expect, *reply});
    } else if (a == "--silent") {
      o.silent = true;
    } else {
      return std::nullopt;
    }
  }
  if (o.com <= 0 || o.dir.empty() || o.prefix.empty()) return std::nullopt;
  return o;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Bytes as one line of text: printable ASCII as it is, the rest escaped.
std::string Escaped(const char* bytes, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c >= 0x20 && c < 0x7f) out += static_cast<char>(c);
    else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

long long MicrosecondsSince1970() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// One pseudo-terminal: the modem's end and, held open by us too, the line's
// end, so that the line closing on the Wine side never hangs up our end.
class Line {
 public:
  ~Line() { Close(); }
  bool Open() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return false;
    const char* name = ::ptsname(m_master);
    if (!name) return false;
    m_name = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) return false;
    termios raw{};
    if (::tcgetattr(m_slave, &raw) != 0) return false;
    ::cfmakeraw(&raw);
    return ::tcsetattr(m_slave, TCSANOW, &raw) == 0;
  }
  void Close() {
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
    m_master = m_slave = -1;
  }
  int Fd() const { return m_master; }
  bool IsOpen() const { return m_master >= 0; }
  const std::string& Name() const { return m_name; }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_name;
};

class Modem {
 public:
  explicit Modem(const Options& options)
      : m_options(options),
        m_silent(options.silent),
        m_answerDelay(options.answerDelayMs),
        m_connectDelay(options.connectDelayMs) {}

  bool Start() {
    ::mkdir(m_options.dir.c_str(), 0755);
    m_link = m_options.prefix + "/dosdevices/com" + std::to_string(m_options.com);
    m_received = ::open(Path("received").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    m_sent = ::open(Path("sent").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    m_timeline = ::open(Path("timeline").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    const std::string control = Path("control");
    ::unlink(control.c_str());
    if (m_received < 0 || m_sent < 0 || m_timeline < 0 || ::mkfifo(control.c_str(), 0644) != 0) return false;
    // Read-write: the FIFO then always has a writer and never reports end of file.
    m_control = ::open(control.c_str(), O_RDWR | O_NONBLOCK);
    if (m_control < 0 || !Plug()) return false;
    return WriteReady();
  }

  void Stop() {
    Unplug();
    ::unlink(Path("ready").c_str());
    ::unlink(Path("control").c_str());
  }

  // Runs until quit or a stop signal.
  void Run(const sigset_t& unblocked) {
    char buffer[512];
    while (!g_stop && !m_quit) {
      pollfd fds[2] = {{m_control, POLLIN, 0}, {m_line.Fd(), POLLIN, 0}};
      const nfds_t count = m_line.IsOpen() ? 2 : 1;
      timespec wait{};
      timespec* timeout = nullptr;
      std::optional<Clock::time_point> next = m_connectAt;
      if (!m_out.empty() && (!next || m_out.front().due < *next)) next = m_out.front().due;
      if (next) {
        const auto left = std::max(Clock::duration::zero(), *next - Clock::now());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        wait.tv_sec = ns / 1000000000;
        wait.tv_nsec = ns % 1000000000;
        timeout = &wait;
      }
      const int ready = ::ppoll(fds, count, timeout, &unblocked);
      if (ready < 0 && errno != EINTR) break;
      if (m_connectAt && Clock::now() >= *m_connectAt) Connect();
      if (ready <= 0) {
        Flush();
        continue;
      }
      if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
        const ssize_t n = ::read(m_line.Fd(), buffer, sizeof buffer);
        if (n > 0) {
          WriteAll(m_received, std::string(buffer, static_cast<std::size_t>(n)));
          Record('R', buffer, static_cast<std::size_t>(n));
          for (ssize_t i = 0; i < n; ++i) OnByte(buffer[i]);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
          // Cannot happen while we hold the line's end; never spin on it.
          ::usleep(100000);
        }
      }
      if (fds[0].revents & POLLIN) ReadControl();
      Flush();
    }
  }

 private:
  enum class Mode { Command, Dialling, Online, Message };

  std::string Path(const char* name) const { return m_options.dir + "/" + name; }

  bool Plug() {
    if (!m_line.Open()) return false;
    ::unlink(m_link.c_str());
    if (::symlink(m_line.Name().c_str(), m_link.c_str()) != 0) return false;
    m_mode = Mode::Command;
    m_command.clear();
    m_connectAt.reset();
    return true;
  }

  void Unplug() {
    ::unlink(m_link.c_str());
    m_line.Close();
    m_connectAt.reset();
    m_out.clear();
  }

  bool WriteReady() {
    const std::string tmp = Path("ready.tmp");
    const std::string text = std::to_string(m_commandsDone) + (m_line.IsOpen() ? " up " : " gone ") +
                             std::to_string(::getpid()) + "\n";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, text);
    ::close(fd);
    return written && ::rename(tmp.c_str(), Path("ready").c_str()) == 0;
  }

  void ReadControl() {
    char buffer[256];
    ssize_t n;
    while ((n = ::read(m_control, buffer, sizeof buffer)) > 0) m_controlText.append(buffer, n);
    std::size_t end;
    while ((end = m_controlText.find('\n')) != std::string::npos) {
      std::string command = m_controlText.substr(0, end);
      m_controlText.erase(0, end + 1);
      // A command word and, for the delays, a number after a blank.
      const std::size_t blank = command.find(' ');
      const int number = blank == std::string::npos ? -1 : std::atoi(command.c_str() + blank + 1);
      if (blank != std::string::npos) command.erase(blank);
      command.erase(std::remove_if(command.begin(), command.end(),
                                   [](unsigned char c) { return std::isspace(c); }),
                    command.end());
      if (command == "answer-delay" && number >= 0) {
        m_answerDelay = number;
      } else if (command == "connect-delay" && number >= 0) {
        m_connectDelay = number;
      } else if (command == "vanish") {
        Unplug();
      } else if (command == "back") {
        if (!m_line.IsOpen() && !Plug()) std::fprintf(stderr, "modemsim: no new line\n");
      } else if (command == "silent") {
        m_silent = true;
      } else if (command == "talk") {
        m_silent = false;
      } else if (command == "hold" || command == "release") {
        if (m_line.IsOpen()) Put(command == "hold" ? "\x13" : "\x11");
      } else if (command == "hangup") {
        if (m_mode == Mode::Online || m_mode == Mode::Dialling) {
          m_mode = Mode::Command;
          m_connectAt.reset();
          Send("\r\nNO CARRIER\r\n");
        }
      } else if (command == "quit") {
        m_quit = true;
      } else {
        std::fprintf(stderr, "modemsim: unknown command '%s'\n", command.c_str());
      }
      ++m_commandsDone;
      WriteReady();
    }
  }

  // An answer: leaves after the answer delay, behind whatever waits to go.
  void Send(const std::string& bytes) { Queue(bytes, std::chrono::milliseconds(m_answerDelay)); }
  // The echo of what the line sent: at once, but never ahead of an answer.
  void Echo(char c) { Queue(std::string(1, c), Clock::duration::zero()); }

  void Queue(const std::string& bytes, Clock::duration delay) {
    if (m_silent || !m_line.IsOpen()) return;
    m_out.push_back({Clock::now() + delay, bytes});
    Flush();
  }

  void Flush() {
    const auto now = Clock::now();
    while (!m_out.empty() && m_out.front().due <= now && m_line.IsOpen()) {
      Put(m_out.front().bytes);
      m_out.pop_front();
    }
  }

  // Bytes onto the line now, recorded as sent.
  void Put(const std::string& bytes) {
    WriteAll(m_line.Fd(), bytes);
    WriteAll(m_sent, bytes);
    Record('S', bytes.data(), bytes.size());
  }

  void Record(char direction, const char* bytes, std::size_t count) {
    WriteAll(m_timeline, std::to_string(MicrosecondsSince1970()) + " " + direction + " " +
                             Escaped(bytes, count) + "\n");
  }

  void OnByte(char c) {
    switch (m_mode) {
      case Mode::Command:
        if (m_echo) Echo(c);
        if (c == '\r') {
          OnCommandLine(m_command);
          m_command.clear();
        } else if (c == '\b') {
          if (!m_command.empty()) m_command.pop_back();
        } else if (c != '\n') {
          m_command += c;
        }
        break;
      case Mode::Dialling:  // what comes while dialling is not for anyone
        break;
      case Mode::Online:
        m_heard += c;
        OnOnlineText();
        break;
      case Mode::Message:
        if (c == '\x1a') {
          Send("\r\n+CMGS: " + std::to_string(++m_messageReference) + "\r\n\r\nOK\r\n");
          m_mode = Mode::Command;
        } else if (c == '\x1b') {
          Send("\r\nOK\r\n");
          m_mode = Mode::Command;
        } else {
          if (m_echo) Echo(c);
          if (c == '\r') Send("\n> ");
        }
        break;
    }
  }

  void OnCommandLine(const std::string& line) {
    std::string command = Upper(line);
    command.erase(0, command.find_first_not_of(" \t"));
    if (command.rfind("AT", 0) != 0) return;  // not for the modem
    command.erase(0, 2);
    if (command.rfind("D", 0) == 0) {
      if (m_silent) return;
      m_mode = Mode::Dialling;
      m_connectAt = Clock::now() + std::chrono::milliseconds(m_connectDelay);
    } else if (command == "E0" || command == "E1") {
      m_echo = command == "E1";
      Send("\r\nOK\r\n");
    } else if (command.rfind("+CMGF=", 0) == 0) {
      m_textMode = command == "+CMGF=1";
      Send("\r\nOK\r\n");
    } else if (command.rfind("+CMGS=", 0) == 0) {
      if (m_textMode) {
        m_mode = Mode::Message;
        Send("\r\n> ");
      } else {
        Send("\r\nERROR\r\n");
      }
    } else {
      Send("\r\nOK\r\n");
    }
  }

  void Connect() {
    m_connectAt.reset();
    if (m_mode != Mode::Dialling) return;
    if (m_options.dialAnswer.rfind("CONNECT", 0) != 0) {
      m_mode = Mode::Command;
      Send("\r\n" + m_options.dialAnswer + "\r\n");
      return;
    }
    m_mode = Mode::Online;
    m_heard.clear();
    m_step = 0;
    Send("\r\n" + m_options.dialAnswer + "\r\n" + m_options.greeting);
    OnOnlineText();
  }

  void OnOnlineText() {
    const std::string upper = Upper(m_heard);
    if (upper.find("ATH\r") != std::string::npos || upper.find("+++") != std::string::npos) {
      m_mode = Mode::Command;
      m_heard.clear();
      Send("\r\nOK\r\n");
      return;
    }
    while (m_step < m_options.steps.size()) {
      const Step& step = m_options.steps[m_step];
      const std::size_t at = m_heard.find(step.expect);
      if (at == std::string::npos) return;
      m_heard.erase(0, at + step.expect.size());
      Send(step.reply);
      ++m_step;
    }
  }

  struct Outgoing {
    Clock::time_point due;
    std::string bytes;
  };

  const Options& m_options;
  Line m_line;
  std::string m_link;
  int m_received = -1;
  int m_sent = -1;
  int m_timeline = -1;
  int m_control = -1;
  std::string m_controlText;
  int m_commandsDone = 0;
  bool m_quit = false;
  bool m_silent;
  int m_answerDelay;   // ms
  int m_connectDelay;  // ms
  std::deque<Outgoing> m_out;  // answers and echo not yet due
  bool m_echo = true;
  bool m_textMode = false;
  Mode m_mode = Mode::Command;
  std::string m_command;
  std::string m_heard;
  std::size_t m_step = 0;
  int m_messageReference = 0;
  std::optional<Clock::time_point> m_connectAt;
};

}  // namespace

int main(int argc, char** argv) {
  const auto options = ParseOptions(argc, argv);
  if (!options) return Usage("bad arguments");

  // Never outlive the test (or shell) that started us.
  const pid_t parent = ::getppid();
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != parent) return 1;

  sigset_t stopSignals, unblocked;
  sigemptyset(&stopSignals);
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopSignals, s);
  // Delivered only inside ppoll, so a stop is never missed between checks.
  ::sigprocmask(SIG_BLOCK, &stopSignals, &unblocked);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  Modem modem(*options);
  if (!modem.Start()) {
    std::fprintf(stderr, "modemsim: cannot set up COM%d in %s: %s\n", options->com,
                 options->dir.c_str(), std::strerror(errno));
    modem.Stop();
    return 1;
  }
  modem.Run(unblocked);
  modem.Stop();
  return 0;
}
