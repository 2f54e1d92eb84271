#include "editor_test_support.h"

void PumpAll() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TypeInto(HWND custEdit, const std::wstring& text) {
  HWND inner = GetWindow(custEdit, GW_CHILD);  // the inner edit window
  SetFocus(inner);
  SendMessageW(inner, EM_SETSEL, 0, -1);
  for (wchar_t c : text) SendMessageW(inner, WM_CHAR, WPARAM(c), 1);
  SendMessageW(inner, WM_KEYDOWN, VK_RETURN, 1);
  SendMessageW(inner, WM_CHAR, WPARAM(L'\r'), 1);
  SendMessageW(inner, WM_KEYUP, VK_RETURN, 0xC0000001);
}

void ClickAt(HWND window, int x, int y) {
  LPARAM at = MAKELPARAM(x, y);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(window, WM_LBUTTONUP, 0, at);
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}
