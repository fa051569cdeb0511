// CExitQuestion: "Are you sure?" with Yes and No, asked by Exit. Modeless:
// while it is open, alerts go on being received and delivered, and a Yes
// reaches a running delivery at once (a modal box would run its loop inside
// the delivery's pause and hold the script until it closed). Yes asks the
// owner to close, as a confirmed Exit; No and Escape just close the box.
// Win32; the user-interface thread.
#pragma once

#include <windows.h>

#include "framework/dialog.h"

class CExitQuestion : public framework::Dialog {
 public:
  explicit CExitQuestion(HWND owner);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  HWND m_owner;
};
