// The host's geometry in scene files: triangle meshes, polygon meshes and the box's
// parameters. A mesh is checked whole before it replaces the object's: a face that names a
// vertex the file does not have fails the load instead of reaching the renderer.
#include <algorithm>
#include <string>
#include <vector>

#include "boxobj.h"
#include "chunk_io.h"
#include "polyobj.h"
#include "triobj.h"

using chunkfile::ByteReader;
using chunkfile::ByteWriter;

namespace {

// Chunks of the objects' data: part of the file format. Counts follow from chunk lengths.
constexpr USHORT kTriVertsChunk = 0x0200;    // per vertex: x, y, z floats
constexpr USHORT kTriFacesChunk = 0x0210;    // per face: v0, v1, v2, smGroup, flags (u32)
constexpr USHORT kTriVertSelChunk = 0x0220;  // bit sets: u32 bit count, then bytes, LSB first
constexpr USHORT kTriFaceSelChunk = 0x0221;
constexpr USHORT kTriEdgeSelChunk = 0x0222;  // bit 3 * face + edge
constexpr USHORT kPolyFlagsChunk = 0x0300;   // u32 mesh flags
constexpr USHORT kPolyVertsChunk = 0x0310;   // per vertex: x, y, z floats, u32 flags
// Per face: degree, smGroup, material, flags (u32), then per corner the vertex and the flags
// of the edge from it to the next corner (u32). Edges are rebuilt on loading; their flags
// come back from the corners.
constexpr USHORT kPolyFacesChunk = 0x0320;
constexpr USHORT kBoxParamsChunk = 0x0400;  // width, length, height floats; segments i32 x 3

constexpr size_t kTriVertBytes = 12, kTriFaceBytes = 20, kPolyVertBytes = 16;
constexpr size_t kPolyCornerBytes = 8, kBoxBytes = 24;

IOResult Fault(ILoad* iload, const std::wstring& why) {
  ReportLoadFault(iload, why);
  return IO_ERROR;
}

std::wstring Num(size_t n) {
  return std::to_wstring(n);
}

void PutBits(ByteWriter& w, const BitArray& bits) {
  w.U32(uint32_t(bits.GetSize()));
  for (int at = 0; at < bits.GetSize(); at += 8) {
    uint8_t byte = 0;
    for (int i = at; i < std::min(at + 8, bits.GetSize()); ++i)
      if (bits[i]) byte = uint8_t(byte | (1 << (i - at)));
    w.bytes.push_back(byte);
  }
}

// Fills bits, which keeps its size: bits the file has beyond it are ignored.
bool GetBits(const std::vector<uint8_t>& bytes, BitArray& bits) {
  ByteReader in(bytes.data(), bytes.size());
  uint32_t count = 0;
  if (!in.U32(count) || (uint64_t(count) + 7) / 8 != in.Left()) return false;
  bits.ClearAll();
  int n = int(std::min<uint64_t>(count, uint64_t(bits.GetSize())));
  for (int i = 0; i < n; ++i)
    if ((in.Here()[i / 8] >> (i % 8)) & 1) bits.Set(i);
  return true;
}

IOResult WriteAll(ISave* isave,
                  std::initializer_list<std::pair<USHORT, const ByteWriter*>> chunks) {
  for (auto [id, w] : chunks)
    if (WriteDataChunk(isave, id, w->bytes) != IO_OK) return IO_ERROR;
  return IO_OK;
}

}  // namespace

IOResult TriObject::Save(ISave* isave) {
  ByteWriter verts, faces, vertSel, faceSel, edgeSel;
  for (int i = 0; i < mesh.numVerts; ++i) {
    verts.F32(mesh.verts[i].x);
    verts.F32(mesh.verts[i].y);
    verts.F32(mesh.verts[i].z);
  }
  for (int i = 0; i < mesh.numFaces; ++i) {
    const Face& f = mesh.faces[i];
    for (DWORD v : f.v) faces.U32(v);
    faces.U32(f.smGroup);
    faces.U32(f.flags);
  }
  PutBits(vertSel, mesh.vertSel);
  PutBits(faceSel, mesh.faceSel);
  PutBits(edgeSel, mesh.edgeSel);
  return WriteAll(isave, {{kTriVertsChunk, &verts},
                          {kTriFacesChunk, &faces},
                          {kTriVertSelChunk, &vertSel},
                          {kTriFaceSelChunk, &faceSel},
                          {kTriEdgeSelChunk, &edgeSel}});
}

