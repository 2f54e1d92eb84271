#include "scene/scene_settings.h"

#include <cmath>

#include "chunk_format.h"
#include "common/image_limits.h"
#include "ioapi.h"
#include "plugin_loader.h"

namespace {

using chunkfile::ByteReader;
using chunkfile::ByteWriter;

// Identity of the class in scene files: never change.
const Class_ID kSceneSettingsClassID(0x6b656c76, 0x73636e31);
// The host's super class of helper objects.
constexpr SClass_ID kHelperClassID = 0x00000070;

// Chunks of the object's data: part of the file format.
constexpr USHORT kCameraChunk = 0x0A00;     // position, target, up (3 floats each), fov degrees
constexpr USHORT kImageChunk = 0x0A10;      // width, height (u32)
constexpr USHORT kNodesChunk = 0x0A20;      // u32 handle per geometry node
constexpr USHORT kUVSetChunk = 0x0A30;      // container, one per node with UVs:
constexpr USHORT kUVNodeChunk = 0x0A31;     //   u32 node handle
constexpr USHORT kUVPointsChunk = 0x0A32;   //   u, v floats per texture vertex
constexpr USHORT kUVCornersChunk = 0x0A33;  //   i32 texture vertex per face corner
constexpr USHORT kUpChunk = 0x0A40;         // u32 up axis: kUpY or kUpZ
constexpr uint32_t kUpY = 1, kUpZ = 2;

IOResult WriteChunk(ISave* isave, USHORT id, const ByteWriter& w) {
  isave->BeginChunk(id);
  ULONG written = 0;
  IOResult r =
      w.bytes.empty() ? IO_OK : isave->Write(w.bytes.data(), ULONG(w.bytes.size()), &written);
  isave->EndChunk();
  return r == IO_OK && written == w.bytes.size() ? IO_OK : IO_ERROR;
}

// The open data chunk, whole; the chunk's length bounds what is read.
bool ReadChunk(ILoad* iload, std::vector<uint8_t>& bytes) {
  bytes.resize(iload->CurChunkLength());
  ULONG read = 0;
  return bytes.empty() ||
         (iload->Read(bytes.data(), ULONG(bytes.size()), &read) == IO_OK && read == bytes.size());
}

bool Finite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

class SceneSettingsClassDesc : public ClassDesc {
 public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL) override { return static_cast<ReferenceTarget*>(new SceneSettingsObject); }
  const MCHAR* ClassName() override { return L"Kelvane Scene"; }
  const MCHAR* NonLocalizedClassName() override { return L"Kelvane Scene"; }
  SClass_ID SuperClassID() override { return kHelperClassID; }
  Class_ID ClassID() override { return kSceneSettingsClassID; }
  const MCHAR* Category() override { return L""; }
};

}  // namespace

Class_ID SceneSettingsObject::ClassID() {
  return kSceneSettingsClassID;
}

SClass_ID SceneSettingsObject::SuperClassID() {
  return kHelperClassID;
}

void SceneSettingsObject::SetMap(Texmap* m) {
  ReplaceReference(0, m);
}

RefTargetHandle SceneSettingsObject::GetReference(int i) {
  return i == 0 ? map : nullptr;
}

void SceneSettingsObject::SetReference(int i, RefTargetHandle target) {
  // A file can put anything here; only a map is one.
  if (i == 0) map = dynamic_cast<Texmap*>(target);
}

IOResult SceneSettingsObject::Save(ISave* isave) {
  if (camera) {
    ByteWriter w;
    for (const Point3& p : {camera->position, camera->target, camera->up}) {
      w.F32(p.x);
      w.F32(p.y);
      w.F32(p.z);
    }
    w.F32(camera->fovDegrees);
    if (WriteChunk(isave, kCameraChunk, w) != IO_OK) return IO_ERROR;
  }
  if (image) {
    ByteWriter w;
    w.U32(uint32_t(image->width));
    w.U32(uint32_t(image->height));
    if (WriteChunk(isave, kImageChunk, w) != IO_OK) return IO_ERROR;
  }
  if (up) {
    ByteWriter w;
    w.U32(*up == UpAxis::Y ? kUpY : kUpZ);
    if (WriteChunk(isave, kUpChunk, w) != IO_OK) return IO_ERROR;
  }
  ByteWriter handles;
  for (ULONG h : nodes) handles.U32(h);
  if (WriteChunk(isave, kNodesChunk, handles) != IO_OK) return IO_ERROR;
  for (const NodeUVs& set : uvs) {
    isave->BeginChunk(kUVSetChunk);
    ByteWriter node, points, corners;
    node.U32(set.handle);
    for (const Point3& uv : set.uvs) {
      points.F32(uv.x);
      points.F32(uv.y);
    }
    for (int c : set.uvCorners) corners.I32(c);
    IOResult r = WriteChunk(isave, kUVNodeChunk, node);
    if (r == IO_OK) r = WriteChunk(isave, kUVPointsChunk, points);
    if (r == IO_OK) r = WriteChunk(isave, kUVCornersChunk, corners);
    isave->EndChunk();
    if (r != IO_OK) return r;
  }
  return IO_OK;
}

