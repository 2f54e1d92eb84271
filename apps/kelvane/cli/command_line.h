#pragma once
#include <optional>
#include <string>
#include <vector>

#include "scene/scene_description.h"

enum class Command { Help, Version, Render, Sample, Bake, Preview, Save };

// What the user asked for, checked: every value parsed and in range, every required flag
// present, no flag given to a command that does not take it.
struct CommandLine {
  Command command = Command::Help;
  std::optional<std::string> scene;  // none: the built-in scene
  std::optional<std::string> output;
  std::optional<ImageSize> size;   // render --size WxH
  std::optional<int> bakeSize;     // bake --size N
  int bakePadding = 0;             // bake --padding N
  int bakeDepth = 8;               // bake --depth 8|16
  std::optional<int> previewSize;  // preview --size N
  std::optional<int> threads;
  bool bump = false;
  float bumpAmount = 0.3f;   // render --bump [AMOUNT]: the material's bump amount, 1 = 100
  bool stats = false;        // render: report the time and samples per second
  bool constantMap = false;  // render: the host's constant-colour map in place of the map
  std::optional<std::string> points;
  std::vector<std::string> nodes;  // bake --node, in order
  float smoothAngle = 30.0f;
  std::optional<UpAxis> up;                 // render, save: the default camera's up axis
  std::optional<CameraDescription> camera;  // render: up to be taken from the scene
  std::optional<std::string> frame;         // render: the node the default camera frames
  std::vector<ParameterSetting> settings;   // --set, in order
};

inline constexpr int kMaxThreads = 256;
// The viewport texture size of `preview` without --size.
inline constexpr int kDefaultPreviewSize = 256;

// args without the program name. Throws InputError naming the offending argument.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The help text: commands, flags and what they default to.
const char* UsageText();
