#include "mesh/mesh_file_claims.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/input_error.h"
#include "common/quoted.h"

namespace {

// A PLY header is a few lines; one that runs on this long is not one.
constexpr size_t kMaxPlyHeaderBytes = 1 << 20;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

std::string Extension(const std::string& path) {
  const size_t dot = path.find_last_of('.'), slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(path.substr(dot));
}

std::string Head(std::ifstream& in, size_t bytes) {
  std::string head(bytes, '\0');
  in.read(head.data(), std::streamsize(bytes));
  head.resize(size_t(in.gcount()));
  return head;
}

[[noreturn]] void Refuse(const std::string& path, const std::string& claim, uint64_t needed,
                         uint64_t held) {
  throw InputError(path + ": the header claims " + claim + ", which need at least " +
                   std::to_string(needed) + " bytes, but the file holds " + std::to_string(held) +
                   " after its header");
}

// Adds count elements of `each` bytes to `needed`, saturating; false when it passes `held`.
bool Fits(uint64_t& needed, uint64_t count, uint64_t each, uint64_t held) {
  if (each != 0 && count > (UINT64_MAX - needed) / each) {
    needed = UINT64_MAX;
    return false;
  }
  needed += count * each;
  return needed <= held;
}

// Bytes of a PLY scalar type, 0 for a name PLY does not have.
uint64_t PlyTypeBytes(const std::string& type) {
  static const std::pair<const char*, uint64_t> kTypes[] = {
      {"char", 1},  {"uchar", 1},   {"int8", 1},   {"uint8", 1},  {"short", 2}, {"ushort", 2},
      {"int16", 2}, {"uint16", 2},  {"int", 4},    {"uint", 4},   {"int32", 4}, {"uint32", 4},
      {"float", 4}, {"float32", 4}, {"double", 8}, {"float64", 8}};
  for (const auto& [name, bytes] : kTypes)
    if (type == name) return bytes;
  return 0;
}

void CheckPly(const std::string& path, std::ifstream& in, uint64_t fileSize) {
  struct Element {
    std::string name;
    uint64_t count = 0;
    uint64_t minBytes = 0;  // binary: fixed fields and list counts
    uint64_t properties = 0;
  };
  std::vector<Element> elements;
  bool ascii = false;
  std::string line;
  uint64_t headerBytes = 0;
  while (true) {
    if (!std::getline(in, line)) return;  // no end_header: the importer will say so
    headerBytes += line.size() + 1;
    if (headerBytes > kMaxPlyHeaderBytes)
      throw InputError(path + ": the PLY header does not end within " +
                       std::to_string(kMaxPlyHeaderBytes) + " bytes");
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "end_header") break;
    if (word == "format") {
      std::string format;
      words >> format;
      ascii = format == "ascii";
    } else if (word == "element") {
      Element e;
      std::string count;
      words >> e.name >> count;
      if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos) return;
      // Counts beyond 64 bits are a claim no file can hold.
      e.count = count.size() > 19 ? UINT64_MAX : std::stoull(count);
      elements.push_back(e);
    } else if (word == "property" && !elements.empty()) {
      std::string type, countType;
      words >> type;
      uint64_t bytes = 0;
      if (type == "list") {
        words >> countType;
        bytes = PlyTypeBytes(countType);  // a list may be empty: its count alone
      } else {
        bytes = PlyTypeBytes(type);
      }
      if (bytes == 0) return;  // a type we do not know: leave the file to the importer
      elements.back().minBytes += bytes;
      ++elements.back().properties;
    }
  }
  const uint64_t held = fileSize > headerBytes ? fileSize - headerBytes : 0;
  uint64_t needed = 0;
  for (const Element& e : elements) {
    // In ASCII every value takes a digit and a blank or line end; any element at least a byte.
    const uint64_t each = std::max<uint64_t>(1, ascii ? 2 * e.properties : e.minBytes);
    if (!Fits(needed, e.count, each, held))
      Refuse(path, std::to_string(e.count) + " " + Excerpt(e.name) + " elements", needed, held);
  }
}

void CheckOff(const std::string& path, std::ifstream& in, uint64_t fileSize) {
  // The keyword (OFF, COFF, NOFF, ...), then the vertex, face and edge counts, perhaps on the
  // keyword's line; # starts a comment.
  std::string text = Head(in, 4096), word;
  std::istringstream words;
  std::string clean;
  for (std::istringstream lines(text); std::getline(lines, word);)
    clean += word.substr(0, word.find('#')) + "\n";
  words.str(clean);
  std::string keyword;
  uint64_t vertices = 0, faces = 0;
  if (!(words >> keyword) || keyword.size() < 3 || keyword.substr(keyword.size() - 3) != "OFF")
    return;
  if (!(words >> vertices >> faces)) return;
  const std::streamoff after = words.tellg();
  const uint64_t headerBytes = after < 0 ? text.size() : uint64_t(after);
  const uint64_t held = fileSize > headerBytes ? fileSize - headerBytes : 0;
  uint64_t needed = 0;
  // A vertex is three numbers ("0 0 0" and a line end), a face at least its corner count.
  if (!Fits(needed, vertices, 6, held))
    Refuse(path, std::to_string(vertices) + " vertices", needed, held);
  if (!Fits(needed, faces, 2, held)) Refuse(path, std::to_string(faces) + " faces", needed, held);
}

uint32_t Le32(const std::string& bytes, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void CheckStl(const std::string& path, std::ifstream& in, uint64_t fileSize) {
  // Binary: an 80-byte header, a triangle count, 50 bytes a triangle. A file that starts with
  // "solid" and is not exactly that long is ASCII, which has no count.
  const std::string head = Head(in, 84);
  if (head.size() < 84) return;
  const uint64_t triangles = Le32(head, 80);
  const bool binary = Lower(head.substr(0, 5)) != "solid" || 84 + 50 * triangles == fileSize;
  uint64_t needed = 0;
  if (binary && !Fits(needed, triangles, 50, fileSize - 84))
    Refuse(path, std::to_string(triangles) + " triangles", needed, fileSize - 84);
}

void CheckGlb(const std::string& path, std::ifstream& in, uint64_t fileSize) {
  // "glTF", version, the whole container's length.
  const std::string head = Head(in, 12);
  if (head.size() < 12) return;
  const uint64_t length = Le32(head, 8);
  if (length > fileSize)
    throw InputError(path + ": the header claims " + std::to_string(length) +
                     " bytes, but the file holds " + std::to_string(fileSize));
}

}  // namespace

void CheckMeshFileClaims(const std::string& path, std::uintmax_t fileSize) {
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  in.read(magic, 4);
  in.seekg(0);
  const std::string ext = Extension(path);
  if (std::memcmp(magic, "ply", 3) == 0 && (magic[3] == '\n' || magic[3] == '\r'))
    CheckPly(path, in, fileSize);
  else if (std::memcmp(magic, "glTF", 4) == 0)
    CheckGlb(path, in, fileSize);
  else if (ext == ".off")
    CheckOff(path, in, fileSize);
  else if (ext == ".stl")
    CheckStl(path, in, fileSize);
}
