#include "cli/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <limits>
#include <set>
#include <vector>

#include "common/image_limits.h"
#include "common/input_error.h"
#include "common/quoted.h"

namespace {

// The bump amounts a material's slot takes, as fractions: -1000% to 1000%.
constexpr double kMaxBumpAmount = 10.0;

struct CommandInfo {
  const char* name;
  Command command;
  std::set<std::string> flags;
};

const CommandInfo kCommands[] = {
    {"render",
     Command::Render,
     {"-o", "--size", "--threads", "--bump", "--set", "--smooth-angle", "--stats", "--constant-map",
      "--up", "--camera", "--frame"}},
    {"sample", Command::Sample, {"--points", "-o", "--set", "--smooth-angle"}},
    {"bake",
     Command::Bake,
     {"--node", "--size", "-o", "--threads", "--set", "--smooth-angle", "--padding", "--depth"}},
    {"preview", Command::Preview, {"--size", "-o", "--set", "--smooth-angle"}},
    {"save", Command::Save, {"-o", "--set", "--smooth-angle", "--up"}},
};

// Digits, with an optional minus sign; a number too long for any integer is saturated (and
// so out of every range). False for anything else.
bool ParseWhole(const std::string& text, long long& v) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || end != text.data() + text.size()) return false;
  if (ec == std::errc::result_out_of_range)
    v = text[0] == '-' ? std::numeric_limits<long long>::min()
                       : std::numeric_limits<long long>::max();
  return ec == std::errc() || ec == std::errc::result_out_of_range;
}

long long Whole(const std::string& flag, const std::string& text, long long low, long long high) {
  long long v = 0;
  if (!ParseWhole(text, v)) throw InputError(flag + ": " + Quoted(text) + " is not a whole number");
  if (v < low || v > high)
    throw InputError(flag + ": " + Excerpt(text) + " is out of range (" + std::to_string(low) +
                     " to " + std::to_string(high) + ")");
  return v;
}

bool ParseNumber(const std::string& text, double& v) {
  if (text.empty() || std::isspace((unsigned char)text[0])) return false;
  char* end = nullptr;
  v = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(v);
}

ImageSize Size(const std::string& text) {
  auto x = text.find('x');
  long long w = 0, h = 0;
  if (x == std::string::npos || !ParseWhole(text.substr(0, x), w) ||
      !ParseWhole(text.substr(x + 1), h))
    throw InputError("--size: " + Quoted(text) + " is not WIDTHxHEIGHT (for example 640x480)");
  // The limits named are the picture's, whatever the numbers.
  if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide)
    throw InputError("--size: " + Excerpt(text) + " is out of range (each side 1 to " +
                     std::to_string(kMaxImageSide) + ")");
  CheckImageSize(w, h, "--size");
  return ImageSize{int(w), int(h)};
}

// "px,py,pz:tx,ty,tz[:fov]"; the up vector is the scene's up axis, given later.
CameraDescription Camera(const std::string& text) {
  auto fail = [&](const std::string& problem) -> CameraDescription {
    throw InputError("--camera: " + Quoted(text) + " " + problem);
  };
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  auto point = [&](const std::string& part, Point3& p) {
    double v[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
      const size_t comma = part.find(',', start);
      if ((comma == std::string::npos) != (i == 2)) return false;
      if (!ParseNumber(part.substr(start, comma - start), v[i]) || std::fabs(v[i]) > 1e30)
        return false;
      start = comma + 1;
    }
    p = Point3(float(v[0]), float(v[1]), float(v[2]));
    return true;
  };
  CameraDescription camera;
  if ((parts.size() != 2 && parts.size() != 3) || !point(parts[0], camera.position) ||
      !point(parts[1], camera.target))
    return fail("is not px,py,pz:tx,ty,tz[:fov] (for example 4,-4,3:0,0,0.5:40)");
  if (parts.size() == 3) {
    double fov = 0;
    if (!ParseNumber(parts[2], fov) || fov < 1.0 || fov > 170.0)
      return fail("has a field of view that is not 1 to 170 degrees");
    camera.fovDegrees = float(fov);
  }
  if (!((camera.target - camera.position).Length() > 0.0f))
    return fail("has its position and target at the same point");
  return camera;
}

// Picture formats kelvane does not write, by the extensions people give them: -o x.jpg once
// got PNG bytes under a JPEG name.
const char* const kOtherPictureExtensions[] = {
    ".jpg", ".jpeg", ".jpe",  ".jfif", ".exr", ".tif", ".tiff", ".bmp", ".gif", ".tga",
    ".hdr", ".webp", ".psd",  ".dds",  ".jp2", ".j2k", ".ppm",  ".pgm", ".pbm", ".pnm",
    ".ico", ".heic", ".heif", ".avif", ".svg", ".dpx", ".sgi",  ".rgb", ".ktx", ".qoi"};