IOResult TriObject::Load(ILoad* iload) {
  std::vector<uint8_t> verts, faces, sel[3];
  bool hasSel[3] = {false, false, false};
  while (iload->OpenChunk() == IO_OK) {
    USHORT id = iload->CurChunkID();
    if (id == kTriVertsChunk) verts = ReadDataChunk(iload);
    if (id == kTriFacesChunk) faces = ReadDataChunk(iload);
    if (id >= kTriVertSelChunk && id <= kTriEdgeSelChunk) {
      sel[id - kTriVertSelChunk] = ReadDataChunk(iload);
      hasSel[id - kTriVertSelChunk] = true;
    }
    iload->CloseChunk();
  }
  if (verts.size() % kTriVertBytes || faces.size() % kTriFaceBytes)
    return Fault(iload, L"a mesh chunk does not hold whole records (" + Num(verts.size()) +
                            L" vertex bytes, " + Num(faces.size()) + L" face bytes)");
  size_t nv = verts.size() / kTriVertBytes, nf = faces.size() / kTriFaceBytes;
  ByteReader fin(faces.data(), faces.size());
  for (size_t i = 0; i < nf; ++i) {
    uint32_t v[5] = {};
    for (uint32_t& x : v) fin.U32(x);
    for (int k = 0; k < 3; ++k)
      if (v[k] >= nv)
        return Fault(iload, L"face " + Num(i) + L" uses vertex " + Num(v[k]) + L" of " + Num(nv));
  }

  mesh.setNumVerts(int(nv));
  mesh.setNumFaces(int(nf));
  ByteReader vin(verts.data(), verts.size());
  for (size_t i = 0; i < nv; ++i) {
    Point3& p = mesh.verts[i];
    vin.F32(p.x);
    vin.F32(p.y);
    vin.F32(p.z);
  }
  ByteReader fin2(faces.data(), faces.size());
  for (size_t i = 0; i < nf; ++i) {
    Face& f = mesh.faces[i];
    for (DWORD& v : f.v) fin2.U32(v);
    fin2.U32(f.smGroup);
    fin2.U32(f.flags);
  }
  BitArray* sets[3] = {&mesh.vertSel, &mesh.faceSel, &mesh.edgeSel};
  for (int k = 0; k < 3; ++k)
    if (hasSel[k] && !GetBits(sel[k], *sets[k]))
      return Fault(iload, L"a selection chunk of the mesh is not a whole bit set");
  return IO_OK;
}

IOResult PolyObject::Save(ISave* isave) {
  ByteWriter flags, verts, faces;
  flags.U32(mm.ExportFlags());
  for (int i = 0; i < mm.numv; ++i) {
    verts.F32(mm.v[i].p.x);
    verts.F32(mm.v[i].p.y);
    verts.F32(mm.v[i].p.z);
    verts.U32(mm.v[i].ExportFlags());
  }
  for (int i = 0; i < mm.numf; ++i) {
    const MNFace& f = mm.f[i];
    faces.U32(uint32_t(f.deg));
    faces.U32(f.smGroup);
    faces.U32(f.material);
    faces.U32(f.ExportFlags());
    for (int j = 0; j < f.deg; ++j) {
      int e = f.edg ? f.edg[j] : -1;
      faces.U32(uint32_t(f.vtx[j]));
      faces.U32(e >= 0 && e < mm.nume ? mm.e[e].ExportFlags() : 0);
    }
  }
  return WriteAll(
      isave, {{kPolyFlagsChunk, &flags}, {kPolyVertsChunk, &verts}, {kPolyFacesChunk, &faces}});
}

