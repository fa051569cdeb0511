// guidriver: drives a running tellistry.exe from outside, for tests.
//   guidriver COMMAND [ARGS]      (without arguments: the list of commands)
// Exit code 0 on success, 1 on failure or time-out, 2 on bad arguments.
// Text goes to stdout, one item a line; on failure, what was seen goes to
// stderr.
//
// The main window is the top-level window titled "Tellistry" that holds the
// log list (child id 1000). Texts of another process's controls are read
// with the W messages, which Wine marshals across processes.
//
// On a busy machine the server may be slow to answer: a query that times out
// is asked again, and a command that needs the main window waits for it, for
// up to kPatienceMs before the command fails.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/handle.h"

namespace {

constexpr int kLogListId = 1000;
constexpr DWORD kPollMs = 100;
constexpr DWORD kQueryMs = 5000;
constexpr DWORD kPatienceMs = 30000;

using Lines = std::vector<std::string>;

std::string Narrow(const wchar_t* text, size_t length) {
  if (length == 0) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(), size, nullptr,
                        nullptr);
  return out;
}

std::string WindowText(HWND hwnd) {
  wchar_t text[512] = {};
  const int length = ::GetWindowTextW(hwnd, text, 512);
  return Narrow(text, static_cast<size_t>(std::max(length, 0)));
}

void PrintLines(FILE* to, const Lines& lines) {
  for (const std::string& line : lines) std::fprintf(to, "%s\n", line.c_str());
}

Lines TopLevelWindows() {
  Lines windows;
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        char cls[128] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        char line[1024];
        std::snprintf(line, sizeof line, "%p %lu %s \"%s\"%s", static_cast<void*>(hwnd),
                      static_cast<unsigned long>(pid), cls, WindowText(hwnd).c_str(),
                      ::IsWindowVisible(hwnd) ? " visible" : "");
        reinterpret_cast<Lines*>(param)->push_back(line);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// Polls `condition` until it holds or `timeoutMs` has passed.
template <typename Condition>
bool WaitFor(DWORD timeoutMs, Condition condition) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount64() >= end) return false;
    ::Sleep(kPollMs);
  }
}

// Retries a read that could not be completed until it succeeds or patience
// runs out.
template <typename T, typename Read>
std::optional<T> Retry(Read read) {
  std::optional<T> result;
  WaitFor(kPatienceMs, [&] { return (result = read()).has_value(); });
  return result;
}

HWND FindMainWindow() {
  HWND found = nullptr;
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        if (WindowText(hwnd) != "Tellistry" || !::GetDlgItem(hwnd, kLogListId)) return TRUE;
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The main window, waited for; null (and what there is instead on stderr)
// when it does not come.
HWND MainWindow() {
  HWND main = nullptr;
  if (WaitFor(kPatienceMs, [&] { return (main = FindMainWindow()) != nullptr; })) return main;
  std::fputs("guidriver: no main window; the top-level windows:\n", stderr);
  PrintLines(stderr, TopLevelWindows());
  return nullptr;
}

// A hung or busy server must not hold the driver: each message to another
// process's window gives up after kQueryMs (no result).
std::optional<LRESULT> Ask(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, kQueryMs, &result))
    return std::nullopt;
  return static_cast<LRESULT>(result);
}

