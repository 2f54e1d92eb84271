#pragma once
#include <ostream>
#include <vector>

#include "imtl.h"
#include "render/rgba_image.h"
#include "scene/host_scene.h"

struct BakeSettings {
  int size = 512;   // texels a side
  int padding = 0;  // texels filled around the islands; 0: none
  int threads = 1;
};

// Bakes the map into the UV layout the nodes share: a size x size picture of the unit UV
// square (v up), where every texel whose centre lies in a UV triangle gets the map's colour at
// the matching point of that node's surface, opaque. Where UV triangles overlap, the first
// node given and within it the first face wins. With padding, every other texel whose centre
// lies within `padding` texels of a covered one takes the colour of the nearest covered texel,
// opaque too; the rest stay transparent. Throws InputError when a node has no UVs. The map
// must be up to date (MtlBase::Update). Shows the bake on progressTo when given.
RgbaImage BakeUVs(const std::vector<const SceneNode*>& nodes, Texmap* map,
                  const BakeSettings& settings, std::ostream* progressTo = nullptr);
// The same with 16 bits a channel.
Rgba16Image BakeUVs16(const std::vector<const SceneNode*>& nodes, Texmap* map,
                      const BakeSettings& settings, std::ostream* progressTo = nullptr);
