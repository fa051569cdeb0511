#include "server/extras/about_dlg.h"

#include <utility>

#include "common/format.h"
#include "server/res/resource_ids.h"

CAboutDlg::CAboutDlg(HWND parent, int versionNumber, std::string helpFilePath)
    : Dialog(IDD_ABOUTBOX, parent), m_versionNumber(versionNumber), m_helpFilePath(std::move(helpFilePath)) {}

BOOL CAboutDlg::OnInitDialog() {
  // The template names the help file; the link gets its full path.
  const std::string helpCaption = "Tellistry Help|" + m_helpFilePath;
  ::SetDlgItemTextA(Handle(), IDC_ABOUT_LINK_HELP, helpCaption.c_str());

  // The first exchange subclasses the links, which take their captions apart.
  Dialog::OnInitDialog();
  m_strVersion =
      text::Format("Version %d.%d", m_versionNumber / 10000, (m_versionNumber / 100) % 100);
  HCURSOR hand = ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_HAND));
  m_wndWebLink.m_hCursor = hand;
  m_wndHelpLink.m_hCursor = hand;
  m_wndMailLink.m_hCursor = hand;
  UpdateData(false);
  m_faceBrush.Reset(::CreateSolidBrush(kFaceColour));
  return TRUE;
}

void CAboutDlg::DoDataExchange(framework::DataExchange& dx) {
  dx.Control(IDC_ABOUT_LINK_WEB, m_wndWebLink);
  dx.Control(IDC_ABOUT_LINK_HELP, m_wndHelpLink);
  dx.Control(IDC_ABOUT_LINK_MAIL, m_wndMailLink);
  dx.Text(IDC_ABOUT_VERSION, m_strVersion);
}

LRESULT CAboutDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The face and the plain statics on it; the links colour themselves.
  const bool face = msg == WM_CTLCOLORDLG ||
                    (msg == WM_CTLCOLORSTATIC &&
                     !dynamic_cast<CStaticLink*>(FromHandle(reinterpret_cast<HWND>(lParam))));
  if (face && m_faceBrush) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkColor(dc, kFaceColour);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(m_faceBrush.Get());
  }
  return Dialog::WindowProc(msg, wParam, lParam);
}
