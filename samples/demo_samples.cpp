#include "demo_samples.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace samples {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint16_t kNoParent = 65535;

struct Point {
  double x, y, z;  // x to the figure's left, y up, z forward
};

Point operator+(Point a, Point b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Point operator-(Point a, Point b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Point operator*(Point a, double k) {
  return {a.x * k, a.y * k, a.z * k};
}

// A biped in its bind pose, arms out: each joint where it stands, and its parent.
struct Joint {
  std::string_view name;
  std::uint16_t parent;
  Point at;
};

const std::array<Joint, 24> kBiped = {{
    {"root", kNoParent, {0, 0, 0}},
    {"pelvis", 0, {0, 0.95, 0}},
    {"spine1", 1, {0, 1.05, 0}},
    {"spine2", 2, {0, 1.18, 0}},
    {"chest", 3, {0, 1.32, 0.01}},
    {"neck", 4, {0, 1.50, 0}},
    {"head", 5, {0, 1.60, 0.01}},
    {"jaw", 6, {0, 1.62, 0.06}},
    {"l_clavicle", 4, {0.05, 1.45, 0.02}},
    {"l_upperarm", 8, {0.18, 1.45, 0}},
    {"l_forearm", 9, {0.45, 1.45, -0.01}},
    {"l_hand", 10, {0.70, 1.45, 0}},
    {"r_clavicle", 4, {-0.05, 1.45, 0.02}},
    {"r_upperarm", 12, {-0.18, 1.45, 0}},
    {"r_forearm", 13, {-0.45, 1.45, -0.01}},
    {"r_hand", 14, {-0.70, 1.45, 0}},
    {"l_thigh", 1, {0.10, 0.92, 0}},
    {"l_calf", 16, {0.10, 0.50, 0.01}},
    {"l_foot", 17, {0.10, 0.08, -0.02}},
    {"l_toe", 18, {0.10, 0.02, 0.13}},
    {"r_thigh", 1, {-0.10, 0.92, 0}},
    {"r_calf", 20, {-0.10, 0.50, 0.01}},
    {"r_foot", 21, {-0.10, 0.08, -0.02}},
    {"r_toe", 22, {-0.10, 0.02, 0.13}},
}};

Bytes& f32(Bytes& out, double value) {
  return out.f32(static_cast<float>(value));
}

// The parts of the figure's surface: a tube around a bone, from its joint to `to`.
struct Part {
  std::uint8_t bone;
  Point to;
  double radius;
  int around;  // vertices a ring
};

// A vertex of the skin, and the neighbouring bone it shares with half its weight, if any.
struct SkinVertex {
  Point at;
  Point normal;
  std::uint8_t bone;
  int sharedWith;  // -1: bound whole to its bone
};

// A ring every 2 cm along each part, the rings near either end shared with the bone there.
void addTube(std::vector<SkinVertex>& vertices, const Part& part, int before, int after) {
  const Point from = kBiped[part.bone].at;
  const Point axis = part.to - from;
  const double length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
  const int rings = std::max(3, static_cast<int>(length / 0.02));
  // Two directions across the axis, for the points around it.
  const bool upright = std::fabs(axis.y) > std::fabs(axis.x);
  const Point across = upright ? Point{1, 0, 0} : Point{0, 1, 0};
  const Point side{0, 0, 1};
  for (int ring = 0; ring <= rings; ++ring) {
    const double along = static_cast<double>(ring) / rings;
    const int shared = along < 0.12 ? before : (along > 0.88 ? after : -1);
    // Limbs taper towards their ends; the torso swells at the chest.
    const double radius = part.radius * (1.0 - 0.25 * along);
    for (int k = 0; k < part.around; ++k) {
      const double angle = 2 * kPi * (k + 0.5 * (ring % 2)) / part.around;
      const Point normal = across * std::cos(angle) + side * std::sin(angle);
      vertices.push_back({from + axis * along + normal * radius, normal, part.bone, shared});
    }
  }
}

void addHead(std::vector<SkinVertex>& vertices) {
  const Point centre = kBiped[6].at + Point{0, 0.11, 0.01};
  constexpr int kRings = 14;
  constexpr int kAround = 24;
  for (int ring = 1; ring < kRings; ++ring) {
    const double polar = kPi * ring / kRings;
    for (int k = 0; k < kAround; ++k) {
      const double angle = 2 * kPi * k / kAround;
      const Point normal{std::sin(polar) * std::cos(angle), std::cos(polar),
                         std::sin(polar) * std::sin(angle)};
      // The lower front of the head moves with the jaw.
      const std::uint8_t bone = normal.y < -0.3 && normal.z > 0.2 ? 7 : 6;
      vertices.push_back({centre + Point{normal.x * 0.095, normal.y * 0.12, normal.z * 0.105},
                          normal, bone, ring == kRings - 1 ? 5 : -1});
    }
  }
}

std::vector<SkinVertex> figure() {
  std::vector<SkinVertex> vertices;
  addTube(vertices, {1, kBiped[3].at, 0.15, 24}, 16, 2);
  addTube(vertices, {3, kBiped[5].at, 0.17, 24}, 2, 5);
  addTube(vertices, {5, kBiped[6].at, 0.055, 12}, 4, 6);
  addHead(vertices);
  for (const int side : {0, 4}) {
    const auto bone = [side](int left) { return static_cast<std::uint8_t>(left + side); };
    addTube(vertices, {bone(9), kBiped[bone(10)].at, 0.055, 12}, bone(8), bone(10));
    addTube(vertices, {bone(10), kBiped[bone(11)].at, 0.045, 12}, bone(9), bone(11));
    addTube(vertices, {bone(11), kBiped[bone(11)].at + Point{side ? -0.12 : 0.12, 0, 0}, 0.035, 10},
            bone(10), -1);
  }
  for (const int side : {0, 4}) {
    const auto bone = [side](int left) { return static_cast<std::uint8_t>(left + side); };
    addTube(vertices, {bone(16), kBiped[bone(17)].at, 0.085, 14}, 1, bone(17));
    addTube(vertices, {bone(17), kBiped[bone(18)].at, 0.06, 12}, bone(16), bone(18));
    addTube(vertices, {bone(18), kBiped[bone(19)].at, 0.045, 10}, bone(17), bone(19));
  }
  return vertices;
}

// A 16-bit fixed-point sample of 15 fraction bits.
std::uint16_t sampleWord(double value) {
  const double clamped = std::clamp(value, -1.0, 32767.0 / 32768.0);
  return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(clamped * 32768)));
}

