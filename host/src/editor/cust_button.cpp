// "CustButton": a push or check button whose caption is its window text. A click sends
// BN_CLICKED to the parent. With a drag-and-drop manager the button is also a drag source and
// a drop target: pressing it and leaving it with the button down drags what the manager gives
// for it, and releasing over another custom button hands it to that button's manager.
#include <string>
#include <vector>

#include "editor_internal.h"

namespace editor {
namespace {

class HostCustButton final : public CustomControl<ICustButton> {
 public:
  explicit HostCustButton(HWND w) : CustomControl(w) {}

  CustButType type = CBT_PUSH;
  bool checked = false;
  bool checkHighlight = true;
  bool buttonDownNotify = false;
  bool rightClickNotify = false;
  COLORREF highlight = RGB(255, 196, 0);
  DADMgr* dad = nullptr;

  // Between the press and the release.
  bool pressed = false;  // the left button went down here and has not come up
  bool inside = false;   // the mouse is over the button
  bool dragging = false;
  POINT pressPoint = {0, 0};
  SClass_ID dragType = 0;
  ReferenceTarget* dragInstance = nullptr;
  BOOL dragIsNew = FALSE;

  void GetText(MCHAR* text, int ct) override {
    if (text && ct > 0) {
      text[0] = 0;
      GetWindowTextW(hwnd, text, ct);
    }
  }
  void SetText(const MCHAR* text) override {
    SetWindowTextW(hwnd, text ? text : L"");
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  void GetText(MSTR& text) const override {
    int n = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buffer(size_t(n) + 1, 0);
    GetWindowTextW(hwnd, buffer.data(), n + 1);
    text = buffer.data();
  }
  int GetTextLength() const override { return GetWindowTextLengthW(hwnd); }
  void SetType(CustButType t) override {
    type = t;
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  BOOL IsChecked() override { return checked; }
  void SetCheck(BOOL c) override {
    checked = c != FALSE;
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  void SetCheckHighlight(BOOL h) override { checkHighlight = h != FALSE; }
  void SetButtonDownNotify(BOOL n) override { buttonDownNotify = n != FALSE; }
  void SetRightClickNotify(BOOL n) override { rightClickNotify = n != FALSE; }
  void SetHighlightColor(COLORREF c) override { highlight = c; }
  COLORREF GetHighlightColor() override { return highlight; }
  void SetDADMgr(DADMgr* d) override { dad = d; }
  DADMgr* GetDADMgr() override { return dad; }

  void Command(WORD code) {
    HWND parent = GetParent(hwnd);
    if (parent)
      SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), LPARAM(hwnd));
  }

  // The left button came up at client point p after a drag.
  void Drop(POINT p) {
    POINT screen = p;
    ClientToScreen(hwnd, &screen);
    HWND target = WindowFromPoint(screen);
    HostCustButton* to = ControlObject<HostCustButton>(target, CUSTBUTTONWINDOWCLASS);
    if (!to || !to->dad || !dad) return;
    POINT at = screen;
    ScreenToClient(target, &at);
    if (target == hwnd) {
      dad->SameWinDragAndDrop(hwnd, pressPoint, at);
      return;
    }
    if (to->dad == dad && dad->LetMeHandleLocalDAD()) {
      dad->LocalDragAndDrop(hwnd, target, pressPoint, at);
      return;
    }
    if (to->dad->OkToDrop(dragInstance, hwnd, target, at, dragType, dragIsNew))
      to->dad->Drop(dragInstance, target, at, dragType, dad, FALSE);
  }

  void Paint(HDC dc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    bool sunk = (pressed && inside && !dragging) || (type == CBT_CHECK && checked);
    COLORREF face =
        type == CBT_CHECK && checked && checkHighlight ? highlight : GetSysColor(COLOR_BTNFACE);
    HBRUSH brush = CreateSolidBrush(face);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    DrawEdge(dc, &rc, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    int n = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> text(size_t(n) + 1, 0);
    GetWindowTextW(hwnd, text.data(), n + 1);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    RECT textRect = rc;
    InflateRect(&textRect, -3, -1);
    if (sunk) OffsetRect(&textRect, 1, 1);
    DrawTextW(dc, text.data(), -1, &textRect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    if (oldFont) SelectObject(dc, oldFont);
  }
};

HostCustButton* ButtonOf(HWND hwnd) {
  return ControlObject<HostCustButton>(hwnd, CUSTBUTTONWINDOWCLASS);
}

bool Inside(HWND hwnd, LPARAM lParam) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  POINT p = {short(LOWORD(lParam)), short(HIWORD(lParam))};
  return PtInRect(&rc, p) != FALSE;
}

LRESULT CALLBACK CustButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HostCustButton* b = reinterpret_cast<HostCustButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      b = new HostCustButton(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(b));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!b) break;
      b->pressed = b->inside = true;
      b->dragging = false;
      b->dragInstance = nullptr;
      b->pressPoint = {short(LOWORD(lParam)), short(HIWORD(lParam))};
      SetCapture(hwnd);
      InvalidateRect(hwnd, nullptr, FALSE);
      if (b->buttonDownNotify) b->Command(BN_BUTTONDOWN);
      return 0;
    case WM_MOUSEMOVE: {
      if (!b || !b->pressed) return 0;
      bool inside = Inside(hwnd, lParam);
      if (!inside && !b->dragging && b->dad) {
        // Leaving the button with the left button down starts a drag of what it shows.
        b->dragType = b->dad->GetDragType(hwnd, b->pressPoint);
        b->dragIsNew = b->dad->IsNew(hwnd, b->pressPoint, b->dragType);
        b->dragInstance = b->dad->GetInstance(hwnd, b->pressPoint, b->dragType);
        if (b->dragInstance || b->dragIsNew) b->dragging = true;
      }
      if (b->dragging) SetCursor(LoadCursor(nullptr, IDC_CROSS));
      if (inside != b->inside) {
        b->inside = inside;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!b || !b->pressed) return 0;
      bool dragging = b->dragging;
      bool inside = Inside(hwnd, lParam);
      b->pressed = b->dragging = false;
      ReleaseCapture();
      InvalidateRect(hwnd, nullptr, FALSE);
      POINT p = {short(LOWORD(lParam)), short(HIWORD(lParam))};
      if (dragging) {
        b->Drop(p);
      } else if (inside) {
        if (b->type == CBT_CHECK) b->checked = !b->checked;
        b->Command(BN_CLICKED);
      }
      if (IsWindow(hwnd) && ButtonOf(hwnd) == b && b->buttonDownNotify) b->Command(BN_BUTTONUP);
      return 0;
    }
    case WM_RBUTTONUP:
      if (b && b->rightClickNotify) b->Command(BN_RIGHTCLICK);
      return 0;
    case WM_CAPTURECHANGED:
      if (b && b->pressed && HWND(lParam) != hwnd) {
        b->pressed = b->dragging = false;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_SETFONT:
      if (b) b->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return b ? LRESULT(b->font) : 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (b) b->Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      if (b) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete b;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterCustButtonClass() {
  RegisterHostWindowClass(CUSTBUTTONWINDOWCLASS, CustButtonProc,
                          CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace editor

ICustButton* GetICustButton(HWND hCtrl) {
  return editor::ButtonOf(hCtrl);
}

void ReleaseICustButton(ICustButton*) {
  // The interface lives with its window.
}
