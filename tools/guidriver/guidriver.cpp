// guidriver: drives a running tellistry.exe from outside, for tests.
//   guidriver COMMAND [ARGS]
// Exit code 0 on success, 1 on failure or time-out, 2 on bad arguments.
// Text goes to stdout, one item a line.
//
// Commands (MS: a time-out in milliseconds):
//   wait-main MS        wait until the main window exists
//   wait-gone MS        wait until the main window is gone
//   title               print the main window's title
//   state               print "visible" or "hidden", then "minimized" or "normal"
//   pid                 print the process id of the main window
//   lines               print every line of the activity log
//   wait-line TEXT MS   wait until a log line contains TEXT
//   command ID          post the menu command ID to the main window
//   minimize            minimise the main window (as its caption button does)
//   tray MOUSEMSG       post a tray notification: dblclick, rdown or a number
//   answer yes|no MS    wait for the main window's message box and answer it;
//                       prints the box's text
//   tray-tips           print the tips of the icons in the system tray
//   tray-remove         remove the main window's tray icon, as a shell
//                       restart does
//   shell-restarted     broadcast "TaskbarCreated", as a restarted shell does
//   windows             print every top-level window: handle, pid, class, title
//
// Help and About box:
//   dialog-text TITLE ID MS  wait for the server's dialog titled TITLE; print
//                            the text of its control ID
//   dialog-click TITLE ID    click button ID of the server's dialog TITLE
//   help-window MS           wait for the server's help window; print its
//                            selected tab ("tab N") and the number of entries
//                            in its contents tree ("contents N")
//
// The main window is the top-level window titled "Tellistry" that holds the
// log list (child id 1000). Texts of another process's controls are read
// with the W messages, which Wine marshals across processes.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/handle.h"

namespace {

constexpr int kLogListId = 1000;
constexpr DWORD kPollMs = 100;

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

std::string WindowText(HWND hwnd) {
  wchar_t text[512] = {};
  ::GetWindowTextW(hwnd, text, 512);
  return Narrow(text);
}

HWND FindMainWindow() {
  struct Search {
    HWND found = nullptr;
  } search;
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        if (WindowText(hwnd) != "Tellistry" || !::GetDlgItem(hwnd, kLogListId)) return TRUE;
        reinterpret_cast<Search*>(param)->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <typename Condition>
bool WaitFor(DWORD timeoutMs, Condition condition) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount64() >= end) return false;
    ::Sleep(kPollMs);
  }
}

HWND MainOrFail() {
  HWND main = FindMainWindow();
  if (!main) std::fputs("guidriver: no main window\n", stderr);
  return main;
}

// A hung server must make the driver fail, not wait with it: every message to
// another process's window gives up after a few seconds (result 0).
LRESULT Ask(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
    return 0;
  return static_cast<LRESULT>(result);
}

std::vector<std::string> LogLines(HWND main) {
  std::vector<std::string> lines;
  HWND list = ::GetDlgItem(main, kLogListId);
  LRESULT count = Ask(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = Ask(list, LB_GETTEXTLEN, i, 0);
    if (length < 0) continue;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    length = Ask(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    lines.push_back(Narrow(text));
  }
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
std::vector<std::string> TrayTips() {
  std::vector<std::string> tips;
  HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
  if (!tray) return tips;
  DWORD trayPid = 0;
  ::GetWindowThreadProcessId(tray, &trayPid);
  win::KernelHandle owner(::OpenProcess(
      PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, trayPid));
  if (!owner) return tips;
  const HANDLE process = owner.Get();
  constexpr SIZE_T kTextChars = 256;
  auto* remote = static_cast<char*>(::VirtualAllocEx(process, nullptr, sizeof(TTTOOLINFOW) + kTextChars * 2,
                                                     MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return tips;
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
  for (HWND tooltip : context.tooltips) {
    LRESULT count = Ask(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof info);
      wchar_t zero[kTextChars] = {};
      ::WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
      ::WriteProcessMemory(process, remote + sizeof info, zero, sizeof zero, nullptr);
      if (!Ask(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote))) continue;
      Ask(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote));
      wchar_t text[kTextChars] = {};
      ::ReadProcessMemory(process, remote + sizeof info, text, sizeof text - 2, nullptr);
      if (text[0]) tips.push_back(Narrow(text));
    }
  }
  ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return tips;
}

DWORD Milliseconds(const char* text) { return static_cast<DWORD>(std::strtoul(text, nullptr, 10)); }

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

// Runs the Help and About box commands; -1 when `command` is none of them.
int HelpCommand(const std::string& command, int extra, char** argv) {
  if (command == "dialog-text" && extra == 3) {
    HWND main = MainOrFail();
    if (!main) return 1;
    HWND dialog = nullptr;
    if (!WaitFor(Milliseconds(argv[4]),
                 [&] { return (dialog = FindServerWindow(main, "#32770", argv[2])) != nullptr; }))
      return 1;
    HWND item = ::GetDlgItem(dialog, std::atoi(argv[3]));
    if (!item) return 1;
    std::printf("%s\n", WindowText(item).c_str());
    return 0;
  }
  if (command == "dialog-click" && extra == 2) {
    HWND main = MainOrFail();
    HWND dialog = main ? FindServerWindow(main, "#32770", argv[2]) : nullptr;
    if (!dialog) return 1;
    const int id = std::atoi(argv[3]);
    return ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)))
               ? 0
               : 1;
  }
  if (command == "help-window" && extra == 1) {
    HWND main = MainOrFail();
    if (!main) return 1;
    HWND help = nullptr;
    if (!WaitFor(Milliseconds(argv[2]),
                 [&] { return (help = FindServerWindow(main, "HH Parent", nullptr)) != nullptr; }))
      return 1;
    HWND tabs = FindDescendant(help, WC_TABCONTROLA);
    HWND tree = FindDescendant(help, WC_TREEVIEWA);
    std::printf("tab %d\ncontents %d\n", tabs ? static_cast<int>(Ask(tabs, TCM_GETCURSEL, 0, 0)) : -1,
                tree ? static_cast<int>(Ask(tree, TVM_GETCOUNT, 0, 0)) : -1);
    return 0;
  }
  return -1;
}

