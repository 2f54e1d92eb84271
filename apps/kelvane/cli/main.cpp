// kelvane: hosts the Kelvane map outside 3ds Max. Loads Kelvane.dlt from beside the program
// through the host's loader, as the application does, and runs one command.
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/kelvane_app.h"
#include "plugin_loader.h"
#include "scene/map_binding.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  ClassDesc* mapClass = nullptr;
  auto loadMapClass = [&mapClass] {
    if (!mapClass)
      mapClass = LoadKelvaneClass(std::wstring(GetExecutableDirectory().data()) + L"/Kelvane.dlt");
    return mapClass;
  };
  AppEnvironment env{std::cout, std::cerr, isatty(STDERR_FILENO) != 0,
                     int(std::max(1u, std::thread::hardware_concurrency())), loadMapClass};
  return RunKelvane(args, env);
}
