#include "cli/kelvane_app.h"

#include <chrono>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "cli/commands.h"
#include "common/input_error.h"
#include "scene/scene_session.h"

namespace {

// Standard output that could not take what was written (a full disk, /dev/full) is a failed
// run, not a successful one.
void CheckWritten(std::ostream& out) {
  out.flush();
  if (!out) throw std::runtime_error("cannot write to standard output");
}

}  // namespace

int RunKelvane(const std::vector<std::string>& args, AppEnvironment& env) {
  const auto start = std::chrono::steady_clock::now();
  try {
    const CommandLine cl = ParseCommandLine(args);
    if (cl.command == Command::Help || cl.command == Command::Version) {
      if (cl.command == Command::Help)
        env.out << UsageText();
      else
        env.out << "kelvane " << KELVANE_VERSION << '\n';
      CheckWritten(env.out);
      return 0;
    }
    SceneSource source{cl.scene, cl.smoothAngle, cl.settings, cl.up, env.Progress()};
    SceneSession session(source, env.mapClass);
    std::string summary;
    switch (cl.command) {
      case Command::Render:
        summary = RunRender(cl, session, env);
        break;
      case Command::Sample:
        summary = RunSample(cl, session, env);
        break;
      case Command::Bake:
        summary = RunBake(cl, session, env);
        break;
      case Command::Preview:
        summary = RunPreview(cl, session, env);
        break;
      case Command::Save:
        summary = RunSave(cl, session, env);
        break;
      case Command::Help:
      case Command::Version:
        break;
    }
    CheckWritten(env.out);
    // Only for a person watching: scripts and logs get the same bytes every run.
    if (env.terminal) {
      char seconds[32];
      std::snprintf(
          seconds, sizeof seconds, "%.2f",
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      env.err << "kelvane: " << summary << " in " << seconds << " s\n";
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