IOResult SceneSettingsObject::Load(ILoad* iload) {
  // Whatever a chunk holds is checked here; what it means for the nodes (a UV set that does
  // not fit its mesh) is checked where the scene is put together.
  std::vector<uint8_t> bytes;
  while (iload->OpenChunk() == IO_OK) {
    const USHORT id = iload->CurChunkID();
    IOResult result = IO_OK;
    if (id == kCameraChunk) {
      float v[10];
      if (!ReadChunk(iload, bytes) || bytes.size() != sizeof v) return IO_ERROR;
      ByteReader in(bytes.data(), bytes.size());
      for (float& f : v) in.F32(f);
      CameraDescription c;
      c.position = Point3(v[0], v[1], v[2]);
      c.target = Point3(v[3], v[4], v[5]);
      c.up = Point3(v[6], v[7], v[8]);
      c.fovDegrees = v[9];
      bool usable =
          Finite(c.position) && Finite(c.target) && Finite(c.up) && c.fovDegrees >= 1.0f &&
          c.fovDegrees <= 170.0f && (c.target - c.position).Length() > 0.0f &&
          CrossProd((c.target - c.position).Normalize(), c.up.Normalize()).Length() > 1e-4f;
      if (!usable) return IO_ERROR;
      camera = c;
    } else if (id == kImageChunk) {
      uint32_t w = 0, h = 0;
      if (!ReadChunk(iload, bytes) || bytes.size() != 8) return IO_ERROR;
      ByteReader in(bytes.data(), bytes.size());
      in.U32(w);
      in.U32(h);
      if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide ||
          uint64_t(w) * h > uint64_t(kMaxImagePixels))
        return IO_ERROR;
      image = ImageSize{int(w), int(h)};
    } else if (id == kUpChunk) {
      uint32_t axis = 0;
      if (!ReadChunk(iload, bytes) || bytes.size() != 4) return IO_ERROR;
      ByteReader(bytes.data(), bytes.size()).U32(axis);
      if (axis != kUpY && axis != kUpZ) return IO_ERROR;
      up = axis == kUpY ? UpAxis::Y : UpAxis::Z;
    } else if (id == kNodesChunk) {
      if (!ReadChunk(iload, bytes) || bytes.size() % 4 != 0) return IO_ERROR;
      ByteReader in(bytes.data(), bytes.size());
      nodes.assign(bytes.size() / 4, 0);
      for (ULONG& h : nodes) in.U32(h);
    } else if (id == kUVSetChunk) {
      NodeUVs set;
      while (result == IO_OK && iload->OpenChunk() == IO_OK) {
        const USHORT part = iload->CurChunkID();
        if (!ReadChunk(iload, bytes)) result = IO_ERROR;
        ByteReader in(bytes.data(), bytes.size());
        if (part == kUVNodeChunk && bytes.size() == 4) {
          in.U32(set.handle);
        } else if (part == kUVPointsChunk && bytes.size() % 8 == 0) {
          set.uvs.resize(bytes.size() / 8);
          for (Point3& uv : set.uvs) {
            in.F32(uv.x);
            in.F32(uv.y);
            if (!Finite(uv)) result = IO_ERROR;
          }
        } else if (part == kUVCornersChunk && bytes.size() % 4 == 0) {
          set.uvCorners.resize(bytes.size() / 4);
          for (int& c : set.uvCorners) {
            int32_t v = -1;
            in.I32(v);
            if (v < 0 || size_t(v) >= set.uvs.size()) result = IO_ERROR;
            c = v;
          }
        } else if (part == kUVNodeChunk || part == kUVPointsChunk || part == kUVCornersChunk) {
          result = IO_ERROR;
        }
        iload->CloseChunk();
      }
      uvs.push_back(std::move(set));
    }
    iload->CloseChunk();
    if (result != IO_OK) return result;
  }
  return IO_OK;
}

void RegisterSceneSettingsClass() {
  static SceneSettingsClassDesc* desc = [] {
    auto* d = new SceneSettingsClassDesc;  // the directory keeps it until the process ends
    GetClassDirectory().AddClass(d);
    return d;
  }();
  (void)desc;
}
