#include "support/standin_map.h"

#include <cwchar>

#include <cstring>

#include "bitmap.h"
#include "inode.h"
#include "ioapi.h"
#include "plugin_loader.h"

namespace {

const Class_ID kStandinClassID(0x7e57a991, 0x5747);

class StandinMapDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return TRUE; }
  void* Create(BOOL) override { return static_cast<ReferenceTarget*>(new StandinMap(this)); }
  const MCHAR* ClassName() override { return L"Stand-in map"; }
  const MCHAR* NonLocalizedClassName() override { return L"Stand-in map"; }
  SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
  Class_ID ClassID() override { return kStandinClassID; }
  const MCHAR* Category() override { return L"Test"; }
};

StandinMapDesc standinDesc;

// clang-format off
ParamBlockDesc2 standinParams(0, L"params", 0, &standinDesc, P_AUTO_CONSTRUCT, 0,
    standin_distance, L"Distance", TYPE_FLOAT, 0, 0, p_default, 0.1, p_range, 0.0, 10000000.0, p_end,
    standin_open, L"open edges", TYPE_BOOL, 0, 0, p_default, FALSE, p_end,
    standin_conditions, L"conditions", TYPE_INT, 0, 0, p_default, 1, p_range, 0, 1, p_end,
    standin_c_mult, L"c_mult", TYPE_INT, 0, 0, p_default, 2, p_range, 1, 1000000, p_end,
    standin_map, L"map", TYPE_TEXMAP, 0, 0, p_end,
    standin_smooth, L"smooth", TYPE_BOOL, 0, 0, p_default, FALSE, p_end,
    standin_matid, L"matid", TYPE_BOOL, 0, 0, p_default, FALSE, p_end,
    p_end);
// clang-format on

}  // namespace

StandinMap::StandinMap(ClassDesc2* cd) {
  cd->MakeAutoParamBlocks(this);
}

StandinMap::~StandinMap() {
  ActivateTexDisplay(FALSE);
}

DWORD_PTR StandinMap::GetActiveTexHandle(TimeValue, TexHandleMaker& thmaker) {
  if (texHandle) return texHandle->GetHandle();
  const int n = thmaker.Size();
  BitmapInfo bi(L"standin");
  bi.SetWidth(WORD(n));
  bi.SetHeight(WORD(n));
  bi.SetType(BMM_TRUE_64);
  Bitmap* bm = TheManager->Create(&bi);
  if (!bm) return 0;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      BMM_Color_64 c(WORD((8 * x) << 8), WORD((8 * y) << 8), WORD((10 * markers.size()) << 8),
                     0xFFFF);
      bm->PutPixels(x, y, 1, &c);
    }
  texHandle = thmaker.MakeHandle(thmaker.BitmapToDIB(bm, 0, 0));
  bm->DeleteThis();
  return texHandle ? texHandle->GetHandle() : 0;
}

void StandinMap::ActivateTexDisplay(BOOL onoff) {
  if (onoff || !texHandle) return;
  texHandle->DeleteThis();
  texHandle = nullptr;
}

RefTargetHandle StandinMap::GetReference(int i) {
  if (i == 0) return pblock;
  size_t k = size_t(i - 3);
  return i >= 3 && k < markerMaps.size() ? markerMaps[k] : nullptr;
}

void StandinMap::SetReference(int i, RefTargetHandle t) {
  if (i == 0) pblock = static_cast<IParamBlock2*>(t);
  if (i < 3) return;
  if (markerMaps.size() <= size_t(i - 3)) markerMaps.resize(size_t(i - 2));
  markerMaps[size_t(i - 3)] = t;
}

Class_ID StandinMap::ClassID() {
  return kStandinClassID;
}

void StandinMap::Update(TimeValue t, Interval&) {
  distance = pblock->GetFloat(standin_distance, t);
  openEdges = pblock->GetInt(standin_open, t) != 0;
}

AColor StandinMap::EvalColor(ShadeContext& sc) {
  AColor c;
  if (sc.GetCache(this, c)) return c;
  ++colorEvaluations;
  Point3 p = sc.PointTo(sc.P(), REF_OBJECT);
  c = AColor(p.x, p.y, p.z, distance);
  sc.PutCache(this, c);
  return c;
}

Point3 StandinMap::EvalNormalPerturb(ShadeContext& sc) {
  // Tells nodes apart by name, not handle: handles grow from one in-process run to the next,
  // and pictures must compare equal across runs.
  float node = sc.Node() ? float(std::wcslen(sc.Node()->GetName())) : 0.0f;
  return Point3(float(markers.size()), node, openEdges ? 1.0f : 0.0f);
}

IOResult StandinMap::Save(ISave* isave) {
  std::vector<uint8_t> out;
  auto put = [&out](const auto& v) {
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    out.insert(out.end(), p, p + sizeof v);
    return true;
  };
  put(uint32_t(markers.size()));
  for (const StandinMarker& m : markers) ForEachMarkerField(m, put);
  isave->BeginChunk(kMarkerChunkID);
  ULONG written = 0;
  IOResult r = isave->Write(out.data(), ULONG(out.size()), &written);
  isave->EndChunk();
  return r;
}

IOResult StandinMap::Load(ILoad* iload) {
  if (iload->PeekNextChunkID() != kMarkerChunkID || iload->OpenChunk() != IO_OK) return IO_OK;
  std::vector<uint8_t> in(iload->CurChunkLength());
  ULONG read = 0;
  if (!in.empty()) iload->Read(in.data(), ULONG(in.size()), &read);
  iload->CloseChunk();
  size_t at = 0;
  auto get = [&](auto& v) {
    if (at + sizeof v > in.size()) return false;
    std::memcpy(&v, in.data() + at, sizeof v);
    at += sizeof v;
    return true;
  };
  uint32_t count = 0;
  if (!get(count)) return IO_ERROR;
  markers.clear();
  for (uint32_t i = 0; i < count; ++i) {
    StandinMarker m;
    if (!ForEachMarkerField(m, get)) return IO_ERROR;
    markers.push_back(m);
  }
  return at == in.size() ? IO_OK : IO_ERROR;
}

ClassDesc2* StandinMapClass() {
  static bool registered = GetClassDirectory().AddClass(&standinDesc);
  (void)registered;
  return &standinDesc;
}
