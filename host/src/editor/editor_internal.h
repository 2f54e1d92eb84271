#pragma once
// What the material editor's pieces of the host share: the host module's handle, the control
// window classes, number formatting, and the base of every custom control object.
#include <string>

#include "custcont.h"

namespace editor {

// host.dll's own instance handle (its dialog templates live there).
HINSTANCE HostInstance();

// Registers a window class of host.dll with the arrow or another standard cursor; a class
// that exists already stays as it is.
void RegisterHostWindowClass(const wchar_t* name, WNDPROC proc, UINT style, LPCTSTR cursor);

// Registers "CustEdit", "SpinnerControl", "CustButton" and "ColorSwatch" as global classes,
// once per process; called when host.dll attaches.
void RegisterControlClasses();
void RegisterCustEditClass();
void RegisterSpinnerClass();
void RegisterCustButtonClass();
void RegisterColorSwatchClass();

// A number as a spinner's edit shows it: integers plainly, other types with three decimals
// and without trailing zeros beyond the first decimal ("0.05", "1.0").
std::wstring FormatSpinnerValue(float v, EditSpinnerType type);
bool IsIntegerEditType(EditSpinnerType type);
// The whole text as a number (surrounding blanks allowed); false for anything else.
bool ParseNumber(const wchar_t* text, double& value);

// Whether hwnd is a window of the given class (case-insensitive, as Windows compares).
bool IsWindowOfClass(HWND hwnd, const wchar_t* className);

// The object bound to a control window of the given class, or null.
template <class T>
T* ControlObject(HWND hwnd, const wchar_t* className) {
  if (!hwnd || !IsWindow(hwnd) || !IsWindowOfClass(hwnd, className)) return nullptr;
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// A spinner and the edit it is linked to know each other by window: either may go first.
void LinkEditToSpinner(HWND edit, HWND spinner);  // spinner null: unlink
void SpinnerEditCommitted(HWND spinner);          // the user entered text in its edit
// The edit's own record of its spinner (cust_edit.cpp).
void LinkEditToSpinnerSide(HWND edit, HWND spinner);
HWND SpinnerOfEdit(HWND edit);

// Sends a control's notification to its parent: wParam carries the control's ID and hiword.
LRESULT NotifyParent(HWND control, UINT msg, WORD hiword, LPARAM lParam);

// The part of ICustomControl that every control answers the same way: the window, and its
// enable state, which is the window's own.
template <class I>
class CustomControl : public I {
 public:
  explicit CustomControl(HWND w) : hwnd(w) {}
  HWND GetHwnd() override { return hwnd; }
  void Enable(BOOL onOff = TRUE) override {
    EnableWindow(hwnd, onOff ? TRUE : FALSE);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  void Disable() override { Enable(FALSE); }
  BOOL IsEnabled() override { return IsWindowEnabled(hwnd); }
  void Enable2(BOOL onOff = TRUE) override { Enable(onOff); }
  void SetTooltip(bool, const MCHAR*) override {}

  HWND hwnd;
  HFONT font = nullptr;  // from WM_SETFONT
};

}  // namespace editor
