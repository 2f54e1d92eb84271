#include "marker_map_hold.h"

#include <algorithm>

MarkerMapHold::MarkerMapHold(ReferenceTarget* weakOwner) {
  if (weakOwner) ReplaceReference(0, weakOwner);
}

void MarkerMapHold::Add(RefTargetHandle target) {
  if (!target || Holds(target)) return;
  held.push_back(nullptr);
  if (ReplaceReference(NumRefs() - 1, target) != REF_SUCCEED) held.pop_back();
}

bool MarkerMapHold::Holds(RefTargetHandle target) const {
  return target && std::find(held.begin() + 1, held.end(), target) != held.end();
}

RefTargetHandle MarkerMapHold::GetReference(int i) {
  return i >= 0 && i < NumRefs() ? held[size_t(i)] : nullptr;
}

void MarkerMapHold::SetReference(int i, RefTargetHandle target) {
  if (i >= 0 && i < NumRefs()) held[size_t(i)] = target;
}
