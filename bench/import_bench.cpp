// How long a large mesh takes to load, against the importer's own read and Embree's own build.
//
//   import-bench [--dir FOLDER] [--triangles N]... [--format ply|obj]...
//       generates, in FOLDER (default /tmp/kelvane-import-bench), a sphere with an open rim,
//       a UV seam whose vertices are written twice and four material bands, of about each N
//       triangles (default 1M and 8M) in each format (default PLY binary and OBJ), and prints
//       one line per file:
//       import FORMAT TRIANGLES assimp_ms=A kelvane_ms=K ray_scene_ms=R embree_build_ms=E
//           peak_rss_mb=M assimp_mesh_mb=D
//   Figures are wall times (the CPU times of all threads follow on stderr). A is the
//   importer's ReadFile alone, K the command's whole load (A included) up to host nodes, R our
//   ray scene's build, E Embree's build of the same triangles with default settings, M the
//   process's peak resident memory from the start of the load to the end of the ray scene's
//   build, D the size of the mesh data the importer returns. E runs after R, on pages R gave
//   back; stderr also gives E as the first build of a fresh process, on memory as new as R's.
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <embree3/rtcore.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <assimp/Importer.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "mesh/mesh_import.h"
#include "mesh/mesh_triangles.h"
#include "render/ray_scene.h"
#include "scene/host_scene.h"

namespace {

constexpr int kMaterials = 4;

double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

// VmHWM or VmRSS of this process, in MB.
double StatusMb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::strlen(field))) / 1024.0;
  return 0.0;
}

// CPU time of the whole process (every thread), for figures on a busy machine.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void ResetPeakRss() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// A sphere of `columns` by `rows` quads split in two, with its top cap cut off (an open rim)
// and a fan to the south pole; the seam column is written twice, so welding has work.
struct Sphere {
  int columns, rows;
  explicit Sphere(long long triangles) {
    rows = std::max(2, int(std::sqrt(double(triangles) / 4.0)));
    columns = std::max(3, int(double(triangles) / (2.0 * rows)));
  }
  long long Triangles() const { return 2LL * columns * (rows - 1) + columns; }
  long long Vertices() const { return (long long)(columns + 1) * rows + 1; }
  // Rows run from the rim (row 0, at 60 degrees north) to just above the south pole.
  void Vertex(int r, int c, float out[3]) const {
    const double lat = std::numbers::pi / 3 - (std::numbers::pi * 5 / 6) * r / rows;
    const double lon = 2 * std::numbers::pi * (c % columns) / columns;
    out[0] = float(std::cos(lat) * std::cos(lon));
    out[1] = float(std::sin(lat));
    out[2] = float(std::cos(lat) * std::sin(lon));
  }
  int Index(int r, int c) const { return r * (columns + 1) + c; }
  int Pole() const { return rows * (columns + 1); }
  int Material(int r) const { return std::min(kMaterials - 1, r * kMaterials / rows); }
  template <class Emit>  // emit(a, b, c, material)
  void Faces(Emit emit) const {
    for (int r = 0; r + 1 < rows; ++r)
      for (int c = 0; c < columns; ++c) {
        emit(Index(r, c), Index(r + 1, c), Index(r + 1, c + 1), Material(r));
        emit(Index(r, c), Index(r + 1, c + 1), Index(r, c + 1), Material(r));
      }
    for (int c = 0; c < columns; ++c)
      emit(Index(rows - 1, c), Pole(), Index(rows - 1, c + 1), kMaterials - 1);
  }
};

void WritePly(const Sphere& s, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "ply\nformat binary_little_endian 1.0\nelement vertex " << s.Vertices()
      << "\nproperty float x\nproperty float y\nproperty float z\nelement face " << s.Triangles()
      << "\nproperty list uchar int vertex_indices\nproperty int material_index\nend_header\n";
  std::vector<char> buf;
  for (int r = 0; r < s.rows; ++r)
    for (int c = 0; c <= s.columns; ++c) {
      float p[3];
      s.Vertex(r, c, p);
      out.write(reinterpret_cast<const char*>(p), sizeof p);
    }
  const float pole[3] = {0.0f, -1.0f, 0.0f};
  out.write(reinterpret_cast<const char*>(pole), sizeof pole);
  s.Faces([&](int a, int b, int c, int m) {
    char rec[17];
    rec[0] = 3;
    const int v[4] = {a, b, c, m};
    std::memcpy(rec + 1, v, sizeof v);
    out.write(rec, sizeof rec);
  });
}

