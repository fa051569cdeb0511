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

#include "common/escapes.h"
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

// --- Help ------------------------------------------------------------------

// A top-level window of the main window's process with the given class.
HWND FindServerWindow(HWND main, const char* className) {
  struct Search {
    DWORD pid;
    const char* className;
    HWND found = nullptr;
  } search{0, className};
  ::GetWindowThreadProcessId(main, &search.pid);
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (pid != s->pid || std::strcmp(cls, s->className) != 0) return TRUE;
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

// A popup menu of the server's (the tray menu or one of the window's) on
// screen.
bool MenuShown() {
  HWND main = FindMainWindow();
  if (!main) return false;
  HWND menu = FindServerWindow(main, "#32768");
  return menu && ::IsWindowVisible(menu);
}

int Menu(char** args) { return WaitFor(Milliseconds(args[0]), MenuShown) ? 0 : 1; }

int MenuGone(char** args) {
  return WaitFor(Milliseconds(args[0]), [] { return !MenuShown(); }) ? 0 : 1;
}

// As Windows does at log-off: the question, then the end for certain.
int EndSession(char**) {
  HWND main = MainWindow();
  if (!main) return 1;
  DWORD_PTR agreed = FALSE;
  if (!::SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                             kPatienceMs, &agreed))
    return 1;
  std::printf("%s\n", agreed ? "agreed" : "refused");
  if (!agreed) return 1;
  // The window may be gone by now, or go while it handles this.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kPatienceMs,
                        &ignored);
  return 0;
}

int Windows(char**) {
  PrintLines(stdout, TopLevelWindows());
  return 0;
}

