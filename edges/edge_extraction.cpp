#include "edge_extraction.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "build_alongside.h"
#include "edge_conditions.h"
#include "edge_extraction_adjacency.h"
#include "edge_grid.h"
#include "edge_search_index.h"
#include "edge_shape.h"
#include "inode.h"
#include "maxapi.h"
#include "meshadj.h"
#include "mnmesh.h"
#include "polyobj.h"
#include "round_edge.h"
#include "triobj.h"

namespace {

// An edge's two triangles as corner loops, the form the polygon path's shape and fillet take.
struct TriangleLoops {
  int first[3] = {};
  int second[3] = {};
};

TriangleLoops LoopsOf(const Face& f0, const Face& f1) {
  TriangleLoops loops;
  for (int k = 0; k < 3; ++k) {
    loops.first[k] = int(f0.v[k]);
    loops.second[k] = int(f1.v[k]);
  }
  return loops;
}

bool IsFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Appends qualifying segments and keeps the running length sum and bounds.
class SegmentStore {
 public:
  explicit SegmentStore(NodeEdgeCache& record)
      : record(record), keepFaces(record.bumpMode == kBumpRoundEdge) {
    if (keepFaces && record.worldUnits) normalToWorld = Inverse(record.objectToWorld);
  }

  // Where every edge may qualify, room for all of them at once: growing by doubling would
  // copy the array again and again into fresh memory, whose pages cost more than the copies
  // on a large mesh. Where only some qualify (the usual condition), the array grows as needed.
  void ExpectAll(size_t edgeCount) {
    record.segments.reserve(edgeCount);
    if (keepFaces) record.segmentFaces.reserve(edgeCount);
  }

  // faces, in object space, are kept only with round edges.
  void Add(Point3 start, Point3 end, const SegmentFaces& faces = {}) {
    // An affine map keeps a segment a segment, so distances to the mapped segments are
    // exact in world space; lengths, bounds and the grid follow from the mapped ends.
    if (record.worldUnits) {
      start = start * record.objectToWorld;
      end = end * record.objectToWorld;
    }
    // An edge with a non-finite endpoint cannot be measured and would poison the bounds.
    if (!IsFinite(start) || !IsFinite(end)) return;
    record.segments.push_back({start, end});
    if (keepFaces) record.segmentFaces.push_back(InRecordSpace(faces, end - start));
    lengthSum += double(Length(start - end));
    if (record.segments.size() == 1) {
      record.boundsMin = record.boundsMax = start;
    } else {
      Widen(start);
    }
    Widen(end);
  }

  // Sizes the cells from the mean stored length and builds the search structures.
  void Finish() {
    if (record.segments.empty()) return;
    double mean = lengthSum / double(record.segments.size());
    record.cellSize = float(mean * double(record.cMult));
    BuildRecordSearch(record);
  }

 private:
  // Normals map to world space with the inverse transpose, in-plane directions with the
  // transform itself; those are made perpendicular to the mapped edge again, as a shear
  // leaves them slanted.
  SegmentFaces InRecordSpace(const SegmentFaces& faces, const Point3& edge) const {
    if (!record.worldUnits || !HasFillet(faces)) return faces;
    SegmentFaces mapped;
    const Point3 along = edge.Length() > 0.0f ? edge / edge.Length() : Point3();
    for (int f = 0; f < 2; ++f) {
      const Point3& n = faces.normal[f];
      mapped.normal[f] = Normalize(Point3(normalToWorld.GetRow(0) % n, normalToWorld.GetRow(1) % n,
                                          normalToWorld.GetRow(2) % n));
      const Point3 in = VectorTransform(record.objectToWorld, faces.inward[f]);
      mapped.inward[f] = Normalize(in - along * (in % along));
    }
    return HasFillet(mapped) ? mapped : SegmentFaces{};
  }

  void Widen(const Point3& p) {
    for (int i = 0; i < 3; ++i) {
      if (p[i] < record.boundsMin[i]) record.boundsMin[i] = p[i];
      if (p[i] > record.boundsMax[i]) record.boundsMax[i] = p[i];
    }
  }

