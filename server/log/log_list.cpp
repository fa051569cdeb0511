#include "server/log/log_list.h"

#include <algorithm>
#include <vector>

#include "common/gdi.h"
#include "server/log/log_entry.h"

namespace activity {

void AppendLogEntries(HWND list, const std::deque<std::string>& entries) {
  constexpr std::ptrdiff_t kept = kMaxLinesBeforeAppend + 1;
  auto entry = std::ssize(entries) > kept ? entries.end() - kept : entries.begin();
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  LRESULT newest = -1;
  for (; entry != entries.end(); ++entry) {
    int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (MustDropOldestLine(count)) {
      ::SendMessageA(list, LB_DELETESTRING, 0, 0);
      --count;
    }
    const std::string line = DisplayedLine(*entry);
    const LRESULT index = ::SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(count),
                                         reinterpret_cast<LPARAM>(line.c_str()));
    if (index < 0) continue;  // the line is left out
    ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), EntryLevel(*entry));
    newest = index;
  }
  // Scrolled into view but not selected: a selected line shows the highlight
  // colours instead of its level's, and the newest line is usually the one
  // that matters. The selection stays the user's (lines picked to copy).
  if (newest >= 0) ::SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(newest), 0);
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

void MeasureLogLine(MEASUREITEMSTRUCT& item) {
  // The list asks once, when it is created, before it is given its font: the
  // stock one, measured here. A system that makes it taller on a screen of
  // higher resolution gets lines to match.
  win::WindowDc screen(nullptr);
  TEXTMETRICA metrics{};
  {
    win::SelectedObject font(screen.Get(), ::GetStockObject(ANSI_VAR_FONT));
    ::GetTextMetricsA(screen.Get(), &metrics);
  }
  item.itemHeight = std::max(kLogLineHeight, static_cast<UINT>(metrics.tmHeight) + 1);
}

void DrawLogLine(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const COLORREF oldBack = ::GetBkColor(dc);
  const COLORREF oldText = ::GetTextColor(dc);

  std::string text;
  if (item.itemID != static_cast<UINT>(-1)) {
    LRESULT length = ::SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    if (length > 0) {
      std::vector<char> buffer(static_cast<size_t>(length) + 1);
      length = ::SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID,
                              reinterpret_cast<LPARAM>(buffer.data()));
      if (length > 0) text.assign(buffer.data(), static_cast<size_t>(length));
    }
  }

  RECT client;
  ::GetClientRect(item.hwndItem, &client);
  RECT rect = item.rcItem;
  rect.right = rect.left + client.right;

  COLORREF textColour = LineTextColour(static_cast<long>(item.itemData));
  COLORREF backColour = RGB(0, 0, 0);
  if (item.itemState & ODS_SELECTED) {
    textColour = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    backColour = ::GetSysColor(COLOR_HIGHLIGHT);
  }
  ::SetTextColor(dc, textColour);
  ::SetBkColor(dc, backColour);
  // ExtTextOut with an empty string is the cheapest solid fill.
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_NOCLIP);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &rect);

  ::SetBkColor(dc, oldBack);
  ::SetTextColor(dc, oldText);
}

}  // namespace activity
