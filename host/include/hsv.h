#pragma once
#include "WindowsDefines.h"
#include "acolor.h"
#include "hostexport.h"
#include "ipoint2.h"
#include "maxheap.h"

// The host's modal HSV colour picker.

// Told what the picker does while it is open. Only BeingDestroyed must be overridden.
class HSVCallback : public MaxHeapOperators {
 public:
  virtual ~HSVCallback() {}
  virtual void ButtonDown() {}
  virtual void ButtonUp(BOOL /*accept*/) {}
  virtual void ColorChanged(DWORD /*col*/, BOOL /*buttonUp*/) {}
  virtual void ColorChanged(AColor /*col*/, BOOL /*buttonUp*/) {}
  // The picker's screen position as it closes.
  virtual void BeingDestroyed(IPoint2 pos) = 0;
  virtual void OnOK() {}
  virtual void OnCancel() {}
};

#if defined(_WIN32)
// Opens the picker on the colour at lpc, owned by hwndOwner, at screen position spos (or
// centred on the owner when null), titled name. OK stores the edited colour at lpc (alpha
// untouched) and returns TRUE; Cancel leaves it and returns FALSE.
CoreExport INT_PTR HSVDlg_Do(HWND hwndOwner, DWORD* lpc, IPoint2* spos, HSVCallback* callBack,
                             const MCHAR* name);
CoreExport INT_PTR HSVDlg_Do(HWND hwndOwner, AColor* lpc, IPoint2* spos, HSVCallback* callBack,
                             const MCHAR* name);
#endif
