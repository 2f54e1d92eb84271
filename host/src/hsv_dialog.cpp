// The host's modal HSV colour picker: a real dialog, built from an in-memory template, with
// hue, saturation, value and red, green, blue as whole numbers 0..255 (the host's scale), a
// swatch of the colour, OK and Cancel.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host_hsv_dialog.h"

namespace {

HSVDialogHook dialogHook = nullptr;
void* dialogHookContext = nullptr;

// Posted to the picker once it is up (the template makes it visible at creation), so a hook
// answers a shown dialog from inside the modal loop.
constexpr UINT kRunHookMessage = WM_APP + 0x48;

struct Hsv {
  float h = 0.0f, s = 0.0f, v = 0.0f;  // each 0..1
};

Hsv HsvFromRgb(float r, float g, float b, float previousHue) {
  Hsv out;
  float mx = std::max({r, g, b});
  float mn = std::min({r, g, b});
  float delta = mx - mn;
  out.v = mx;
  out.s = mx > 0.0f ? delta / mx : 0.0f;
  if (delta <= 0.0f) {
    out.h = previousHue;  // a grey has no hue: keep the one the user set
    return out;
  }
  float h;
  if (mx == r)
    h = (g - b) / delta;
  else if (mx == g)
    h = 2.0f + (b - r) / delta;
  else
    h = 4.0f + (r - g) / delta;
  h /= 6.0f;
  if (h < 0.0f) h += 1.0f;
  out.h = h;
  return out;
}

void RgbFromHsv(const Hsv& c, float& r, float& g, float& b) {
  if (c.s <= 0.0f) {
    r = g = b = c.v;
    return;
  }
  float h = (c.h >= 1.0f ? 0.0f : c.h) * 6.0f;
  int sector = int(std::floor(h));
  float f = h - float(sector);
  float p = c.v * (1.0f - c.s);
  float q = c.v * (1.0f - c.s * f);
  float t = c.v * (1.0f - c.s * (1.0f - f));
  switch (sector) {
    case 0:
      r = c.v, g = t, b = p;
      break;
    case 1:
      r = q, g = c.v, b = p;
      break;
    case 2:
      r = p, g = c.v, b = t;
      break;
    case 3:
      r = p, g = q, b = c.v;
      break;
    case 4:
      r = t, g = p, b = c.v;
      break;
    default:
      r = c.v, g = p, b = q;
      break;
  }
}

int Byte(float c) {
  return int(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f);
}

struct Picker {
  AColor color;  // being edited
  Hsv hsv;
  bool updating = false;  // the dialog itself is filling its edits
  HSVCallback* callback = nullptr;
  bool wordColor = false;  // the caller edits a COLORREF: so does the callback
  IPoint2* startPosition = nullptr;
  HWND owner = nullptr;
  std::wstring title;
};

// An in-memory DLGTEMPLATE and its items, WORD by WORD.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, const wchar_t* font, WORD pointSize) {
    Dword(style);
    Dword(0);  // extended style
    countAt = words.size();
    words.push_back(0);
    Coordinates(0, 0, cx, cy);
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    String(L"");         // title: set from the caller's name at initialisation
    words.push_back(pointSize);
    String(font);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
            const wchar_t* text) {
    if (words.size() % 2) words.push_back(0);  // items start on a DWORD
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Coordinates(x, y, cx, cy);
    words.push_back(id);
    words.push_back(0xFFFF);
    words.push_back(atom);
    String(text);
    words.push_back(0);  // no creation data
    ++words[countAt];
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words.data()); }

 private:
  void Dword(DWORD d) {
    words.push_back(WORD(d & 0xFFFF));
    words.push_back(WORD(d >> 16));
  }
  void Coordinates(short x, short y, short cx, short cy) {
    for (short v : {x, y, cx, cy}) words.push_back(WORD(v));
  }
  void String(const wchar_t* s) {
    for (; *s; ++s) words.push_back(WORD(*s));
    words.push_back(0);
  }
  std::vector<WORD> words;
  size_t countAt = 0;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