// One component's samples as runs: a stretch of three or more equal words is a repeat run, the
// rest literal runs, each of at most 127 samples.
void addRuns(Bytes& out, const std::vector<std::uint16_t>& words) {
  constexpr std::size_t kLongestRun = 127;
  std::size_t at = 0;
  const auto repeatsFrom = [&words](std::size_t from) {
    std::size_t end = from;
    while (end < words.size() && words[end] == words[from] && end - from < kLongestRun) ++end;
    return end - from;
  };
  while (at < words.size()) {
    if (const std::size_t repeats = repeatsFrom(at); repeats >= 3) {
      out.u16(static_cast<std::uint16_t>(0x80 | repeats)).u16(words[at]);
      at += repeats;
      continue;
    }
    std::size_t end = at;
    while (end < words.size() && end - at < kLongestRun && repeatsFrom(end) < 3) ++end;
    out.u16(static_cast<std::uint16_t>(end - at));
    for (std::size_t i = at; i < end; ++i) out.u16(words[i]);
    at = end;
  }
}

// A bone's pose in the walk at `phase` (0 to 1 a stride): a rotation, mostly about the x axis,
// as four quaternion components, then its place relative to its parent.
std::array<double, 7> walkPose(int bone, double phase) {
  const double swing = std::sin(2 * kPi * phase);
  double bend = 0;
  double twist = 0;
  std::array<double, 3> place{0, 0, 0};
  switch (bone) {
    case 0:  // the pelvis bobs twice a stride, sways and twists
      place = {0.03 * swing, 0.95 + 0.02 * std::cos(4 * kPi * phase), 0};
      bend = 0.05 * swing;
      twist = 0.15 * swing;
      break;
    case 1:  // the spine turns against the pelvis
      place = {0, 0.10, 0};
      bend = -0.08 * swing;
      twist = -0.25 * swing;
      break;
    case 2:
    case 4:  // the thighs swing against each other
      place = {bone == 2 ? 0.10 : -0.10, -0.03, 0};
      bend = (bone == 2 ? 0.5 : -0.5) * swing;
      break;
    default:  // the knees bend only while the leg swings forward, and are straight in between
      place = {0, -0.42, 0.01};
      bend = std::max(0.0, (bone == 3 ? 1 : -1) * std::sin(2 * kPi * phase - 0.6)) * 1.1;
      bend = std::round(bend * 20) / 20;
      break;
  }
  return {std::sin(bend / 2),
          std::sin(twist / 2),
          0,
          std::cos(bend / 2) * std::cos(twist / 2),
          place[0],
          place[1],
          place[2]};
}

