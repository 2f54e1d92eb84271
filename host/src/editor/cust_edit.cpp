// "CustEdit": a one-line text field. The control window draws a thin frame around a standard
// edit window that does the typing; Return, or leaving the field with changed text, commits
// the text: a linked spinner takes it first, then the parent hears WM_CUSTEDIT_ENTER.
#include <cmath>
#include <string>
#include <vector>

#include "editor_internal.h"

namespace editor {
namespace {

constexpr int kInnerEditId = 1;
WNDPROC standardEditProc = nullptr;  // the class procedure of every "EDIT" window

class HostCustEdit final : public CustomControl<ICustEdit> {
 public:
  explicit HostCustEdit(HWND w) : CustomControl(w) {}

  HWND inner = nullptr;
  HWND spinner = nullptr;  // the spinner linked to this edit, if any
  bool gotReturn = false;
  bool notifyOnKillFocus = true;

  void GetText(MCHAR* text, int ct) override {
    if (text && ct > 0) {
      text[0] = 0;
      GetWindowTextW(inner, text, ct);
    }
  }
  void GetText(MSTR& text) const override { text = Text().c_str(); }
  int GetTextLength() const override { return GetWindowTextLengthW(inner); }
  void SetText(const MCHAR* text) override {
    SetWindowTextW(inner, text ? text : L"");
    SendMessageW(inner, EM_SETMODIFY, FALSE, 0);
  }
  void SetText(int i) override { SetText(std::to_wstring(i).c_str()); }
  void SetText(float f, int precision) override {
    wchar_t text[64];
    swprintf(text, 64, L"%.*f", precision < 0 ? 0 : precision, double(f));
    SetText(text);
  }
  int GetInt(BOOL* valid) override {
    double v = 0.0;
    bool ok = ParseNumber(Text().c_str(), v);
    if (valid) *valid = ok;
    return ok ? int(std::lround(v)) : 0;
  }
  float GetFloat(BOOL* valid) override {
    double v = 0.0;
    bool ok = ParseNumber(Text().c_str(), v);
    if (valid) *valid = ok;
    return ok ? float(v) : 0.0f;
  }
  void SetLeading(int) override {}
  void WantReturn(BOOL) override {}
  BOOL GotReturn() override {
    BOOL r = gotReturn;
    gotReturn = false;
    return r;
  }
  void GiveFocus() override { SetFocus(inner); }
  BOOL HasFocus() override { return GetFocus() == inner; }
  void WantDlgNextCtl(BOOL) override {}
  void SetNotifyOnKillFocus(BOOL onOff) override { notifyOnKillFocus = onOff != FALSE; }
  void SetBold(BOOL) override {}

  std::wstring Text() const {
    int n = GetWindowTextLengthW(inner);
    std::vector<wchar_t> buffer(size_t(n) + 1, 0);
    GetWindowTextW(inner, buffer.data(), n + 1);
    return buffer.data();
  }

  // The user entered the text: by Return, or by leaving the field after changing it.
  void Commit(bool lostFocus) {
    gotReturn = !lostFocus;
    SendMessageW(inner, EM_SETMODIFY, FALSE, 0);
    HWND self = hwnd;
    if (spinner) SpinnerEditCommitted(spinner);
    if (IsWindow(self)) NotifyParent(self, WM_CUSTEDIT_ENTER, lostFocus ? 1 : 0, LPARAM(self));
  }

