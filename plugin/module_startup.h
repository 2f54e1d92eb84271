#pragma once
#include "WindowsDefines.h"

// The module's one-time start-up work on its first attach: the Windows common controls and
// the ramp control's window class. Natively there is no Win32 user interface to set up.
void StartModuleUserInterface(HINSTANCE module);