  NodeEdgeCache& record;
  const bool keepFaces;
  Matrix3 normalToWorld;
  double lengthSum = 0.0;
};

Point3 TriangleNormal(const Mesh& mesh, const Face& face) {
  for (DWORD v : face.v)
    if (v >= DWORD(mesh.numVerts)) return Point3();
  const Point3& p0 = mesh.verts[face.v[0]];
  const Point3& p1 = mesh.verts[face.v[1]];
  const Point3& p2 = mesh.verts[face.v[2]];
  return ((p1 - p0) ^ (p2 - p0)).Normalize();
}

// The crease of a closed edge between two faces given by their vertex loops. Only edges that
// the two faces alone share have one: an entry of a vertex pair listed more than once is
// where three or more faces meet.
EdgeCrease CreaseOf(const int* loop0, int deg0, const int* loop1, int deg1, int a, int b,
                    const Point3& pa, const Point3& pb, const Point3& n0, const Point3& n1) {
  const int dir0 = LoopDirection(loop0, deg0, a, b);
  const int dir1 = LoopDirection(loop1, deg1, a, b);
  if (dir0 == 0) return EdgeCrease::Neither;
  return ClassifyCrease(n0, n1, dir0 > 0 ? pb - pa : pa - pb, dir1 == -dir0);
}

// The faces of a segment from a to b for round edges; none but on an edge that the two faces
// alone share.
SegmentFaces FilletFaces(const int* loop0, int deg0, const int* loop1, int deg1, int a, int b,
                         const Point3& pa, const Point3& pb, const Point3& n0, const Point3& n1) {
  return FacesAtEdge(pa, pb, n0, LoopDirection(loop0, deg0, a, b), n1,
                     LoopDirection(loop1, deg1, a, b));
}

// Releases an object that a conversion made, whatever happens during extraction.
struct ConvertedObject {
  Object* converted;
  Object* original;
  ~ConvertedObject() {
    if (converted && converted != original) converted->DeleteThis();
  }
};

}  // namespace

void SnapshotParameters(NodeEdgeCache& record, const EdgeParameters& params) {
  static_cast<EdgeParameters&>(record) = params;
}

void BuildRecordSearch(NodeEdgeCache& record) {
  // Extraction leaves room to spare in the segment array; a record keeps it for its lifetime.
  record.segments.shrink_to_fit();
  record.segmentFaces.shrink_to_fit();
  // The fast search answers where the grid does, exact up to the cell size the grid settled.
  // Most of the search's build needs no cell size: a large record builds the grid meanwhile.
  if (BuildAlongside::Worth(record.segments.size())) {
    BuildAlongside grid([&record] { BuildEdgeGrid(record); });
    BuildEdgeSearchIndex(
        record.search, record.segments, record.boundsMin, record.boundsMax,
        [&] {
          grid.Wait();
          return record.cells.empty() ? 0.0f : record.cellSize;
        },
        record.distance);
    grid.Wait();
    return;
  }
  BuildEdgeGrid(record);
  record.search = EdgeSearchIndex{};
  if (record.cells.empty()) return;
  BuildEdgeSearchIndex(record.search, record.segments, record.boundsMin, record.boundsMax,
                       record.cellSize, record.distance);
}

void BuildNodeEdgeCache(NodeEdgeCache& record, ULONG nodeHandle, const EdgeParameters& params,
                        TimeValue t) {
  static Interface* const core = GetCOREInterface();
  record.nodeHandle = nodeHandle;
  INode* node = core->GetINodeByHandle(nodeHandle);
  if (!node) return;
  record.object = node->EvalWorldState(t, TRUE).obj;
  if (!record.object) return;
  SnapshotParameters(record, params);
  // At the shading time, like the evaluation: Update drops every record, so an animated
  // transform is taken again each frame.
  if (record.worldUnits) record.objectToWorld = node->GetObjectTM(t);

  Object* obj = record.object;
  if (obj->IsSubClassOf(polyObjectClassID)) {
    ExtractPolyMeshEdges(record, static_cast<PolyObject*>(obj)->GetMesh());
  } else if (obj->IsSubClassOf(triObjectClassID)) {
    ExtractTriMeshEdges(record, static_cast<TriObject*>(obj)->GetMesh());
  } else if (obj->CanConvertToType(polyObjectClassID)) {
    ConvertedObject poly{obj->ConvertToType(t, polyObjectClassID), obj};
    if (poly.converted && poly.converted->IsSubClassOf(polyObjectClassID))
      ExtractPolyMeshEdges(record, static_cast<PolyObject*>(poly.converted)->GetMesh());
  }
}

