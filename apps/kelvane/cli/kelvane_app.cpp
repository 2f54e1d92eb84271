#include "cli/kelvane_app.h"

#include <new>
#include <stdexcept>

#include "cli/commands.h"
#include "common/input_error.h"
#include "scene/scene_session.h"

int RunKelvane(const std::vector<std::string>& args, AppEnvironment& env) {
  try {
    const CommandLine cl = ParseCommandLine(args);
    if (cl.command == Command::Help) {
      env.out << UsageText();
      return 0;
    }
    SceneSource source{cl.scene, cl.smoothAngle, cl.settings, cl.up};
    SceneSession session(source, env.mapClass);
    switch (cl.command) {
      case Command::Render:
        RunRender(cl, session, env);
        break;
      case Command::Sample:
        RunSample(cl, session, env);
        break;
      case Command::Bake:
        RunBake(cl, session, env);
        break;
      case Command::Preview:
        RunPreview(cl, session, env);
        break;
      case Command::Save:
        RunSave(cl, session, env);
        break;
      case Command::Help:
        break;
    }
    return 0;
  } catch (const InputError& e) {
    env.err << "kelvane: " << e.what() << '\n';
    return 2;
  } catch (const std::bad_alloc&) {
    env.err << "kelvane: out of memory\n";
    return 1;
  } catch (const std::exception& e) {
    env.err << "kelvane: " << e.what() << '\n';
    return 1;
  } catch (...) {
    env.err << "kelvane: unexpected error\n";
    return 1;
  }
}
