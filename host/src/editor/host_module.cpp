// host.dll's entry point and the helpers the material editor's controls share.
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

#include "editor_internal.h"

namespace {
HINSTANCE hostInstance = nullptr;
}

// The controls exist for every module's dialogs from the moment the host is loaded, as in the
// application.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    hostInstance = instance;
    editor::RegisterControlClasses();
  }
  return TRUE;
}

namespace editor {

HINSTANCE HostInstance() {
  return hostInstance;
}

void RegisterHostWindowClass(const wchar_t* name, WNDPROC proc, UINT style, LPCTSTR cursor) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = hostInstance;
  wc.hCursor = LoadCursor(nullptr, cursor);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

void RegisterControlClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterCustEditClass();
  RegisterSpinnerClass();
  RegisterCustButtonClass();
  RegisterColorSwatchClass();
}

bool IsIntegerEditType(EditSpinnerType type) {
  return type == EDITTYPE_INT || type == EDITTYPE_POS_INT || type == EDITTYPE_TIME;
}

std::wstring FormatSpinnerValue(float v, EditSpinnerType type) {
  wchar_t text[64];
  if (IsIntegerEditType(type)) {
    std::swprintf(text, 64, L"%d", int(std::lround(v)));
    return text;
  }
  std::swprintf(text, 64, L"%.3f", double(v));
  std::wstring s = text;
  size_t dot = s.find(L'.');
  if (dot != std::wstring::npos) {
    while (s.size() > dot + 2 && s.back() == L'0') s.pop_back();
  }
  if (s == L"-0.0") s = L"0.0";
  return s;
}

bool ParseNumber(const wchar_t* text, double& value) {
  if (!text) return false;
  wchar_t* end = nullptr;
  double v = std::wcstod(text, &end);
  if (end == text) return false;
  while (*end && std::iswspace(*end)) ++end;
  if (*end || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool IsWindowOfClass(HWND hwnd, const wchar_t* className) {
  wchar_t name[64];
  if (!GetClassNameW(hwnd, name, 64)) return false;
  return _wcsicmp(name, className) == 0;
}

LRESULT NotifyParent(HWND control, UINT msg, WORD hiword, LPARAM lParam) {
  HWND parent = GetParent(control);
  if (!parent) return 0;
  WORD id = WORD(GetDlgCtrlID(control));
  return SendMessageW(parent, msg, MAKEWPARAM(id, hiword), lParam);
}

}  // namespace editor
