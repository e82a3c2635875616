// Writes the benchmark's inputs into the folder given on the command line: an 8192 x 8192 TGA
// image of 24 bits, one of 32 bits and its run-length form, a static model with one chunk of 1,000,000 material records, an animation of about a
// million report lines and a skin of about 1.6 million. Made up here, written once per run.

#include <bit>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Little-endian bytes in file order, streamed to a file.
class Output {
 public:
  explicit Output(const std::string& path) : file_(path, std::ios::binary | std::ios::trunc) {}
  Output& u8(std::uint8_t value) {
    file_.put(static_cast<char>(value));
    return *this;
  }
  Output& u16(std::uint16_t value) { return little(value, 2); }
  Output& i32(std::int32_t value) { return little(static_cast<std::uint32_t>(value), 4); }
  Output& f32(float value) { return little(std::bit_cast<std::uint32_t>(value), 4); }
  Output& bytes(const std::string& value) {
    file_.write(value.data(), static_cast<std::streamsize>(value.size()));
    return *this;
  }
  bool good() const { return static_cast<bool>(file_); }

 private:
  Output& little(std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) file_.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    return *this;
  }
  std::ofstream file_;
};

// A line of 4-byte pixels as run-length packets: a repeat packet for a run, raw ones between.
std::string packets(const std::string& line) {
  std::string out;
  const std::size_t count = line.size() / 4;
  const auto same = [&](std::size_t a, std::size_t b) {
    return line.compare(a * 4, 4, line, b * 4, 4) == 0;
  };
  for (std::size_t at = 0; at < count;) {
    std::size_t run = 1;
    while (at + run < count && run < 128 && same(at, at + run)) ++run;
    if (run > 1) {
      out += static_cast<char>(0x80 | (run - 1));
      out += line.substr(at * 4, 4);
    } else {
      while (at + run < count && run < 128 && !same(at + run, at + run + 1 < count ? at + run + 1 : at + run)) ++run;
      out += static_cast<char>(run - 1);
      out += line.substr(at * 4, run * 4);
    }
    at += run;
  }
  return out;
}

bool image(const std::string& path) {
  constexpr std::uint16_t kSide = 8192;
  Output out(path);
  out.u8(0).u8(0).u8(2).u16(0).u16(0).u8(0).u16(0).u16(0).u16(kSide).u16(kSide).u8(24).u8(0);
  std::string line(std::size_t{kSide} * 3, '\0');
  for (std::uint32_t y = 0; y < kSide; ++y) {
    for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>(i * 7 + y * 13);
    out.bytes(line);
  }
  return out.good();
}

// A 32-bit picture with its alpha, half of it in flat runs of 16 pixels and half in noise, as
// textures are; uncompressed, or run-length coded with packets within each line.
bool image32(const std::string& path, bool runLength) {
  constexpr std::uint16_t kSide = 8192;
  Output out(path);
  out.u8(0).u8(0).u8(runLength ? 10 : 2).u16(0).u16(0).u8(0).u16(0).u16(0).u16(kSide).u16(kSide);
  out.u8(32).u8(8);
  std::string line(std::size_t{kSide} * 4, '\0');
  for (std::uint32_t y = 0; y < kSide; ++y) {
    for (std::uint32_t x = 0; x < kSide; ++x) {
      for (std::uint32_t c = 0; c < 4; ++c) {
        const std::uint32_t seed = x < kSide / 2 ? (x >> 4) * 5 + c : x * 7 + c * 3;
        line[x * 4 + c] = static_cast<char>(seed + y * 13);
      }
    }
    out.bytes(runLength ? packets(line) : line);
  }
  return out.good();
}

// Format 9, one collision model: no entries, then the records (8 and 32 bytes), 40 bytes apart.
bool model(const std::string& path) {
  constexpr std::int32_t kRecords = 1'000'000;
  Output out(path);
  out.u8(9).bytes(std::string(31, '\x01')).i32(1);
  out.i32(12 + 4 + 8 * kRecords + 40 + 32 * kRecords).bytes(std::string(8, '\x11')).i32(0);
  out.i32(kRecords);
  for (std::int32_t r = 0; r < kRecords; ++r) out.bytes(std::string(6, '\x33')).u16(7);
  out.bytes(std::string(40, '\x44'));
  for (std::int32_t r = 0; r < kRecords; ++r) out.u16(7).bytes(std::string(30, '\x55'));
  return out.good();
}

// Ten bones of 14,285 frames, in literal runs of 127 words of varied value.
bool animation(const std::string& path) {
  constexpr int kBones = 10;
  constexpr std::int32_t kFrames = 14'285;
  Output out(path);
  out.i32(3).u16(kBones);
  for (int bone = 0; bone < kBones; ++bone) out.u16(6).bytes("bone_" + std::to_string(bone));
  out.i32(kFrames).u8(15);
  std::uint32_t word = 1;
  for (int bone = 0; bone < kBones; ++bone) {
    out.u16(0);
    for (int component = 0; component < 7; ++component) {
      out.u16(0);
      for (std::int32_t frame = 0; frame < kFrames; frame += 127) {
        out.u16(127);
        for (int i = 0; i < 127; ++i)
          out.u16(static_cast<std::uint16_t>(word = word * 7919 % 65521));
      }
    }
  }
  return out.good();
}

// 123,077 vertices of weight 1, 13 report lines each.
bool skin(const std::string& path) {
  constexpr std::int32_t kVertices = 123'077;
  Output out(path);
  out.i32(1).i32(kVertices);
  for (std::int32_t v = 0; v < kVertices; ++v) {
    const auto x = static_cast<float>(v) * 0.001f;
    out.f32(x).f32(-x * 0.5f).f32(1.75f + x);
    out.u8(0).u8(static_cast<std::uint8_t>(v % 40)).u8(0xFF).f32(1.0f);
    out.f32(0.1f).f32(0.00003f * x).f32(0.2f);
  }
  out.u16(1).u16(4).bytes("body");
  return out.good();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_inputs OUTPUT_FOLDER\n";
    return 2;
  }
  const std::string folder = argv[1];
  if (!image(folder + "/image.tga") || !image32(folder + "/image32.tga", false) ||
      !image32(folder + "/image32-rle.tga", true) || !model(folder + "/model.sm") ||
      !animation(folder + "/animation.baf") || !skin(folder + "/skin.skn")) {
    std::cerr << "make_inputs: cannot write into " << folder << "\n";
    return 1;
  }
  return 0;
}