// Refuses an output named for another picture format, unless it is a device or pipe that only
// happens to be named so.
void CheckPictureName(const std::string& path) {
  const size_t dot = path.find_last_of('.'), slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return;
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  if (std::find(std::begin(kOtherPictureExtensions), std::end(kOtherPictureExtensions), ext) ==
      std::end(kOtherPictureExtensions))
    return;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return;
  throw InputError("-o: " + Quoted(path) + " names a " + ext.substr(1) +
                   " file, but kelvane writes PNG pictures (name it .png)");
}

ParameterSetting Setting(const std::string& text) {
  const std::string origin = "--set " + Quoted(text);
  auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0) throw InputError(origin + ": expected NAME=VALUE");
  ParameterSetting s{text.substr(0, eq), false, origin};
  std::string value = text.substr(eq + 1);
  double number = 0;
  if (value == "true")
    s.value = true;
  else if (value == "false")
    s.value = false;
  else if (ParseNumber(value, number))
    s.value = number;
  else
    s.value = value;  // a word; the parameter decides whether it is one of its own
  return s;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  if (args.empty()) throw InputError("no command given (kelvane --help lists them)");
  const std::string& name = args[0];
  if (name == "--help" || name == "-h" || name == "help") return cl;
  if (name == "--version") {
    if (args.size() > 1) throw InputError("--version takes nothing else");
    cl.command = Command::Version;
    return cl;
  }
  const CommandInfo* info = nullptr;
  for (const CommandInfo& c : kCommands)
    if (name == c.name) info = &c;
  if (!info)
    throw InputError("unknown command " + Quoted(name) +
                     " (render, sample, bake, preview or save)");
  cl.command = info->command;

  std::set<std::string> seen;
  for (size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "--help" || arg == "-h") {
      cl.command = Command::Help;
      return cl;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      if (cl.scene)
        throw InputError("unexpected argument " + Quoted(arg) + " (the scene is " +
                         Quoted(*cl.scene) + ")");
      cl.scene = arg;
      continue;
    }
    std::string flag = arg, value;
    bool hasValue = false;
    if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      flag = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    if (!info->flags.count(flag)) {
      bool known = false;
      for (const CommandInfo& c : kCommands) known |= c.flags.count(flag) > 0;
      throw InputError(known ? std::string(info->name) + " does not take " + flag
                             : "unknown flag " + Quoted(flag));
    }
    if (flag != "--set" && flag != "--node" && !seen.insert(flag).second)
      throw InputError(flag + " is given twice");
    if (flag == "--bump") {
      // The amount is optional: the next argument is it only when it reads as a number, so a
      // scene named after the flag still works.
      double amount = 0.0;
      if (!hasValue && i + 1 < args.size() && ParseNumber(args[i + 1], amount)) {
        value = args[++i];
        hasValue = true;
      }
      if (hasValue &&
          (!ParseNumber(value, amount) || amount < -kMaxBumpAmount || amount > kMaxBumpAmount))
        throw InputError("--bump: " + Quoted(value) + " is not an amount from -10 to 10");
      cl.bump = true;
      if (hasValue) cl.bumpAmount = float(amount);
      continue;
    }
    if (flag == "--stats" || flag == "--constant-map") {
      if (hasValue) throw InputError(flag + " takes no value");
      (flag == "--stats" ? cl.stats : cl.constantMap) = true;
      continue;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) throw InputError(flag + " needs a value");
      value = args[++i];
    }
    if (flag == "-o") {
      if (value.empty()) throw InputError("-o needs a file name");
      cl.output = value;
    } else if (flag == "--size") {
      if (cl.command == Command::Bake || cl.command == Command::Preview) {
        long long n = Whole("--size", value, 1, kMaxImageSide);
        CheckImageSize(n, n, "--size");
        (cl.command == Command::Bake ? cl.bakeSize : cl.previewSize) = int(n);
      } else {
        cl.size = Size(value);
      }
    } else if (flag == "--threads") {
      cl.threads = int(Whole("--threads", value, 1, kMaxThreads));
    } else if (flag == "--smooth-angle") {
      double a = 0;
      if (!ParseNumber(value, a) || a < 0.0 || a > 180.0)
        throw InputError("--smooth-angle: " + Quoted(value) +
                         " is not an angle from 0 to 180 degrees");
      cl.smoothAngle = float(a);
    } else if (flag == "--set") {
      cl.settings.push_back(Setting(value));
    } else if (flag == "--points") {
      cl.points = value;
    } else if (flag == "--node") {
      if (std::find(cl.nodes.begin(), cl.nodes.end(), value) != cl.nodes.end())
        throw InputError("--node: " + Quoted(value) + " is given twice");
      cl.nodes.push_back(value);
    } else if (flag == "--padding") {
      cl.bakePadding = int(Whole("--padding", value, 0, kMaxImageSide));
    } else if (flag == "--depth") {
      if (value != "8" && value != "16")
        throw InputError("--depth: " + Quoted(value) + " is not 8 or 16");
      cl.bakeDepth = value == "8" ? 8 : 16;
    } else if (flag == "--up") {
      if (value != "y" && value != "z")
        throw InputError("--up: " + Quoted(value) + " is not y or z");
      cl.up = value == "y" ? UpAxis::Y : UpAxis::Z;
    } else if (flag == "--camera") {
      cl.camera = Camera(value);
    } else if (flag == "--frame") {
      cl.frame = value;
    }
  }
  if (cl.command == Command::Sample && !cl.points) throw InputError("sample needs --points FILE");
  if (cl.command == Command::Bake && cl.nodes.empty()) throw InputError("bake needs --node NAME");
  if (cl.camera && cl.frame) throw InputError("--camera and --frame cannot go together");
  if (cl.output && (cl.command == Command::Render || cl.command == Command::Bake ||
                    cl.command == Command::Preview))
    CheckPictureName(*cl.output);
  if ((cl.command == Command::Bake || cl.command == Command::Preview ||
       cl.command == Command::Save) &&
      !cl.output)
    throw InputError(std::string(info->name) + " needs -o FILE");
  return cl;
}