DialogTemplate BuildTemplate() {
  DialogTemplate t(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                   206, 92, L"MS Shell Dlg", 8);
  t.Item(SS_OWNERDRAW | WS_BORDER, 7, 7, 50, 50, HSVDLG_SWATCH, kStatic, L"");
  const struct {
    const wchar_t* label;
    WORD id;
  } fields[] = {{L"Hue:", HSVDLG_HUE}, {L"Sat:", HSVDLG_SATURATION}, {L"Value:", HSVDLG_VALUE},
                {L"Red:", HSVDLG_RED}, {L"Green:", HSVDLG_GREEN},    {L"Blue:", HSVDLG_BLUE}};
  for (int i = 0; i < 6; ++i) {
    short x = short(i < 3 ? 66 : 136);
    short y = short(7 + 16 * (i % 3));
    t.Item(SS_LEFT, x, short(y + 2), 28, 8, WORD(0xFFFF), kStatic, fields[i].label);
    t.Item(ES_NUMBER | ES_RIGHT | WS_BORDER | WS_TABSTOP, short(x + 30), y, 32, 12, fields[i].id,
           kEdit, L"");
  }
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 94, 70, 50, 14, IDOK, kButton, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 149, 70, 50, 14, IDCANCEL, kButton, L"Cancel");
  return t;
}

void SetNumber(HWND dialog, int id, int value) {
  SetDlgItemInt(dialog, id, UINT(value), FALSE);
}

void ShowHsv(HWND dialog, const Picker& p) {
  SetNumber(dialog, HSVDLG_HUE, Byte(p.hsv.h));
  SetNumber(dialog, HSVDLG_SATURATION, Byte(p.hsv.s));
  SetNumber(dialog, HSVDLG_VALUE, Byte(p.hsv.v));
}

void ShowRgb(HWND dialog, const Picker& p) {
  SetNumber(dialog, HSVDLG_RED, Byte(p.color.r));
  SetNumber(dialog, HSVDLG_GREEN, Byte(p.color.g));
  SetNumber(dialog, HSVDLG_BLUE, Byte(p.color.b));
}

COLORREF ColorRefOf(const AColor& c) {
  return RGB(Byte(c.r), Byte(c.g), Byte(c.b));
}

void NotifyChange(const Picker& p) {
  if (!p.callback) return;
  if (p.wordColor)
    p.callback->ColorChanged(DWORD(ColorRefOf(p.color)), FALSE);
  else
    p.callback->ColorChanged(p.color, FALSE);
}

// The user typed into one edit: that one number changes the colour; the others follow.
void EditChanged(HWND dialog, Picker& p, int id) {
  BOOL ok = FALSE;
  UINT n = GetDlgItemInt(dialog, id, &ok, FALSE);
  if (!ok) return;  // empty while typing
  p.updating = true;
  if (n > 255) SetNumber(dialog, id, int(n = 255));
  float value = float(n) / 255.0f;
  switch (id) {
    case HSVDLG_HUE:
    case HSVDLG_SATURATION:
    case HSVDLG_VALUE:
      (id == HSVDLG_HUE ? p.hsv.h : id == HSVDLG_SATURATION ? p.hsv.s : p.hsv.v) = value;
      RgbFromHsv(p.hsv, p.color.r, p.color.g, p.color.b);
      ShowRgb(dialog, p);
      break;
    default:
      (id == HSVDLG_RED ? p.color.r : id == HSVDLG_GREEN ? p.color.g : p.color.b) = value;
      p.hsv = HsvFromRgb(p.color.r, p.color.g, p.color.b, p.hsv.h);
      ShowHsv(dialog, p);
      break;
  }
  p.updating = false;
  InvalidateRect(GetDlgItem(dialog, HSVDLG_SWATCH), nullptr, TRUE);
  NotifyChange(p);
}

