#include "module_startup.h"

void StartModuleUserInterface(HINSTANCE) {}
