#include "editor_test_support.h"

#include "custcont.h"
#include "ui_test_support.h"

namespace {

std::vector<Notification> notifications;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case CC_SPINNER_CHANGE:
    case CC_SPINNER_BUTTONDOWN:
    case CC_SPINNER_BUTTONUP:
    case CC_COLOR_CHANGE:
    case CC_COLOR_CLOSE:
    case WM_CUSTEDIT_ENTER:
      notifications.push_back(Notification{msg, LOWORD(wParam), HIWORD(wParam), lParam});
      return 0;
  }
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

void Mouse(HWND window, UINT down, UINT up, WPARAM held, int x, int y) {
  LPARAM at = MAKELPARAM(x, y);
  SendMessageW(window, down, held, at);
  SendMessageW(window, up, 0, at);
}

}  // namespace

void PumpAll() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HWND CreateRecordingParent(int width, int height) {
  // Clear of the other test programs' windows, which ctest may show at the same time.
  HWND parent = CreateTopWindow(L"KelvaneRecordingParent", RecordingProc,
                                GetSysColorBrush(COLOR_BTNFACE), 820, 480, width, height);
  PumpAll();
  return parent;
}

std::vector<Notification> TakeNotifications() {
  std::vector<Notification> out;
  out.swap(notifications);
  return out;
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
  Mouse(window, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, x, y);
}

void RightClickAt(HWND window, int x, int y) {
  Mouse(window, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, x, y);
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}
