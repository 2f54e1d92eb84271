#pragma once
#include <ostream>

#include "imtl.h"
#include "render/rgba_image.h"
#include "scene/host_scene.h"

// Bakes the map into a node's UV layout: a size x size picture of the unit UV square (v up),
// where every texel whose centre lies in a UV triangle gets the map's colour at the matching
// point of the surface, opaque; texels outside every triangle stay transparent. Where UV
// triangles overlap, the first face in the mesh wins. Throws InputError when the node has no
// UVs. The map must be up to date (MtlBase::Update). Shows the bake on progressTo when given.
RgbaImage BakeUVs(const SceneNode& node, Texmap* map, int size, int threads,
                  std::ostream* progressTo = nullptr);