void ExtractTriMeshEdges(NodeEdgeCache& record, Mesh& mesh) {
  const TriangleEdges edges = TriangleMeshEdges(mesh);
  const bool testEdges = AnyConditionEnabled(record);
  const bool testShape = record.edgeShape != kEdgeShapeAny;
  const bool roundEdges = record.bumpMode == kBumpRoundEdge;
  // Face normals are needed only by the coplanar test, the edge shape and round edges; each
  // face's is computed once.
  std::vector<Point3> normals;
  if ((testEdges && record.complanar) || testShape || roundEdges) {
    normals.resize(size_t(mesh.numFaces));
    for (int f = 0; f < mesh.numFaces; ++f)
      normals[size_t(f)] = TriangleNormal(mesh, mesh.faces[f]);
  }
  std::vector<bool> nonManifold;
  if (testShape || roundEdges)
    nonManifold = NonManifoldEntries(int(edges.Count()), [&](int i) {
      const MEdge edge = edges.Edge(mesh, size_t(i));
      return std::pair<DWORD, DWORD>(edge.v[0], edge.v[1]);
    });

  SegmentStore store(record);
  if (!testEdges && !testShape) store.ExpectAll(edges.Count());
  for (size_t i = 0; i < edges.Count(); ++i) {
    // Non-const: the SDK's MEdge::Selected and Visible are not const members.
    MEdge edge = edges.Edge(mesh, i);
    if (testEdges) {
      bool open = edge.f[0] == UNDEFINED || edge.f[1] == UNDEFINED;
      EdgeFaces faces;
      if (!open) {
        const Face& f0 = mesh.faces[edge.f[0]];
        const Face& f1 = mesh.faces[edge.f[1]];
        faces.smooth0 = f0.smGroup;
        faces.smooth1 = f1.smGroup;
        if (record.matId) {
          faces.material0 = mesh.getFaceMtlIndex(int(edge.f[0]));
          faces.material1 = mesh.getFaceMtlIndex(int(edge.f[1]));
        }
        if (!normals.empty()) {
          faces.normal0 = normals[edge.f[0]];
          faces.normal1 = normals[edge.f[1]];
        }
      }
      // Finding the edge in its faces' selection costs as much as the rest: only when asked.
      const bool selected = record.selectionOnly && edge.Selected(mesh.faces, mesh.edgeSel);
      if (!EdgeQualifies(record, selected, open, faces)) continue;
    }
    // Tested after the conditions, which most edges fail: both must hold, so the order
    // changes no answer.
    if (!edge.Visible(mesh.faces)) continue;
    // Shape and fillet read the edge's two faces only on a manifold two-face edge; the
    // non-manifold table is made only for them.
    const bool twoFaces = (testShape || roundEdges) && edge.f[0] != UNDEFINED &&
                          edge.f[1] != UNDEFINED && !nonManifold[i];
    const TriangleLoops loops =
        twoFaces ? LoopsOf(mesh.faces[edge.f[0]], mesh.faces[edge.f[1]]) : TriangleLoops{};
    if (testShape) {
      EdgeCrease crease = EdgeCrease::Neither;
      if (twoFaces)
        crease = CreaseOf(loops.first, 3, loops.second, 3, int(edge.v[0]), int(edge.v[1]),
                          mesh.verts[edge.v[0]], mesh.verts[edge.v[1]], normals[edge.f[0]],
                          normals[edge.f[1]]);
      if (!PassesEdgeShape(record.edgeShape, crease)) continue;
    }
    SegmentFaces faces;
    if (roundEdges && twoFaces)
      faces = FilletFaces(loops.first, 3, loops.second, 3, int(edge.v[0]), int(edge.v[1]),
                          mesh.verts[edge.v[0]], mesh.verts[edge.v[1]], normals[edge.f[0]],
                          normals[edge.f[1]]);
    store.Add(mesh.verts[edge.v[0]], mesh.verts[edge.v[1]], faces);
  }
  store.Finish();
}