int HelpWindow(char** args) {
  HWND main = MainWindow();
  if (!main) return 1;
  HWND help = nullptr;
  if (!WaitFor(Milliseconds(args[0]),
               [&] { return (help = FindServerWindow(main, "HH Parent")) != nullptr; }))
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

// ---- Dialog commands ------------------------------------------------------

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

bool IsDialogClass(HWND hwnd) {
  char cls[64] = {};
  ::GetClassNameA(hwnd, cls, sizeof cls);
  return std::strcmp(cls, "#32770") == 0;
}

// A shown dialog of the server's process with this caption.
HWND FindDialog(const std::string& caption) {
  struct Search {
    const std::string& caption;
    DWORD pid = 0;
    HWND found = nullptr;
  } search{caption};
  if (HWND main = FindMainWindow()) ::GetWindowThreadProcessId(main, &search.pid);
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        if ((s->pid && pid != s->pid) || !::IsWindowVisible(hwnd) || !IsDialogClass(hwnd) ||
            WindowText(hwnd) != s->caption)
          return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND DialogOrFail(const std::string& caption) {
  HWND dialog = FindDialog(caption);
  if (!dialog) std::fprintf(stderr, "guidriver: no dialog \"%s\"\n", caption.c_str());
  return dialog;
}

HWND ControlOrFail(HWND dialog, const char* id) {
  HWND control = ::GetDlgItem(dialog, std::atoi(id));
  if (!control) std::fprintf(stderr, "guidriver: no control %s\n", id);
  return control;
}

// A query of another process's control, asked again while it times out; 0
// when it never answers.
LRESULT Query(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Retry<LRESULT>([&] { return Ask(window, msg, wParam, lParam); }).value_or(0);
}

std::string ControlText(HWND control) {
  const LRESULT length = Query(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = Query(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return Narrow(text.data(), text.size());
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT count = Query(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Query(combo, CB_GETLBTEXTLEN, i, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT copied = Query(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    items.push_back(Narrow(text.data(), text.size()));
  }
  return items;
}

// List-view messages carry pointers, which are not carried across
// processes: their structures live in a buffer inside the server's process.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, SIZE_T size) : m_size(size) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    m_process = win::KernelHandle(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (m_process)
      m_remote = static_cast<char*>(
          ::VirtualAllocEx(m_process.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (m_remote) ::VirtualFreeEx(m_process.Get(), m_remote, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  explicit operator bool() const { return m_remote != nullptr; }
  char* At(SIZE_T offset) const { return m_remote + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    return offset + size <= m_size &&
           ::WriteProcessMemory(m_process.Get(), m_remote + offset, data, size, nullptr);
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    return offset + size <= m_size &&
           ::ReadProcessMemory(m_process.Get(), m_remote + offset, data, size, nullptr);
  }

 private:
  win::KernelHandle m_process;
  char* m_remote = nullptr;
  SIZE_T m_size;
};

constexpr SIZE_T kCellChars = 512;

struct ListRow {
  std::vector<std::string> cells;
  bool selected = false;
};

std::vector<ListRow> ListRows(HWND list) {
  std::vector<ListRow> rows;
  RemoteBuffer buffer(list, sizeof(LVITEMW) + kCellChars * sizeof(wchar_t));
  if (!buffer) return rows;
  const LRESULT columns = Query(reinterpret_cast<HWND>(Query(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0);
  const LRESULT count = Query(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    ListRow row;
    row.selected = (Query(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    for (LRESULT column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = static_cast<int>(column);
      item.pszText = reinterpret_cast<wchar_t*>(buffer.At(sizeof item));
      item.cchTextMax = kCellChars;
      buffer.Write(0, &item, sizeof item);
      const LRESULT length = Query(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(buffer.At(0)));
      std::wstring text(kCellChars, L'\0');
      buffer.Read(sizeof item, text.data(), kCellChars * sizeof(wchar_t));
      text.resize(length > 0 ? static_cast<size_t>(length) : 0);
      row.cells.push_back(Narrow(text.data(), text.size()));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

bool SelectRow(HWND list, int row) {
  RemoteBuffer buffer(list, sizeof(LVITEMW));
  if (!buffer) return false;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  buffer.Write(0, &item, sizeof item);
  Query(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buffer.At(0)));
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  buffer.Write(0, &item, sizeof item);
  return Query(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(buffer.At(0))) != 0;
}

// As the mouse does it: the list view tells its dialog itself.
bool DoubleClickRow(HWND list, int row) {
  if (!SelectRow(list, row)) return false;
  RemoteBuffer buffer(list, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_LABEL;
  if (!buffer || !buffer.Write(0, &rect, sizeof rect) ||
      !Query(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(buffer.At(0))) ||
      !buffer.Read(0, &rect, sizeof rect))
    return false;
  const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  return ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point) &&
         ::PostMessageW(list, WM_LBUTTONUP, 0, point);
}

// A Yes/No message box shown by the server (owned by any of its windows).
HWND FindQuestion() {
  struct Search {
    DWORD pid = 0;
    HWND found = nullptr;
  } search;
  if (HWND main = FindMainWindow()) ::GetWindowThreadProcessId(main, &search.pid);
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        if ((s->pid && pid != s->pid) || !IsDialogClass(hwnd) || !::GetDlgItem(hwnd, IDYES) ||
            !::GetDlgItem(hwnd, 0xFFFF))
          return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::GdiObject<HBITMAP> bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  HGDIOBJ old = ::SelectObject(dc, bitmap.Get());
  ::BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::GdiFlush();
  const DWORD stride = ((width * 3 + 3) / 4) * 4, size = stride * height;
  const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
  bool saved = false;
  win::FileHandle out(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (out) {
    DWORD written = 0;
    saved = ::WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
            ::WriteFile(out.Get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
            ::WriteFile(out.Get(), bits, size, &written, nullptr);
  }
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return saved;
}


int Question(char** args) {
  const std::string answer = args[0];
  if (answer != "yes" && answer != "no") return 2;
  HWND box = nullptr;
  if (!WaitFor(Milliseconds(args[1]), [&] { return (box = FindQuestion()) != nullptr; })) return 1;
  std::printf("%s\n%s\n", WindowText(box).c_str(), WindowText(::GetDlgItem(box, 0xFFFF)).c_str());
  const int button = answer == "yes" ? IDYES : IDNO;
  return Posted(::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(box, button))));
}

int DialogShown(char** args) {
  return WaitFor(Milliseconds(args[1]), [&] { return FindDialog(args[0]) != nullptr; }) ? 0 : 1;
}

int DialogGone(char** args) {
  return WaitFor(Milliseconds(args[1]), [&] { return FindDialog(args[0]) == nullptr; }) ? 0 : 1;
}

int Focus(char** args) {
  HWND dialog = DialogOrFail(args[0]);
  if (!dialog) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info)) return 1;
  const LRESULT selection = Query(info.hwndFocus, EM_GETSEL, 0, 0);
  std::printf("%d %d %d\n", ::GetDlgCtrlID(info.hwndFocus), LOWORD(selection), HIWORD(selection));
  return 0;
}

int Snap(char** args) {
  HWND dialog = DialogOrFail(args[0]);
  return dialog && SaveWindowPicture(dialog, args[1]) ? 0 : 1;
}

// The main window shown at the top left, WIDTH by HEIGHT, in front and
// repainted, then saved as Snap does.
int SnapMain(char** args) {
  HWND main = MainWindow();
  if (!main) return 1;
  ::ShowWindow(main, SW_SHOWNORMAL);
  if (!::SetWindowPos(main, HWND_TOP, 0, 0, std::atoi(args[0]), std::atoi(args[1]), SWP_SHOWWINDOW))
    return 1;
  ::SetForegroundWindow(main);
  ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN |
                                             RDW_UPDATENOW);
  Query(main, WM_NULL, 0, 0);  // the repaint has been handled
  return SaveWindowPicture(main, args[2]) ? 0 : 1;
}

// Runs `body` on control args[1] of dialog args[0].
template <typename Body>
int OnControl(char** args, Body body) {
  HWND dialog = DialogOrFail(args[0]);
  HWND control = dialog ? ControlOrFail(dialog, args[1]) : nullptr;
  return control ? body(dialog, control) : 1;
}

int SetText(char** args) {
  return OnControl(args, [&](HWND, HWND control) {
    const auto text = text::DecodeEscapes(args[2]);
    if (!text) return 2;
    const std::wstring wide = Widen(*text);
    return Query(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())) ? 0 : 1;
  });
}

int GetText(char** args) {
  return OnControl(args, [](HWND, HWND control) {
    std::printf("%s\n", ControlText(control).c_str());
    return 0;
  });
}

int Modal(char** args) {
  HWND dialog = DialogOrFail(args[0]);
  if (!dialog) return 1;
  HWND main = FindMainWindow();
  std::printf("%d\n", main && ::GetWindow(dialog, GW_OWNER) == main && !::IsWindowEnabled(main));
  return 0;
}

int Enabled(char** args) {
  return OnControl(args, [](HWND, HWND control) {
    std::printf("%d\n", ::IsWindowEnabled(control) ? 1 : 0);
    return 0;
  });
}

int Click(char** args) {
  return OnControl(args, [](HWND dialog, HWND control) {
    return Posted(::PostMessageA(dialog, WM_COMMAND,
                                 MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                                 reinterpret_cast<LPARAM>(control)));
  });
}

int Combo(char** args) {
  return OnControl(args, [](HWND, HWND control) {
    const LRESULT selected = Query(control, CB_GETCURSEL, 0, 0);
    const auto items = ComboItems(control);
    for (size_t i = 0; i < items.size(); ++i)
      std::printf("%s%s\n", static_cast<LRESULT>(i) == selected ? "*" : "", items[i].c_str());
    return 0;
  });
}

int Pick(char** args) {
  return OnControl(args, [&](HWND dialog, HWND control) {
    const auto items = ComboItems(control);
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i] != args[2]) continue;
      Query(control, CB_SETCURSEL, i, 0);
      return Posted(::PostMessageA(dialog, WM_COMMAND,
                                   MAKEWPARAM(::GetDlgCtrlID(control), CBN_SELCHANGE),
                                   reinterpret_cast<LPARAM>(control)));
    }
    std::fprintf(stderr, "guidriver: no item \"%s\"\n", args[2]);
    return 1;
  });
}

int Rows(char** args) {
  return OnControl(args, [](HWND, HWND control) {
    for (const ListRow& row : ListRows(control)) {
      std::string line = row.selected ? "*" : "";
      for (size_t i = 0; i < row.cells.size(); ++i) line += (i ? "\t" : "") + row.cells[i];
      std::printf("%s\n", line.c_str());
    }
    return 0;
  });
}

int Select(char** args) {
  return OnControl(args, [&](HWND, HWND control) {
    return SelectRow(control, std::atoi(args[2])) ? 0 : 1;
  });
}

int DoubleClick(char** args) {
  return OnControl(args, [&](HWND, HWND control) {
    return DoubleClickRow(control, std::atoi(args[2])) ? 0 : 1;
  });
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
    {"menu", 1, "menu MS             wait until a popup menu of the server shows", Menu},
    {"menu-gone", 1, "menu-gone MS        wait until no popup menu of the server shows", MenuGone},
    {"endsession", 0,
     "endsession          send WM_QUERYENDSESSION, then WM_ENDSESSION, to the main window, as a\n"
     "                      log-off does; print \"agreed\" or \"refused\"",
     EndSession},
    // Help
    {"help-window", 1,
     "help-window MS      wait for the server's help window; print its selected tab\n"
     "                      (\"tab N\") and the number of entries in its contents tree\n"
     "                      (\"contents N\")",
     HelpWindow},
    // Dialogs (TITLE: a dialog's caption; ID: a control id; ROW: from 0)
    {"dialog", 2, "dialog TITLE MS     wait until the server shows dialog TITLE", DialogShown},
    {"dialog-gone", 2, "dialog-gone TITLE MS wait until dialog TITLE is gone", DialogGone},
    {"question", 2,
     "question yes|no MS  wait for a Yes/No box of the server; print its caption and text,\n"
     "                      answer it",
     Question},
    {"set", 3, "set TITLE ID TEXT   set a control's text (escapes as in SEND)", SetText},
    {"get", 2, "get TITLE ID        print a control's text", GetText},
    {"enabled", 2, "enabled TITLE ID    print 1 when the control is enabled, else 0", Enabled},
    {"modal", 1, "modal TITLE         print 1 when dialog TITLE is modal to the main window, else 0",
     Modal},
    {"focus", 1, "focus TITLE         print the focused control's id and its selection", Focus},
    {"click", 2, "click TITLE ID      click button ID", Click},
    {"combo", 2, "combo TITLE ID      print a combo box's items, the selected one marked *", Combo},
    {"pick", 3, "pick TITLE ID ITEM  select ITEM in a combo box, as the user does", Pick},
    {"rows", 2, "rows TITLE ID       print a list view's rows (cells tab-separated, selected *)",
     Rows},
    {"select", 3, "select TITLE ID ROW select one row of a list view", Select},
    {"dblclick", 3, "dblclick TITLE ID ROW double-click a row of a list view", DoubleClick},
    {"snap", 2, "snap TITLE FILE     save a picture of dialog TITLE as a .bmp", Snap},
    {"snap-main", 3, "snap-main W H FILE  show the main window W by H pixels and save its picture",
     SnapMain},
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
