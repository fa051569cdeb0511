// FrameWindow: a top-level window made from one resource id: its menu, its
// accelerators and icon of that id, and its title from the first part of the
// string of that id (up to the first '\n'). The object lives on the heap and
// deletes itself after its window is gone. Commands it does not handle go on
// to the application object. When LoadFrame fails the object is not deleted:
// it is still the caller's.
#pragma once

#include <windows.h>

#include "common/handle.h"
#include "framework/window.h"

namespace framework {

class FrameWindow : public Window {
 public:
  // The style bit that asks for the document's name in the title; a frame
  // without documents keeps its title as it is.
  static constexpr DWORD kAddToTitle = 0x8000;

  bool LoadFrame(UINT resourceId, DWORD style, HWND parent = nullptr);
  virtual BOOL DestroyWindow();

  bool PreTranslateMessage(MSG& msg) override;

 protected:
  // Fills in the class and anything else before the window is created; the
  // default registers a class with the frame's icon and the arrow cursor.
  virtual bool PreCreateWindow(CREATESTRUCTA& cs);
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage() override {
    if (m_created) delete this;
  }

  UINT ResourceId() const { return m_resourceId; }

 private:
  UINT m_resourceId = 0;
  bool m_created = false;  // LoadFrame succeeded: the window owns the object
  HACCEL m_accelerators = nullptr;  // resource: freed with the module
};

}  // namespace framework
