#include "server/log/activity_log.h"

#include <utility>

#include "framework/ui_thread.h"
#include "framework/window.h"
#include "server/log/event_log.h"
#include "server/log/log_entry.h"

const UINT g_uTraceDebugMessage = ::RegisterWindowMessageA("TELLISTRYTRACEDEBUG");

std::deque<std::string> g_lstLog;
win::CriticalSection g_csLog;

namespace LogQueue {

void Push(std::string entry) {
  win::ScopedLock lock(g_csLog);
  g_lstLog.push_back(std::move(entry));
}

std::size_t Count() {
  win::ScopedLock lock(g_csLog);
  return g_lstLog.size();
}

std::deque<std::string> TakeAll() {
  std::deque<std::string> entries;
  win::ScopedLock lock(g_csLog);
  entries.swap(g_lstLog);
  return entries;
}

}  // namespace LogQueue

namespace {

activity::LogTime LocalTime() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  activity::LogTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.dayOfWeek = st.wDayOfWeek;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  return t;
}

}  // namespace

HWND ActivityLogWindow() {
  framework::UiThread* thread = framework::UiThread::Current();
  framework::Window* window = thread ? thread->MainWindow() : nullptr;
  return window ? window->Handle() : nullptr;
}

void LogActivity(std::string_view text, LogLevel level, HWND window) {
  if (!window) return;
  LogQueue::Push(activity::FormatLogEntry(text, level, LocalTime()));
  ::PostMessageA(window, g_uTraceDebugMessage, 0, 0);
}

void LogActivity(std::string_view text, LogLevel level) {
  HWND target = ActivityLogWindow();
  if (!target) return;
  LogActivity(text, level, target);
  activity::ReportToEventLog(text, level);
}
