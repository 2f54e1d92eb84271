#include "scene/map_binding.h"

#include <stdexcept>

#include "host_maps.h"
#include "plugin_loader.h"
#include "scene/block_parameters.h"
#include "scene/host_scene.h"
#include "scene/marker_chunk.h"
#include "scene/memory_chunk_load.h"
#include "texmap/marker_record.h"

namespace {

// The map's identity as the module declares it.
const Class_ID kKelvaneClassID(0x51DC051B, 0x866D966D);

// References of the map's marker maps: colour at 3 + 2i, transparency at 4 + 2i.
constexpr int kFirstMarkerMapRef = 3;

IParamBlock2* Parameters(Texmap* map) {
  IParamBlock2* block = map->GetParamBlock(0);
  if (!block) throw std::runtime_error("the map has no parameter block");
  return block;
}

// The host's own map for a marker.
Texmap* NewHostMap(const HostMapDescription& d) {
  if (d.kind == HostMapDescription::Kind::Color) {
    auto* map = new ConstantColorMap;
    map->color = d.color1;
    return map;
  }
  auto* map = new CheckerMap;
  map->color1 = d.color1;
  map->color2 = d.color2;
  map->size = d.size;
  return map;
}

void InstallMarkerMap(Texmap* map, int ref, const HostMapDescription& description) {
  Texmap* sub = NewHostMap(description);
  if (map->ReplaceReference(ref, sub) != REF_SUCCEED) {
    sub->DeleteMe();
    throw std::runtime_error("the map did not take a marker map as its reference " +
                             std::to_string(ref));
  }
}

}  // namespace

ClassDesc* LoadKelvaneClass(const std::wstring& modulePath) {
  PluginLoadStatus status = PLUGIN_LOADED;
  MSTR message;
  PluginLibrary* library = LoadPluginLibrary(modulePath.c_str(), &status, &message);
  if (!library) throw std::runtime_error("cannot load the plug-in: " + Narrow(message.data()));
  for (int i = 0; i < library->NumClasses(); ++i) {
    ClassDesc* cd = library->GetClassDesc(i);
    if (cd && cd->SuperClassID() == TEXMAP_CLASS_ID && cd->ClassID() == kKelvaneClassID) return cd;
  }
  throw std::runtime_error("the plug-in " + Narrow(modulePath.c_str()) +
                           " has no Kelvane map class");
}

Texmap* CreateMap(ClassDesc* mapClass) {
  auto* made = static_cast<ReferenceTarget*>(mapClass->Create(FALSE));
  if (!made) throw std::runtime_error("the plug-in made no map");
  if (made->SuperClassID() != TEXMAP_CLASS_ID) {
    made->DeleteMe();
    throw std::runtime_error("the plug-in made something other than a texture map");
  }
  return static_cast<Texmap*>(made);
}

void ApplyParameters(Texmap* map, const std::vector<ParameterSetting>& parameters) {
  IParamBlock2* block = Parameters(map);
  for (const ParameterSetting& setting : parameters) SetBlockParameter(block, setting);
}

void ApplyMapDescription(Texmap* map, const MapDescription& description) {
  ApplyParameters(map, description.parameters);
  if (description.markers) GiveMarkers(map, *description.markers);
}

void GiveMarkers(Texmap* map, const std::vector<MarkerDescription>& markers) {
  {
    MemoryChunkLoad load({{kMarkerChunkID, EncodeMarkerChunk(markers)}});
    if (map->Load(&load) != IO_OK) throw std::runtime_error("the map did not load its markers");
    load.Finish();
  }
  // The map has two sub-maps per marker; a map that ignored the chunk still has its own ramp.
  if (map->NumSubTexmaps() != 2 * int(markers.size()))
    throw std::runtime_error("the map did not take its markers (it has " +
                             std::to_string(map->NumSubTexmaps() / 2) + ", it was given " +
                             std::to_string(markers.size()) + ")");
  for (size_t i = 0; i < markers.size(); ++i) {
    const int colorRef = kFirstMarkerMapRef + 2 * int(i);
    if (markers[i].colorMap) InstallMarkerMap(map, colorRef, *markers[i].colorMap);
    if (markers[i].transparentMap) InstallMarkerMap(map, colorRef + 1, *markers[i].transparentMap);
  }
}

Texmap* NewConstantColorMap() {
  return new ConstantColorMap;
}

void PrepareToShade(Texmap* map) {
  Interval valid = FOREVER;
  map->Update(0, valid);
}
