#include "server/extras/static_link.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "common/gdi.h"

namespace {

// A length in pixels of a 96-dpi screen, in pixels of this one. The program
// is DPI aware (its manifest): nothing is enlarged for it but what it sizes
// itself, and the dialog around the link grows with the screen's resolution.
int ScreenPixels(int pixels) {
  win::WindowDc screen(nullptr);
  return ::MulDiv(pixels, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 96);
}

std::string WindowText(HWND hwnd) {
  std::vector<char> text(static_cast<size_t>(::GetWindowTextLengthA(hwnd)) + 1);
  const int length = ::GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), length > 0 ? length : 0);
}

// The tool of a link's tooltip is the whole control, named by its handle.
TOOLINFOA ToolFor(HWND control, const char* text) {
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = control;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  return tool;
}

}  // namespace

CStaticLink::Caption CStaticLink::SplitCaption(const std::string& caption) {
  const std::size_t bar = caption.find('|');
  if (bar == std::string::npos) return {caption, caption};
  return {caption.substr(0, bar), caption.substr(bar + 1)};
}

void CStaticLink::OnSubclassed() {
  m_toolTip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
  if (m_toolTip) {
    ::SendMessageA(m_toolTip, TTM_ACTIVATE, TRUE, 0);
    TOOLINFOA tool = ToolFor(Handle(), "");
    ::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, ScreenPixels(120));
  }
  const Caption caption = SplitCaption(WindowText(Handle()));
  ::SetWindowTextA(Handle(), caption.text.c_str());
  SetTipText(caption.text);
  m_strLink = caption.target;
}

void CStaticLink::SetTipText(const std::string& text) {
  if (!m_toolTip) return;
  TOOLINFOA tool = ToolFor(Handle(), text.c_str());
  ::SendMessageA(m_toolTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CStaticLink::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The tooltip learns of the mouse from the messages the control gets. A
  // modal dialog's loop is the system's, so this is the one place that sees
  // them all.
  if (m_toolTip && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    MSG relayed{Handle(), msg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
    const DWORD position = ::GetMessagePos();
    relayed.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  if (msg == WM_SETCURSOR && m_hCursor) {
    ::SetCursor(m_hCursor);
    return TRUE;
  }
  return Window::WindowProc(msg, wParam, lParam);
}

bool CStaticLink::OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  if (msg == WM_CTLCOLORSTATIC) {
    HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wParam));
    if (!brush) return false;  // the parent's default colours
    result = reinterpret_cast<LRESULT>(brush);
    return true;
  }
  if (msg == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
    OnClicked();
    result = 0;
    return true;
  }
  return false;
}

HBRUSH CStaticLink::OnCtlColor(HDC dc) {
  // Without SS_NOTIFY a static lets clicks through to its parent.
  const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
  if (!(style & SS_NOTIFY)) ::SetWindowLongA(Handle(), GWL_STYLE, style | SS_NOTIFY);
  // Only text statics (left, centred, right) look like links; an icon,
  // bitmap or frame keeps its parent's colours.
  if ((style & 0xFF) > SS_RIGHT) return nullptr;
  if (!m_font) {
    // 16 pixels high on a 96-dpi screen, as tall for the eye on any other.
    m_font.Reset(::CreateFontA(-ScreenPixels(16), 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE,
                               ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Trebuchet MS"));
    UseLinkFont();
  }
  ::SelectObject(dc, m_font.Get());
  ::SetTextColor(dc, m_bVisited ? m_colorVisited : m_colorUnvisited);
  ::SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CStaticLink::UseLinkFont() {
  // A static selects its own font after asking for its colours, so the link
  // font becomes the control's font too. What was drawn in the old one goes:
  // the parent repaints the face under the control, then the control itself.
  ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
  HWND parent = ::GetParent(Handle());
  RECT area;
  ::GetWindowRect(Handle(), &area);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  ::RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CStaticLink::OnClicked() {
  HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(nullptr, "open", m_strLink.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) {
    SignalOpenFailure();
  } else {
    m_bVisited = TRUE;
    ::InvalidateRect(Handle(), nullptr, TRUE);
  }
  SetTipText(WindowText(Handle()));
  ::SetCursor(previous);
}

void CStaticLink::SignalOpenFailure() { ::MessageBeep(0); }
