#include "mesh/mesh_import.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <atomic>
#include <cctype>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
#include <span>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "common/input_error.h"
#include "common/input_file.h"
#include "common/progress_bar.h"
#include "common/quoted.h"
#include "host_huge_pages.h"
#include "host_uninitialized_storage.h"
#include "mesh/affine_transform.h"
#include "mesh/auto_smooth.h"
#include "mesh/mesh_file_claims.h"
#include "mesh/parallel_chunks.h"
#include "mesh/position_index.h"

namespace {

std::string FileName(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

// How far a step is through the vertices and faces it has to get through.
class Counter {
 public:
  Counter(std::ostream* progressTo, const std::string& label, size_t total)
      : bar(progressTo, label), total(std::max<size_t>(total, 1)) {}
  void Add(size_t n) {
    done += n;
    bar.Show(double(done) / double(total));
  }
  ProgressBar& Bar() { return bar; }

 private:
  ProgressBar bar;
  size_t total;
  size_t done = 0;
};

// The importer's reading, on a progress bar. The importer owns it once given it.
class ReadProgress : public Assimp::ProgressHandler {
 public:
  explicit ReadProgress(ProgressBar& bar) : bar(bar) {}
  bool Update(float fraction) override {
    if (fraction >= 0.0f) bar.Show(fraction);
    return true;
  }
  void UpdateFileRead(int step, int steps) override {
    if (steps > 0) bar.Show(double(step) / double(steps));
  }

 private:
  ProgressBar& bar;
};

// Room for `more` elements at once, rather than growing by doubling (and copying) many times
// on a large file; a new block is advised for huge pages before the old contents move in.
template <class T>
void Grow(std::vector<T>& list, size_t more) {
  if (list.capacity() >= list.size() + more) return;
  std::vector<T> bigger;
  ReserveHuge(bigger, list.size() + more);
  bigger.assign(list.begin(), list.end());
  list.swap(bigger);
}

// Collects the meshes of one node (or of the whole file) into one welded polygon mesh.
class WeldedMesh {
 public:
  WeldedMesh(const std::string& path, Counter& progress, int threads)
      : path(path), progress(progress), threads(LoadThreads(threads)) {}

  // Takes a mesh's points now, in the target space; its faces once Weld has numbered the
  // vertices. The mesh must stay alive until then.
  void Add(const aiMesh& m, const aiMatrix4x4& toTarget) {
    if (m.mMaterialIndex >= kMaxMaterialId)
      throw InputError(path + ": material index " + std::to_string(m.mMaterialIndex) +
                       " is too large");
    const size_t base = points.size();
    Grow(points, m.mNumVertices);
    points.resize(base + m.mNumVertices);
    ParallelChunks(m.mNumVertices, threads, [&](size_t begin, size_t end) {
      for (size_t i = begin; i < end; ++i) {
        // + 0.0f turns -0 into +0, so the two weld.
        const aiVector3D t = toTarget * m.mVertices[i];
        const Point3 p(t.x + 0.0f, t.y + 0.0f, t.z + 0.0f);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
          throw InputError(path + ": mesh " + Quoted(m.mName.C_Str()) + " vertex " +
                           std::to_string(i) + " has a coordinate that is not a finite number");
        points[base + i] = p;
      }
    });
    sources.push_back({&m, base});
    progress.Add(m.mNumVertices);
  }

  // Welds the points of every mesh added by position, then takes their faces.
  void Weld() {
    // A mesh whose faces share its points (fewer points than half its corners, even were every
    // face a triangle) has about as many positions as points; one with a point per corner has
    // far fewer.
    size_t distinct = 0;
    for (const Source& s : sources)
      distinct += 2 * size_t(s.mesh->mNumVertices) <= 3 * size_t(s.mesh->mNumFaces)
                      ? s.mesh->mNumVertices
                      : s.mesh->mNumVertices / 4;
    std::vector<int> welded;
    FirstOfSamePosition(points, welded, threads, distinct);
    // The first point of each position becomes the next vertex, in point order, in place.
    size_t count = 0;
    for (size_t i = 0; i < points.size(); ++i) {
      const int first = welded[i];
      if (size_t(first) == i) {
        welded[i] = int(count);
        points[count++] = points[i];
      } else {
        welded[i] = welded[size_t(first)];
      }
    }
    points.resize(count);
    mesh.vertices = std::move(points);
    // UVs are kept only when every mesh has them.
    bool uvs = true;
    for (const Source& s : sources) uvs &= s.mesh->HasTextureCoords(0);
    for (const Source& s : sources) AddFaces(*s.mesh, welded.data() + s.base, uvs);
    sources.clear();
  }

  bool Empty() const { return mesh.NumFaces() == 0; }

  PolyMeshData Finish(float smoothAngle, const std::string& what, std::ostream* progressTo,
                      int threads) {
    DropUnusedVertices();
    ProgressBar smoothing(progressTo, "Smoothing groups of " + FileName(path));
    AutoSmooth(mesh, smoothAngle, &smoothing, threads);
    ValidateMesh(mesh, what);
    return std::move(mesh);
  }

 private:
  // Vertices no face uses would only confuse bounds and framing. The rest are numbered in the
  // order faces first use them, which welding's numbering already is when every vertex is
  // used (as in a file of faces whose points come one per corner): then nothing moves.
  void DropUnusedVertices() {
    int top = -1;
    bool inOrder = true;
    for (const int v : mesh.corners) {
      if (v > top + 1) {
        inOrder = false;
        break;
      }
      top = std::max(top, v);
    }
    if (inOrder && size_t(top) + 1 == mesh.vertices.size()) {
      mesh.vertices.shrink_to_fit();
      return;
    }
    // On every core: each vertex's first corner is found (the smallest wins, whatever order
    // the threads come in), then each range of corners numbers the first uses it holds after
    // those of the ranges before it, then every corner takes its vertex's number.
    std::vector<int>& corners = mesh.corners;
    const size_t numCorners = corners.size();
    UninitializedVector<int> firstUse, number;  // number: written for every vertex used
    ReserveHuge(firstUse, mesh.vertices.size());
    ResizeUnconstructed(firstUse, mesh.vertices.size());
    ReserveHuge(number, mesh.vertices.size());
    ResizeUnconstructed(number, mesh.vertices.size());
    ParallelChunks(firstUse.size(), threads, [&](size_t begin, size_t end) {
      std::fill(firstUse.begin() + ptrdiff_t(begin), firstUse.begin() + ptrdiff_t(end),
                std::numeric_limits<int>::max());
    });
    ParallelChunks(numCorners, threads, [&](size_t begin, size_t end) {
      for (size_t c = begin; c < end; ++c) {
        std::atomic_ref<int> first(firstUse[size_t(corners[c])]);
        int seen = first.load(std::memory_order_relaxed);
        while (int(c) < seen &&
               !first.compare_exchange_weak(seen, int(c), std::memory_order_relaxed)) {
        }
      }
    });
    const size_t ranges = ChunksOf(numCorners, threads);
    auto rangeOf = [&](size_t begin) {
      size_t r = 0;
      while (numCorners * r / ranges != begin) ++r;
      return r;
    };
    std::vector<int> firstNumber(ranges + 1, 0);
    ParallelChunks(numCorners, threads, [&](size_t begin, size_t end) {
      int count = 0;
      for (size_t c = begin; c < end; ++c) count += firstUse[size_t(corners[c])] == int(c);
      firstNumber[rangeOf(begin) + 1] = count;
    });
    std::partial_sum(firstNumber.begin(), firstNumber.end(), firstNumber.begin());
    std::vector<Point3> used;
    AssignHuge(used, size_t(firstNumber.back()), Point3(0.0f, 0.0f, 0.0f));
    ParallelChunks(numCorners, threads, [&](size_t begin, size_t end) {
      int next = firstNumber[rangeOf(begin)];
      for (size_t c = begin; c < end; ++c) {
        const size_t v = size_t(corners[c]);
        if (firstUse[v] != int(c)) continue;
        number[v] = next;
        used[size_t(next++)] = mesh.vertices[v];
      }
    });
    ParallelChunks(numCorners, threads, [&](size_t begin, size_t end) {
      for (size_t c = begin; c < end; ++c) corners[c] = number[size_t(corners[c])];
    });
    mesh.vertices = std::move(used);
  }

  // A face's welded corners into `face` (and their file indices into `from`), neighbours that
  // welding folded together kept once. Returns how many corners it had before the last was
  // checked against the first: each of those took a UV. The face is kept if `face` is left
  // with at least 3 corners, all different.
  static size_t CleanFace(const aiFace& src, unsigned numVertices, const int* welded,
                          std::vector<int>& face, std::vector<unsigned>& from) {
    face.clear();
    from.clear();
    for (unsigned k = 0; k < src.mNumIndices; ++k) {
      const unsigned original = src.mIndices[k];
      if (original >= numVertices) throw std::out_of_range("vertex");
      const int v = welded[original];
      if (!face.empty() && face.back() == v) continue;
      face.push_back(v);
      from.push_back(original);
    }
    const size_t pushed = face.size();
    while (face.size() > 1 && face.front() == face.back()) face.pop_back();
    return pushed;
  }

  // Faces are cleaned on every core twice: once to count what each range keeps, then to write
  // it where the ranges before it end, so the result is the one a single pass makes.
  void AddFaces(const aiMesh& m, const int* welded, bool uvs) {
    struct Totals {
      size_t faces = 0, corners = 0, uvs = 0;
    };
    std::mutex lock;
    std::map<size_t, Totals> ranges;  // by first face
    auto clean = [&](size_t begin, size_t end, auto keep) {
      std::vector<int> face, sorted;
      std::vector<unsigned> from;
      for (size_t f = begin; f < end; ++f) {
        const aiFace& src = m.mFaces[f];
        // Most faces are triangles of three different vertices: kept as they are.
        if (src.mNumIndices == 3) {
          const unsigned* i = src.mIndices;
          if (i[0] < m.mNumVertices && i[1] < m.mNumVertices && i[2] < m.mNumVertices) {
            const int tri[3] = {welded[i[0]], welded[i[1]], welded[i[2]]};
            if (tri[0] != tri[1] && tri[1] != tri[2] && tri[2] != tri[0]) {
              keep(std::span<const int>(tri), i, 3, true);
              continue;
            }
          }
        }
        const size_t pushed = CleanFace(src, m.mNumVertices, welded, face, from);
        keep(std::span<const int>(face), from.data(), pushed,
             face.size() >= 3 && !HasRepeats(face, sorted));
      }
    };
    try {
      ParallelChunks(m.mNumFaces, threads, [&](size_t begin, size_t end) {
        Totals t;
        clean(begin, end,
              [&](std::span<const int> face, const unsigned*, size_t pushed, bool kept) {
                t.uvs += pushed;
                if (kept) ++t.faces, t.corners += face.size();
              });
        std::lock_guard<std::mutex> hold(lock);
        ranges[begin] = t;
      });
    } catch (const std::out_of_range&) {
      throw InputError(path + ": a face uses a vertex that does not exist");
    }
    Totals all{size_t(mesh.NumFaces()), mesh.corners.size(), mesh.uvs.size()};
    for (auto& [begin, t] : ranges) {
      const Totals here = t;
      t = all;
      all.faces += here.faces, all.corners += here.corners, all.uvs += here.uvs;
    }
    if (all.corners > size_t(std::numeric_limits<int>::max()))
      throw InputError(path + ": the file has too many face corners");
    Grow(mesh.corners, all.corners - mesh.corners.size());
    mesh.corners.resize(all.corners);
    Grow(mesh.faceStart, all.faces - size_t(mesh.NumFaces()));
    mesh.faceStart.resize(all.faces + 1);
    Grow(mesh.smoothingGroups, all.faces - mesh.smoothingGroups.size());
    mesh.smoothingGroups.resize(all.faces, 0);
    Grow(mesh.materials, all.faces - mesh.materials.size());
    mesh.materials.resize(all.faces, MtlID(m.mMaterialIndex));
    if (uvs) {
      Grow(mesh.uvCorners, all.corners - mesh.uvCorners.size());
      mesh.uvCorners.resize(all.corners);
      Grow(mesh.uvs, all.uvs - mesh.uvs.size());
      mesh.uvs.resize(all.uvs);
    }
    ParallelChunks(m.mNumFaces, threads, [&](size_t begin, size_t end) {
      Totals at = ranges.at(begin);
      clean(begin, end,
            [&](std::span<const int> face, const unsigned* from, size_t pushed, bool kept) {
              const size_t uvBase = at.uvs;
              if (uvs)
                for (size_t k = 0; k < pushed; ++k) {
                  const aiVector3D& t = m.mTextureCoords[0][from[k]];
                  mesh.uvs[at.uvs++] = Point3(t.x, t.y, 0.0f);
                }
              if (!kept) return;
              for (size_t k = 0; k < face.size(); ++k) {
                if (uvs) mesh.uvCorners[at.corners] = int(uvBase + k);
                mesh.corners[at.corners++] = face[k];
              }
              mesh.faceStart[++at.faces] = int(at.corners);
            });
    });
    progress.Add(m.mNumFaces);
  }

  static bool HasRepeats(const std::vector<int>& face, std::vector<int>& sorted) {
    // Faces are small; a large polygon is sorted rather than compared pair by pair.
    if (face.size() > 16) {
      sorted.assign(face.begin(), face.end());
      std::sort(sorted.begin(), sorted.end());
      return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
    }
    for (size_t i = 1; i < face.size(); ++i)
      for (size_t j = 0; j < i; ++j)
        if (face[i] == face[j]) return true;
    return false;
  }

  const std::string& path;
  Counter& progress;
  int threads;
  // The meshes added, each with its first point's index.
  struct Source {
    const aiMesh* mesh;
    size_t base;
  };
  std::vector<Source> sources;
  std::vector<Point3> points;  // every mesh's, in order, until welded
  PolyMeshData mesh;
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
  FileReader(const std::string& path, std::ostream* progressTo) : path(path) {
    CheckMeshFileClaims(path, CheckInputFile(path));
    ProgressBar reading(progressTo, "Reading " + FileName(path));
    // The importer deletes a handler it still holds, but not one it is told to let go of:
    // ours is detached (by the guard, first) before it is freed.
    auto progress = std::make_unique<ReadProgress>(reading);
    importer.SetProgressHandler(progress.get());
    struct Detach {
      Assimp::Importer& importer;
      ~Detach() { importer.SetProgressHandler(nullptr); }
    } detach{importer};
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

  // Vertices and faces of every mesh, for the welding's progress.
  size_t Elements() const {
    size_t n = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i)
      if (scene->mMeshes[i])
        n += size_t(scene->mMeshes[i]->mNumVertices) + scene->mMeshes[i]->mNumFaces;
    return n;
  }

  const aiMesh& Mesh(unsigned i) {
    if (i >= scene->mNumMeshes || !scene->mMeshes[i])
      throw InputError(path + ": a node names a missing mesh");
    return *scene->mMeshes[i];
  }

  ~FileReader() { Released(); }

  // Frees the importer's meshes once they have been copied. Their millions of small face
  // lists take long to free one by one, so another thread frees them while the load goes on.
  void Release() {
    scene = nullptr;
    try {
      freeing = std::thread([this] {
#ifdef __GLIBC__
        // Freed small blocks are otherwise kept unmerged until the next large allocation,
        // which would merge them all on the loading thread; with none kept, each is merged
        // here as it is freed. The default limit is back once they are.
        mallopt(M_MXFAST, 0);
#endif
        importer.FreeScene();
#ifdef __GLIBC__
        mallopt(M_MXFAST, int(64 * sizeof(size_t) / 4));
#endif
      });
    } catch (const std::system_error&) {
      // No thread to spare: the load goes on once they are freed here.
      importer.FreeScene();
    }
  }

  // Waits for Release's freeing to end.
  void Released() {
    if (freeing.joinable()) freeing.join();
  }

  const std::string& path;

 private:
  Assimp::Importer importer;
  const aiScene* scene = nullptr;
  std::thread freeing;
};

// The importer kept each face's indices in an allocation of its own; once the smoothing has
// reused what it could, the rest would stay resident as free heap unless handed back.
void HandBackFreedHeap() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

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

std::vector<ImportedNode> ImportMeshFile(const std::string& path, float smoothAngle,
                                         std::ostream* progressTo, int threads) {
  FileReader file(path, progressTo);
  Counter welding(progressTo, "Welding " + FileName(path), file.Elements());
  // Nodes are smoothed once every node has been taken from the importer's copy of the file,
  // which is freed meanwhile.
  struct Pending {
    WeldedMesh welded;
    ImportedNode out;
  };
  std::vector<Pending> pending;
  std::set<std::string> names;
  file.Walk([&](const aiNode& node, const aiMatrix4x4& toRoot) {
    if (node.mNumMeshes == 0) return;
    WeldedMesh welded(path, welding, threads);
    for (unsigned i = 0; i < node.mNumMeshes; ++i)
      welded.Add(file.Mesh(node.mMeshes[i]), aiMatrix4x4());
    welded.Weld();
    if (welded.Empty()) return;
    ImportedNode out;
    out.name = NodeName(node, names);
    out.transform = ToMatrix3(toRoot, path + ": the transform of node \"" + out.name + "\"");
    pending.push_back({std::move(welded), std::move(out)});
  });
  file.Release();
  welding.Bar().Finish();
  std::vector<ImportedNode> nodes;
  for (Pending& p : pending) {
    p.out.mesh =
        p.welded.Finish(smoothAngle, path + ": node \"" + p.out.name + "\"", progressTo, threads);
    nodes.push_back(std::move(p.out));
  }
  file.Released();
  HandBackFreedHeap();
  if (nodes.empty()) throw InputError(path + ": the file holds no polygons");
  return nodes;
}

PolyMeshData ImportMergedMesh(const std::string& path, float smoothAngle, std::ostream* progressTo,
                              int threads) {
  FileReader file(path, progressTo);
  Counter welding(progressTo, "Welding " + FileName(path), file.Elements());
  WeldedMesh welded(path, welding, threads);
  file.Walk([&](const aiNode& node, const aiMatrix4x4& toRoot) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i) welded.Add(file.Mesh(node.mMeshes[i]), toRoot);
  });
  welded.Weld();
  file.Release();
  if (welded.Empty()) throw InputError(path + ": the file holds no polygons");
  welding.Bar().Finish();
  PolyMeshData mesh = welded.Finish(smoothAngle, path, progressTo, threads);
  file.Released();
  HandBackFreedHeap();
  return mesh;
}
