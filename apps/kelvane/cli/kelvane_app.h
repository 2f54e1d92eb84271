#pragma once
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class ClassDesc;

// What the program meets outside itself, and all the commands need of the world outside their
// scene; main fills it from the process, tests with their own streams and map class.
struct AppEnvironment {
  std::ostream& out;
  std::ostream& err;
  bool terminal = false;  // err is a terminal: progress bars go there
  int hardwareThreads = 1;
  // The map's class, looked up (and its module loaded) only when a command needs it.
  std::function<ClassDesc*()> mapClass;

  // Where progress bars go: err on a terminal, nowhere otherwise.
  std::ostream* Progress() const { return terminal ? &err : nullptr; }
};

// Runs one command line (without the program name) and returns the exit status: 0 done,
// 2 bad input (one line on err saying what is wrong), 1 anything else.
int RunKelvane(const std::vector<std::string>& args, AppEnvironment& env);
