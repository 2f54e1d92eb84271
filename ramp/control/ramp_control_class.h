#pragma once
#include "WindowsDefines.h"

// The window class "CustGradientRamp" of the ramp control, registered once per process when
// the module first attaches.
void RegisterRampControlClass();
LRESULT CALLBACK RampControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