void PlaceDialog(HWND dialog, const Picker& p) {
  RECT box;
  GetWindowRect(dialog, &box);
  int x, y;
  if (p.startPosition) {
    x = p.startPosition->x;
    y = p.startPosition->y;
  } else {
    RECT around;
    HWND root = p.owner ? GetAncestor(p.owner, GA_ROOT) : nullptr;
    if (!root || !GetWindowRect(root, &around))
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    x = (around.left + around.right - (box.right - box.left)) / 2;
    y = (around.top + around.bottom - (box.bottom - box.top)) / 2;
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK PickerProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* p = reinterpret_cast<Picker*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      p = reinterpret_cast<Picker*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, p->title.c_str());
      for (int id = HSVDLG_HUE; id <= HSVDLG_BLUE; ++id)
        SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 3, 0);
      p->updating = true;
      ShowHsv(dialog, *p);
      ShowRgb(dialog, *p);
      p->updating = false;
      PlaceDialog(dialog, *p);
      PostMessageW(dialog, kRunHookMessage, 0, 0);
      return TRUE;
    }
    case kRunHookMessage:
      if (p && dialogHook) dialogHook(dialog, p->title.c_str(), dialogHookContext);
      return TRUE;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (!p || item->CtlID != HSVDLG_SWATCH) return FALSE;
      HBRUSH brush = CreateSolidBrush(ColorRefOf(p->color));
      FillRect(item->hDC, &item->rcItem, brush);
      DeleteObject(brush);
      return TRUE;
    }
    case WM_COMMAND: {
      if (!p) return FALSE;
      int id = LOWORD(wParam);
      if (HIWORD(wParam) == EN_CHANGE && id >= HSVDLG_HUE && id <= HSVDLG_BLUE) {
        if (!p->updating) EditChanged(dialog, *p, id);
        return TRUE;
      }
      if (id == IDOK || id == IDCANCEL) {
        if (p->callback) {
          if (id == IDOK)
            p->callback->OnOK();
          else
            p->callback->OnCancel();
        }
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      if (p && p->callback) {
        RECT box;
        GetWindowRect(dialog, &box);
        p->callback->BeingDestroyed(IPoint2(box.left, box.top));
      }
      return FALSE;
  }
  return FALSE;
}

HINSTANCE HostModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&PickerProc), &module);
  return module;
}

// Runs the picker on p.color; true when the user pressed OK.
bool RunPicker(Picker& p) {
  p.hsv = HsvFromRgb(p.color.r, p.color.g, p.color.b, 0.0f);
  DialogTemplate t = BuildTemplate();
  INT_PTR result = DialogBoxIndirectParamW(HostModule(), t.Get(), p.owner, PickerProc,
                                           reinterpret_cast<LPARAM>(&p));
  return result == IDOK;
}

}  // namespace

void SetHSVDialogHook(HSVDialogHook hook, void* context) {
  dialogHook = hook;
  dialogHookContext = context;
}

INT_PTR HSVDlg_Do(HWND hwndOwner, AColor* lpc, IPoint2* spos, HSVCallback* callBack,
                  const MCHAR* name) {
  if (!lpc) return FALSE;
  Picker p;
  p.color = *lpc;
  p.callback = callBack;
  p.startPosition = spos;
  p.owner = hwndOwner;
  p.title = name ? name : L"";
  if (!RunPicker(p)) return FALSE;
  // Only what the user changed moved off the caller's value: an untouched colour comes back
  // exactly as it went in, not rounded to the edits' steps.
  lpc->r = p.color.r;
  lpc->g = p.color.g;
  lpc->b = p.color.b;
  return TRUE;
}

INT_PTR HSVDlg_Do(HWND hwndOwner, DWORD* lpc, IPoint2* spos, HSVCallback* callBack,
                  const MCHAR* name) {
  if (!lpc) return FALSE;
  Picker p;
  p.color =
      AColor(GetRValue(*lpc) / 255.0f, GetGValue(*lpc) / 255.0f, GetBValue(*lpc) / 255.0f, 1.0f);
  p.callback = callBack;
  p.wordColor = true;
  p.startPosition = spos;
  p.owner = hwndOwner;
  p.title = name ? name : L"";
  if (!RunPicker(p)) return FALSE;
  *lpc = DWORD(ColorRefOf(p.color)) | (*lpc & 0xFF000000u);
  return TRUE;
}