int Usage() {
  std::fputs("usage: guidriver COMMAND [ARGS] (see the source header for the commands)\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const int extra = argc - 2;

  if (command == "wait-main" && extra == 1)
    return WaitFor(Milliseconds(argv[2]), [] { return FindMainWindow() != nullptr; }) ? 0 : 1;
  if (command == "wait-gone" && extra == 1)
    return WaitFor(Milliseconds(argv[2]), [] { return FindMainWindow() == nullptr; }) ? 0 : 1;
  if (command == "windows" && extra == 0) {
    ::EnumWindows(
        [](HWND hwnd, LPARAM) -> BOOL {
          DWORD pid = 0;
          ::GetWindowThreadProcessId(hwnd, &pid);
          char cls[128] = {};
          ::GetClassNameA(hwnd, cls, sizeof cls);
          std::printf("%p %lu %s \"%s\"%s\n", static_cast<void*>(hwnd), static_cast<unsigned long>(pid),
                      cls, WindowText(hwnd).c_str(), ::IsWindowVisible(hwnd) ? " visible" : "");
          return TRUE;
        },
        0);
    return 0;
  }
  if (const int result = HelpCommand(command, extra, argv); result >= 0) return result;
  if (command == "tray-tips" && extra == 0) {
    for (const std::string& tip : TrayTips()) std::printf("%s\n", tip.c_str());
    return 0;
  }

  HWND main = nullptr;
  if (command == "title" && extra == 0) {
    if (!(main = MainOrFail())) return 1;
    std::printf("%s\n", WindowText(main).c_str());
    return 0;
  }
  if (command == "state" && extra == 0) {
    if (!(main = MainOrFail())) return 1;
    std::printf("%s\n%s\n", ::IsWindowVisible(main) ? "visible" : "hidden",
                ::IsIconic(main) ? "minimized" : "normal");
    return 0;
  }
  if (command == "pid" && extra == 0) {
    if (!(main = MainOrFail())) return 1;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    std::printf("%lu\n", static_cast<unsigned long>(pid));
    return 0;
  }
  if (command == "lines" && extra == 0) {
    if (!(main = MainOrFail())) return 1;
    for (const std::string& line : LogLines(main)) std::printf("%s\n", line.c_str());
    return 0;
  }
  if (command == "wait-line" && extra == 2) {
    const std::string wanted = argv[2];
    return WaitFor(Milliseconds(argv[3]),
                   [&] {
                     HWND m = FindMainWindow();
                     if (!m) return false;
                     for (const std::string& line : LogLines(m))
                       if (line.find(wanted) != std::string::npos) return true;
                     return false;
                   })
               ? 0
               : 1;
  }
  if (command == "command" && extra == 1) {
    if (!(main = MainOrFail())) return 1;
    return ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0) ? 0 : 1;
  }
  if (command == "minimize" && extra == 0) {
    if (!(main = MainOrFail())) return 1;
    return ::PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
  }
  if (command == "tray" && extra == 1) {
    if (!(main = MainOrFail())) return 1;
    const std::string what = argv[2];
    LPARAM mouse = what == "dblclick" ? WM_LBUTTONDBLCLK
                   : what == "rdown"  ? WM_RBUTTONDOWN
                                      : std::atoi(argv[2]);
    const UINT trayNotify = ::RegisterWindowMessageA("TELLISTRYTRAYNOTIFY");
    return ::PostMessageA(main, trayNotify, 0, mouse) ? 0 : 1;
  }
  if (command == "tray-remove" && extra == 0) {
    if (!(main = MainOrFail())) return 1;
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = main;
    icon.uID = 0;
    return ::Shell_NotifyIconA(NIM_DELETE, &icon) ? 0 : 1;
  }
  if (command == "shell-restarted" && extra == 0)
    return ::PostMessageA(HWND_BROADCAST, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0) ? 0 : 1;
  if (command == "answer" && extra == 2) {
    const std::string answer = argv[2];
    if (answer != "yes" && answer != "no") return Usage();
    if (!(main = MainOrFail())) return 1;
    HWND box = nullptr;
    if (!WaitFor(Milliseconds(argv[3]), [&] { return (box = FindMessageBox(main)) != nullptr; }))
      return 1;
    // The static with the message text is control 0xFFFF in a message box.
    std::printf("%s\n", WindowText(::GetDlgItem(box, 0xFFFF)).c_str());
    const int button = answer == "yes" ? IDYES : IDNO;
    return ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(box, button)))
               ? 0
               : 1;
  }
  return Usage();
}
