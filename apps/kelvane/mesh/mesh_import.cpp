#include "mesh/mesh_import.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cctype>
#include <cmath>
#include <cstring>
#include <set>
#include <unordered_map>

#include "common/input_error.h"
#include "common/input_file.h"
#include "mesh/affine_transform.h"
#include "mesh/auto_smooth.h"
#include "mesh/mesh_file_claims.h"

namespace {

struct PositionKey {
  float x, y, z;
  bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct PositionHash {
  size_t operator()(const PositionKey& k) const {
    uint32_t b[3];
    std::memcpy(b, &k, sizeof b);
    return (size_t(b[0]) * 73856093u) ^ (size_t(b[1]) * 19349663u) ^ (size_t(b[2]) * 83492791u);
  }
};

// Collects the meshes of one node (or of the whole file) into one welded polygon mesh.
class WeldedMesh {
 public:
  explicit WeldedMesh(const std::string& path) : path(path) {}

  void Add(const aiMesh& m, const aiMatrix4x4& toTarget) {
    std::vector<int> welded(m.mNumVertices);
    for (unsigned i = 0; i < m.mNumVertices; ++i) {
      aiVector3D p = toTarget * m.mVertices[i];
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        throw InputError(path + ": mesh \"" + m.mName.C_Str() + "\" vertex " + std::to_string(i) +
                         " has a coordinate that is not a finite number");
      // + 0.0f turns -0 into +0, so the two weld.
      PositionKey key{p.x + 0.0f, p.y + 0.0f, p.z + 0.0f};
      auto [it, added] = index.emplace(key, int(mesh.vertices.size()));
      if (added) mesh.vertices.push_back(Point3(key.x, key.y, key.z));
      welded[i] = it->second;
    }
    if (m.mMaterialIndex >= kMaxMaterialId)
      throw InputError(path + ": material index " + std::to_string(m.mMaterialIndex) +
                       " is too large");
    const bool uvs = m.HasTextureCoords(0);
    allHaveUVs &= uvs;
    std::vector<int> face, faceUV;
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
      const aiFace& src = m.mFaces[f];
      face.clear();
      faceUV.clear();
      for (unsigned k = 0; k < src.mNumIndices; ++k) {
        unsigned original = src.mIndices[k];
        if (original >= m.mNumVertices)
          throw InputError(path + ": a face uses a vertex that does not exist");
        int v = welded[original];
        // Welding can fold neighbouring corners together; keep one.
        if (!face.empty() && face.back() == v) continue;
        face.push_back(v);
        if (uvs) faceUV.push_back(UV(m.mTextureCoords[0][original]));
      }
      while (face.size() > 1 && face.front() == face.back()) {
        face.pop_back();
        if (uvs) faceUV.pop_back();
      }
      if (face.size() < 3 || std::set<int>(face.begin(), face.end()).size() != face.size())
        continue;
      mesh.AddFace(face, 0, MtlID(m.mMaterialIndex));
      if (uvs)
        mesh.uvCorners.insert(mesh.uvCorners.end(), faceUV.begin(), faceUV.end());
      else
        mesh.uvCorners.insert(mesh.uvCorners.end(), face.size(), 0);
    }
  }

  bool Empty() const { return mesh.NumFaces() == 0; }

  PolyMeshData Finish(float smoothAngle, const std::string& what) {
    if (!allHaveUVs) {
      mesh.uvs.clear();
      mesh.uvCorners.clear();
    }
    // Vertices no face uses would only confuse bounds and framing.
    std::vector<int> remap(mesh.vertices.size(), -1);
    std::vector<Point3> used;
    for (int& v : mesh.corners) {
      if (remap[size_t(v)] < 0) {
        remap[size_t(v)] = int(used.size());
        used.push_back(mesh.vertices[size_t(v)]);
      }
      v = remap[size_t(v)];
    }
    mesh.vertices = std::move(used);
    AutoSmooth(mesh, smoothAngle);
    ValidateMesh(mesh, what);
    return std::move(mesh);
  }

 private:
  int UV(const aiVector3D& t) {
    mesh.uvs.push_back(Point3(t.x, t.y, 0.0f));
    return int(mesh.uvs.size()) - 1;
  }

