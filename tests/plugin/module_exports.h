#pragma once
// The module's exported entry points, as a program linked against it sees them.
#include "WindowsDefines.h"

class ClassDesc;

extern "C" {
const MCHAR* LibDescription();
int LibNumberClasses();
ClassDesc* LibClassDesc(int i);
ULONG LibVersion();
int LibInitialize();
int LibShutdown();
BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD reason, LPVOID reserved);
}