void WriteObj(const Sphere& s, const std::string& path) {
  const std::string mtl = std::filesystem::path(path).replace_extension(".mtl").string();
  {
    std::ofstream m(mtl);
    for (int i = 0; i < kMaterials; ++i) m << "newmtl band" << i << "\nKd 0.5 0.5 0.5\n";
  }
  FILE* out = std::fopen(path.c_str(), "w");
  std::fprintf(out, "mtllib %s\no sphere\n",
               std::filesystem::path(mtl).filename().string().c_str());
  for (int r = 0; r < s.rows; ++r)
    for (int c = 0; c <= s.columns; ++c) {
      float p[3];
      s.Vertex(r, c, p);
      std::fprintf(out, "v %.7g %.7g %.7g\n", p[0], p[1], p[2]);
    }
  std::fprintf(out, "v 0 -1 0\n");
  int material = -1;
  s.Faces([&](int a, int b, int c, int m) {
    if (m != material) std::fprintf(out, "usemtl band%d\n", material = m);
    std::fprintf(out, "f %d %d %d\n", a + 1, b + 1, c + 1);
  });
  std::fclose(out);
}

double MeshDataMb(const aiScene& scene) {
  double bytes = 0;
  for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
    const aiMesh& m = *scene.mMeshes[i];
    int channels = 1 + m.HasNormals() + 2 * m.HasTangentsAndBitangents();
    for (unsigned t = 0; t < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++t) channels += m.HasTextureCoords(t);
    bytes += double(m.mNumVertices) * sizeof(aiVector3D) * channels;
    for (unsigned c = 0; c < AI_MAX_NUMBER_OF_COLOR_SETS; ++c)
      if (m.HasVertexColors(c)) bytes += double(m.mNumVertices) * sizeof(aiColor4D);
    bytes += double(m.mNumFaces) * sizeof(aiFace);
    for (unsigned f = 0; f < m.mNumFaces; ++f) bytes += m.mFaces[f].mNumIndices * 4.0;
  }
  return bytes / (1024.0 * 1024.0);
}

