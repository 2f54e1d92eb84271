#include "ui_test_support.h"

#include <ostream>

#include "ramp_control_messages.h"

namespace {

std::vector<PostedMessage> dispatched;

LRESULT CALLBACK TestParentProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_RAMP_MARKER_CHANGED || msg == WM_RAMP_MARKER_MOVED) {
    dispatched.push_back(PostedMessage{msg, wParam, lParam});
    return 0;
  }
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

// A visible top-level window of a test window class (registered on first use) at a fixed
// place on the virtual screen. The pointer is moved off the test windows first, so no real
// mouse input reaches them.
HWND CreateTopWindow(const wchar_t* cls, WNDPROC proc, HBRUSH background, int x, int y, int width,
                     int height) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = cls;
  RegisterClassExW(&wc);  // fails harmlessly once the class exists
  SetCursorPos(1270, 1010);
  return CreateWindowExW(0, cls, L"Kelvane UI test", WS_POPUP | WS_VISIBLE, x, y, width, height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

HINSTANCE KelvaneModule() {
  return GetModuleHandleW(L"Kelvane.dlt");
}

HWND CreateTestParent(int width, int height) {
  HWND parent =
      CreateTopWindow(L"KelvaneTestParent", TestParentProc,
                      static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)), 100, 100, width, height);
  PumpMessages();
  return parent;
}

void PumpMessages() {
  // Two ranges around the ramp's notifications, which are left queued.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, WM_RAMP_MARKER_CHANGED - 1, PM_REMOVE) ||
         PeekMessageW(&msg, nullptr, WM_RAMP_MARKER_MOVED + 1, 0xFFFFFFFF, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::vector<PostedMessage> TakeRampMessages(HWND parent) {
  std::vector<PostedMessage> out;
  MSG msg;
  while (PeekMessageW(&msg, parent, WM_RAMP_MARKER_CHANGED, WM_RAMP_MARKER_MOVED, PM_REMOVE))
    out.push_back(PostedMessage{msg.message, msg.wParam, msg.lParam});
  return out;
}

std::vector<PostedMessage> TakeDispatchedRampMessages() {
  std::vector<PostedMessage> out;
  out.swap(dispatched);
  return out;
}

void SetHeldKeys(std::initializer_list<int> keys) {
  BYTE state[256] = {};
  for (int k : keys) state[k] = 0x80;
  SetKeyboardState(state);
}

COLORREF PixelAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

std::vector<unsigned char> CaptureClient(HWND window, int& width, int& height) {
  RECT client;
  GetClientRect(window, &client);
  width = client.right - client.left;
  height = client.bottom - client.top;
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  GdiFlush();
  std::vector<unsigned char> rgb(size_t(width) * height * 3);
  const auto* bgra = static_cast<const unsigned char*>(bits);
  for (size_t i = 0; i < size_t(width) * height; ++i) {
    rgb[3 * i + 0] = bgra[4 * i + 2];
    rgb[3 * i + 1] = bgra[4 * i + 1];
    rgb[3 * i + 2] = bgra[4 * i + 0];
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return rgb;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

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

void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "(" << int(GetRValue(c.value)) << ", " << int(GetGValue(c.value)) << ", "
      << int(GetBValue(c.value)) << ")";
}