  const std::string& path;
  PolyMeshData mesh;
  std::unordered_map<PositionKey, int, PositionHash> index;
  bool allHaveUVs = true;
};

Matrix3 ToMatrix3(const aiMatrix4x4& m, const std::string& what) {
  Rows4x4 rows{{{m.a1, m.a2, m.a3, m.a4},
                {m.b1, m.b2, m.b3, m.b4},
                {m.c1, m.c2, m.c3, m.c4},
                {m.d1, m.d2, m.d3, m.d4}}};
  return AffineFromRows(rows, what);
}

class FileReader {
 public:
  explicit FileReader(const std::string& path) : path(path) {
    CheckMeshFileClaims(path, CheckInputFile(path));
    // No triangulation: polygons stay polygons.
    scene = importer.ReadFile(path, aiProcess_ValidateDataStructure);
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
      std::string why = importer.GetErrorString();
      // The importer turns every exception into text, running out of memory included.
      if (why.find("bad_alloc") != std::string::npos) why = "there is not enough memory to read it";
      throw InputError(path + ": cannot read the mesh file" + (why.empty() ? "" : ": " + why));
    }
  }

  // Calls visit(node, node-to-root transform) for every node, parents first.
  template <class Visit>
  void Walk(Visit visit) {
    struct Item {
      const aiNode* node;
      aiMatrix4x4 toRoot;
    };
    std::vector<Item> stack{{scene->mRootNode, scene->mRootNode->mTransformation}};
    while (!stack.empty()) {
      Item item = stack.back();
      stack.pop_back();
      visit(*item.node, item.toRoot);
      // Children pushed in reverse keep the file's order.
      for (unsigned i = item.node->mNumChildren; i-- > 0;) {
        const aiNode* child = item.node->mChildren[i];
        stack.push_back({child, item.toRoot * child->mTransformation});
      }
    }
  }

  const aiMesh& Mesh(unsigned i) {
    if (i >= scene->mNumMeshes || !scene->mMeshes[i])
      throw InputError(path + ": a node names a missing mesh");
    return *scene->mMeshes[i];
  }

  const std::string& path;

 private:
  Assimp::Importer importer;
  const aiScene* scene = nullptr;
};

std::string NodeName(const aiNode& node, std::set<std::string>& taken) {
  std::string base;
  for (char c : std::string(node.mName.C_Str()))
    base += std::isspace((unsigned char)c) || c == ',' ? '_' : c;
  if (base.empty()) base = "mesh";
  std::string name = base;
  for (int n = 2; taken.count(name); ++n) name = base + "_" + std::to_string(n);
  taken.insert(name);
  return name;
}

}  // namespace

std::vector<ImportedNode> ImportMeshFile(const std::string& path, float smoothAngle) {
  FileReader file(path);
  std::vector<ImportedNode> nodes;
  std::set<std::string> names;
  file.Walk([&](const aiNode& node, const aiMatrix4x4& toRoot) {
    if (node.mNumMeshes == 0) return;
    WeldedMesh welded(path);
    for (unsigned i = 0; i < node.mNumMeshes; ++i)
      welded.Add(file.Mesh(node.mMeshes[i]), aiMatrix4x4());
    if (welded.Empty()) return;
    ImportedNode out;
    out.name = NodeName(node, names);
    out.mesh = welded.Finish(smoothAngle, path + ": node \"" + out.name + "\"");
    out.transform = ToMatrix3(toRoot, path + ": the transform of node \"" + out.name + "\"");
    nodes.push_back(std::move(out));
  });
  if (nodes.empty()) throw InputError(path + ": the file holds no polygons");
  return nodes;
}

PolyMeshData ImportMergedMesh(const std::string& path, float smoothAngle) {
  FileReader file(path);
  WeldedMesh welded(path);
  file.Walk([&](const aiNode& node, const aiMatrix4x4& toRoot) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i) welded.Add(file.Mesh(node.mMeshes[i]), toRoot);
  });
  if (welded.Empty()) throw InputError(path + ": the file holds no polygons");
  return welded.Finish(smoothAngle, path);
}