// A landscape: sky, sun, snow-capped mountains, a meadow and a path, in blue, green, red.
std::array<std::uint8_t, 3> landscape(int x, int y, int width, int height) {
  const double u = static_cast<double>(x) / width;
  const double v = static_cast<double>(y) / height;  // 0 at the top
  const double ridge = 0.42 + 0.12 * std::sin(u * 9.0 + 1.0) + 0.07 * std::sin(u * 23.0);
  const double meadow = 0.72 + 0.03 * std::sin(u * 5.0);
  const auto colour = [](double r, double g, double b) {
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                                       static_cast<std::uint8_t>(r)};
  };
  if (v > meadow) {
    const double path = std::fabs(u - 0.62 - (v - meadow) * 0.9);
    if (path < 0.02 + (v - meadow) * 0.15) return colour(190, 160, 110);
    return colour(60 + 40 * v, 150 - 30 * v, 50);
  }
  if (v > ridge) {
    const bool snow = v < ridge + 0.05 && ridge < 0.40;
    return snow ? colour(240, 240, 250) : colour(95 + 20 * u, 90, 110);
  }
  const double sunX = u - 0.22;
  const double sunY = (v - 0.18) * height / width;
  if (sunX * sunX + sunY * sunY < 0.004) return colour(255, 220, 90);
  return colour(110 + 100 * v, 160 + 70 * v, 235);
}

constexpr std::uint16_t kImageWidth = 512;
constexpr std::uint16_t kImageHeight = 256;

Bytes& tgaHeader(Bytes& out, std::uint8_t type, std::uint8_t depth, std::uint8_t descriptor) {
  return out.u8(0)
      .u8(0)
      .u8(type)
      .u16(0)
      .u16(0)
      .u8(0)
      .u16(0)
      .u16(0)
      .u16(kImageWidth)
      .u16(kImageHeight)
      .u8(depth)
      .u8(descriptor);
}

}  // namespace

// Each bone's three rows: a rotation (none in the bind pose), its place relative to its parent,
// and its scale; the short value is the parent's number in the file (65535 for none).
Bytes demoSkeleton() {
  Bytes out;
  out.i32(1).i32(static_cast<std::int32_t>(kBiped.size()));
  for (const Joint& joint : kBiped) {
    const Point local = joint.parent == kNoParent ? joint.at : joint.at - kBiped[joint.parent].at;
    out.name(joint.name).u16(joint.parent);
    out.f32(1).f32(0).f32(0).f32(0);
    f32(f32(f32(out, local.x), local.y), local.z).f32(1);
    out.f32(1).f32(1).f32(1).f32(0);
  }
  return out;
}

// The figure's surface, each vertex bound to the bone under it; near a joint a vertex gives
// half its weight to the bone across the joint (extension flag 2), and its envelope is the
// surface's normal there. The names are the skeleton's.
Bytes demoSkin() {
  const std::vector<SkinVertex> vertices = figure();
  Bytes out;
  out.i32(1).i32(static_cast<std::int32_t>(vertices.size()));
  for (const SkinVertex& vertex : vertices) {
    f32(f32(f32(out, vertex.at.x), vertex.at.z), vertex.at.y);
    out.u8(0).u8(vertex.bone).u8(0);
    out.f32(vertex.sharedWith < 0 ? 1.0f : 0.5f);
    f32(f32(f32(out, vertex.normal.x), vertex.normal.z), vertex.normal.y);
    if (vertex.sharedWith >= 0) {
      out.u8(vertex.bone).u8(static_cast<std::uint8_t>(vertex.sharedWith)).f32(0.5f);
      out.f32(0).f32(1).f32(0);
    }
  }
  out.u16(static_cast<std::uint16_t>(kBiped.size()));
  for (const Joint& joint : kBiped) out.name(joint.name);
  return out;
}

