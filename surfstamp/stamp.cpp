// surfstamp: sets every collision material id of a static model file (.sm) to one value, in
// place. Nothing else in the file changes, and the file keeps its length.
//
// Layout, little-endian: a format byte (9 or 10), bytes not interpreted, then i32 numModels
// (at offset 32 for format 9, 33 for format 10) and that many collision model chunks, each
// directly after the one before. A chunk, offsets from its start:
//   0             i32 length L of what follows; the next chunk starts at 4 + L
//   4             8 bytes not interpreted
//   12            i32 entry count A, then A entries of 16 bytes
//   16 + 16A      i32 material record count B, then B records of 8 bytes, id in bytes 6-7
//   20 + 16A + 8B 40 bytes not interpreted, then B records of 32 bytes, id in bytes 0-1
//
// The whole file is walked and checked before the first byte is written, so a file that does
// not hold together is refused untouched.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "material_id.hpp"
#include "run.hpp"

namespace surfstamp {
namespace {

constexpr std::int32_t kMaxModels = 239;

// Chunk layout, offsets from the start of a chunk.
constexpr std::int64_t kLengthFieldSize = 4;
constexpr std::int64_t kEntryCountOffset = 12;
constexpr std::int64_t kEntrySize = 16;
constexpr std::int64_t kShortRecordSize = 8;
constexpr std::int64_t kShortRecordIdOffset = 6;
constexpr std::int64_t kGapSize = 40;
constexpr std::int64_t kLongRecordSize = 32;
// Records are stamped a window at a time: a few system calls per megabyte, not one per field.
constexpr std::size_t kWindowBytes = std::size_t{1} << 20;

// The file or the argument cannot be used; the message says what and where.
struct Refusal {
  std::string message;
};

// Where the material id fields of one chunk lie, and where the next chunk starts.
struct ChunkPlan {
  std::int64_t shortRecords = 0;  // offset of the first 8-byte record
  std::int64_t longRecords = 0;   // offset of the first 32-byte record
  std::int32_t recordCount = 0;   // 0 when the chunk has none to stamp
  std::int64_t nextChunk = 0;
};

// The open model file, read and written at absolute offsets through one stream.
class ModelFile {
 public:
  ModelFile(std::fstream& stream, std::string path) : stream_(stream), path_(std::move(path)) {
    stream_.seekg(0, std::ios::end);
    size_ = stream_.tellg();
  }

  std::int64_t size() const { return size_; }
  const std::string& path() const { return path_; }

  std::uint8_t u8At(std::int64_t offset) { return static_cast<std::uint8_t>(readAt<1>(offset)); }
  std::int32_t i32At(std::int64_t offset) { return static_cast<std::int32_t>(readAt<4>(offset)); }

  void readAt(std::int64_t offset, std::span<char> bytes) {
    stream_.seekg(offset);
    stream_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream_) throw Refusal{path_ + ": reading at byte " + std::to_string(offset) + " failed"};
  }

  void writeAt(std::int64_t offset, std::span<const char> bytes) {
    stream_.seekp(offset);
    stream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream_) throw Refusal{path_ + ": writing at byte " + std::to_string(offset) + " failed"};
  }

  void flush() {
    stream_.flush();
    if (!stream_) throw Refusal{path_ + ": writing failed: " + std::strerror(errno)};
  }

