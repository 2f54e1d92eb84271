// "SpinnerControl": up and down arrows for a number, usually linked to a "CustEdit" that shows
// it. A click on an arrow steps the value by the scale, a vertical drag changes it
// continuously (up is more), a right click sets the reset value, and a right click during a
// drag cancels it. Everything the user does stays within the limits and reaches the parent as
// CC_SPINNER_BUTTONDOWN, CC_SPINNER_CHANGE and CC_SPINNER_BUTTONUP.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "editor_internal.h"

namespace editor {
namespace {

class HostSpinner final : public CustomControl<ISpinnerControl> {
 public:
  explicit HostSpinner(HWND w) : CustomControl(w) {}

  float value = 0.0f;
  float minValue = -FLT_MAX;
  float maxValue = FLT_MAX;
  float scale = 0.1f;
  bool autoScale = false;
  float resetValue = 0.0f;
  bool resetSet = false;
  bool indeterminate = false;
  bool keyBrackets = false;
  EditSpinnerType editType = EDITTYPE_FLOAT;
  HWND edit = nullptr;

  // Mouse state between the button press and its release.
  enum class Press { None, Up, Down } press = Press::None;
  bool dragged = false;
  int pressY = 0;
  float startValue = 0.0f;

  float GetFVal() override { return value; }
  int GetIVal() override { return int(std::lround(value)); }
  void SetAutoScale(BOOL on) override { autoScale = on != FALSE; }
  void SetScale(float s) override { scale = s; }
  void SetValue(float v, int notify) override {
    value = IsIntegerEditType(editType) ? float(std::lround(v)) : v;
    indeterminate = false;
    ShowInEdit();
    if (notify) SendChange(false);
  }
  void SetValue(int v, int notify) override { SetValue(float(v), notify); }
  void SetLimits(int lo, int hi, int limitCurValue) override {
    SetLimits(float(lo), float(hi), limitCurValue);
  }
  void SetLimits(float lo, float hi, int limitCurValue) override {
    minValue = lo;
    maxValue = hi;
    if (limitCurValue) {
      float clamped = Clamp(value);
      if (clamped != value) {
        value = clamped;
        ShowInEdit();
      }
    }
  }
  void LinkToEdit(HWND hEdit, EditSpinnerType type) override {
    if (edit && edit != hEdit && SpinnerOfEdit(edit) == hwnd) LinkEditToSpinnerSide(edit, nullptr);
    edit = hEdit;
    editType = type;
    if (IsIntegerEditType(type)) value = float(std::lround(value));
    if (edit) {
      HWND previous = SpinnerOfEdit(edit);
      if (previous && previous != hwnd) LinkEditToSpinner(edit, nullptr);
      LinkEditToSpinnerSide(edit, hwnd);
      EnableWindow(edit, IsWindowEnabled(hwnd));
    }
    ShowInEdit();
  }
  void SetIndeterminate(BOOL i) override {
    indeterminate = i != FALSE;
    ShowInEdit();
  }
  BOOL IsIndeterminate() override { return indeterminate; }
  void SetResetValue(float v) override {
    resetValue = v;
    resetSet = true;
  }
  void SetResetValue(int v) override { SetResetValue(float(v)); }
  void SetKeyBrackets(BOOL onOff) override {
    keyBrackets = onOff != FALSE;
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  // A spinner's edit goes with it: disabling the spinner disables its edit too.
  void Enable(BOOL onOff) override {
    CustomControl::Enable(onOff);
    if (edit && IsWindow(edit)) EnableWindow(edit, onOff ? TRUE : FALSE);
  }

  float Clamp(float v) const {
    if (editType == EDITTYPE_POS_INT || editType == EDITTYPE_POS_FLOAT ||
        editType == EDITTYPE_POS_UNIVERSE)
      v = std::max(v, 0.0f);
    v = std::min(std::max(v, minValue), maxValue);
    return IsIntegerEditType(editType) ? float(std::lround(v)) : v;
  }
  float Step() const {
    if (IsIntegerEditType(editType)) return std::max(1.0f, std::round(autoScale ? 1.0f : scale));
    if (autoScale) return std::max(std::fabs(value) * 0.01f, 0.001f);
    return scale;
  }
  void ShowInEdit() {
    if (ICustEdit* e = GetICustEdit(edit))
      e->SetText(indeterminate ? L"" : FormatSpinnerValue(value, editType).c_str());
  }
  void SendChange(bool dragging) {
    NotifyParent(hwnd, CC_SPINNER_CHANGE, dragging ? 1 : 0,
                 LPARAM(static_cast<ISpinnerControl*>(this)));
  }
  void SendButton(UINT msg, bool flag) {
    NotifyParent(hwnd, msg, flag ? 1 : 0, LPARAM(static_cast<ISpinnerControl*>(this)));
  }
  // A user's change: within the limits, shown, and told to the parent.
  void UserSet(float v, bool dragging) {
    value = Clamp(v);
    indeterminate = false;
    ShowInEdit();
    SendChange(dragging);
  }

  void EditCommitted() {
    ICustEdit* e = GetICustEdit(edit);
    if (!e) return;
    MSTR text;
    e->GetText(text);
    double typed = 0.0;
    if (!ParseNumber(text.data(), typed)) {
      ShowInEdit();  // not a number: show the value again
      return;
    }
    UserSet(float(typed), false);
  }

  void Paint(HDC dc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    int mid = (rc.bottom - rc.top) / 2;
    RECT up = {rc.left, rc.top, rc.right, rc.top + mid};
    RECT down = {rc.left, rc.top + mid, rc.right, rc.bottom};
    UINT disabled = IsWindowEnabled(hwnd) ? 0 : DFCS_INACTIVE;
    DrawFrameControl(dc, &up, DFC_SCROLL,
                     DFCS_SCROLLUP | disabled | (press == Press::Up && !dragged ? DFCS_PUSHED : 0));
    DrawFrameControl(
        dc, &down, DFC_SCROLL,
        DFCS_SCROLLDOWN | disabled | (press == Press::Down && !dragged ? DFCS_PUSHED : 0));
    if (keyBrackets) FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
};

HostSpinner* SpinnerOf(HWND hwnd) {
  return ControlObject<HostSpinner>(hwnd, SPINNERWINDOWCLASS);
}

LRESULT CALLBACK SpinnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HostSpinner* spin = reinterpret_cast<HostSpinner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      spin = new HostSpinner(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(spin));
      break;
    case WM_LBUTTONDOWN: {
      if (!spin) break;
      RECT rc;
      GetClientRect(hwnd, &rc);
      int y = short(HIWORD(lParam));
      spin->press = y < rc.bottom / 2 ? HostSpinner::Press::Up : HostSpinner::Press::Down;
      spin->dragged = false;
      spin->pressY = y;
      spin->startValue = spin->value;
      SetCapture(hwnd);
      InvalidateRect(hwnd, nullptr, FALSE);
      spin->SendButton(CC_SPINNER_BUTTONDOWN, false);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!spin || spin->press == HostSpinner::Press::None || !(wParam & MK_LBUTTON)) return 0;
      int dy = spin->pressY - short(HIWORD(lParam));
      if (!spin->dragged && std::abs(dy) < 2) return 0;
      if (!spin->dragged) {
        spin->dragged = true;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      float v = spin->Clamp(spin->startValue + float(dy) * spin->Step());
      if (v != spin->value) spin->UserSet(v, true);
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!spin || spin->press == HostSpinner::Press::None) return 0;
      HostSpinner::Press press = spin->press;
      bool dragged = spin->dragged;
      spin->press = HostSpinner::Press::None;
      spin->dragged = false;
      ReleaseCapture();
      InvalidateRect(hwnd, nullptr, FALSE);
      if (!dragged) {
        float step = spin->Step();
        spin->UserSet(spin->value + (press == HostSpinner::Press::Up ? step : -step), false);
      }
      if (IsWindow(hwnd)) spin->SendButton(CC_SPINNER_BUTTONUP, true);
      return 0;
    }
    case WM_RBUTTONDOWN:
      if (spin && spin->press != HostSpinner::Press::None) {
        // Cancels the drag: back to where it started.
        spin->press = HostSpinner::Press::None;
        ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        spin->UserSet(spin->startValue, false);
        if (IsWindow(hwnd)) spin->SendButton(CC_SPINNER_BUTTONUP, false);
        spin->dragged = true;  // the release that follows is not a reset
      } else if (spin) {
        spin->dragged = false;
      }
      return 0;
    case WM_RBUTTONUP:
      if (spin && spin->press == HostSpinner::Press::None && !spin->dragged) {
        spin->UserSet(spin->resetSet ? spin->resetValue : 0.0f, false);
        if (IsWindow(hwnd)) spin->SendButton(CC_SPINNER_BUTTONUP, true);
      }
      if (spin) spin->dragged = false;
      return 0;
    case WM_CAPTURECHANGED:
      // Capture lost mid-press (another window took it): the gesture ends where it is, so the
      // parent's open gesture is closed as by a release.
      if (spin && spin->press != HostSpinner::Press::None && HWND(lParam) != hwnd) {
        spin->press = HostSpinner::Press::None;
        spin->dragged = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        spin->SendButton(CC_SPINNER_BUTTONUP, true);
      }
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (spin) spin->Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      if (spin) {
        if (spin->edit && SpinnerOfEdit(spin->edit) == hwnd)
          LinkEditToSpinnerSide(spin->edit, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete spin;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterSpinnerClass() {
  RegisterHostWindowClass(SPINNERWINDOWCLASS, SpinnerProc, CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW,
                          IDC_SIZENS);
}

void LinkEditToSpinner(HWND edit, HWND spinner) {
  HWND previous = SpinnerOfEdit(edit);
  if (previous && previous != spinner) {
    if (HostSpinner* old = SpinnerOf(previous))
      if (old->edit == edit) old->edit = nullptr;
  }
  LinkEditToSpinnerSide(edit, spinner);
}

void SpinnerEditCommitted(HWND spinner) {
  if (HostSpinner* spin = SpinnerOf(spinner)) spin->EditCommitted();
}

}  // namespace editor

ISpinnerControl* GetISpinner(HWND hCtrl) {
  return editor::SpinnerOf(hCtrl);
}

void ReleaseISpinner(ISpinnerControl*) {
  // The interface lives with its window.
}