  void SetFont(HFONT f) {
    font = f;
    if (inner) SendMessageW(inner, WM_SETFONT, WPARAM(f), TRUE);
  }
};

HostCustEdit* EditOf(HWND hwnd) {
  return ControlObject<HostCustEdit>(hwnd, CUSTEDITWINDOWCLASS);
}

// The inner edit window: Return commits instead of reaching the dialog's default button.
LRESULT CALLBACK InnerEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* edit = reinterpret_cast<HostCustEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcW(standardEditProc, hwnd, msg, wParam, lParam);
      auto* m = reinterpret_cast<MSG*>(lParam);
      if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN && edit) {
        edit->Commit(false);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == L'\n') return 0;  // no beep for the committed Return
      break;
    case WM_KILLFOCUS: {
      LRESULT r = CallWindowProcW(standardEditProc, hwnd, msg, wParam, lParam);
      if (edit && edit->notifyOnKillFocus && SendMessageW(hwnd, EM_GETMODIFY, 0, 0))
        edit->Commit(true);
      return r;
    }
  }
  return CallWindowProcW(standardEditProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK CustEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HostCustEdit* edit = reinterpret_cast<HostCustEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      edit = new HostCustEdit(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(edit));
      break;
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      RECT rc;
      GetClientRect(hwnd, &rc);
      edit->inner = CreateWindowExW(0, L"EDIT", cs->lpszName ? cs->lpszName : L"",
                                    WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_LEFT, 2, 1,
                                    rc.right - 3 > 0 ? rc.right - 3 : 1,
                                    rc.bottom - 2 > 0 ? rc.bottom - 2 : 1, hwnd,
                                    HMENU(INT_PTR(kInnerEditId)), HostInstance(), nullptr);
      if (!edit->inner) return -1;
      if (!standardEditProc)
        standardEditProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit->inner, GWLP_WNDPROC));
      SetWindowLongPtrW(edit->inner, GWLP_USERDATA, LONG_PTR(edit));
      SetWindowLongPtrW(edit->inner, GWLP_WNDPROC, LONG_PTR(InnerEditProc));
      if (cs->style & WS_DISABLED) EnableWindow(edit->inner, FALSE);
      return 0;
    }
    case WM_SIZE:
      if (edit && edit->inner)
        MoveWindow(edit->inner, 2, 1, LOWORD(lParam) > 3 ? LOWORD(lParam) - 3 : 1,
                   HIWORD(lParam) > 2 ? HIWORD(lParam) - 2 : 1, TRUE);
      return 0;
    case WM_SETFONT:
      if (edit) edit->SetFont(reinterpret_cast<HFONT>(wParam));
      return 0;
    case WM_GETFONT:
      return edit ? LRESULT(edit->font) : 0;
    case WM_ENABLE:
      if (edit && edit->inner) EnableWindow(edit->inner, BOOL(wParam));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      if (edit && edit->inner) SetFocus(edit->inner);
      return 0;
    case WM_SETTEXT:
      if (edit && edit->inner) {
        edit->SetText(reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
      }
      break;
    case WM_GETTEXT:
      if (edit && edit->inner) return SendMessageW(edit->inner, msg, wParam, lParam);
      break;
    case WM_GETTEXTLENGTH:
      if (edit && edit->inner) return SendMessageW(edit->inner, msg, wParam, lParam);
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      // The inner edit asks its parent, this window: answer as the dialog would.
      return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(dc, &rc, GetSysColorBrush(IsWindowEnabled(hwnd) ? COLOR_WINDOW : COLOR_BTNFACE));
      FrameRect(dc, &rc, GetSysColorBrush(COLOR_BTNSHADOW));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      if (edit) {
        if (edit->spinner) LinkEditToSpinner(hwnd, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete edit;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterCustEditClass() {
  RegisterHostWindowClass(CUSTEDITWINDOWCLASS, CustEditProc, CS_GLOBALCLASS | CS_DBLCLKS,
                          IDC_IBEAM);
}

// The spinner's side of the link is in spinner_control.cpp; this is the edit's.
void LinkEditToSpinnerSide(HWND edit, HWND spinner) {
  if (HostCustEdit* e = EditOf(edit)) e->spinner = spinner;
}

HWND SpinnerOfEdit(HWND edit) {
  HostCustEdit* e = EditOf(edit);
  return e ? e->spinner : nullptr;
}

}  // namespace editor

ICustEdit* GetICustEdit(HWND hCtrl) {
  return editor::EditOf(hCtrl);
}

void ReleaseICustEdit(ICustEdit*) {
  // The interface lives with its window.
}
