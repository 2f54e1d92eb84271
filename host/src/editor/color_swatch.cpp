// "ColorSwatch": a field of colour. A click opens the colour picker; a colour chosen there
// reaches the parent as CC_COLOR_CHANGE, and the picker's closing as CC_COLOR_CLOSE.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <string>

#include "editor_internal.h"

namespace editor {
namespace {

BYTE Channel(float c) {
  // trunc(c * 255 + 0.5) of the channel clamped into 0..1, as the host shows colours: an
  // over-bright channel shows at full strength rather than wrapped to near black.
  if (!(c > 0.0f)) return 0;
  if (c >= 1.0f) return 255;
  return BYTE(int(c * 255.0f + 0.5f));
}

COLORREF ToColorRef(const AColor& c) {
  return RGB(Channel(c.r), Channel(c.g), Channel(c.b));
}

AColor FromColorRef(COLORREF c, float alpha) {
  return AColor(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, alpha);
}

class HostColorSwatch final : public CustomControl<IColorSwatch> {
 public:
  explicit HostColorSwatch(HWND w) : CustomControl(w) {}

  AColor color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
  std::wstring title = L"Color";
  bool useAlpha = false;
  bool keyBrackets = false;
  bool notifyAfterAccept = false;
  bool picking = false;

  COLORREF SetColor(COLORREF c, int notify) override {
    COLORREF previous = GetColor();
    Set(FromColorRef(c, color.a), notify != 0);
    return previous;
  }
  AColor SetAColor(AColor c, int notify) override {
    AColor previous = color;
    Set(c, notify != 0);
    return previous;
  }
  COLORREF InitColor(COLORREF c, int notify) override { return SetColor(c, notify); }
  AColor InitAColor(AColor c, int notify) override { return SetAColor(c, notify); }
  void SetUseAlpha(BOOL onOff) override { useAlpha = onOff != FALSE; }
  BOOL GetUseAlpha() override { return useAlpha; }
  COLORREF GetColor() override { return ToColorRef(color); }
  AColor GetAColor() override { return color; }
  void ForceDitherMode(BOOL) override {}
  void SetModal() override {}
  void Activate(int) override {}
  void EditThis(BOOL) override { Pick(); }
  void SetKeyBrackets(BOOL onOff) override {
    keyBrackets = onOff != FALSE;
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  void SetNotifyAfterAccept(BOOL onOff) override { notifyAfterAccept = onOff != FALSE; }
  BOOL GetNotifyAfterAccept() override { return notifyAfterAccept; }

  void Set(const AColor& c, bool notify) {
    color = c;
    InvalidateRect(hwnd, nullptr, TRUE);
    if (notify) NotifyParent(hwnd, CC_COLOR_CHANGE, TRUE, LPARAM(static_cast<IColorSwatch*>(this)));
  }

  // The system's colour dialog stands in for the host's colour picker.
  void Pick() {
    if (picking) return;
    picking = true;
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = GetParent(hwnd);
    cc.rgbResult = GetColor();
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    HWND self = hwnd;
    if (ChooseColorW(&cc) && IsWindow(self)) Set(FromColorRef(cc.rgbResult, color.a), true);
    if (IsWindow(self)) {
      picking = false;
      NotifyParent(self, CC_COLOR_CLOSE, 0, LPARAM(static_cast<IColorSwatch*>(this)));
    }
  }

  void Paint(HDC dc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (IsWindowEnabled(hwnd)) {
      HBRUSH brush = CreateSolidBrush(GetColor());
      FillRect(dc, &rc, brush);
      DeleteObject(brush);
    } else {
      FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
      HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, GetSysColor(COLOR_BTNSHADOW));
      SetBkMode(dc, TRANSPARENT);
      FillRect(dc, &rc, hatch);
      DeleteObject(hatch);
    }
    if (keyBrackets) FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
};

HostColorSwatch* SwatchOf(HWND hwnd) {
  return ControlObject<HostColorSwatch>(hwnd, COLORSWATCHWINDOWCLASS);
}

LRESULT CALLBACK ColorSwatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HostColorSwatch* s = reinterpret_cast<HostColorSwatch*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      s = new HostColorSwatch(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(s));
      break;
    case WM_LBUTTONUP: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      POINT p = {short(LOWORD(lParam)), short(HIWORD(lParam))};
      if (s && PtInRect(&rc, p)) s->Pick();
      return 0;
    }
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (s) s->Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      if (s) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete s;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterColorSwatchClass() {
  RegisterHostWindowClass(COLORSWATCHWINDOWCLASS, ColorSwatchProc,
                          CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace editor

IColorSwatch* GetIColorSwatch(HWND hCtrl, COLORREF col, const MCHAR* name) {
  auto* s = editor::SwatchOf(hCtrl);
  if (s) {
    s->color = editor::FromColorRef(col, 1.0f);
    if (name) s->title = name;
    InvalidateRect(hCtrl, nullptr, TRUE);
  }
  return s;
}

IColorSwatch* GetIColorSwatch(HWND hCtrl, AColor col, const MCHAR* name) {
  auto* s = editor::SwatchOf(hCtrl);
  if (s) {
    s->color = col;
    if (name) s->title = name;
    InvalidateRect(hCtrl, nullptr, TRUE);
  }
  return s;
}

IColorSwatch* GetIColorSwatch(HWND hCtrl) {
  return editor::SwatchOf(hCtrl);
}

void ReleaseIColorSwatch(IColorSwatch*) {
  // The interface lives with its window.
}
