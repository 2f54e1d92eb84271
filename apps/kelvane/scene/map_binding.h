#pragma once
// The one place the program meets the Kelvane map itself: finding its class in the loaded
// module, making an instance, giving it parameters and markers, and readying it to shade.
// Everything else talks to it as a Texmap.
#include <string>
#include <vector>

#include "imtl.h"
#include "plugapi.h"
#include "scene/scene_description.h"

// Loads the module at path through the host's loader and returns the Kelvane map's class.
// Throws std::runtime_error when the module does not load or has no such class.
ClassDesc* LoadKelvaneClass(const std::wstring& modulePath);

// A new map from the class descriptor, as the host makes one for a material slot. Throws
// std::runtime_error when the class makes none.
Texmap* CreateMap(ClassDesc* mapClass);

// Sets the parameters through the map's parameter block by their internal names (see
// SetBlockParameter), then gives it the markers when the description has any.
void ApplyMapDescription(Texmap* map, const MapDescription& description);
void ApplyParameters(Texmap* map, const std::vector<ParameterSetting>& parameters);

// Gives the map a ramp the way a scene load does: the host hands it a marker chunk through
// the map's Load, then installs the markers' maps as the map's references 3 + 2i (colour)
// and 4 + 2i (transparency). The markers must be in position order.
void GiveMarkers(Texmap* map, const std::vector<MarkerDescription>& markers);

// The host's own constant-colour map (mid grey), to time a render against.
Texmap* NewConstantColorMap();

// Brings the map up to date for time 0, as the host does before it renders.
void PrepareToShade(Texmap* map);