IOResult PolyObject::Load(ILoad* iload) {
  std::vector<uint8_t> flags, verts, faces;
  while (iload->OpenChunk() == IO_OK) {
    USHORT id = iload->CurChunkID();
    if (id == kPolyFlagsChunk) flags = ReadDataChunk(iload);
    if (id == kPolyVertsChunk) verts = ReadDataChunk(iload);
    if (id == kPolyFacesChunk) faces = ReadDataChunk(iload);
    iload->CloseChunk();
  }
  if ((!flags.empty() && flags.size() != 4) || verts.size() % kPolyVertBytes)
    return Fault(iload, L"a polygon mesh chunk does not hold whole records (" + Num(flags.size()) +
                            L" flag bytes, " + Num(verts.size()) + L" vertex bytes)");
  size_t nv = verts.size() / kPolyVertBytes;

  // First pass: count and check the faces; a degree is trusted only as far as the chunk
  // holds its corners.
  size_t nf = 0;
  ByteReader check(faces.data(), faces.size());
  while (check.Left()) {
    uint32_t deg = 0, smGroup = 0, material = 0, faceFlags = 0;
    if (!check.U32(deg) || !check.U32(smGroup) || !check.U32(material) || !check.U32(faceFlags) ||
        deg > check.Left() / kPolyCornerBytes)
      return Fault(iload, L"polygon face " + Num(nf) + L" is cut short");
    if (material > 0xFFFF)
      return Fault(iload, L"polygon face " + Num(nf) + L" has material ID " + Num(material));
    for (uint32_t j = 0; j < deg; ++j) {
      uint32_t v = 0, edgeFlags = 0;
      check.U32(v);
      check.U32(edgeFlags);
      if (v >= nv)
        return Fault(iload,
                     L"polygon face " + Num(nf) + L" uses vertex " + Num(v) + L" of " + Num(nv));
    }
    ++nf;
  }

  mm.ClearAndFree();
  mm.setNumVerts(int(nv));
  ByteReader vin(verts.data(), verts.size());
  for (size_t i = 0; i < nv; ++i) {
    uint32_t vertFlags = 0;
    vin.F32(mm.v[i].p.x);
    vin.F32(mm.v[i].p.y);
    vin.F32(mm.v[i].p.z);
    vin.U32(vertFlags);
    mm.v[i].ImportFlags(vertFlags);
  }
  mm.setNumFaces(int(nf));
  std::vector<uint32_t> cornerFlags;
  std::vector<int> corners;
  ByteReader fin(faces.data(), faces.size());
  for (size_t i = 0; i < nf; ++i) {
    uint32_t deg = 0, smGroup = 0, material = 0, faceFlags = 0;
    fin.U32(deg);
    fin.U32(smGroup);
    fin.U32(material);
    fin.U32(faceFlags);
    corners.assign(deg, 0);
    for (uint32_t j = 0; j < deg; ++j) {
      uint32_t v = 0, edgeFlags = 0;
      fin.U32(v);
      fin.U32(edgeFlags);
      corners[j] = int(v);
      cornerFlags.push_back(edgeFlags);
    }
    MNFace& f = mm.f[i];
    f.MakePoly(int(deg), corners.data());
    f.smGroup = smGroup;
    f.material = MtlID(material);
    f.ImportFlags(faceFlags);
  }
  mm.FillInMesh();
  size_t corner = 0;
  for (int i = 0; i < mm.numf; ++i) {
    for (int j = 0; j < mm.f[i].deg; ++j, ++corner) {
      int e = mm.f[i].edg[j];
      if (e >= 0) mm.e[e].ImportFlags(mm.e[e].ExportFlags() | cornerFlags[corner]);
    }
  }
  uint32_t meshFlags = 0;
  ByteReader(flags.data(), flags.size()).U32(meshFlags);
  mm.ImportFlags(meshFlags);
  return IO_OK;
}

IOResult BoxObject::Save(ISave* isave) {
  ByteWriter params;
  params.F32(width);
  params.F32(length);
  params.F32(height);
  params.I32(widthSegs);
  params.I32(lengthSegs);
  params.I32(heightSegs);
  return WriteDataChunk(isave, kBoxParamsChunk, params.bytes);
}

IOResult BoxObject::Load(ILoad* iload) {
  while (iload->OpenChunk() == IO_OK) {
    if (iload->CurChunkID() == kBoxParamsChunk) {
      std::vector<uint8_t> bytes = ReadDataChunk(iload);
      if (bytes.size() != kBoxBytes)
        return Fault(iload, L"the box's parameters take " + Num(bytes.size()) + L" bytes, not " +
                                Num(kBoxBytes));
      ByteReader in(bytes.data(), bytes.size());
      in.F32(width);
      in.F32(length);
      in.F32(height);
      for (int* segs : {&widthSegs, &lengthSegs, &heightSegs}) {
        in.I32(*segs);
        *segs = std::clamp(*segs, 1, int(kMaxSegments));
      }
    }
    iload->CloseChunk();
  }
  return IO_OK;
}
