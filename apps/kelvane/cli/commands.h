#pragma once
#include "cli/command_line.h"
#include "cli/kelvane_app.h"
#include "scene/scene_session.h"

void RunRender(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
void RunSample(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
void RunBake(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
void RunPreview(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
void RunSave(const CommandLine& cl, const SceneSession& session, AppEnvironment& env);