void ExtractPolyMeshEdges(NodeEdgeCache& record, MNMesh& mesh) {
  const bool testEdges = AnyConditionEnabled(record);
  const bool testShape = record.edgeShape != kEdgeShapeAny;
  const bool roundEdges = record.bumpMode == kBumpRoundEdge;
  std::vector<Point3> normals;
  if ((testEdges && record.complanar) || testShape || roundEdges) {
    normals.resize(size_t(mesh.numf));
    for (int f = 0; f < mesh.numf; ++f) normals[size_t(f)] = mesh.GetFaceNormal(f, true);
  }
  std::vector<bool> nonManifold;
  if (testShape || roundEdges)
    nonManifold = NonManifoldEntries(
        mesh.nume, [&](int i) { return std::pair<int, int>(mesh.e[i].v1, mesh.e[i].v2); });
  auto validFace = [&](int f) { return f >= 0 && f < mesh.numf; };

  SegmentStore store(record);
  if (!testEdges && !testShape) store.ExpectAll(size_t(std::max(mesh.nume, 0)));
  for (int i = 0; i < mesh.nume; ++i) {
    const MNEdge& edge = mesh.e[i];
    if (edge.v1 < 0 || edge.v1 >= mesh.numv || edge.v2 < 0 || edge.v2 >= mesh.numv) continue;
    if (testEdges) {
      // A face index outside the face table is treated as no face.
      bool open = !validFace(edge.f1) || !validFace(edge.f2);
      EdgeFaces faces;
      if (!open) {
        const MNFace& f0 = mesh.f[edge.f1];
        const MNFace& f1 = mesh.f[edge.f2];
        faces.smooth0 = f0.smGroup;
        faces.smooth1 = f1.smGroup;
        faces.material0 = f0.material;
        faces.material1 = f1.material;
        if (!normals.empty()) {
          faces.normal0 = normals[size_t(edge.f1)];
          faces.normal1 = normals[size_t(edge.f2)];
        }
      }
      if (!EdgeQualifies(record, edge.GetFlag(MN_SEL), open, faces)) continue;
    }
    if (testShape) {
      EdgeCrease crease = EdgeCrease::Neither;
      if (validFace(edge.f1) && validFace(edge.f2) && !nonManifold[size_t(i)]) {
        const MNFace& f0 = mesh.f[edge.f1];
        const MNFace& f1 = mesh.f[edge.f2];
        crease = CreaseOf(f0.vtx, f0.deg, f1.vtx, f1.deg, edge.v1, edge.v2, mesh.v[edge.v1].p,
                          mesh.v[edge.v2].p, normals[size_t(edge.f1)], normals[size_t(edge.f2)]);
      }
      if (!PassesEdgeShape(record.edgeShape, crease)) continue;
    }
    SegmentFaces faces;
    if (roundEdges && validFace(edge.f1) && validFace(edge.f2) && !nonManifold[size_t(i)]) {
      const MNFace& f0 = mesh.f[edge.f1];
      const MNFace& f1 = mesh.f[edge.f2];
      faces = FilletFaces(f0.vtx, f0.deg, f1.vtx, f1.deg, edge.v1, edge.v2, mesh.v[edge.v1].p,
                          mesh.v[edge.v2].p, normals[size_t(edge.f1)], normals[size_t(edge.f2)]);
    }
    store.Add(mesh.v[edge.v1].p, mesh.v[edge.v2].p, faces);
  }
  store.Finish();
}
