// CStaticLink: a dialog's static text turned into a hyperlink. Its caption
// carries the text to show and, after the first "|", the target the shell
// opens on a click. It paints itself underlined and bold, blue until opened
// and purple afterwards, shows the display text as a tooltip and, when its
// owner sets m_hCursor, that cursor. The parent reflects its colour request
// and click notification to it (framework::Window). Win32; all on the
// dialog's thread.
#pragma once

#include <windows.h>

#include <string>

#include "common/handle.h"
#include "framework/window.h"

class CStaticLink : public framework::Window {
 public:
  // Text shown and target opened, from a caption ("text|target"; a caption
  // without a bar is both).
  struct Caption {
    std::string text;
    std::string target;
  };
  static Caption SplitCaption(const std::string& caption);

  const std::string& Link() const { return m_strLink; }
  bool Visited() const { return m_bVisited != FALSE; }
  HWND ToolTip() const { return m_toolTip; }

  COLORREF m_colorUnvisited = RGB(0, 0, 255);
  COLORREF m_colorVisited = RGB(128, 0, 128);
  HCURSOR m_hCursor = nullptr;  // set by the owner; not ours to destroy

 protected:
  void OnSubclassed() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // A target the shell could not open: the default beep.
  virtual void SignalOpenFailure();

 private:
  HBRUSH OnCtlColor(HDC dc);
  void UseLinkFont();
  void OnClicked();
  void SetTipText(const std::string& text);

  std::string m_strLink;
  BOOL m_bVisited = FALSE;
  win::GdiObject<HFONT> m_font;          // created on the first colour request
  HWND m_toolTip = nullptr;   // destroyed with the control, its owner
};
