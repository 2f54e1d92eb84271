#pragma once
#include <string>

#include "cli/command_line.h"
#include "cli/kelvane_app.h"
#include "scene/scene_session.h"

// Each command does its work and returns what it wrote, for the one-line summary on a terminal
// ("wrote out.png (960x540, 412 KB)").
std::string RunRender(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
std::string RunSample(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
std::string RunBake(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
std::string RunPreview(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
std::string RunSave(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