// One reading of the log list, or nothing when it changed under the read
// (lines added or dropped, a line other than its length said) or a query
// timed out. Wine copies the line the list holds at the time of LB_GETTEXT,
// which may be longer than the LB_GETTEXTLEN before it: the buffer keeps at
// least half its size spare, far more than any log line.
std::optional<Lines> ReadLogOnce(HWND main) {
  HWND list = ::GetDlgItem(main, kLogListId);
  const std::optional<LRESULT> count = Ask(list, LB_GETCOUNT, 0, 0);
  if (!count || *count < 0) return std::nullopt;
  std::vector<wchar_t> buffer(65536);
  Lines lines;
  for (LRESULT i = 0; i < *count; ++i) {
    const std::optional<LRESULT> length = Ask(list, LB_GETTEXTLEN, i, 0);
    if (!length || *length < 0) return std::nullopt;
    const size_t needed = static_cast<size_t>(*length) + 1;
    if (needed > buffer.size() / 2) buffer.assign(needed * 2, L'\0');
    const std::optional<LRESULT> read =
        Ask(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
    if (!read || *read != *length) return std::nullopt;
    lines.push_back(Narrow(buffer.data(), static_cast<size_t>(*read)));
  }
  const std::optional<LRESULT> after = Ask(list, LB_GETCOUNT, 0, 0);
  if (!after || *after != *count) return std::nullopt;
  return lines;
}

// The message box the main window's process shows (owned by the main window).
HWND FindMessageBox(HWND main) {
  struct Search {
    HWND owner;
    HWND found = nullptr;
  } search{main};
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (std::strcmp(cls, "#32770") != 0 || ::GetWindow(hwnd, GW_OWNER) != s->owner) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Tips of the tray icons: the tooltips of the process that shows the tray.
// Nothing when a query timed out; an empty list when there is no tray.
std::optional<Lines> ReadTrayTipsOnce() {
  Lines tips;
  HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
  if (!tray) return tips;
  DWORD trayPid = 0;
  ::GetWindowThreadProcessId(tray, &trayPid);
  win::KernelHandle owner(
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, trayPid));
  if (!owner) return tips;
  const HANDLE process = owner.Get();
  constexpr SIZE_T kTextChars = 256;
  auto* remote = static_cast<char*>(::VirtualAllocEx(
      process, nullptr, sizeof(TTTOOLINFOW) + kTextChars * 2, MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return std::nullopt;
  struct Context {
    DWORD pid;
    std::vector<HWND> tooltips;
  } context{trayPid, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* c = reinterpret_cast<Context*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (pid == c->pid && std::strcmp(cls, TOOLTIPS_CLASSA) == 0) c->tooltips.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
  // The tips of one tooltip window; false when a query timed out.
  auto readTips = [&](HWND tooltip) {
    const std::optional<LRESULT> count = Ask(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    if (!count) return false;
    for (LRESULT i = 0; i < *count; ++i) {
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof info);
      wchar_t text[kTextChars] = {};
      ::WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
      ::WriteProcessMemory(process, remote + sizeof info, text, sizeof text, nullptr);
      const std::optional<LRESULT> found =
          Ask(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote));
      if (!found) return false;
      if (!*found) continue;
      if (!Ask(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote))) return false;
      ::ReadProcessMemory(process, remote + sizeof info, text, sizeof text - 2, nullptr);
      if (text[0]) tips.push_back(Narrow(text, std::wcslen(text)));
    }
    return true;
  };
  const bool complete = std::all_of(context.tooltips.begin(), context.tooltips.end(), readTips);
  ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  if (!complete) return std::nullopt;
  return tips;
}

// --- Help and About box --------------------------------------------------

// A top-level window of the main window's process with the given class and,
// when `title` is not null, that title.
HWND FindServerWindow(HWND main, const char* className, const char* title) {
  struct Search {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found = nullptr;
  } search{0, className, title};
  ::GetWindowThreadProcessId(main, &search.pid);
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (pid != s->pid || std::strcmp(cls, s->className) != 0) return TRUE;
        if (s->title && WindowText(hwnd) != s->title) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The first descendant of `parent` of the given class.
HWND FindDescendant(HWND parent, const char* className) {
  struct Search {
    const char* className;
    HWND found = nullptr;
  } search{className};
  ::EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (std::strcmp(cls, s->className) != 0) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD Milliseconds(const char* text) { return static_cast<DWORD>(std::strtoul(text, nullptr, 10)); }

int Posted(BOOL posted) { return posted ? 0 : 1; }

// --- Commands ---------------------------------------------------------------
// Each takes its arguments (already counted) and returns the exit code.

int WaitMain(char** args) {
  return WaitFor(Milliseconds(args[0]), [] { return FindMainWindow() != nullptr; }) ? 0 : 1;
}

int WaitGone(char** args) {
  if (WaitFor(Milliseconds(args[0]), [] { return FindMainWindow() == nullptr; })) return 0;
  std::fputs("guidriver: the main window is still there\n", stderr);
  return 1;
}

int Title(char**) {
  HWND main = MainWindow();
  if (!main) return 1;
  std::printf("%s\n", WindowText(main).c_str());
  return 0;
}

int State(char**) {
  HWND main = MainWindow();
  if (!main) return 1;
  std::printf("%s\n%s\n", ::IsWindowVisible(main) ? "visible" : "hidden",
              ::IsIconic(main) ? "minimized" : "normal");
  return 0;
}

int Pid(char**) {
  HWND main = MainWindow();
  if (!main) return 1;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(main, &pid);
  std::printf("%lu\n", static_cast<unsigned long>(pid));
  return 0;
}

int PrintLog(char**) {
  HWND main = MainWindow();
  if (!main) return 1;
  const std::optional<Lines> lines = Retry<Lines>([main] { return ReadLogOnce(main); });
  if (!lines) {
    std::fputs("guidriver: the log list did not answer\n", stderr);
    return 1;
  }
  PrintLines(stdout, *lines);
  return 0;
}

int WaitLine(char** args) {
  const std::string wanted = args[0];
  Lines seen;
  const bool found = WaitFor(Milliseconds(args[1]), [&] {
    HWND main = FindMainWindow();
    if (!main) return false;
    std::optional<Lines> lines = ReadLogOnce(main);
    if (!lines) return false;
    seen = std::move(*lines);
    for (const std::string& line : seen)
      if (line.find(wanted) != std::string::npos) return true;
    return false;
  });
  if (found) return 0;
  std::fprintf(stderr, "guidriver: no log line with \"%s\"; the log last read:\n", wanted.c_str());
  PrintLines(stderr, seen);
  return 1;
}

int Command(char** args) {
  HWND main = MainWindow();
  return main ? Posted(::PostMessageA(main, WM_COMMAND, MAKEWPARAM(std::atoi(args[0]), 0), 0))
              : 1;
}

int Minimize(char**) {
  HWND main = MainWindow();
  return main ? Posted(::PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0)) : 1;
}

// As a restarted shell does: the notification area forgets every icon.
int TrayRemove(char**) {
  HWND main = MainWindow();
  if (!main) return 1;
  NOTIFYICONDATAA icon{};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = main;
  icon.uID = 0;
  return ::Shell_NotifyIconA(NIM_DELETE, &icon) ? 0 : 1;
}

int ShellRestarted(char**) {
  return Posted(::PostMessageA(HWND_BROADCAST, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0));
}

int Tray(char** args) {
  HWND main = MainWindow();
  if (!main) return 1;
  const std::string what = args[0];
  const LPARAM mouse = what == "dblclick" ? WM_LBUTTONDBLCLK
                       : what == "rdown"  ? WM_RBUTTONDOWN
                                          : std::atoi(args[0]);
  const UINT trayNotify = ::RegisterWindowMessageA("TELLISTRYTRAYNOTIFY");
  return Posted(::PostMessageA(main, trayNotify, 0, mouse));
}

int Answer(char** args) {
  const std::string answer = args[0];
  if (answer != "yes" && answer != "no") return 2;
  HWND main = MainWindow();
  if (!main) return 1;
  HWND box = nullptr;
  if (!WaitFor(Milliseconds(args[1]), [&] { return (box = FindMessageBox(main)) != nullptr; })) {
    std::fputs("guidriver: no message box; the top-level windows:\n", stderr);
    PrintLines(stderr, TopLevelWindows());
    return 1;
  }
  // The static with the message text is control 0xFFFF in a message box.
  std::printf("%s\n", WindowText(::GetDlgItem(box, 0xFFFF)).c_str());
  const int button = answer == "yes" ? IDYES : IDNO;
  if (!::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                      reinterpret_cast<LPARAM>(::GetDlgItem(box, button))))
    return 1;
  // Done when the box has taken the answer: a next command must not find
  // this box again.
  if (WaitFor(kPatienceMs, [box] { return !::IsWindow(box); })) return 0;
  std::fputs("guidriver: the message box did not close\n", stderr);
  return 1;
}

int TrayTips(char**) {
  const std::optional<Lines> tips = Retry<Lines>(ReadTrayTipsOnce);
  if (!tips) {
    std::fputs("guidriver: the tray's tooltips did not answer\n", stderr);
    return 1;
  }
  PrintLines(stdout, *tips);
  return 0;
}

int Windows(char**) {
  PrintLines(stdout, TopLevelWindows());
  return 0;
}

int DialogText(char** args) {
  HWND main = MainWindow();
  if (!main) return 1;
  HWND dialog = nullptr;
  if (!WaitFor(Milliseconds(args[2]),
               [&] { return (dialog = FindServerWindow(main, "#32770", args[0])) != nullptr; }))
    return 1;
  HWND item = ::GetDlgItem(dialog, std::atoi(args[1]));
  if (!item) return 1;
  std::printf("%s\n", WindowText(item).c_str());
  return 0;
}

int DialogClick(char** args) {
  HWND main = MainWindow();
  HWND dialog = main ? FindServerWindow(main, "#32770", args[0]) : nullptr;
  if (!dialog) return 1;
  const int id = std::atoi(args[1]);
  return Posted(::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id))));
}

