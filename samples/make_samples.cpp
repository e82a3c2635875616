// Writes one sample file per asset format into the folder given on the command line. By default
// they look like the assets users have (a skeleton of named bones, a skin of a few thousand
// vertices in the shape of a figure, an animation of a few seconds, a model of several collision
// chunks, a picture), for the demo and the README's pictures; with --small they are the few
// bytes the tests cut at every length and the fuzzers start from. Everything is made up here.

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "demo_samples.hpp"
#include "sample_bytes.hpp"

namespace {

using samples::Bytes;

// The small samples.

struct Bone {
  std::string_view name;
  std::uint16_t parent;
  float x, y, z;
};

// A small biped: each bone's three rows are a rotation (identity here), a translation and a
// scale, padded to four floats.
Bytes skeleton() {
  const std::vector<Bone> bones = {
      {"root", 65535, 0.0f, 0.0f, 0.0f},   {"pelvis", 0, 0.0f, 0.95f, 0.0f},
      {"spine", 1, 0.0f, 0.12f, 0.00002f}, {"head", 2, 0.0f, 0.45f, 0.02f},
      {"l_thigh", 1, 0.11f, -0.05f, 0.0f}, {"r_thigh", 1, -0.11f, -0.05f, 0.0f},
  };
  Bytes out;
  out.i32(1).i32(static_cast<std::int32_t>(bones.size()));
  for (const Bone& bone : bones) {
    out.name(bone.name).u16(bone.parent);
    out.f32(1).f32(0).f32(0).f32(0);
    out.f32(bone.x).f32(bone.y).f32(bone.z).f32(1);
    out.f32(1).f32(1).f32(1).f32(0);
  }
  return out;
}

// Four vertices of a small cloth strip: two bound whole to one bone, two of weight 0.5 with
// their extension blocks; then the names of the bones they belong to.
Bytes skin() {
  Bytes out;
  out.i32(1).i32(4);
  for (int i = 0; i < 4; ++i) {
    const bool shared = i >= 2;
    const auto x = static_cast<float>(i) * 0.25f;
    out.f32(x).f32(-0.5f).f32(1.75f);                         // position X, Z, Y
    out.u8(0).u8(static_cast<std::uint8_t>(i / 2)).u8(0xFF);  // flagA, bone, flagC
    out.f32(shared ? 0.5f : 1.0f);
    out.f32(0.1f).f32(0.00003f).f32(0.2f);  // envelope X, Z, Y
    if (shared) out.u8(1).u8(2).f32(0.5f).f32(0).f32(1).f32(0);
  }
  out.u16(3).name("body").name("cape").name(std::string_view("cape_tip\0old", 12));
  return out;
}

// Two bones over four frames. Each component mixes the two kinds of run: a repeat run (flag
// 0x80 in the control word, one value word) and a literal run (one word per sample).
Bytes animation() {
  Bytes out;
  out.i32(3).u16(2).name("hips").name("spine");
  out.i32(4).u8(15);  // frame count, precision
  for (int bone = 0; bone < 2; ++bone) {
    out.u16(0);  // bone prefix word
    for (int component = 0; component < 7; ++component) {
      const auto base = static_cast<std::uint16_t>(0x0400 * (component + 1) + 0x0100 * bone);
      out.u16(0);                   // component prefix word
      out.u16(0x0082).u16(0x4000);  // 0.5 for two frames
      out.u16(0x0002).u16(base).u16(static_cast<std::uint16_t>(0x10000 - base));
    }
  }
  return out;
}

// A static model (format 10) with three collision models: a floor, a crate and a trigger
// volume with no material records. Material ids start as 1, 2 and 3 per chunk; the four bytes
// after each chunk's last record are padding that the length field covers.
Bytes staticModel() {
  struct Collision {
    std::int32_t entries;
    std::int32_t records;
  };
  const Collision models[] = {{2, 2}, {4, 1}, {1, 0}};
  Bytes out;
  out.u8(10).text(std::string(32, ' ').replace(0, 11, "sample.max "));
  out.i32(3);
  std::uint16_t material = 1;
  for (const Collision& model : models) {
    const std::int32_t length = 12 + 16 * model.entries + 4 + 40 * model.records + 40 + 4;
    out.i32(length).text(std::string(8, '\x11')).i32(model.entries);
    out.text(std::string(static_cast<std::size_t>(16 * model.entries), '\x22')).i32(model.records);
    for (std::int32_t r = 0; r < model.records; ++r) out.text(std::string(6, '\x33')).u16(material);
    out.text(std::string(40, '\x44'));
    for (std::int32_t r = 0; r < model.records; ++r)
      out.u16(material).text(std::string(30, '\x55'));
    out.text(std::string(4, '\0'));
    ++material;
  }
  return out;
}

// A 256 x 128 uncompressed 24-bit TGA: eight 64-pixel blocks, each its own colour, shaded
// from left to right and framed in white, so every tile of a 4-across cut is told apart at a
// glance. Lines are stored bottom line first; pixels as blue, green, red.
Bytes image() {
  constexpr std::uint16_t kWidth = 256;
  constexpr std::uint16_t kHeight = 128;
  constexpr int kBlock = 64;
  const std::uint8_t colours[8][3] = {{40, 40, 220},  {40, 200, 40},  {220, 60, 40}, {40, 200, 220},
                                      {200, 40, 200}, {220, 220, 40}, {90, 90, 90},  {0, 128, 255}};
  Bytes out;
  out.u8(0).u8(0).u8(2).u16(0).u16(0).u8(0).u16(0).u16(0).u16(kWidth).u16(kHeight).u8(24).u8(0);
  for (int line = 0; line < kHeight; ++line) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint8_t* colour = colours[(line / kBlock) * 4 + x / kBlock];
      const bool frame = x % kBlock == 0 || line % kBlock == 0;
      const int shade = 128 + (x % kBlock) * 2;
      for (int channel = 0; channel < 3; ++channel) {
        out.u8(frame ? 255 : static_cast<std::uint8_t>(colour[channel] * shade / 255));
      }
    }
  }
  return out;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.str().data(), static_cast<std::streamsize>(bytes.str().size()));
  return static_cast<bool>(file);
}

bool writeSmallSamples(const std::string& folder) {
  return writeFile(folder + "/skeleton.ske", skeleton()) &&
         writeFile(folder + "/skin.skn", skin()) &&
         writeFile(folder + "/animation.baf", animation()) &&
         writeFile(folder + "/model.sm", staticModel()) &&
         writeFile(folder + "/image.tga", image());
}

bool writeDemoSamples(const std::string& folder) {
  return writeFile(folder + "/skeleton.ske", samples::demoSkeleton()) &&
         writeFile(folder + "/skin.skn", samples::demoSkin()) &&
         writeFile(folder + "/animation.baf", samples::demoAnimation()) &&
         writeFile(folder + "/model.sm", samples::demoModel()) &&
         writeFile(folder + "/image.tga", samples::demoImage()) &&
         writeFile(folder + "/image-rle.tga", samples::demoImageRunLength());
}

}  // namespace

int main(int argc, char** argv) {
  const bool small = argc == 3 && std::string_view(argv[1]) == "--small";
  if (argc != 2 && !small) {
    std::cerr << "usage: make_samples [--small] OUTPUT_FOLDER\n";
    return 2;
  }
  const std::string folder = argv[argc - 1];
  if (!(small ? writeSmallSamples(folder) : writeDemoSamples(folder))) {
    std::cerr << "make_samples: cannot write into " << folder << "\n";
    return 1;
  }
  return 0;
}
