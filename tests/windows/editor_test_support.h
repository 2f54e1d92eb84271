// The material editor under Wine for the rollout tests: typing and clicking with real
// messages, and the message loop.
#pragma once
#include <string>

#include "WindowsDefines.h"

// Dispatches everything in the thread's queue, ramp notifications and repaints included.
void PumpAll();

// Types text into a "CustEdit" as a user would: selects what it holds, sends the characters,
// then Return.
void TypeInto(HWND custEdit, const std::wstring& text);
// A left click (button down and up) at a client point of a window.
void ClickAt(HWND window, int x, int y);
std::wstring WindowText(HWND window);