const char* UsageText() {
  return R"(kelvane: the Kelvane edge-distance map outside 3ds Max

  kelvane render [SCENE] [-o out.png] [--size WxH] [--threads N] [--bump [AMOUNT]] [--stats]
                 [--constant-map] [--up y|z] [--camera P:T[:FOV] | --frame NODE]
                 [--set NAME=VALUE ...]
  kelvane sample [SCENE] --points FILE [-o out.csv] [--set NAME=VALUE ...]
  kelvane bake   [SCENE] --node NAME [--node NAME ...] -o out.png [--size N] [--padding N]
                 [--depth 8|16] [--threads N] [--set NAME=VALUE ...]
  kelvane preview [SCENE] -o ramp.png [--size N] [--set NAME=VALUE ...]
  kelvane save   [SCENE] -o FILE [--up y|z] [--set NAME=VALUE ...]
  kelvane --version

SCENE is a JSON scene (.json), a scene file written by `kelvane save`, or a mesh file of any
format Assimp reads; without one, a built-in scene. Every command also takes
--smooth-angle DEG (default 30), the auto-smooth angle for meshes without smoothing groups.
A mesh file's coordinates are world coordinates, opened directly or through a JSON scene.

  render   picture of the scene (PNG; default kelvane.png, 960x540 or the scene's image size,
           all cores); --bump [AMOUNT] bends normals with the map's bump at a material's
           bump amount (default 0.3, its 30; 1 shows a round edge's full turn); --stats
           reports the time and samples per second; --constant-map shades with the host's
           constant-colour map instead, to time against
           --camera px,py,pz:tx,ty,tz[:fov]  looks from P at T (fov: horizontal, degrees,
           default 45) instead of the scene's camera; --frame NODE  the default view of one
           node; --up y|z  the up axis of the cameras kelvane makes (default: y for a mesh
           file, which most programs write Y up; z, the host's, for anything else)
  sample   CSV (to standard output, or -o FILE): node,x,y,z,r,g,b,a,mono,bump_x,bump_y,bump_z
           for each line "NODE X Y Z" (world space) of the points file; says on standard
           error how many points lie farther than Distance from their node's surface
  bake     the map in the node's UV layout (PNG, N x N, default 512; alpha is coverage);
           several --node flags bake nodes sharing one layout into one picture (the first
           given wins where they overlap); --padding N fills the texels within N of the UV
           islands with the nearest island colour, opaque (default 0: transparent);
           --depth 16 writes 16-bit channels (default 8)
  preview  the map's viewport texture, asked for as the viewport asks (PNG, N x N, default
           256): the ramp from position 0 at the left, the same on every row
  save     the scene and its map as a scene file (with its up axis)
  --set    a map parameter by internal name, e.g. --set Distance=0.2 --set "open edges=true"

Bad input exits with status 2 and one line saying what is wrong.
)";
}
