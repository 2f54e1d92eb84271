// The material editor under Wine for the editor and rollout tests: a window that records what
// controls tell their parent, typing and clicking with real messages, and the message loop.
#pragma once
#include <string>
#include <vector>

#include "WindowsDefines.h"

// Dispatches everything in the thread's queue, ramp notifications and repaints included.
void PumpAll();

// A visible top-level window at a fixed place whose procedure records the notifications its
// child controls send it (WM_COMMAND, CC_..., WM_CUSTEDIT_ENTER) and answers the rest by
// default.
HWND CreateRecordingParent(int width, int height);
struct Notification {
  UINT msg;
  WORD id;
  WORD code;  // the high word of wParam
  LPARAM lParam;
};
// What the recording parents heard since the last call, oldest first.
std::vector<Notification> TakeNotifications();

// Types text into a "CustEdit" as a user would: selects what it holds, sends the characters,
// then Return.
void TypeInto(HWND custEdit, const std::wstring& text);
// A left click (button down and up) at a client point of a window.
void ClickAt(HWND window, int x, int y);
void RightClickAt(HWND window, int x, int y);
std::wstring WindowText(HWND window);