// Three seconds of a walk at 30 frames a second, two strides: the pelvis, the spine and the
// legs. Smooth channels are literal runs; still ones (a straight knee, a translation that never
// moves) are repeat runs.
Bytes demoAnimation() {
  constexpr std::string_view kBones[] = {"pelvis", "spine1",  "l_thigh",
                                         "l_calf", "r_thigh", "r_calf"};
  constexpr int kFrames = 90;
  Bytes out;
  out.i32(3).u16(static_cast<std::uint16_t>(std::size(kBones)));
  for (const std::string_view name : kBones) out.name(name);
  out.i32(kFrames).u8(15);
  for (int bone = 0; bone < static_cast<int>(std::size(kBones)); ++bone) {
    out.u16(0);  // bone prefix word
    for (std::size_t component = 0; component < 7; ++component) {
      std::vector<std::uint16_t> words;
      for (int frame = 0; frame < kFrames; ++frame) {
        words.push_back(sampleWord(walkPose(bone, frame / 45.0)[component]));
      }
      out.u16(0);  // component prefix word
      addRuns(out, words);
    }
  }
  return out;
}

// A static model (format 10) of five collision models: a floor, walls, stairs, a crate and a
// trigger volume with no material records. Each material record has an id of its own.
Bytes demoModel() {
  struct Collision {
    std::int32_t entries;
    std::int32_t records;
  };
  constexpr Collision kModels[] = {{6, 4}, {8, 6}, {10, 5}, {4, 2}, {1, 0}};
  Bytes out;
  out.u8(10).text(std::string(32, ' ').replace(0, 14, "courtyard.max "));
  out.i32(static_cast<std::int32_t>(std::size(kModels)));
  std::uint16_t material = 1;
  for (const Collision& model : kModels) {
    const std::int32_t length = 12 + 16 * model.entries + 4 + 40 * model.records + 40 + 4;
    out.i32(length).text(std::string(8, '\x11')).i32(model.entries);
    out.text(std::string(static_cast<std::size_t>(16 * model.entries), '\x22')).i32(model.records);
    const std::uint16_t first = material;
    for (std::int32_t r = 0; r < model.records; ++r) {
      out.text(std::string(6, '\x33')).u16(material++);
    }
    out.text(std::string(40, '\x44'));
    for (std::int32_t r = 0; r < model.records; ++r) {
      out.u16(static_cast<std::uint16_t>(first + r)).text(std::string(30, '\x55'));
    }
    out.text(std::string(4, '\0'));
  }
  return out;
}

// Lines bottom first, as the uncompressed form tilecut always cut has them.
Bytes demoImage() {
  Bytes out;
  tgaHeader(out, 2, 24, 0);
  for (int line = kImageHeight - 1; line >= 0; --line) {
    for (int x = 0; x < kImageWidth; ++x) {
      for (const std::uint8_t channel : landscape(x, line, kImageWidth, kImageHeight)) {
        out.u8(channel);
      }
    }
  }
  return out;
}

// The same picture as a painting program saves it: 32 bits a pixel (8 of them alpha), lines top
// first, run-length coded a line at a time.
Bytes demoImageRunLength() {
  Bytes out;
  tgaHeader(out, 10, 32, 0x28);
  for (int line = 0; line < kImageHeight; ++line) {
    std::vector<std::array<std::uint8_t, 3>> pixels;
    for (int x = 0; x < kImageWidth; ++x) {
      pixels.push_back(landscape(x, line, kImageWidth, kImageHeight));
    }
    const auto repeatsFrom = [&pixels](std::size_t from) {
      std::size_t end = from + 1;
      while (end < pixels.size() && end - from < 128 && pixels[end] == pixels[from]) ++end;
      return end - from;
    };
    const auto pixel = [&out](const std::array<std::uint8_t, 3>& colour) {
      for (const std::uint8_t channel : colour) out.u8(channel);
      out.u8(255);  // opaque
    };
    for (std::size_t at = 0; at < pixels.size();) {
      if (const std::size_t repeats = repeatsFrom(at); repeats >= 2) {
        out.u8(static_cast<std::uint8_t>(0x80 | (repeats - 1)));
        pixel(pixels[at]);
        at += repeats;
        continue;
      }
      std::size_t end = at + 1;
      while (end < pixels.size() && end - at < 128 && repeatsFrom(end) < 2) ++end;
      out.u8(static_cast<std::uint8_t>(end - at - 1));
      for (std::size_t i = at; i < end; ++i) pixel(pixels[i]);
      at = end;
    }
  }
  return out;
}

}  // namespace samples