int HelpWindow(char** args) {
  HWND main = MainWindow();
  if (!main) return 1;
  HWND help = nullptr;
  if (!WaitFor(Milliseconds(args[0]),
               [&] { return (help = FindServerWindow(main, "HH Parent", nullptr)) != nullptr; }))
    return 1;
  HWND tabs = FindDescendant(help, WC_TABCONTROLA);
  HWND tree = FindDescendant(help, WC_TREEVIEWA);
  // -1: no such control, or it did not answer.
  const auto query = [](HWND control, UINT msg) {
    return control ? static_cast<int>(Ask(control, msg, 0, 0).value_or(-1)) : -1;
  };
  std::printf("tab %d\ncontents %d\n", query(tabs, TCM_GETCURSEL), query(tree, TVM_GETCOUNT));
  return 0;
}

struct CommandEntry {
  const char* name;
  int argumentCount;
  const char* usage;
  int (*run)(char** args);
};

// MS: a time-out in milliseconds.
constexpr CommandEntry kCommands[] = {
    {"wait-main", 1, "wait-main MS        wait until the main window exists", WaitMain},
    {"wait-gone", 1, "wait-gone MS        wait until the main window is gone", WaitGone},
    {"title", 0, "title               print the main window's title", Title},
    {"state", 0, "state               print \"visible\" or \"hidden\", then \"minimized\" or \"normal\"",
     State},
    {"pid", 0, "pid                 print the process id of the main window", Pid},
    {"lines", 0, "lines               print every line of the activity log", PrintLog},
    {"wait-line", 2, "wait-line TEXT MS   wait until a log line contains TEXT", WaitLine},
    {"command", 1, "command ID          post the menu command ID to the main window", Command},
    {"minimize", 0, "minimize            minimise the main window (as its caption button does)",
     Minimize},
    {"tray", 1, "tray MOUSEMSG       post a tray notification: dblclick, rdown or a number", Tray},
    {"answer", 2,
     "answer yes|no MS    wait for the main window's message box, print its text, answer it\n"
     "                      and wait until it has closed",
     Answer},
    {"tray-tips", 0, "tray-tips           print the tips of the icons in the system tray", TrayTips},
    {"tray-remove", 0, "tray-remove         remove the main window's tray icon, as a shell restart does",
     TrayRemove},
    {"shell-restarted", 0, "shell-restarted     broadcast \"TaskbarCreated\", as a restarted shell does",
     ShellRestarted},
    {"windows", 0, "windows             print every top-level window: handle, pid, class, title",
     Windows},
    // Help and About box
    {"dialog-text", 3,
     "dialog-text TITLE ID MS  wait for the server's dialog titled TITLE; print the text\n"
     "                      of its control ID",
     DialogText},
    {"dialog-click", 2, "dialog-click TITLE ID    click button ID of the server's dialog TITLE",
     DialogClick},
    {"help-window", 1,
     "help-window MS      wait for the server's help window; print its selected tab\n"
     "                      (\"tab N\") and the number of entries in its contents tree\n"
     "                      (\"contents N\")",
     HelpWindow},
};

int Usage() {
  std::fputs("usage: guidriver COMMAND [ARGS]\n", stderr);
  for (const CommandEntry& entry : kCommands) std::fprintf(stderr, "  %s\n", entry.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  for (const CommandEntry& entry : kCommands) {
    if (std::strcmp(argv[1], entry.name) != 0) continue;
    if (argc - 2 != entry.argumentCount) return Usage();
    const int result = entry.run(argv + 2);
    return result == 2 ? Usage() : result;
  }
  return Usage();
}
