// CAboutDlg: the About box on template 100: the program's icon, name and
// version on a coloured face, and three support links. Modal to the main
// window. Win32; the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

#include "common/handle.h"
#include "framework/dialog.h"
#include "server/extras/static_link.h"

class CAboutDlg : public framework::Dialog {
 public:
  // The face's colour (RGB 99, 156, 165); plain statics write on it in white.
  static constexpr COLORREF kFaceColour = 0x00A59C63;

  // `parent`: the window it is modal to; `versionNumber`: major * 10000 +
  // minor * 100; `helpFilePath`: where the help file is (beside the
  // program, wherever it was installed).
  CAboutDlg(HWND parent, int versionNumber, std::string helpFilePath);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(framework::DataExchange& dx) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  CStaticLink m_wndWebLink;   // 1018
  CStaticLink m_wndHelpLink;  // 1017
  CStaticLink m_wndMailLink;  // 1019
  std::string m_strVersion;
  const int m_versionNumber;
  const std::string m_helpFilePath;
  win::GdiObject<HBRUSH> m_faceBrush;  // from the dialog's initialisation on
};