// A digest of what the load made (positions, faces, groups, IDs, corner normals), so runs of
// different versions can show they made the same scene.
uint64_t SceneDigest(const HostScene& hostScene) {
  uint64_t h = 1469598103934665603ull;
  auto add = [&h](const void* data, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
      h = (h ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
  };
  for (const SceneNode& node : hostScene.Nodes()) {
    const PolyMeshData& m = node.mesh;
    add(m.vertices.data(), m.vertices.size() * sizeof(Point3));
    add(m.faceStart.data(), m.faceStart.size() * sizeof(int));
    add(m.corners.data(), m.corners.size() * sizeof(int));
    add(m.smoothingGroups.data(), m.smoothingGroups.size() * sizeof(DWORD));
    add(m.materials.data(), m.materials.size() * sizeof(MtlID));
    const auto normals = CornerNormals(m);
    add(normals.data(), normals.size() * sizeof(Point3));
  }
  return h;
}

// Embree's build of the ray scene's triangles with default settings: the floor for ours.
// Wall time; the build's CPU time (every thread) goes to cpuMs.
double EmbreeBuildMs(const HostScene& hostScene, double& cpuMs) {
  RTCDevice device = rtcNewDevice(nullptr);
  RTCScene scene = rtcNewScene(device);
  for (const SceneNode& node : hostScene.Nodes()) {
    const auto triangles = TriangulateCorners(node.mesh);
    RTCGeometry g = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
    auto* v = static_cast<float*>(rtcSetNewGeometryBuffer(
        g, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 12, node.mesh.vertices.size()));
    auto* idx = static_cast<unsigned*>(rtcSetNewGeometryBuffer(
        g, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 12, triangles.size()));
    for (size_t i = 0; i < node.mesh.vertices.size(); ++i) {
      Point3 p = node.mesh.vertices[i] * node.objectToWorld;
      v[3 * i] = p.x, v[3 * i + 1] = p.y, v[3 * i + 2] = p.z;
    }
    for (size_t t = 0; t < triangles.size(); ++t)
      for (int k = 0; k < 3; ++k)
        idx[3 * t + k] = unsigned(node.mesh.corners[size_t(triangles[t][size_t(k)])]);
    rtcCommitGeometry(g);
    rtcAttachGeometry(scene, g);
    rtcReleaseGeometry(g);
  }
  const double cpu = CpuMs();
  const auto start = std::chrono::steady_clock::now();
  rtcCommitScene(scene);
  const double ms = Ms(start);
  cpuMs = CpuMs() - cpu;
  rtcReleaseScene(scene);
  rtcReleaseDevice(device);
  return ms;
}

// The scene of a mesh file as the measurement loads it.
HostScene LoadScene(const std::string& path) {
  SceneDescription description;
  for (ImportedNode& node : ImportMeshFile(path, 30.0f))
    description.nodes.push_back(
        NodeDescription{node.name, std::move(node.mesh), ObjectKind::Poly, node.transform});
  return HostScene(std::move(description));
}

// Embree's build as the first in a process of its own (this program run again), so that it
// meets memory the process has not touched, as ours does: the build measured after ours reuses
// the pages ours gave back, which on a virtual machine saves much of the time. Negative when
// the run fails; its CPU time (every thread) goes to cpuMs.
double FirstEmbreeBuildMs(const std::string& path, double& cpuMs) {
  int fds[2];
  if (pipe(fds) != 0) return -1.0;
  const pid_t child = fork();
  if (child == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    execl("/proc/self/exe", "import-bench", "--first-embree-build", path.c_str(), nullptr);
    _exit(127);
  }
  close(fds[1]);
  std::string out;
  char buffer[64];
  for (ssize_t n; child > 0 && (n = read(fds[0], buffer, sizeof buffer)) > 0;)
    out.append(buffer, size_t(n));
  close(fds[0]);
  int status = 0;
  double ms = -1.0;
  cpuMs = -1.0;
  if (child <= 0 || waitpid(child, &status, 0) != child || status != 0 ||
      std::sscanf(out.c_str(), "%lf %lf", &ms, &cpuMs) != 2)
    return -1.0;
  return ms;
}

void Measure(const std::string& format, const std::string& path, long long triangles) {
  double assimpMs, assimpCpuMs, meshMb, assimpPeakMb;
  {
    // Every read starts from a heap handed back, as in a process of its own.
    malloc_trim(0);
    ResetPeakRss();
    const double rss = StatusMb("VmRSS:");
    Assimp::Importer importer;
    const double cpu = CpuMs();
    const auto start = std::chrono::steady_clock::now();
    const aiScene* scene = importer.ReadFile(path, aiProcess_ValidateDataStructure);
    assimpMs = Ms(start);
    assimpCpuMs = CpuMs() - cpu;
    if (!scene) throw std::runtime_error(path + ": " + importer.GetErrorString());
    meshMb = MeshDataMb(*scene);
    assimpPeakMb = StatusMb("VmHWM:") - rss;
  }
  // The read above freed its memory; handed back, it does not hide in the figures below.
  malloc_trim(0);
  ResetPeakRss();
  const double rssBefore = StatusMb("VmRSS:");
  SceneReset reset;
  const double cpuStart = CpuMs();
  auto start = std::chrono::steady_clock::now();
  SceneDescription description;
  for (ImportedNode& node : ImportMeshFile(path, 30.0f))
    description.nodes.push_back(
        NodeDescription{node.name, std::move(node.mesh), ObjectKind::Poly, node.transform});
  const double importCpuMs = CpuMs() - cpuStart;
  HostScene hostScene(std::move(description));
  const double kelvaneMs = Ms(start);
  const double kelvaneCpuMs = CpuMs() - cpuStart;
  const double rssLoaded = StatusMb("VmRSS:");
  start = std::chrono::steady_clock::now();
  double rayMs, rayMb, rayCpuMs;
  {
    const double cpu = CpuMs();
    RayScene rays(hostScene);
    rayMs = Ms(start);
    rayCpuMs = CpuMs() - cpu;
    rayMb = StatusMb("VmRSS:") - rssLoaded;
  }
  const double peakMb = StatusMb("VmHWM:") - rssBefore;
  double embreeCpuMs = 0.0;
  const double embreeMs = EmbreeBuildMs(hostScene, embreeCpuMs);
  double firstEmbreeCpuMs = 0.0;
  const double firstEmbreeMs = FirstEmbreeBuildMs(path, firstEmbreeCpuMs);
  std::printf(
      "import %s %lld assimp_ms=%.0f kelvane_ms=%.0f ray_scene_ms=%.0f embree_build_ms=%.0f "
      "peak_rss_mb=%.0f assimp_mesh_mb=%.0f\n",
      format.c_str(), triangles, assimpMs, kelvaneMs, rayMs, embreeMs, peakMb, meshMb);
  std::fflush(stdout);
  std::fprintf(stderr,
               "  (%s: cpu ms: assimp %.0f, load %.0f (mesh file %.0f), ray scene %.0f, Embree's "
               "build %.0f; Embree's build as a process's first: %.0f ms (cpu %.0f); memory: "
               "the importer's read "
               "alone peaks at %.0f MB, loaded scene %.0f MB, the ray scene's own about %.0f MB; "
               "scene digest %016llx)\n",
               path.c_str(), assimpCpuMs, kelvaneCpuMs, importCpuMs, rayCpuMs, embreeCpuMs,
               firstEmbreeMs, firstEmbreeCpuMs, assimpPeakMb, rssLoaded - rssBefore, rayMb,
               (unsigned long long)SceneDigest(hostScene));
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = "/tmp/kelvane-import-bench";
  std::vector<long long> sizes;
  std::vector<std::string> formats;
  if (argc == 3 && std::string(argv[1]) == "--first-embree-build") {
    // Run by FirstEmbreeBuildMs.
    SceneReset reset;
    const HostScene hostScene = LoadScene(argv[2]);
    double cpuMs = 0.0;
    const double ms = EmbreeBuildMs(hostScene, cpuMs);
    std::printf("%.3f %.3f\n", ms, cpuMs);
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || i + 1 >= argc) {
      std::cout
          << "usage: import-bench [--dir FOLDER] [--triangles N]... [--format ply|obj]...\n"
             "\n"
             "Times loading generated spheres against the importer's read and Embree's build.\n"
             "\n"
             "  --dir FOLDER    where the meshes are written (default /tmp/kelvane-import-bench)\n"
             "  --triangles N   about N triangles (default 1M and 8M; may be repeated)\n"
             "  --format F      ply or obj (default both; may be repeated)\n"
             "  --help          this text\n";
      return arg == "--help" || arg == "-h" ? 0 : 2;
    }
    const std::string value = argv[++i];
    if (arg == "--dir")
      dir = value;
    else if (arg == "--triangles")
      sizes.push_back(std::max(8LL, std::atoll(value.c_str())));
    else if (arg == "--format" && (value == "ply" || value == "obj"))
      formats.push_back(value);
    else {
      std::cerr << "import-bench: unknown option " << arg << ' ' << value << '\n';
      return 2;
    }
  }
  if (sizes.empty()) sizes = {1000000, 8000000};
  if (formats.empty()) formats = {"ply", "obj"};
  std::filesystem::create_directories(dir);
  try {
    for (long long size : sizes)
      for (const std::string& format : formats) {
        const Sphere sphere(size);
        const std::string path =
            dir + "/sphere-" + std::to_string(sphere.Triangles()) + "." + format;
        if (!std::filesystem::exists(path)) {
          const std::string part = path + ".part";
          format == "ply" ? WritePly(sphere, part) : WriteObj(sphere, part);
          std::filesystem::rename(part, path);
        }
        Measure(format, path, sphere.Triangles());
      }
  } catch (const std::exception& e) {
    std::cerr << "import-bench: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
