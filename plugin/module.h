#pragma once
#include "WindowsDefines.h"

class ClassDesc2;

// The module's instance handle, stored by the entry point; null until it has run.
extern HINSTANCE hInstance;

// Loads a string of the module's string table into one shared buffer of 512 characters and
// returns it, or null before the module handle is known or for a missing entry. The text
// lives until the next call: copy it at once.
const MCHAR* GetString(int id);

// The single class descriptor of the Kelvane map.
ClassDesc2* GetKelvaneDesc();