 private:
  // Callers check that the field lies inside the file; a failure here is an I/O error.
  template <std::size_t Size>
  std::uint32_t readAt(std::int64_t offset) {
    std::array<char, Size> raw{};
    readAt(offset, raw);
    std::uint32_t value = 0;
    for (std::size_t i = Size; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(raw[i]);
    return value;
  }

  std::fstream& stream_;
  std::string path_;
  std::int64_t size_ = 0;
};

// Checks one chunk against its own length and the file, and says where its ids lie.
ChunkPlan planChunk(ModelFile& file, std::int32_t number, std::int64_t start) {
  const std::string where =
      file.path() + ": chunk " + std::to_string(number) + " at byte " + std::to_string(start);
  if (start + kLengthFieldSize > file.size()) {
    throw Refusal{where + ": the file ends before its length field"};
  }
  const std::int32_t length = file.i32At(start);
  const std::string lengthText = "its length " + std::to_string(length);
  if (length < 0) throw Refusal{where + ": " + lengthText + " is negative"};
  const std::int64_t next = start + kLengthFieldSize + length;
  if (next > file.size()) {
    throw Refusal{where + ": " + lengthText + " runs past the end of the file at byte " +
                  std::to_string(file.size())};
  }
  // Every field the walk reads or writes must lie inside the chunk as its length declares it.
  const auto requireInChunk = [&](std::int64_t end, const std::string& what) {
    if (start + end > next) throw Refusal{where + ": " + lengthText + " does not cover " + what};
  };
  requireInChunk(kEntryCountOffset + 4, "the entry count");
  const std::int32_t entryCount = file.i32At(start + kEntryCountOffset);
  if (entryCount < 0) {
    throw Refusal{where + ": its entry count " + std::to_string(entryCount) + " is negative"};
  }
  const std::int64_t recordCountOffset = kEntryCountOffset + 4 + kEntrySize * entryCount;
  requireInChunk(recordCountOffset + 4,
                 "the material record count after " + std::to_string(entryCount) + " entries");
  const std::int32_t recordCount = file.i32At(start + recordCountOffset);
  ChunkPlan plan;
  plan.nextChunk = next;
  if (recordCount <= 0) return plan;  // nothing to stamp in this chunk
  plan.recordCount = recordCount;
  plan.shortRecords = start + recordCountOffset + 4;
  plan.longRecords = plan.shortRecords + kShortRecordSize * recordCount + kGapSize;
  requireInChunk(plan.longRecords - start + kLongRecordSize * recordCount,
                 "its " + std::to_string(recordCount) + " material records");
  return plan;
}

// Sets the id field of `count` records of `recordSize` bytes from `first` on, a window of whole
// records at a time: read, set the ids, write back. Every other byte goes back as it was read.
void stampRecords(ModelFile& file, std::int64_t first, std::int64_t count, std::int64_t recordSize,
                  std::int64_t idOffset, std::uint16_t materialId, std::vector<char>& window) {
  const std::int64_t recordsPerWindow = static_cast<std::int64_t>(window.size()) / recordSize;
  const char low = static_cast<char>(materialId & 0xFF);
  const char high = static_cast<char>(materialId >> 8);
  for (std::int64_t done = 0; done < count;) {
    const std::int64_t records = std::min(recordsPerWindow, count - done);
    const std::span<char> bytes(window.data(), static_cast<std::size_t>(records * recordSize));
    const std::int64_t offset = first + done * recordSize;
    file.readAt(offset, bytes);
    for (std::int64_t at = idOffset; at < records * recordSize; at += recordSize) {
      bytes[static_cast<std::size_t>(at)] = low;
      bytes[static_cast<std::size_t>(at) + 1] = high;
    }
    file.writeAt(offset, bytes);
    done += records;
  }
}

void stampChunk(ModelFile& file, const ChunkPlan& plan, std::uint16_t materialId,
                std::vector<char>& window) {
  stampRecords(file, plan.shortRecords, plan.recordCount, kShortRecordSize, kShortRecordIdOffset,
               materialId, window);
  stampRecords(file, plan.longRecords, plan.recordCount, kLongRecordSize, 0, materialId, window);
}

void stampAll(ModelFile& file, std::int32_t modelCount, std::int64_t firstChunk,
              std::uint16_t materialId) {
  std::array<ChunkPlan, kMaxModels> plans{};
  std::int64_t start = firstChunk;
  for (std::int32_t model = 0; model < modelCount; ++model) {
    plans[static_cast<std::size_t>(model)] = planChunk(file, model + 1, start);
    start = plans[static_cast<std::size_t>(model)].nextChunk;
  }
  // Every record lies in the file, so a window the size of a smaller file holds one at least.
  std::vector<char> window(
      static_cast<std::size_t>(std::min<std::int64_t>(kWindowBytes, file.size())));
  for (std::int32_t model = 0; model < modelCount; ++model) {
    stampChunk(file, plans[static_cast<std::size_t>(model)], materialId, window);
  }
  file.flush();
}

// The tool's documented outcomes; refusals of damaged files are thrown as Refusal.
void stampFile(ModelFile& file, const char* idText, MaterialIdArgument id) {
  const std::uint8_t format = file.size() > 0 ? file.u8At(0) : 0;
  if (format != 9 && format != 10) {
    std::cout << "invalid .sm file\n<<done>>\n";
    return;
  }
  const std::int64_t modelCountOffset = format == 9 ? 32 : 33;
  if (modelCountOffset + 4 > file.size()) {
    throw Refusal{file.path() + " ends at byte " + std::to_string(file.size()) +
                  " while reading numModels"};
  }
  const std::int32_t modelCount = file.i32At(modelCountOffset);
  if (modelCount <= 0 || modelCount > kMaxModels) {
    std::cout << "I found not one or too many collision models in this file\n<<done>>\n";
    return;
  }
  std::cout << " numModels: " << modelCount << std::endl;
  std::cout << " matidReplace: " << id.value << std::endl;
  if (id.tooLarge) {
    std::cout << "Supply a matID less than 65536 please\nYou supplied: " << idText << std::endl;
    return;
  }
  stampAll(file, modelCount, modelCountOffset + 4, id.value);
  std::cout << "<<done>>\n";
}

int refuse(const std::string& message) {
  std::cout << "***ERROR " << message << std::endl;
  return 1;
}

}  // namespace

int run(const char* path, const char* idText) {
  const std::optional<MaterialIdArgument> id = parseMaterialId(idText);
  if (!id) {
    return refuse("the material id \"" + std::string(idText) +
                  "\" is not a number: give decimal digits only");
  }
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return refuse("cannot open " + std::string(path) +
                  " for reading and writing: " + std::strerror(EISDIR));
  }
  // in | out opens an existing file without truncating it, and never creates one.
  std::fstream stream(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!stream) {
    return refuse("cannot open " + std::string(path) +
                  " for reading and writing: " + std::strerror(errno));
  }
  ModelFile file(stream, path);
  try {
    stampFile(file, idText, *id);
  } catch (const Refusal& refusal) {
    return refuse(refusal.message);
  }
  return 0;
}

}  // namespace surfstamp
