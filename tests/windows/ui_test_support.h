// Real windows under Wine for the user-interface tests: the loaded module, a parent window,
// the message queue, typing and clicking, the keyboard state and pixels.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "WindowsDefines.h"

// Kelvane.dlt, loaded with the test program (it links the module's import library), whose
// entry point has registered "CustGradientRamp".
HINSTANCE KelvaneModule();

// A top-level window to hold controls; the ramp control's notifications stay in its queue.
HWND CreateTestParent(int width, int height);

// Dispatches everything in the thread's queue except the ramp control's notifications, which
// stay in the parent's queue for TakeRampMessages.
void PumpMessages();

struct PostedMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
// Removes the ramp control's notifications from the parent's queue, oldest first.
std::vector<PostedMessage> TakeRampMessages(HWND parent);
// Ramp notifications that a modal loop dispatched to a test parent instead of leaving them
// queued (none, in a correct run). Cleared by the call.
std::vector<PostedMessage> TakeDispatchedRampMessages();

// The thread's keyboard state with only these virtual keys held (GetKeyState reads it).
void SetHeldKeys(std::initializer_list<int> keys);

// The colour of a client pixel of a window, read back from the screen's surface.
COLORREF PixelAt(HWND window, int x, int y);
// Every client pixel of a window as RGB bytes, rows top to bottom.
std::vector<unsigned char> CaptureClient(HWND window, int& width, int& height);

// The folder of the test program, with a trailing separator.
std::wstring ProgramFolder();

// Dispatches everything in the thread's queue, ramp notifications and repaints included.
void PumpAll();
// Types text into a "CustEdit" as a user would: selects what it holds, sends the characters,
// then Return.
void TypeInto(HWND custEdit, const std::wstring& text);
// A left click (button down and up) at a client point of a window.
void ClickAt(HWND window, int x, int y);
std::wstring WindowText(HWND window);

// Prints a COLORREF as (r, g, b) in failure messages.
struct Rgb {
  COLORREF value;
  bool operator==(const Rgb& o) const { return value == o.value; }
};
void PrintTo(const Rgb& c, std::ostream* os);
inline Rgb RgbOf(COLORREF c) {
  return Rgb{c};
}
