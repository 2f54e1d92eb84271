#pragma once
#include <ostream>

#include "command_line.h"
#include "scene_session.h"

// What the commands need of the world outside the scene.
struct CommandContext {
  std::ostream& out;
  std::ostream& err;
  bool terminal = false;  // err is a terminal: show progress there
  int hardwareThreads = 1;
};

void RunRender(const CommandLine& cl, const SceneSession& session, CommandContext& context);
void RunSample(const CommandLine& cl, const SceneSession& session, CommandContext& context);
void RunBake(const CommandLine& cl, const SceneSession& session, CommandContext& context);
void RunPreview(const CommandLine& cl, const SceneSession& session, CommandContext& context);
void RunSave(const CommandLine& cl, const SceneSession& session, CommandContext& context);
