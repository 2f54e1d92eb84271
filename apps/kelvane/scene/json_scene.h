#pragma once
#include <filesystem>
#include <ostream>
#include <string>

#include "scene/scene_description.h"

// Reads a JSON scene file. Mesh files it names are relative to its folder; smoothAngle is the
// auto-smooth angle for meshes that bring no smoothing groups of their own. Shows reading its
// meshes on progressTo when given.
SceneDescription LoadJsonScene(const std::string& path, float smoothAngle,
                               std::ostream* progressTo = nullptr);

// The same from text: `source` names it in messages, `folder` anchors relative paths.
SceneDescription ParseJsonScene(const std::string& text, const std::string& source,
                                const std::filesystem::path& folder, float smoothAngle,
                                std::ostream* progressTo = nullptr);
